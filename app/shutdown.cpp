// Closing: the question while work is going on, then tray, placement,
// settings and listening; at destruction the temporary message copies go.
#include <QCloseEvent>
#include <QMessageBox>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/shutdown.h"
#include "platform/file.h"
#include "ui/widgettext.h"

std::string CloseQuestionText(TCloseReason reason) {
    std::string text = Sjis(reason == TCloseReason::ClientsConnected ? apptext::CloseClientsBusy
                                                                     : apptext::CloseWorking);
    for (const char* line : apptext::CloseTail)
        text += "\r\n" + Sjis(line);
    return text;
}

std::string TMarrowbyForm::CloseQuestion() const {
    if (ActiveClientCount() > 0) return CloseQuestionText(TCloseReason::ClientsConnected);
    if (CheckingAccount() || ErasingAccount()) return CloseQuestionText(TCloseReason::Working);
    return {};
}

void TMarrowbyForm::Exit1Click() {
    close();
}

void TMarrowbyForm::closeEvent(QCloseEvent* e) {
    if (!FClosing && !FormCloseQuery()) {
        e->ignore();
        return;
    }
    e->accept();
    FormClose();
}

bool TMarrowbyForm::FormCloseQuery() {
    const std::string question = CloseQuestion();
    if (!question.empty()) {
        QString text = Cp932ToQString(question).replace(QStringLiteral("\r\n"), "\n");
        if (QMessageBox::information(this, windowTitle(), text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            return false;
    }
    Shutdown();
    return true;
}

void TMarrowbyForm::Shutdown() {
    if (FClosing) return;
    FClosing = true;
    CloseAccountDialog();
    TrayDelete();
    SavePlacement();
    SaveSettings();
    DeactivateServerSocket();
}

void TMarrowbyForm::FormClose() {
    RestoreAppHooks();
    emit FormClosed();
}

void TMarrowbyForm::CloseWithoutQuestion() {
    if (FClosing) return;
    Shutdown();
    // close() refuses while a close is already asking its question.
    if (!close()) FormClose();
}

void TMarrowbyForm::DeleteTempMessages() {
    const std::string folder = platform::IncludeTrailingSeparator(FTempFolder);
    for (const std::string& name : platform::FindFiles(folder, ".eml"))
        platform::DeleteFile(folder + name);
}
