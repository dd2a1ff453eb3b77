#include "ui/marrowfilterform.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TMarrowFilterForm::TMarrowFilterForm(QWidget* parent) : QDialog(parent) {
    setObjectName("MarrowFilterForm");
    setWindowTitle(QString::fromUtf8("ﾌｨﾙﾀ設定"));
    PanelFilterBody = new QTabWidget(this);
    PanelFilterBody->setObjectName("PanelFilterBody");
    OKBtn = new QPushButton("OK", this);
    OKBtn->setObjectName("OKBtn");
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    CancelBtn->setObjectName("CancelBtn");
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(ResultOK); });
    connect(CancelBtn, &QPushButton::clicked, this, &TMarrowFilterForm::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PanelFilterBody);
    layout->addLayout(buttons);
    resize(560, 420);
}

void TMarrowFilterForm::reject() {
    done(ResultCancel);
}
