// The filter and account dialogs, shown modally from the settings page.
// While one is open the timer starts no cycle.
#include <QMessageBox>

#include "app/marrowbyform.h"
#include "store/pop3accountlist.h"
#include "ui/marrowaccountform.h"
#include "ui/marrowfilterform.h"
#include "ui/widgettext.h"

namespace {

// The account a local POP3 session holds, or none.
const TPop3AccountItem* LockedAccount(const TPop3AccountList& list) {
    for (int i = 0; i < list.GetCount(); ++i)
        if (list.GetAccounts(i)->IsLocked()) return list.GetAccounts(i);
    return nullptr;
}

} // namespace

void TMarrowbyForm::ButtonFilterClick() {
    if (!FFilterForm) return;
    FDialogOpen = true;
    if (FFilterForm->exec() == TMarrowFilterForm::ResultOK) LoadFilters();
    FDialogOpen = false;
}

// The dialog edits the accounts on file and the window reloads them after,
// which would drop a session's lock and leave a renamed or deleted account
// under it; so it waits until no mail client holds an account, and logins
// are refused while it is open. Nor may it open during a cycle or an erase,
// whose threads refer to accounts by their place in the list.
void TMarrowbyForm::ButtonAccountClick() {
    if (!FAccountForm || FCheckIndex < AccountCount() || ErasingAccount()) return;
    if (const TPop3AccountItem* held = LockedAccount(*Pop3AccountList1)) {
        if (!FOptions.Headless)
            QMessageBox::information(
                this, windowTitle(),
                QString::fromUtf8("ﾒｰﾙｿﾌﾄが「") + Cp932ToQString(held->Name) +
                    QString::fromUtf8("」の受信箱を読んでいるため、ｱｶｳﾝﾄ登録を開けません\n"
                                      "受信が終わってから、もう一度お試しください"));
        return;
    }
    FDialogOpen = true;
    if (SaveAccounts()) {
        FAccountForm->exec();
        LoadAccounts();
        FCheckIndex = AccountCount();
        ShowMailbox(1);
    }
    FDialogOpen = false;
}

bool TMarrowbyForm::AccountDialogOpen() const {
    return FAccountForm && FAccountForm->isVisible();
}

void TMarrowbyForm::CloseAccountDialog() {
    if (!AccountDialogOpen()) return;
    FAccountForm->done(TMarrowAccountForm::ResultClose);
    LoadAccounts();
}
