#pragma once
// The rows of the message list LVMessages: one per mailbox entry, in the
// list's own order. The mailboxes own the entries; a row only refers to one,
// so whoever frees entries refills the list (or removes their rows) at once.
// Texts and images are made when the view asks for them, which keeps filling
// and sorting tens of thousands of rows fast.
#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

class TMBXItem;
class TMessageBox;

class TMessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn {
        ColSubject,
        ColSize,
        ColRecvDate,
        ColAccount,
        ColFileName,
        ColUID,
        ColComment,
        ColumnCount
    };
    // Negative, 0 or positive for the order of two entries.
    using TCompare = std::function<int(const TMBXItem&, const TMBXItem&)>;

    explicit TMessageListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The text of one column of an entry's row (CP932), as the column table says.
    static std::string ColumnText(const TMBXItem& entry, int column);
    static int ColumnWidth(int column);

    TMBXItem* Entry(int row) const;
    int RowOf(const TMBXItem* entry) const; // -1 when no row shows it

    void Clear();
    // Rows for every entry of the box, in entry order, at the end.
    void AppendMailbox(const TMessageBox& box);
    void Insert(int row, TMBXItem* entry);
    // The row shows entry from now on.
    void Fill(int row, TMBXItem* entry);
    void Remove(int row);
    // Reorders the rows; selection and current row follow their entries.
    void Sort(const TCompare& compare);

private:
    std::vector<TMBXItem*> FRows;
};
