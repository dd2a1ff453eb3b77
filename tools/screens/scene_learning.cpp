// The learning filter as its user meets it: the message list with the two
// learning commands and a message the filter was unsure of, and the settings
// page with the counts learned and the two scores.
#include <QTabWidget>
#include <QTreeView>
#include <string>

#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "learn/learnfilter.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tools/screens/screens.h"
#include "ui/widgettext.h"

namespace {

std::string Mail(const std::string& from, const std::string& subject, const std::string& body) {
    return "Received: from relay.example.net (relay.example.net [203.0.113.25])\r\n"
           "\tby mx.example.jp with ESMTP; Thu, 10 Dec 2026 09:12:45 +0900\r\nFrom: " +
           from + "\r\nSubject: " + subject +
           "\r\nDate: Thu, 10 Dec 2026 09:12:40 +0900\r\n"
           "Content-Type: text/plain; charset=Shift_JIS\r\n\r\n" +
           Sjis(body.c_str()) + "\r\n";
}

void Learn(const std::string& folder) {
    TLearnFilter filter;
    filter.Open(folder);
    for (int i = 0; i < 120; ++i) {
        const std::string n = std::to_string(i);
        filter.Learn(Mail("info" + n + "@bulk.example", "Special offer " + n,
                          "今だけ特別価格でご提供します。お申し込みはこちら " + n),
                     true);
        filter.Learn(Mail("tanaka@example.co.jp", "Meeting " + n,
                          "明日の会議の資料をお送りします。よろしくお願いします。" + n),
                     false);
    }
}

void Store(TPop3AccountItem& account, const std::string& text, const char* comment) {
    const std::string folder = platform::IncludeTrailingSeparator(account.GetFolder());
    platform::ForceDirectories(folder);
    TMultipartMessage message;
    message.Create(text);
    message.SetPath(TMessageBox::MakeMessagePath(folder, message.Subject));
    platform::WriteFile(message.Path, text, 0600);
    account.Mailbox.Add(message, message.GetReceived(0).Date, account.Name)->Comment =
        Sjis(comment);
}

} // namespace

MARROWBY_SCENE(learning) {
    Learn(context.Folder);
    TPop3AccountList list;
    SetupAccountList(list, context.Folder);
    platform::ForceDirectories(list.BaseFolder);
    TPop3AccountItem& account =
        *list.Add("work", "taro", "p", "pop.example.co.jp", 110, false, false);
    Store(account, Mail("tanaka@example.co.jp", "Meeting notes", "資料をお送りします。"), "");
    Store(account, Mail("news@shop.example", "December sale", "今だけ特別価格のご案内です。"),
          "学習?(0.731)");
    Store(account, Mail("suzuki@example.co.jp", "Re: estimate", "見積書を受け取りました。"), "");
    (void)list.Save();

    TMarrowbyForm form(TAppOptions{context.Folder, 0, false});
    form.resize(1000, 700);
    form.show();
    auto* rows = static_cast<TMessageListModel*>(form.LVMessages->model());
    for (int row = 0; row < rows->rowCount(); ++row)
        if (rows->Entry(row)->Subject == "December sale")
            form.LVMessages->setCurrentIndex(rows->index(row, 0));
    form.AppIdle();
    context.Save(form, "learning.png");
    form.PageControl1->setCurrentWidget(form.TabSetup);
    context.Save(form, "learning-setup.png");
}
