// The account list, the trash and the filter lists: loaded at the first
// display, saved at shutdown and around the account dialog.
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/receiveevent.h"
#include "filter/filterset.h"
#include "platform/text.h"
#include "store/mailboxrecovery.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "ui/widgettext.h"

int TMarrowbyForm::AccountCount() const {
    return Pop3AccountList1->GetCount();
}

TPop3AccountItem* TMarrowbyForm::AccountAt(int index) const {
    if (index < 0 || index >= AccountCount()) return nullptr;
    return Pop3AccountList1->GetAccounts(index);
}

void TMarrowbyForm::LoadAccounts() {
    Pop3AccountList1->Load();
}

namespace {

std::string Counted(const char* utf8, int count) {
    std::string text = Sjis(utf8);
    text.replace(text.find("%d"), 2, std::to_string(count));
    return text;
}

std::string RecoveryLine(const TRecoveryReport& r) {
    std::string line = Sjis(apptext::RecoveredHead);
    line.replace(line.find("%s"), 2, LogText(r.Caption));
    const std::pair<const char*, int> counts[] = {{apptext::RecoveredAdded, r.Added},
                                                  {apptext::RecoveredCompleted, r.Completed},
                                                  {apptext::RecoveredDropped, r.Dropped},
                                                  {apptext::RecoveredTemp, r.TempRemoved},
                                                  {apptext::RecoveredRemembered, r.Remembered}};
    for (const auto& [text, count] : counts)
        if (count) line += Counted(text, count);
    return line;
}

} // namespace

// After a crash the folders and indexes are made to agree before any mail
// is fetched or served; the log tells what was recovered.
void TMarrowbyForm::RecoverStores() {
    for (const TRecoveryReport& report : ::RecoverStores(*Pop3AccountList1, *DustBox1)) {
        LogAppend(RecoveryLine(report));
        for (const std::string& name : report.Skipped) {
            std::string line = Sjis(apptext::RecoveredSkipped);
            LogAppend(line.replace(line.find("%s"), 2, LogText(name)));
        }
        for (const std::string& error : report.Errors)
            LogAppend(">ERROR:" + LogText(error));
    }
}

// Nothing is lost when a file cannot be written: the old one stays, and
// the user is told which and why.
bool TMarrowbyForm::SaveAccounts() {
    std::string error;
    const bool saved = Pop3AccountList1->Save(&error);
    if (!saved) ReportError(error);
    SaveMailboxes(nullptr);
    return saved;
}

void TMarrowbyForm::ReportError(const std::string& text) {
    const std::string utf8 = platform::Cp932ToUtf8(text);
    std::fprintf(stderr, "marrowby: %s\n", utf8.c_str());
    std::fflush(stderr);
    if (!FOptions.Headless)
        QMessageBox::critical(this, windowTitle(),
                              Cp932ToQString(text).replace(QStringLiteral("\r\n"), "\n"));
}

// Rule lines that cannot be read are skipped; the user learns which, once
// the window is up.
void TMarrowbyForm::LoadFilters() {
    std::string skipped;
    for (const TRuleLineError& error : MessageFilters->Load())
        skipped += (skipped.empty() ? "" : "\r\n") + FormatRuleLineError(error);
    if (!skipped.empty()) QTimer::singleShot(0, this, [this, skipped] { ReportError(skipped); });
}
