#include "ui/filtertab.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "filter/messagefilters.h"
#include "filter/ruleinput.h"
#include "ui/ddx.h"
#include "ui/widgettext.h"

namespace {

const char* const TextPatternError = "%1の正規表現に誤りがあります:\n%2 (位置 %3)\n\n"
                                     "このままでは、このﾙｰﾙはどのﾒｯｾｰｼﾞにも一致しません。\n"
                                     "このまま登録しますか?";

} // namespace

TFilterTab::TFilterTab(const char* name, const char* banner, const char* ddxName, QWidget* parent)
    : QWidget(parent), DDX(new TDDX(this, QString::fromLatin1(ddxName))),
      FBody(new QVBoxLayout(this)), FEdits(new QFormLayout), FChecks(new QGridLayout) {
    setObjectName(QString::fromLatin1(name));
    auto* label = new QLabel(QString::fromUtf8(banner), this);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setMargin(4);
    FBody->addWidget(label);
}

void TFilterTab::AddEditArea() {
    FBody->addLayout(FEdits);
    FBody->addLayout(FChecks);
}

QLineEdit* TFilterTab::AddEdit(const char* label, const QString& name) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    auto* buddy = new QLabel(QString::fromUtf8(label), this);
    buddy->setBuddy(edit);
    FEdits->addRow(buddy, edit);
    return edit;
}

QLineEdit* TFilterTab::AddKeyword(const char* caption, const char* label, const QString& name) {
    QLineEdit* edit = AddEdit(label, name);
    DDX->Add(std::make_unique<TDDXString>(Sjis(caption), edit, std::string(), 0, 1));
    return edit;
}

QLineEdit* TFilterTab::AddAddress(const char* caption, const char* label, const QString& name,
                                  const char* value) {
    QLineEdit* edit = AddEdit(label, name);
    DDX->Add(std::make_unique<TDDXIPAddress>(Sjis(caption), edit, value));
    return edit;
}

QCheckBox* TFilterTab::AddCheck(const char* caption, const char* text, const QString& name) {
    auto* box = new QCheckBox(QString::fromUtf8(text), this);
    box->setObjectName(name);
    const int at = FChecks->count();
    FChecks->addWidget(box, at / 2, at % 2);
    DDX->Add(std::make_unique<TDDXCheckBox>(Sjis(caption), box, false));
    return box;
}

bool TFilterTab::ConfirmPattern(int item, const TPatternError& error) {
    TDDXItem& field = DDX->Items(item);
    QWidget* form = window();
    QMessageBox box(QMessageBox::Warning, form->windowTitle(),
                    QString::fromUtf8(TextPatternError)
                        .arg(Cp932ToQString(field.GetCaption()), QString::fromStdString(error.Text),
                             QString::number(error.Offset)),
                    QMessageBox::Yes | QMessageBox::No, form);
    box.button(QMessageBox::Yes)->setText(QString::fromUtf8("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QString::fromUtf8("いいえ(&N)"));
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes) return true;
    // The input stays pending, so Add and Update stay enabled for the correction.
    if (auto* edit = qobject_cast<QLineEdit*>(field.GetControl())) {
        edit->setModified(true);
        edit->setFocus();
        edit->setCursorPosition(error.Offset);
    }
    return false;
}

int TFilterTab::SelectedRow(const QAbstractItemView* view) {
    const QModelIndex current = view->currentIndex();
    return current.isValid() && view->selectionModel()->isSelected(current) ? current.row() : -1;
}

void TFilterTab::DeleteSelected(QAbstractItemView* view, TMessageFilters& list) {
    const int row = SelectedRow(view);
    if (row < 0) return;
    {
        // The row and its rule go together; the row that takes the place is shown after.
        const QSignalBlocker blocker(view);
        view->model()->removeRow(row);
        list.Delete(row);
    }
    SelectRow(view, row);
}

void TFilterTab::SelectRow(QAbstractItemView* view, int row) {
    const int count = view->model()->rowCount();
    if (count == 0) return;
    const QModelIndex index = view->model()->index(std::min(row, count - 1), 0);
    // Cleared first, so the selection changes even when the row was selected already.
    view->selectionModel()->clearSelection();
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
}
