// The list's two learning commands. "迷惑ﾒｰﾙとして学習" learns the selected
// message as spam and, from an inbox, moves it to the trash as the delete
// command does; "迷惑ﾒｰﾙではない" learns it as ham and, from the trash, moves it
// back to the inbox of the account it came from, keeping its file. Learning a
// message again as the other class moves its counts.
#include <QTreeView>
#include <algorithm>
#include <optional>

#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "learn/learnfilter.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "store/uidname.h"
#include "ui/widgettext.h"

void TMarrowbyForm::ButtonLearnSpamClick() {
    LearnSelected(true);
}

void TMarrowbyForm::ButtonLearnHamClick() {
    LearnSelected(false);
}

void TMarrowbyForm::LearnSelected(bool spam) {
    if (!MessageSelected()) return;
    const int row = LVMessages->currentIndex().row();
    TMBXItem* entry = MessageList()->Entry(row);
    if (!entry) return;
    const std::string path = entry->GetPath();
    std::optional<std::string> text = platform::ReadFile(path);
    if (!text) {
        ReportError(Sjis("ﾒｯｾｰｼﾞﾌｧｲﾙを読めません: ") + path);
        return;
    }
    const TLearnResult result = LearnFilter1->Learn(*text, spam);
    ReportLearning(false);
    if (result == TLearnResult::Failed) {
        ReportError(Sjis("学習できませんでした: ") + entry->Subject);
        return;
    }
    LogAppend(Sjis(spam ? "迷惑ﾒｰﾙとして学習しました: " : "迷惑ﾒｰﾙではないと学習しました: ") +
              entry->Subject);
    ShowLearnCounts();
    if (spam && FListMode == 1) {
        // The delete command's move: refused while a mail client holds the
        // account or an erase on the server runs.
        ButtonDeleteClick();
        if (entry->Parent != DustBox1.get())
            LogAppend(Sjis("ごみ箱へ移せないため、受信箱に残しました: ") + entry->Subject);
    } else if (!spam && FListMode == 2) {
        RestoreToInbox(row, *entry);
    }
}

// The account is the one the message was stored for, which its UID names.
void TMarrowbyForm::RestoreToInbox(int row, TMBXItem& entry) {
    const std::string name = UIDName(entry.UID);
    TPop3AccountItem* account = AccountAt(Pop3AccountList1->IndexOf(name));
    if (!account) {
        ReportError(Sjis("受信したｱｶｳﾝﾄが見つからないため、ごみ箱に残します: ") + name);
        return;
    }
    if (account->IsLocked()) {
        ReportError(Sjis("ﾒｰﾙｿﾌﾄが受信中のため、ごみ箱に残します: ") + name);
        return;
    }
    // The store moves the file first; when that fails the entry stays here.
    std::string error;
    if (!entry.SetParent(&account->Mailbox, &error)) {
        ReportError(Sjis("受信箱へ戻せませんでした: ") + error);
        return;
    }
    TMessageListModel* rows = MessageList();
    rows->Remove(row);
    SaveMailboxes(&account->Mailbox);
    const int next = std::min(row, rows->rowCount() - 1);
    if (next >= 0) LVMessages->setCurrentIndex(rows->index(next, 0));
}
