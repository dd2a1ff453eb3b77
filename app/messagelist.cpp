// The message list shows the entries of every inbox (mode 1) or of the trash
// (mode 2). Its model refers to the mailboxes' entries and makes the texts
// only for the rows on screen; sorting reorders references.
#include <QHeaderView>
#include <QTreeView>

#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "app/messagesorter.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "ui/widgetmaker.h"

QTreeView* TMarrowbyForm::BuildMessageList(QWidget* parent) {
    auto* list = Named(new QTreeView(parent), "LVMessages");
    list->setModel(new TMessageListModel(list));
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column = 0; column < TMessageListModel::ColumnCount; ++column)
        list->setColumnWidth(column, TMessageListModel::ColumnWidth(column));
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(true);
    connect(list->header(), &QHeaderView::sectionClicked, this,
            &TMarrowbyForm::LVMessagesColumnClick);
    return list;
}

TMessageListModel* TMarrowbyForm::MessageList() const {
    return static_cast<TMessageListModel*>(LVMessages->model());
}

void TMarrowbyForm::ShowMailbox(int mode) {
    FListMode = static_cast<std::uint8_t>(mode);
    LVMessages->setUpdatesEnabled(false);
    TMessageListModel* rows = MessageList();
    rows->Clear();
    if (mode == 2) {
        rows->AppendMailbox(*DustBox1);
    } else if (mode == 1) {
        for (int i = 0; i < AccountCount(); ++i)
            rows->AppendMailbox(AccountAt(i)->Mailbox);
    }
    SortMessages();
    LVMessages->setUpdatesEnabled(true);
}

void TMarrowbyForm::LVMessagesColumnClick(int index) {
    SortByColumn(index);
}

// The same column again reverses the order; a new column starts descending.
void TMarrowbyForm::SortByColumn(int index) {
    FDescend = index == FSortTarget ? !FDescend : true;
    FSortTarget = static_cast<std::uint8_t>(index);
    SortMessages();
}

void TMarrowbyForm::SortMessages() {
    MessageList()->Sort(TMessageSorter(FSortTarget, FDescend, *Pop3AccountList1));
    LVMessages->header()->setSortIndicator(FSortTarget,
                                           FDescend ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TMarrowbyForm::InsertMessageRow(TMBXItem* entry) {
    MessageList()->Insert(0, entry);
}

void TMarrowbyForm::ButtonRecvFolderClick() {
    ShowMailbox(1);
}

void TMarrowbyForm::ButtonDustFolderClick() {
    ShowMailbox(2);
}

// Every index is rebuilt from its folder's message files: the trash first,
// then the inboxes in account order. The rows go first, since the entries
// they refer to are freed; the indexes are written at shutdown.
void TMarrowbyForm::ButtonRestructClick() {
    MessageList()->Clear();
    DustBox1->Restruct();
    for (int i = 0; i < AccountCount(); ++i)
        AccountAt(i)->Mailbox.Restruct();
    ShowMailbox(FListMode);
}
