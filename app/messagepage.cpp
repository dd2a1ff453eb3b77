// Layout of the page "受信ﾒｯｾｰｼﾞ": the message list with its buttons above
// the splitter, the part tree and the viewer pages below it.
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/marrowbyform.h"
#include "ui/widgetmaker.h"

namespace {

// The learning commands, as buttons and in the list's context menu.
const char* const kLearnSpamCaption = "迷惑ﾒｰﾙとして学習";
const char* const kLearnSpamHint = "選択されたﾒｯｾｰｼﾞを迷惑ﾒｰﾙとして学習し、ごみ箱へ移します";
const char* const kLearnHamCaption = "迷惑ﾒｰﾙではない";
const char* const kLearnHamHint =
    "選択されたﾒｯｾｰｼﾞを迷惑ﾒｰﾙではないと学習し、ごみ箱にあれば受信箱へ戻します";

struct TColumn {
    const char* Caption;
    int Width;
};

// A read-only report list with whole-row selection and the given columns.
QTreeWidget* MakeReportList(QWidget* parent, const char* name,
                            std::initializer_list<TColumn> columns) {
    auto* list = Named(new QTreeWidget(parent), name);
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setUniformRowHeights(true);
    list->setColumnCount(static_cast<int>(columns.size()));
    QStringList captions;
    for (const TColumn& column : columns)
        captions << QString::fromUtf8(column.Caption);
    list->setHeaderLabels(captions);
    int index = 0;
    for (const TColumn& column : columns)
        list->setColumnWidth(index++, column.Width);
    return list;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name) {
    auto* memo = Named(new QPlainTextEdit(parent), name);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    return memo;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const char* name) {
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

// A page that holds one widget filling it.
QWidget* PageOf(QWidget* content) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(content);
    return page;
}

} // namespace

QWidget* TMarrowbyForm::BuildMessagePage() {
    auto* page = new QWidget;
    SplitterMultipart = Named(new QSplitter(Qt::Vertical, page), "SplitterMultipart");

    PanelRBox = Named(new QWidget(SplitterMultipart), "PanelRBox");
    LVMessages = BuildMessageList(PanelRBox);
    auto* boxLayout = new QVBoxLayout(PanelRBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->addWidget(LVMessages, 1);
    boxLayout->addWidget(BuildMessageButtons());

    PanelMultipart = Named(new QSplitter(Qt::Horizontal, SplitterMultipart), "PanelMultipart");
    TVMultipart = Named(new QTreeWidget(PanelMultipart), "TVMultipart");
    TVMultipart->setHeaderHidden(true);
    TVMultipart->setEditTriggers(QAbstractItemView::NoEditTriggers);
    BuildViewer()->setParent(PanelMultipart);
    PanelMultipart->setSizes({200, 560});

    // The list panel keeps its height; the viewer takes what the window gains.
    SplitterMultipart->setStretchFactor(0, 0);
    SplitterMultipart->setStretchFactor(1, 1);
    SplitterMultipart->setChildrenCollapsible(false);
    SplitterMultipart->setSizes({FPanelHeight, 300});
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(SplitterMultipart);
    return page;
}

QWidget* TMarrowbyForm::BuildMessageButtons() {
    auto* row = Named(new QWidget, "PanelListButtons");
    ButtonRecvFolder = MakeButton(row, "ButtonRecvFolder", "受信箱(&B)", "受信箱を開きます");
    ButtonDustFolder = MakeButton(row, "ButtonDustFolder", "ごみ箱(&G)", "ごみ箱を開きます");
    ButtonClear = MakeButton(row, "ButtonClear", "ｸﾘｱ(&C)", "ごみ箱を空にします");
    ButtonOpen = MakeButton(row, "ButtonOpen", "読む(&O)", "選択されたﾒｯｾｰｼﾞを開きます");
    ButtonEditor =
        MakeButton(row, "ButtonEditor", "ｴﾃﾞｨﾀ(&E)", "選択されたﾒｯｾｰｼﾞをｴﾃﾞｨﾀで開きます");
    ButtonDelete = MakeButton(row, "ButtonDelete", "削除(&D)", "選択されたﾒｯｾｰｼﾞを削除します");
    ButtonLearnSpam = MakeButton(row, "ButtonLearnSpam", kLearnSpamCaption, kLearnSpamHint);
    ButtonLearnHam = MakeButton(row, "ButtonLearnHam", kLearnHamCaption, kLearnHamHint);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* button : {ButtonRecvFolder, ButtonDustFolder, ButtonClear})
        layout->addWidget(button);
    layout->addStretch();
    for (QWidget* button :
         {ButtonLearnSpam, ButtonLearnHam, ButtonOpen, ButtonEditor, ButtonDelete})
        layout->addWidget(button);
    BuildMessageMenu();
    return row;
}

