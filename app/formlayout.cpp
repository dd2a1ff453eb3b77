// The frame of the main window: the three pages, the command row under them,
// the tray menu and the connections of the controls to their handlers.
#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/busyanimation.h"
#include "app/marrowbyform.h"
#include "ui/ddx.h"
#include "ui/widgetmaker.h"

void TMarrowbyForm::BuildLayout() {
    auto* central = Named(new QWidget(this), "PanelMain");
    PageControl1 = Named(new QTabWidget(central), "PageControl1");
    TabMessages = Named(BuildMessagePage(), "TabMessages");
    TabSetup = Named(BuildSetupPage(), "TabSetup");
    TabLog = Named(new QWidget, "TabLog");
    MemoLog = Named(new QPlainTextEdit(TabLog), "MemoLog");
    MemoLog->setReadOnly(true);
    auto* logLayout = new QVBoxLayout(TabLog);
    logLayout->addWidget(MemoLog);
    PageControl1->addTab(TabMessages, QString::fromUtf8("受信ﾒｯｾｰｼﾞ"));
    PageControl1->addTab(TabSetup, QString::fromUtf8("設定"));
    PageControl1->addTab(TabLog, QString::fromUtf8("通信ﾛｸﾞ"));

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(BuildCommandRow());
    setCentralWidget(central);

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(60000);
    DDX1 = new TDDX(this, "DDX1");
    BuildTrayMenu();
    resize(800, 600);
}

QWidget* TMarrowbyForm::BuildCommandRow() {
    auto* row = Named(new QWidget, "PanelCommand");
    Animate1 = Named(new TBusyAnimation(row), "Animate1");
    ButtonExec = MakeButton(row, "ButtonExec", "受信(&V)");
    ButtonExit = MakeButton(row, "ButtonExit", "終了(&X)");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Animate1);
    layout->addStretch();
    layout->addWidget(ButtonExec);
    layout->addWidget(ButtonExit);
    return row;
}

void TMarrowbyForm::BuildTrayMenu() {
    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
    Open1 = Named(PopupMenu1->addAction(QString::fromUtf8("開く(&O)")), "Open1");
    Receive1 = Named(PopupMenu1->addAction(QString::fromUtf8("受信(&V)")), "Receive1");
    PopupMenu1->addSeparator();
    Exit1 = Named(PopupMenu1->addAction(QString::fromUtf8("Velvishの終了(&X)")), "Exit1");
}

void TMarrowbyForm::ConnectHandlers() {
    connect(ButtonExec, &QPushButton::clicked, this, &TMarrowbyForm::ButtonExecClick);
    connect(Receive1, &QAction::triggered, this, &TMarrowbyForm::ButtonExecClick);
    connect(ButtonExit, &QPushButton::clicked, this, &TMarrowbyForm::Exit1Click);
    connect(Exit1, &QAction::triggered, this, &TMarrowbyForm::Exit1Click);
    connect(Open1, &QAction::triggered, this, &TMarrowbyForm::Open1Click);
    connect(Timer1, &QTimer::timeout, this, &TMarrowbyForm::Timer1Timer);
    connect(ButtonSaveSetup, &QPushButton::clicked, this, &TMarrowbyForm::ButtonSaveSetupClick);
    connect(ButtonFilter, &QPushButton::clicked, this, &TMarrowbyForm::ButtonFilterClick);
    connect(ButtonAccount, &QPushButton::clicked, this, &TMarrowbyForm::ButtonAccountClick);
    connect(ButtonRestruct, &QPushButton::clicked, this, &TMarrowbyForm::ButtonRestructClick);
    ConnectMessageCommands();
}
