#include "ui/radiogroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), FButtons(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        FButtons->addButton(button, i);
        layout->addWidget(button);
    }
}

int TRadioGroup::GetItemIndex() const {
    return FButtons->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    QAbstractButton* target = FButtons->button(index);
    if (target) {
        target->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; clearing needs it lifted.
    FButtons->setExclusive(false);
    for (QAbstractButton* button : FButtons->buttons())
        button->setChecked(false);
    FButtons->setExclusive(true);
}

int TRadioGroup::GetCount() const {
    return static_cast<int>(FButtons->buttons().size());
}
