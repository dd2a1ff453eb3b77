// The list's learning commands: learned as spam, an inbox message goes to the
// trash as the delete command moves it; learned as ham, a trash message goes
// back to the inbox of the account it came from, keeping its file; learning
// again as the other class moves the counts.
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

#include "app/messagelistmodel.h"
#include "formfixture.h"
#include "learn/learnfilter.h"
#include "learn/learntesthelp.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"

namespace {

// Stored UIDs name the account a message was stored for.
constexpr const char* kInboxUid = "0a0b0c0d01d9a1b2.0.work,s=100";
constexpr const char* kTrashUid = "0a0b0c0d01d9a1b3.1.work,s=100";
constexpr const char* kStrayUid = "0a0b0c0d01d9a1b4.2.gone,s=100";

// A UID as an index line holds it: its comma quotes it.
std::string Quoted(const char* uid) {
    return std::string("\"") + uid + "\"";
}

class LearnCommandsTest : public FormTest {
protected:
    // Account "work" with one inbox message (spam); two in the trash (ham),
    // one of them from an account that is no more.
    void SetUp() override {
        FormTest::SetUp();
        const std::string folder = Folder();
        TPop3AccountList list;
        SetupAccountList(list, folder);
        ASSERT_TRUE(platform::ForceDirectories(list.BaseFolder));
        TPop3AccountItem* account = list.Add("work", "u", "p", "127.0.0.1", 1, false, false);
        inbox = platform::IncludeTrailingSeparator(account->GetFolder());
        ASSERT_TRUE(platform::ForceDirectories(inbox));
        account->Mailbox.LoadFromStrings({Quoted(kInboxUid) +
                                          ",a.eml,1,2,text/plain,offer,,2024/05/01,2024/05/01,"
                                          "2024/05/01,,"});
        ASSERT_TRUE(platform::WriteFile(inbox + "a.eml", learntest::SpamText(1)));
        ASSERT_TRUE(list.Save());
        TMessageBox trash;
        SetupDustBox(trash, folder);
        trashFolder = platform::IncludeTrailingSeparator(DustboxFolder(folder));
        ASSERT_TRUE(platform::ForceDirectories(trashFolder));
        trash.LoadFromStrings(
            {Quoted(kTrashUid) + ",h.eml,1,2,text/plain,notes,,2024/05/02,2024/05/02,,,",
             Quoted(kStrayUid) + ",g.eml,1,2,text/plain,old,,2024/05/03,2024/05/03,,,"});
        ASSERT_TRUE(platform::WriteFile(trashFolder + "h.eml", learntest::HamText(1)));
        ASSERT_TRUE(platform::WriteFile(trashFolder + "g.eml", learntest::HamText(2)));
        ASSERT_TRUE(trash.Save());
    }
    static int Rows(const TMarrowbyForm& form) { return form.LVMessages->model()->rowCount(); }
    static std::unique_ptr<TMessageBox> Reload(const std::string& folder) {
        auto box = std::make_unique<TMessageBox>();
        box->LoadFromFile(folder + "messages.idx");
        return box;
    }
    static TTokenCounts Counts(TMarrowbyForm& form) {
        return form.LearnFilter1->MessageCounts().value_or(TTokenCounts{-1, -1});
    }

