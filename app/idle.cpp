// The idle hook (whenever the event loop has nothing left to do) keeps the
// controls' states in step; the minimize hook sends the window to the tray.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "app/marrowbyform.h"
#include "learn/learnfilter.h"
#include "ui/ddx.h"

namespace {

void SetBold(QWidget* widget, bool bold) {
    if (widget->font().bold() == bold) return; // unchanged: no repaint, no new events
    QFont font = widget->font();
    font.setBold(bold);
    widget->setFont(font);
}

bool HasSelection(const QAbstractItemView* list) {
    const QModelIndex current = list->currentIndex();
    return current.isValid() && list->selectionModel()->isSelected(current);
}

// A row of the list is selected and has a text in that column.
bool SelectedTextIn(const QTreeWidget* list, int column) {
    return HasSelection(list) && !list->currentItem()->text(column).isEmpty();
}

} // namespace

void TMarrowbyForm::InstallAppHooks() {
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        FIdleHook = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                            &TMarrowbyForm::AppIdle);
    FMinimizeHook = true;
}

void TMarrowbyForm::RestoreAppHooks() {
    disconnect(FIdleHook);
    FMinimizeHook = false;
}

bool TMarrowbyForm::MessageSelected() const {
    return HasSelection(LVMessages);
}

void TMarrowbyForm::AppIdle() {
    const bool checking = CheckingAccount() != nullptr;
    const bool erasing = ErasingAccount() != nullptr;
    FBusy = checking || erasing;
    const bool selected = MessageSelected();
    ButtonExec->setEnabled(!checking);
    Receive1->setEnabled(!checking);
    SetBold(ButtonRecvFolder, FListMode == 1);
    SetBold(ButtonDustFolder, FListMode == 2);
    ButtonClear->setEnabled(FListMode == 2);
    ButtonOpen->setEnabled(selected);
    ButtonEditor->setEnabled(selected && !FEditor.empty());
    ButtonDelete->setEnabled(selected && !erasing);
    const bool learning = selected && LearnFilter1->IsOpen();
    for (QPushButton* command : {ButtonLearnSpam, ButtonLearnHam})
        command->setEnabled(learning);
    ActionLearnSpam->setEnabled(learning);
    ActionLearnHam->setEnabled(learning);
    ButtonSaveSetup->setEnabled(DDX1->GetModified());
    ButtonFilter->setEnabled(!FBusy);
    ButtonAccount->setEnabled(!FBusy);
    ButtonRestruct->setEnabled(!FBusy);
    ButtonCopyIP->setEnabled(SelectedTextIn(LVReceived, 0));
    ButtonCopyHost->setEnabled(SelectedTextIn(LVReceived, 2));
    ButtonSave->setEnabled(HasSelection(TVMultipart));
    ButtonFolder->setEnabled(!FSaveFolder.empty());
}

void TMarrowbyForm::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && FMinimizeHook && isMinimized()) AppMinimize();
}

// A minimized program lives only in the tray. Without a tray it stays
// minimized where the desktop shows it, or it could never come back.
void TMarrowbyForm::AppMinimize() {
    if (FTrayIcon) QTimer::singleShot(0, this, &QWidget::hide);
}
