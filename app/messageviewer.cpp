// The viewer of the page "受信ﾒｯｾｰｼﾞ": a selected row's file is parsed into
// MultipartMessage1 and shown on every page: the information, the route,
// the recipients, the part tree and the chosen part. Nothing here writes to
// a mailbox or a message file.
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "app/listimages.h"
#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "app/viewerparts.h"
#include "filter/filterset.h"
#include "message/multipartmessage.h"
#include "store/mbxitem.h"
#include "ui/widgettext.h"

namespace {

// Read-only edits show the start of a long text, not its end.
void SetEditText(QLineEdit* edit, std::string_view text) {
    edit->setText(Cp932ToQString(text));
    edit->setCursorPosition(0);
}

// Every value of the part's headers of that name, decoded but not unfolded,
// one value per line.
QString HeaderLines(TMultipartItem& part, const char* name) {
    part.FreeResult();
    part.Select(name);
    part.DecodeResult(false);
    QStringList lines;
    for (const std::string& value : part.Results.Strings)
        lines << Cp932ToQString(value).trimmed();
    part.FreeResult();
    return lines.join('\n');
}

TMultipartItem* PartOf(const QTreeWidgetItem* node) {
    return node ? reinterpret_cast<TMultipartItem*>(node->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

} // namespace

void TMarrowbyForm::LVMessagesSelectItem(int row) {
    const TMBXItem* entry = MessageList()->Entry(row);
    if (!entry) return;
    // The nodes refer to the parts of the message about to be replaced.
    ClearViewer();
    if (MultipartMessage1->LoadFromFile(entry->GetPath())) ShowSelectedMessage();
}

void TMarrowbyForm::ClearViewer() {
    const QSignalBlocker blocker(TVMultipart);
    TVMultipart->clear();
    LVReceived->clear();
    for (QLineEdit* edit : {EditSubject, EditSender, EditDate, EditRecvDate, EditMime, EditAttach})
        edit->clear();
    for (QPlainTextEdit* memo : {MemoBody, MemoHeader, MemoTo, MemoCc})
        memo->clear();
}

void TMarrowbyForm::ShowSelectedMessage() {
    TMultipartMessage& message = *MultipartMessage1;
    TMultipartItem& root = message.GetRoot();
    SetEditText(EditSubject, message.Subject);
    SetEditText(EditSender, message.From);
    SetEditText(EditDate, ViewerDateText(message.SentDate));
    MemoTo->setPlainText(HeaderLines(root, "To"));
    MemoCc->setPlainText(HeaderLines(root, "Cc"));
    EditRecvDate->clear();
    if (message.GetCountReceived() > 0)
        SetEditText(EditRecvDate, ViewerDateText(message.GetReceived(0).Date));

    LVReceived->clear();
    QList<QTreeWidgetItem*> hops;
    for (int i = 0; i < message.GetCountReceived(); ++i) {
        const TReceivedItem& hop = message.GetReceived(i);
        hops << new QTreeWidgetItem(
            QStringList{Cp932ToQString(hop.Address), Cp932ToQString(hop.ComputerName),
                        Cp932ToQString(hop.Host), Cp932ToQString(ViewerDateText(hop.Date))});
    }
    LVReceived->addTopLevelItems(hops);

    const QSignalBlocker blocker(TVMultipart);
    TVMultipart->clear();
    QTreeWidgetItem* top = AddPartNode(&root, nullptr);
    TVMultipart->expandAll();
    // The root is the part on show, so it is the chosen node too.
    TVMultipart->setCurrentItem(top);
    ShowPart(root);
}

QTreeWidgetItem* TMarrowbyForm::AddPartNode(TMultipartItem* part, QTreeWidgetItem* parent) {
    auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(TVMultipart);
    node->setText(0, Cp932ToQString(part->MimeType));
    node->setIcon(0, ListImage(PartImageIndex(*part, MessageFilters->MessageFiltersAttach)));
    node->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(part)));
    for (int i = 0; i < part->GetCount(); ++i)
        AddPartNode(part->GetParts(i), node);
    return node;
}

void TMarrowbyForm::TVMultipartChange(QTreeWidgetItem* node) {
    if (const TMultipartItem* part = PartOf(node)) ShowPart(*part);
}

TMultipartItem* TMarrowbyForm::SelectedPart() const {
    const QTreeWidgetItem* node = TVMultipart->currentItem();
    return node && node->isSelected() ? PartOf(node) : nullptr;
}

void TMarrowbyForm::ShowPart(const TMultipartItem& part) {
    MemoBody->setPlainText(Cp932ToQString(part.Body));
    MemoHeader->setPlainText(Cp932ToQString(part.Header));
    SetEditText(EditMime, part.MimeType);
    SetEditText(EditAttach, part.FileName);
}

void TMarrowbyForm::ButtonCopyIPClick() {
    CopyReceivedColumn(0);
}

void TMarrowbyForm::ButtonCopyHostClick() {
    CopyReceivedColumn(2);
}

void TMarrowbyForm::CopyReceivedColumn(int column) {
    const QTreeWidgetItem* hop = LVReceived->currentItem();
    if (hop && hop->isSelected()) QGuiApplication::clipboard()->setText(hop->text(column));
}