    std::string inbox, trashFolder;
};

TEST_F(LearnCommandsTest, SpamGoesToTheTrashHamBackToItsInbox) {
    auto form = ShownForm();
    SelectUid(*form, kInboxUid);
    form->ButtonLearnSpamClick();
    EXPECT_EQ(Rows(*form), 0);
    EXPECT_EQ(Counts(*form).Spam, 1);
    EXPECT_FALSE(platform::FileExists(inbox + "a.eml"));
    auto trash = Reload(trashFolder);
    ASSERT_EQ(trash->GetCount(), 3);
    EXPECT_EQ(trash->GetMessages(2)->UID, kInboxUid);
    EXPECT_EQ(*platform::ReadFile(trash->GetMessages(2)->GetPath()), learntest::SpamText(1));

    form->ButtonDustFolderClick();
    SelectUid(*form, kTrashUid);
    form->ButtonLearnHamClick();
    EXPECT_EQ(Rows(*form), 2);
    EXPECT_EQ(Counts(*form).Ham, 1);
    auto back = Reload(inbox);
    ASSERT_EQ(back->GetCount(), 1);
    EXPECT_EQ(back->GetMessages(0)->UID, kTrashUid);
    EXPECT_EQ(*platform::ReadFile(back->GetMessages(0)->GetPath()), learntest::HamText(1));
    EXPECT_FALSE(platform::FileExists(trashFolder + "h.eml"));
    EXPECT_TRUE(form->MemoLog->toPlainText().contains(QString::fromUtf8("迷惑ﾒｰﾙではない")));

    // The spam was a wanted message after all: its counts move to ham, and
    // it goes back to its inbox too.
    SelectUid(*form, kInboxUid);
    form->ButtonLearnHamClick();
    EXPECT_EQ(Counts(*form).Spam, 0);
    EXPECT_EQ(Counts(*form).Ham, 2);
    EXPECT_EQ(Reload(inbox)->GetCount(), 2);
}

TEST_F(LearnCommandsTest, WithoutItsAccountHamStaysInTheTrash) {
    auto form = ShownForm(false);
    form->ButtonDustFolderClick();
    SelectUid(*form, kStrayUid);
    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    form->ButtonLearnHamClick();
    EXPECT_TRUE(answer.Seen);
    EXPECT_TRUE(answer.Text.contains("gone"));
    EXPECT_EQ(Rows(*form), 2);
    EXPECT_EQ(Counts(*form).Ham, 1); // learned all the same
    EXPECT_TRUE(platform::FileExists(trashFolder + "g.eml"));
}

TEST_F(LearnCommandsTest, LockedAccountKeepsItsMessages) {
    auto form = ShownForm();
    ASSERT_TRUE(form->Pop3AccountList1->GetAccounts(0)->Lock());
    SelectUid(*form, kInboxUid);
    form->ButtonLearnSpamClick();
    EXPECT_EQ(Rows(*form), 1);
    EXPECT_TRUE(platform::FileExists(inbox + "a.eml"));
    form->ButtonDustFolderClick();
    SelectUid(*form, kTrashUid);
    form->ButtonLearnHamClick();
    EXPECT_EQ(Rows(*form), 2);
    EXPECT_TRUE(platform::FileExists(trashFolder + "h.eml"));
    EXPECT_EQ(Counts(*form).Spam, 1);
    EXPECT_EQ(Counts(*form).Ham, 1);
}

TEST_F(LearnCommandsTest, ButtonsAndContextMenu) {
    auto form = ShownForm();
    EXPECT_EQ(form->ButtonLearnSpam->text(), QString::fromUtf8("迷惑ﾒｰﾙとして学習"));
    EXPECT_EQ(form->ButtonLearnHam->text(), QString::fromUtf8("迷惑ﾒｰﾙではない"));
    EXPECT_FALSE(form->ButtonLearnSpam->toolTip().isEmpty());
    EXPECT_FALSE(form->ButtonLearnHam->toolTip().isEmpty());
    form->AppIdle();
    EXPECT_FALSE(form->ButtonLearnSpam->isEnabled());
    SelectUid(*form, kInboxUid);
    form->AppIdle();
    EXPECT_TRUE(form->ButtonLearnSpam->isEnabled());
    EXPECT_TRUE(form->ButtonLearnHam->isEnabled());
    const QList<QAction*> actions = form->PopupMenuMessages->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QString::fromUtf8("迷惑ﾒｰﾙとして学習"));
    EXPECT_EQ(actions[1]->text(), QString::fromUtf8("迷惑ﾒｰﾙではない"));
    actions[0]->trigger();
    EXPECT_EQ(Rows(*form), 0);
    EXPECT_EQ(Counts(*form).Spam, 1);
}

} // namespace
