// The browse button beside the editor setting: a file dialog picks the
// program. The setting itself changes when the settings page is saved.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

#include "app/marrowbyform.h"

namespace {

// Programs on Linux have no ".exe": the first filter shows every file, the
// second only those the user may run.
const char* const AllFilesFilter = "すべてのﾌｧｲﾙ (*)";
const char* const ProgramsFilter = "実行ﾌｧｲﾙ (*)";

// The program named by the setting's text: a bare name is looked up on PATH.
QFileInfo EditorFile(const QString& text) {
    if (text.isEmpty() || text.contains('/')) return QFileInfo(text);
    const QString found = QStandardPaths::findExecutable(text);
    return QFileInfo(found.isEmpty() ? text : found);
}

} // namespace

void TMarrowbyForm::SpeedButton1Click() {
    QFileDialog dialog(this, QString::fromUtf8("ｴﾃﾞｨﾀ"));
    dialog.setObjectName("OpenDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QString::fromUtf8(AllFilesFilter), QString::fromUtf8(ProgramsFilter)});
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        QDir::Filters shown = QDir::AllDirs | QDir::Files | QDir::NoDot;
        if (filter == QString::fromUtf8(ProgramsFilter)) shown |= QDir::Executable;
        dialog.setFilter(shown);
    });
    const QFileInfo editor = EditorFile(EditEditor->text());
    if (!EditEditor->text().isEmpty()) {
        dialog.setDirectory(editor.absolutePath());
        dialog.selectFile(editor.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    EditEditor->setText(dialog.selectedFiles().front());
    EditEditor->setModified(true);
}
