// The list's delete and clear commands. A deleted inbox message moves to the
// trash; one still kept on its server is deleted there by an erase thread.
// The changed indexes are written at once, so a crash never leaves an index
// entry whose file has moved or gone.
#include <QTreeView>
#include <algorithm>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "store/localuser.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "ui/widgettext.h"

void TMarrowbyForm::ButtonDeleteClick() {
    if (!MessageSelected()) return;
    TMessageListModel* rows = MessageList();
    const int row = LVMessages->currentIndex().row();
    TMBXItem* entry = rows->Entry(row);
    if (!entry) return;
    if (FListMode == 2) {
        rows->Remove(row);
        DustBox1->Remove(entry);
        SaveMailboxes(nullptr);
    } else if (FListMode == 1) {
        const int index =
            entry->Parent ? FindAccountByLocalUser(*Pop3AccountList1, entry->Parent->Caption) : -1;
        TPop3AccountItem* account = AccountAt(index);
        if (!account || account->IsLocked()) return;
        // One erase thread at a time: the button is off while one runs.
        if (!entry->ServerUID.empty() && ErasingAccount()) return;
        std::string error;
        if (!entry->SetParent(DustBox1.get(), &error)) {
            ReportError(Sjis(apptext::MoveToTrashFailed) + error);
            return;
        }
        if (!entry->ServerUID.empty()) EraseOnServer(index, *entry);
        rows->Remove(row);
        SaveMailboxes(&account->Mailbox);
    } else {
        return;
    }
    const int next = std::min(row, rows->rowCount() - 1);
    if (next >= 0) LVMessages->setCurrentIndex(rows->index(next, 0));
}

void TMarrowbyForm::ButtonClearClick() {
    if (FListMode == 2) MessageList()->Clear();
    DustBox1->Clear();
    SaveMailboxes(nullptr);
    if (FListMode == 2) ShowMailbox(2);
}

void TMarrowbyForm::SaveMailboxes(const TMessageBox* inbox) {
    std::string error;
    if (inbox && !inbox->Save(&error)) ReportError(error);
    error.clear();
    if (!DustBox1->Save(&error)) ReportError(error);
}
