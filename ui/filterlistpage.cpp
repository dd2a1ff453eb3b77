#include "ui/filterlistpage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "filter/filterrowtext.h"
#include "filter/messagefilters.h"
#include "ui/ddx.h"
#include "ui/widgetmaker.h"
#include "ui/widgettext.h"

namespace {

constexpr int VisibleRows = 8;

QString Name(const char* prefix, const QString& tab, const char* suffix) {
    return QString::fromLatin1(prefix) + tab + QString::fromLatin1(suffix);
}

} // namespace

TFilterListPage::TFilterListPage(const TFilterPageNames& names, TMessageFilters& list,
                                 std::initializer_list<TFilterColumn> columns, QWidget* parent)
    : TFilterTab(names.Tab, names.Banner, names.DDX, parent),
      FShort(QString::fromLatin1(names.Short)), FList(list) {
    BuildList(columns);
    ButtonAdd = MakeButton(this, Name("Button", FShort, "Add").toLatin1(), "追加(&A)");
    ButtonDel = MakeButton(this, Name("Button", FShort, "Del").toLatin1(), "削除(&R)");
    ButtonUpd = MakeButton(this, Name("Button", FShort, "Upd").toLatin1(), "更新(&U)");
    connect(ButtonAdd, &QPushButton::clicked, this, &TFilterListPage::AddClick);
    connect(ButtonDel, &QPushButton::clicked, this, &TFilterListPage::DelClick);
    connect(ButtonUpd, &QPushButton::clicked, this, &TFilterListPage::UpdClick);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {ButtonAdd, ButtonDel, ButtonUpd})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(LV, 1);
    row->addLayout(buttons);
    Body()->addLayout(row, 1);
    AddEditArea();
}

// A read-only report list, whole rows selected one at a time, not sorted.
void TFilterListPage::BuildList(std::initializer_list<TFilterColumn> columns) {
    LV = new QTreeWidget(this);
    LV->setObjectName(Name("LV", FShort, ""));
    LV->setRootIsDecorated(false);
    LV->setUniformRowHeights(true);
    LV->setSelectionMode(QAbstractItemView::SingleSelection);
    LV->setSelectionBehavior(QAbstractItemView::SelectRows);
    LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LV->setSortingEnabled(false);
    LV->header()->setSectionsMovable(false);
    QStringList captions;
    for (const TFilterColumn& column : columns)
        captions << QString::fromUtf8(column.Caption);
    LV->setHeaderLabels(captions);
    int width = 0, at = 0;
    for (const TFilterColumn& column : columns) {
        LV->header()->resizeSection(at++, column.Width);
        width += column.Width;
    }
    // Every column shows in full beside the vertical scroll bar.
    LV->setMinimumWidth(width + 2 * LV->frameWidth() + LV->verticalScrollBar()->sizeHint().width());
    LV->setMinimumHeight(LV->header()->sizeHint().height() +
                         VisibleRows * LV->fontMetrics().height() * 3 / 2);
    connect(LV, &QTreeWidget::itemSelectionChanged, this, &TFilterListPage::SelectItem);
}

QString TFilterListPage::ControlName(const char* prefix, const char* suffix) const {
    return Name(prefix, FShort, suffix);
}

void TFilterListPage::Fill() {
    LV->clear();
    for (int i = 0; i < FList.Count(); ++i)
        SetRowTexts(new QTreeWidgetItem(LV), *FList.Items(i));
}

void TFilterListPage::AppIdle() {
    const bool modified = DDX->GetModified();
    const bool selected = SelectedRow(LV) >= 0;
    ButtonAdd->setEnabled(modified);
    ButtonDel->setEnabled(selected);
    ButtonUpd->setEnabled(modified && selected);
}

void TFilterListPage::SelectItem() {
    const int row = SelectedRow(LV);
    if (row < 0 || row >= FList.Count()) return;
    ShowFilter(*FList.Items(row));
    DDX->Upload();
}

bool TFilterListPage::PatternAccepted() {
    const auto error = PatternError();
    return !error || ConfirmPattern(error->first, error->second);
}

void TFilterListPage::AddClick() {
    if (!DDX->Download(window()) || !PatternAccepted()) return;
    const TMessageFilter* filter = FList.Add(NewFilter());
    SetRowTexts(new QTreeWidgetItem(LV), *filter);
}

void TFilterListPage::UpdClick() {
    if (!DDX->Download(window())) return;
    const int row = SelectedRow(LV);
    if (row < 0 || !PatternAccepted()) return;
    TMessageFilter* filter = FList.Items(row);
    filter->Assign(*NewFilter());
    SetRowTexts(LV->topLevelItem(row), *filter);
}

void TFilterListPage::DelClick() {
    DeleteSelected(LV, FList);
}

void TFilterListPage::SetRowTexts(QTreeWidgetItem* row, const TMessageFilter& filter) const {
    const std::vector<std::string> texts = FilterRowTexts(filter);
    for (std::size_t i = 0; i < texts.size(); ++i)
        row->setText(static_cast<int>(i), Cp932ToQString(texts[i]));
}
