// The account list, the trash and the filter lists: loaded at the first
// display, saved at shutdown and around the account dialog.
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/marrowbyform.h"
#include "filter/filterset.h"
#include "platform/text.h"
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