// The list's context menu, at the row under the pointer.
void TMarrowbyForm::BuildMessageMenu() {
    PopupMenuMessages = Named(new QMenu(this), "PopupMenuMessages");
    ActionLearnSpam = Named(PopupMenuMessages->addAction(QString::fromUtf8(kLearnSpamCaption)),
                            "ActionLearnSpam");
    ActionLearnHam =
        Named(PopupMenuMessages->addAction(QString::fromUtf8(kLearnHamCaption)), "ActionLearnHam");
    ActionLearnSpam->setToolTip(QString::fromUtf8(kLearnSpamHint));
    ActionLearnHam->setToolTip(QString::fromUtf8(kLearnHamHint));
    LVMessages->setContextMenuPolicy(Qt::CustomContextMenu);
}

QWidget* TMarrowbyForm::BuildViewer() {
    PageControl2 = Named(new QTabWidget, "PageControl2");
    MemoBody = MakeMemo(PageControl2, "MemoBody");
    MemoHeader = MakeMemo(PageControl2, "MemoHeader");
    MemoTo = MakeMemo(PageControl2, "MemoTo");
    MemoCc = MakeMemo(PageControl2, "MemoCc");
    PageControl2->addTab(PageOf(MemoBody), QString::fromUtf8("本文"));
    PageControl2->addTab(PageOf(MemoHeader), QString::fromUtf8("ﾍｯﾀﾞ"));
    PageControl2->addTab(BuildInfoPage(), QString::fromUtf8("情報"));
    PageControl2->addTab(BuildRoutePage(), QString::fromUtf8("経路"));
    PageControl2->addTab(PageOf(MemoTo), QString::fromUtf8("宛先"));
    PageControl2->addTab(PageOf(MemoCc), "CC");
    PageControl2->addTab(BuildAttachPage(), QString::fromUtf8("添付ﾌｧｲﾙ"));
    return PageControl2;
}

QWidget* TMarrowbyForm::BuildInfoPage() {
    auto* page = Named(new QWidget, "TabInfo");
    EditSubject = MakeReadOnlyEdit(page, "EditSubject");
    EditRecvDate = MakeReadOnlyEdit(page, "EditRecvDate");
    EditDate = MakeReadOnlyEdit(page, "EditDate");
    EditSender = MakeReadOnlyEdit(page, "EditSender");
    auto* layout = new QFormLayout(page);
    layout->addRow(QString::fromUtf8("件名"), EditSubject);
    layout->addRow(QString::fromUtf8("受信日時"), EditRecvDate);
    layout->addRow(QString::fromUtf8("送信日時"), EditDate);
    layout->addRow(QString::fromUtf8("差出人"), EditSender);
    return page;
}

QWidget* TMarrowbyForm::BuildRoutePage() {
    auto* page = Named(new QWidget, "TabRoute");
    LVReceived = MakeReportList(page, "LVReceived",
                                {{"IP", 90}, {"ｺﾝﾋﾟｭｰﾀ名", 100}, {"ﾎｽﾄ名", 120}, {"日時", 120}});
    ButtonCopyIP = MakeButton(page, "ButtonCopyIP", "IPをｺﾋﾟｰ(&P)");
    ButtonCopyHost = MakeButton(page, "ButtonCopyHost", "ﾎｽﾄ名をｺﾋﾟｰ(&H)");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonCopyIP);
    buttons->addWidget(ButtonCopyHost);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(LVReceived, 1);
    layout->addLayout(buttons);
    return page;
}

QWidget* TMarrowbyForm::BuildAttachPage() {
    auto* page = Named(new QWidget, "TabAttach");
    EditAttach = MakeReadOnlyEdit(page, "EditAttach");
    EditMime = MakeReadOnlyEdit(page, "EditMime");
    ButtonSave = MakeButton(page, "ButtonSave", "保存(&A)");
    ButtonFolder = MakeButton(page, "ButtonFolder", "ﾌｫﾙﾀﾞ(&F)");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonSave);
    buttons->addWidget(ButtonFolder);
    auto* layout = new QFormLayout(page);
    layout->addRow(QString::fromUtf8("添付ﾌｧｲﾙ"), EditAttach);
    layout->addRow(QString::fromUtf8("MIME型"), EditMime);
    layout->addRow(buttons);
    return page;
}
