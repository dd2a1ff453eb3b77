// Saving the chosen part of the message in the viewer: binary and message
// parts as their decoded bytes, the others as their text. The save folder
// follows the last successful save; the folder button shows it on the desktop.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/viewerparts.h"
#include "message/multipartitem.h"
#include "platform/file.h"
#include "ui/widgettext.h"

namespace {

// On Linux "*" is every file; "*.*" would leave out names without a dot.
const char* const SaveFilters[] = {
    "すべてのﾌｧｲﾙ (*)", "GIF (*.gif)",      "JPG (*.jpg)",       "PNG (*.png)",
    "ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)", "ﾃｷｽﾄﾌｧｲﾙ (*.txt)", "HTMLﾌｧｲﾙ (*.html)", "HTMLﾌｧｲﾙ (*.htm)",
};

QStringList Filters() {
    QStringList filters;
    for (const char* filter : SaveFilters)
        filters << QString::fromUtf8(filter);
    return filters;
}

} // namespace

// The file the user picks for the part, or an empty text. The dialog is gone
// before anything is written.
QString TMarrowbyForm::AskSavePath(const TMultipartItem& part) {
    QFileDialog dialog(this);
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(Filters());
    dialog.setDirectory(Cp932ToQString(FSaveFolder));
    dialog.selectFile(Cp932ToQString(ProposedSaveName(part)));
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

void TMarrowbyForm::ButtonSaveClick() {
    const TMultipartItem* part = SelectedPart();
    if (!part) return;
    const QString path = AskSavePath(*part);
    if (!path.isEmpty() && SavePart(*part, path))
        FSaveFolder =
            platform::IncludeTrailingSeparator(QStringToCp932(QFileInfo(path).absolutePath()));
}

// The file is replaced only once all of it is written, so a failed save
// leaves an existing file as it was.
bool TMarrowbyForm::SavePart(const TMultipartItem& part, const QString& path) {
    const std::string_view content = SavedContent(part);
    QSaveFile file(path);
    const bool saved = file.open(QIODevice::WriteOnly) &&
                       file.write(content.data(), static_cast<qint64>(content.size())) ==
                           static_cast<qint64>(content.size()) &&
                       file.commit();
    if (!saved)
        ReportFailure(apptext::SaveFailed, QStringToCp932(path),
                      QStringToCp932(file.errorString()));
    return saved;
}

void TMarrowbyForm::ButtonFolderClick() {
    if (!FSaveFolder.empty()) OpenOnDesktop(FSaveFolder);
}
