// The minute timer and the account cycle: one account after another, each
// checked by its own thread, started through window message 1026.
#include <QTimer>

#include "app/busyanimation.h"
#include "app/marrowbyform.h"
#include "app/receivethreads.h"
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

// The check thread of the current account gets copies of its connection
// values and the client-log folder when "clientlog" is on.
void TMarrowbyForm::WMStartCheck() {
    if (const TPop3AccountItem* account = CheckingAccount())
        StartCheckThread(*account, Handle(), FClientLog ? FClientLogFolder : "", FLimitSize);
}
