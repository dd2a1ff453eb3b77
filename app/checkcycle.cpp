// The minute timer and the account cycle: one account after another, each
// checked by its own thread, started through window message 1026.
#include <QPointer>
#include <QTimer>

#include "app/busyanimation.h"
#include "app/marrowbyform.h"
#include "app/receivethreads.h"
#include "app/sessionpassword.h"
#include "secret/keychainstore.h"
#include "store/pop3accountlist.h"

void TMarrowbyForm::Timer1Timer() {
    if (FDialogOpen || FBusy || !FCheckEnable || FCheckSpan <= 0) return;
    ++FMinuteCount;
    if (FMinuteCount >= FCheckSpan) StartCheck();
}

void TMarrowbyForm::ButtonExecClick() {
    // The button is disabled during a cycle; the tray menu and the signal
    // SIGUSR1 must not restart a running cycle either, nor start one while
    // the account dialog edits the accounts on file.
    if (CheckingAccount() || AccountDialogOpen()) return;
    StartCheck();
}

void TMarrowbyForm::StartCheck() {
    FReceivedCount = 0;
    FDeletedCount = 0;
    FOversizeCount = 0;
    FMinuteCount = 0;
    FCheckIndex = -1;
    NextAccount();
}

bool TMarrowbyForm::NextAccount() {
    if (!CheckingAccount()) {
        LogClear();
        LogTime();
        Animate1->SetActive(true);
    }
    for (;;) {
        ++FCheckIndex;
        if (!AccountAt(FCheckIndex)) break;
        const TPop3AccountItem& account = *AccountAt(FCheckIndex);
        if (account.Host.empty() || account.Host[0] != '#') break;
        LogAppend("== SKIP " + account.Name + " " + std::string(20, '='));
    }
    if (CheckingAccount()) {
        PostWindowMessage(WM_STARTCHECK);
        return true;
    }
    Animate1->SetActive(false);
    LogTime();
    LogFlush();
    LogEchoFlush(); // the cycle's log is whole on standard output when it ends
    if (FReceivedCount > 0 || FOversizeCount > 0)
        TraySetReceived(FReceivedCount, FDeletedCount, FOversizeCount);
    return false;
}

TSecretStore& TMarrowbyForm::SecretStore() {
    if (!FSecretStore) FSecretStore = std::make_unique<TKeychainStore>();
    return *FSecretStore;
}

void TMarrowbyForm::SetSecretStore(std::unique_ptr<TSecretStore> store) {
    FSecretStore = std::move(store);
}

// The check thread of the current account gets copies of its connection
// values, its password and the client-log folder when "clientlog" is on.
// The secret store may answer later: the answer counts only for the account
// that is still being checked.
void TMarrowbyForm::WMStartCheck() {
    const TPop3AccountItem* account = CheckingAccount();
    if (!account) return;
    QPointer<TMarrowbyForm> self(this);
    ReadSessionPassword(SecretStore(), *account,
                        [self, index = FCheckIndex](const TSessionPassword& answer) {
                            if (self) self->StartCheckSession(index, answer);
                        });
}

void TMarrowbyForm::StartCheckSession(int index, const TSessionPassword& answer) {
    const TPop3AccountItem* account = CheckingAccount();
    if (!account || index != FCheckIndex) return;
    if (answer.Password) {
        StartCheckThread(*account, *answer.Password, Handle(), FClientLog ? FClientLogFolder : "",
                         FLimitSize);
        return;
    }
    LogAppend("== BEG " + account->Name + " " + std::string(20, '='));
    LogAppend(">ERROR:" + account->Name + ": " + answer.Error);
    LogAppend("== END " + account->Name + " " + std::string(20, '='));
    NextAccount();
}
