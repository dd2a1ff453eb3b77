#include "ui/marrowaccountform.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TMarrowAccountForm::TMarrowAccountForm(QWidget* parent) : QDialog(parent) {
    setObjectName("MarrowAccountForm");
    setWindowTitle(QString::fromUtf8("ｱｶｳﾝﾄ"));
    ButtonClose = new QPushButton(QString::fromUtf8("閉じる(&C)"), this);
    ButtonClose->setObjectName("ButtonClose");
    connect(ButtonClose, &QPushButton::clicked, this, [this] { done(ResultClose); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonClose);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(480, 360);
}
