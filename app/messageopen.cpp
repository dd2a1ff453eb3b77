// Reading the selected message outside the program: a copy in the Temp
// folder (removed when the program ends) goes to the desktop's program for
// ".eml" or to the editor of the settings. A message with a program, HTML or
// any binary part is opened only after the user says yes.
#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>
#include <cerrno>
#include <cstring>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/viewerparts.h"
#include "filter/filterset.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "ui/widgettext.h"

namespace {

// A copy of a stored message is as private as the message.
constexpr unsigned TempCopyMode = 0600;

const char* WarningText(TOpenWarning warning) {
    switch (warning) {
    case TOpenWarning::Program:
        return apptext::OpenProgram;
    case TOpenWarning::Html:
        return apptext::OpenHtml;
    case TOpenWarning::Binary:
        return apptext::OpenBinary;
    default:
        return nullptr;
    }
}

} // namespace

void TMarrowbyForm::ButtonOpenClick() {
    const TMBXItem* entry = SelectedEntry();
    if (!entry || !AskOpenWarning()) return;
    std::string copy;
    if (MakeTempCopy(*entry, copy)) OpenOnDesktop(copy);
}

void TMarrowbyForm::ButtonEditorClick() {
    const TMBXItem* entry = SelectedEntry();
    if (!entry || FEditor.empty()) return;
    std::string copy;
    if (!MakeTempCopy(*entry, copy)) return;
    QProcess editor;
    editor.setProgram(Cp932ToQString(FEditor));
    editor.setArguments({Cp932ToQString(copy)});
    editor.setWorkingDirectory(Cp932ToQString(FTempFolder));
    if (!editor.startDetached())
        ReportFailure(apptext::EditorStartFailed, FEditor, QStringToCp932(editor.errorString()));
}

// True when no warning applies or the user answers yes.
bool TMarrowbyForm::AskOpenWarning() {
    const char* text =
        WarningText(ChooseOpenWarning(MessageFilters->MessageFiltersAttach, *MultipartMessage1));
    if (!text) return true;
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    QString::fromUtf8(text).replace(QStringLiteral("\r\n"), "\n"),
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

bool TMarrowbyForm::MakeTempCopy(const TMBXItem& entry, std::string& copyPath) {
    const std::string source = entry.GetPath();
    platform::ForceDirectories(FTempFolder);
    copyPath = TMessageBox::MakeMessagePath(FTempFolder, entry.Subject);
    const std::optional<std::string> text = platform::ReadFile(source);
    if (!text) {
        ReportFailure(apptext::TempCopyFailed, source, std::strerror(errno));
        return false;
    }
    if (!platform::WriteFile(copyPath, *text, TempCopyMode)) {
        const std::string reason = std::strerror(errno);
        platform::DeleteFile(copyPath);
        ReportFailure(apptext::TempCopyFailed, copyPath, reason);
        return false;
    }
    return true;
}

bool TMarrowbyForm::OpenOnDesktop(const std::string& path) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(Cp932ToQString(path)))) return true;
    ReportFailure(apptext::DesktopOpenFailed, path, {});
    return false;
}

void TMarrowbyForm::ReportFailure(const char* what, const std::string& path,
                                  const std::string& reason) {
    std::string text = Sjis(what) + "\r\n" + path;
    if (!reason.empty()) text += "\r\n" + reason;
    ReportError(text);
}
