// The commands of the page "受信ﾒｯｾｰｼﾞ": each button with its handler, and
// the selection of a message and of one of its parts. A new command of the
// list is its button in BuildMessageButtons, one line here and its rule in
// AppIdle.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <utility>

#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"

void TMarrowbyForm::ConnectMessageCommands() {
    const std::pair<QAbstractButton*, void (TMarrowbyForm::*)()> commands[] = {
        {ButtonRecvFolder, &TMarrowbyForm::ButtonRecvFolderClick},
        {ButtonDustFolder, &TMarrowbyForm::ButtonDustFolderClick},
        {ButtonClear, &TMarrowbyForm::ButtonClearClick},
        {ButtonOpen, &TMarrowbyForm::ButtonOpenClick},
        {ButtonEditor, &TMarrowbyForm::ButtonEditorClick},
        {ButtonDelete, &TMarrowbyForm::ButtonDeleteClick},
        {ButtonLearnSpam, &TMarrowbyForm::ButtonLearnSpamClick},
        {ButtonLearnHam, &TMarrowbyForm::ButtonLearnHamClick},
        {ButtonCopyIP, &TMarrowbyForm::ButtonCopyIPClick},
        {ButtonCopyHost, &TMarrowbyForm::ButtonCopyHostClick},
        {ButtonSave, &TMarrowbyForm::ButtonSaveClick},
        {ButtonFolder, &TMarrowbyForm::ButtonFolderClick},
        {SpeedButton1, &TMarrowbyForm::SpeedButton1Click},
    };
    for (const auto& [button, handler] : commands)
        connect(button, &QAbstractButton::clicked, this, handler);
    connect(ActionLearnSpam, &QAction::triggered, this, &TMarrowbyForm::ButtonLearnSpamClick);
    connect(ActionLearnHam, &QAction::triggered, this, &TMarrowbyForm::ButtonLearnHamClick);
    connect(LVMessages, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (!LVMessages->indexAt(at).isValid()) return;
        LVMessages->setCurrentIndex(LVMessages->indexAt(at));
        AppIdle();
        PopupMenuMessages->popup(LVMessages->viewport()->mapToGlobal(at));
    });

    connect(LVMessages->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                if (!selected.isEmpty()) LVMessagesSelectItem(selected.indexes().front().row());
            });
    connect(TVMultipart, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TVMultipartChange(current); });
}

TMBXItem* TMarrowbyForm::SelectedEntry() const {
    return MessageSelected() ? MessageList()->Entry(LVMessages->currentIndex().row()) : nullptr;
}
