// Events of the mail check thread (message 2049) and the mail erase thread
// (message 2051), handled by the receive coordinator on the window's data,
// and the start of an erase thread by the delete command.
#include <QPointer>

#include "app/marrowbyform.h"
#include "app/receivecoordinator.h"
#include "app/receivethreads.h"
#include "app/sessionpassword.h"
#include "filter/filterset.h"
#include "filter/filterverdict.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"

// The window's data and reactions as the coordinator sees them.
class TFormReceiveHost final : public TReceiveHost {
public:
    explicit TFormReceiveHost(TMarrowbyForm& form) : F(form) {}

    TPop3AccountItem* CheckingAccount() override { return F.CheckingAccount(); }
    TPop3AccountItem* ErasingAccount() override { return F.ErasingAccount(); }
    TMessageBox& DustBox() override { return *F.DustBox1; }
    int LimitSize() override { return F.FLimitSize; }
    bool FilterMessage(std::string& comment, TMultipartMessage& message) override {
        return F.FilterMessage(comment, message);
    }
    void LogAppend(const std::string& line) override { F.LogAppend(line); }
    // A list that shows this kind of mailbox gets the new row at the top.
    void MessageStored(TMessageBox& box, TMBXItem& entry) override {
        const bool trash = &box == F.DustBox1.get();
        if ((F.FListMode == 2 && trash) || (F.FListMode == 1 && !trash)) F.InsertMessageRow(&entry);
    }
    void MessageCounted(bool rejected) override {
        ++(rejected ? F.FDeletedCount : F.FReceivedCount);
    }
    void OversizeCounted() override { ++F.FOversizeCount; }
    void CheckSessionEnded() override { F.NextAccount(); }
    void EraseSessionEnded() override { F.FEraseIndex = -1; }

private:
    TMarrowbyForm& F;
};

bool TMarrowbyForm::FilterMessage(std::string& comment, TMultipartMessage& message) {
    TVerdictBudget budget;
    const bool reject = FilterVerdict(*MessageFilters, FPrecheckAttach, comment, &message, &budget,
                                      LearnFilter1.get());
    if (budget.Spent) LogAppend(VerdictTimeoutLine(budget.RanOut));
    ReportLearning(false);
    return reject;
}

void TMarrowbyForm::CreateReceiveCoordinator() {
    FReceiveHost = std::make_unique<TFormReceiveHost>(*this);
    FReceive = std::make_unique<TReceiveCoordinator>(*FReceiveHost, *FStatusLinePattern);
}

void TMarrowbyForm::WMCheckEvent(std::intptr_t code, std::vector<unsigned char> data) {
    platform::TMessage message{WM_CHECKEVENT, code, std::move(data)};
    FReceive->WMCheckEvent(message, Handle());
}

void TMarrowbyForm::WMEraseEvent(std::intptr_t code, std::vector<unsigned char> data) {
    platform::TMessage message{WM_ERASEEVENT, code, std::move(data)};
    FReceive->WMEraseEvent(message, Handle());
}

void TMarrowbyForm::EraseOnServer(int accountIndex, TMBXItem& entry) {
    const TPop3AccountItem* account = AccountAt(accountIndex);
    if (!account || entry.ServerUID.empty()) return;
    FEraseIndex = accountIndex;
    QPointer<TMarrowbyForm> self(this);
    ReadSessionPassword(
        SecretStore(), *account,
        [self, accountIndex, uid = entry.ServerUID](const TSessionPassword& answer) {
            if (!self || self->FEraseIndex != accountIndex) return;
            const TPop3AccountItem* erasing = self->ErasingAccount();
            if (erasing && answer.Password) {
                StartEraseThread(*erasing, *answer.Password, self->Handle(), uid,
                                 self->FClientLog ? self->FClientLogFolder : "");
                return;
            }
            if (erasing) self->LogAppend(">ERROR:" + erasing->Name + ": " + answer.Error);
            self->FEraseIndex = -1;
        });
    entry.ServerUID.clear();
}
