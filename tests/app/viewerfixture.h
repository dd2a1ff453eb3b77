#pragma once
// A main window whose inbox (account "taro") holds two stored messages: the
// Japanese multipart message of data/viewer.eml (UID "u-jp", the newer, so
// the first row) and a plain one without Cc and Received headers ("u-plain").
#include <QApplication>
#include <QFileDialog>
#include <QTreeView>

#include "app/messagelistmodel.h"
#include "formfixture.h"
#include "platform/file.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"

inline std::string AppTestData(const char* name) {
    return platform::ReadFile(std::string(APP_TEST_SOURCE) + "data/" + name).value_or("");
}

// The bytes of the base64 image of data/viewer.eml.
inline std::string ViewerImageBytes() {
    std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\r", 12);
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

inline constexpr const char* PlainMessage = "From: jiro@example.jp\r\n"
                                            "To: taro@example.jp\r\n"
                                            "Subject: plain\r\n"
                                            "Date: Tue, 6 Jul 2004 09:00:00 +0900\r\n"
                                            "\r\n"
                                            "hello\r\n";

class ViewerTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        TPop3AccountList list;
        SetupAccounts(list);
        TPop3AccountItem* account = AddInbox(list, "taro");
        inbox = platform::IncludeTrailingSeparator(account->GetFolder());
        ASSERT_TRUE(platform::WriteFile(inbox + "kaigi.eml", AppTestData("viewer.eml")));
        ASSERT_TRUE(platform::WriteFile(inbox + "plain.eml", PlainMessage));
        account->Mailbox.LoadFromStrings(
            {"u-jp,kaigi.eml,1558,0,multipart/mixed," + Cp("会議の資料について") +
                 ",,2024/05/03,2024/05/03,2024/05/03,,",
             "u-plain,plain.eml,120,2,text/plain,plain,,2024/05/02,2024/05/02,2024/05/02,,"});
        ASSERT_TRUE(list.Save());
    }

    // The tree node of the part with that media type.
    static QTreeWidgetItem* Node(TMarrowbyForm& form, const char* mimeType) {
        const auto found =
            form.TVMultipart->findItems(mimeType, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }

    std::string inbox; // with its trailing separator
};
