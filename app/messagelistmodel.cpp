#include "app/messagelistmodel.h"

#include <QStringList>
#include <algorithm>

#include "app/listimages.h"
#include "store/messagebox.h"
#include "ui/widgettext.h"

namespace {

struct TColumnLook {
    const char* Caption;
    int Width;
};

constexpr TColumnLook kColumns[TMessageListModel::ColumnCount] = {
    {"件名", 200},   {"ｻｲｽﾞ", 70}, {"受信日時", 120}, {"ｱｶｳﾝﾄ", 100},
    {"ﾌｧｲﾙ名", 200}, {"UID", 120}, {"ｺﾒﾝﾄ", 200},
};

QVariant Alignment(int column) {
    return column == TMessageListModel::ColSize ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

TMessageListModel::TMessageListModel(QObject* parent) : QAbstractTableModel(parent) {}

int TMessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TMessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

std::string TMessageListModel::ColumnText(const TMBXItem& entry, int column) {
    switch (column) {
    case ColSubject:
        return entry.Subject;
    case ColSize:
        return std::to_string(entry.Size);
    case ColRecvDate:
        return DateTimeToStr(entry.RecvDate);
    case ColAccount:
        return entry.Parent ? entry.Parent->Caption : std::string();
    case ColFileName:
        return entry.GetPath();
    case ColUID:
        return entry.UID;
    case ColComment:
        return entry.Comment;
    default:
        return {};
    }
}

int TMessageListModel::ColumnWidth(int column) {
    return column >= 0 && column < ColumnCount ? kColumns[column].Width : 0;
}

QVariant TMessageListModel::data(const QModelIndex& index, int role) const {
    const TMBXItem* entry = index.isValid() ? Entry(index.row()) : nullptr;
    if (!entry) return {};
    switch (role) {
    case Qt::DisplayRole:
        return Cp932ToQString(ColumnText(*entry, index.column()));
    case Qt::DecorationRole:
        if (index.column() != ColSubject) return {};
        return ListImage(RowImageIndex(entry->Kind, entry->MimeType));
    case Qt::TextAlignmentRole:
        return Alignment(index.column());
    default:
        return {};
    }
}

QVariant TMessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromUtf8(kColumns[section].Caption);
    if (role == Qt::TextAlignmentRole) return Alignment(section);
    return {};
}

TMBXItem* TMessageListModel::Entry(int row) const {
    return row >= 0 && row < rowCount() ? FRows[static_cast<std::size_t>(row)] : nullptr;
}

int TMessageListModel::RowOf(const TMBXItem* entry) const {
    auto found = std::find(FRows.begin(), FRows.end(), entry);
    return found == FRows.end() ? -1 : static_cast<int>(found - FRows.begin());
}

void TMessageListModel::Clear() {
    beginResetModel();
    FRows.clear();
    endResetModel();
}

void TMessageListModel::AppendMailbox(const TMessageBox& box) {
    if (box.GetCount() == 0) return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + box.GetCount() - 1);
    FRows.reserve(FRows.size() + static_cast<std::size_t>(box.GetCount()));
    for (int i = 0; i < box.GetCount(); ++i)
        FRows.push_back(box.GetMessages(i));
    endInsertRows();
}

void TMessageListModel::Insert(int row, TMBXItem* entry) {
    row = std::clamp(row, 0, rowCount());
    beginInsertRows(QModelIndex(), row, row);
    FRows.insert(FRows.begin() + row, entry);
    endInsertRows();
}

void TMessageListModel::Fill(int row, TMBXItem* entry) {
    if (row < 0 || row >= rowCount()) return;
    FRows[static_cast<std::size_t>(row)] = entry;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void TMessageListModel::Remove(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows(QModelIndex(), row, row);
    FRows.erase(FRows.begin() + row);
    endRemoveRows();
}

void TMessageListModel::Sort(const TCompare& compare) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Where each row goes, so that selection and current index follow their entries.
    std::vector<int> order(FRows.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compare(*FRows[static_cast<std::size_t>(a)], *FRows[static_cast<std::size_t>(b)]) <
               0;
    });
    std::vector<TMBXItem*> sorted(FRows.size());
    std::vector<int> newRow(FRows.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted[i] = FRows[static_cast<std::size_t>(order[i])];
        newRow[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    }
    FRows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRow[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
