// The settings page: its controls, their bindings to the setting fields
// (items 0..7 of DDX1, and 8..10 for the learning filter) and the save button
// that applies them.
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/marrowbyform.h"
#include "ui/ddx.h"
#include "ui/widgetmaker.h"
#include "ui/widgettext.h"

namespace {

// Captions of the settings, shown beside the controls and leading their
// error messages.
const char* const CaptionCheckSpan = "ﾒｰﾙﾁｪｯｸ間隔";
const char* const CaptionCheckEnable = "新着ﾒｰﾙのﾁｪｯｸ";
const char* const CaptionLimitSize = "受信可能なﾒｰﾙのｻｲｽﾞ";
const char* const CaptionEditor = "ｴﾃﾞｨﾀ";
const char* const CaptionDenyRemote = "ﾛｰｶﾙﾎｽﾄ以外ｱｸｾｽ禁止";
const char* const CaptionClientLog = "ｸﾗｲｱﾝﾄﾛｸﾞ";
const char* const CaptionServerLog = "ｻｰﾊﾞﾛｸﾞ";
const char* const CaptionPrecheckAttach = "添付ﾌｧｲﾙ検査を最初に行う";
const char* const CaptionLearnEnable = "学習ﾌｨﾙﾀを使う";
const char* const CaptionLearnSpam = "迷惑ﾒｰﾙとするｽｺｱ";
const char* const CaptionLearnUnsure = "保留とするｽｺｱ";

// Item indexes in DDX1.
enum {
    ItemCheckSpan,
    ItemCheckEnable,
    ItemLimitSize,
    ItemEditor,
    ItemDenyRemote,
    ItemClientLog,
    ItemServerLog,
    ItemPrecheckAttach,
    ItemLearnEnable,
    ItemLearnSpam,
    ItemLearnUnsure
};

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption) {
    return Named(new QCheckBox(QString::fromUtf8(caption), parent), name);
}

QLabel* MakeLabel(QWidget* parent, const char* caption) {
    return new QLabel(QString::fromUtf8(caption), parent);
}

} // namespace

QWidget* TMarrowbyForm::BuildSetupPage() {
    auto* page = new QWidget;
    EditTimeout = Named(new QLineEdit(page), "EditTimeout");
    CheckTimeout = MakeCheckBox(page, "CheckTimeout", CaptionCheckEnable);
    EditLimitSize = Named(new QLineEdit(page), "EditLimitSize");
    EditEditor = Named(new QLineEdit(page), "EditEditor");
    SpeedButton1 = Named(new QToolButton(page), "SpeedButton1");
    SpeedButton1->setText("...");
    CXDenyRemote = MakeCheckBox(page, "CXDenyRemote", CaptionDenyRemote);
    CXClientLog = MakeCheckBox(page, "CXClientLog", CaptionClientLog);
    CXServerLog = MakeCheckBox(page, "CXServerLog", CaptionServerLog);
    CXPrecheckAttach = MakeCheckBox(page, "CXPrecheckAttach", CaptionPrecheckAttach);
    EditTimeout->setMaximumWidth(80);
    EditLimitSize->setMaximumWidth(80);

    auto* grid = new QGridLayout;
    grid->addWidget(CheckTimeout, 0, 0, 1, 3);
    grid->addWidget(MakeLabel(page, CaptionCheckSpan), 1, 0);
    grid->addWidget(EditTimeout, 1, 1);
    grid->addWidget(MakeLabel(page, "分"), 1, 2);
    grid->addWidget(MakeLabel(page, CaptionLimitSize), 2, 0);
    grid->addWidget(EditLimitSize, 2, 1);
    grid->addWidget(MakeLabel(page, "KB"), 2, 2);
    grid->addWidget(MakeLabel(page, CaptionEditor), 3, 0);
    auto* editorRow = new QHBoxLayout;
    editorRow->addWidget(EditEditor, 1);
    editorRow->addWidget(SpeedButton1);
    grid->addLayout(editorRow, 3, 1, 1, 3);
    grid->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    for (QWidget* box : {CXDenyRemote, CXClientLog, CXServerLog, CXPrecheckAttach})
        layout->addWidget(box);
    layout->addWidget(BuildLearnSettings(page));
    layout->addStretch();
    layout->addWidget(BuildSetupButtons());
    return page;
}

// The learning filter: its switch, the two scores out of 100 and what it has learned.
QWidget* TMarrowbyForm::BuildLearnSettings(QWidget* page) {
    auto* box = Named(new QGroupBox(QString::fromUtf8("学習ﾌｨﾙﾀ"), page), "GroupLearn");
    CXLearnEnable = MakeCheckBox(box, "CXLearnEnable", CaptionLearnEnable);
    EditLearnSpam = Named(new QLineEdit(box), "EditLearnSpam");
    EditLearnUnsure = Named(new QLineEdit(box), "EditLearnUnsure");
    LabelLearnCounts = Named(new QLabel(box), "LabelLearnCounts");
    for (QLineEdit* edit : {EditLearnSpam, EditLearnUnsure})
        edit->setMaximumWidth(80);
    EditLearnSpam->setToolTip(QString::fromUtf8("ｽｺｱがこの値以上のﾒｯｾｰｼﾞをごみ箱へ移します"));
    EditLearnUnsure->setToolTip(
        QString::fromUtf8("ｽｺｱがこの値以上のﾒｯｾｰｼﾞは受信箱に残し、ｺﾒﾝﾄに 学習? と記します"));
    auto* grid = new QGridLayout(box);
    grid->addWidget(CXLearnEnable, 0, 0, 1, 3);
    grid->addWidget(MakeLabel(box, CaptionLearnSpam), 1, 0);
    grid->addWidget(EditLearnSpam, 1, 1);
    grid->addWidget(MakeLabel(box, "/ 100"), 1, 2);
    grid->addWidget(MakeLabel(box, CaptionLearnUnsure), 2, 0);
    grid->addWidget(EditLearnUnsure, 2, 1);
    grid->addWidget(MakeLabel(box, "/ 100"), 2, 2);
    grid->addWidget(LabelLearnCounts, 3, 0, 1, 4);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* TMarrowbyForm::BuildSetupButtons() {
    auto* row = Named(new QWidget, "PanelSetupButtons");
    ButtonSaveSetup = MakeButton(row, "ButtonSaveSetup", "保存(&S)");
    ButtonFilter = MakeButton(row, "ButtonFilter", "ﾌｨﾙﾀ設定(&F)");
    ButtonAccount = MakeButton(row, "ButtonAccount", "ｱｶｳﾝﾄ登録(&A)");
    ButtonRestruct =
        MakeButton(row, "ButtonRestruct", "再構築(&R)", "受信箱とごみ箱を再構築します");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* button : {ButtonFilter, ButtonAccount, ButtonRestruct})
        layout->addWidget(button);
    layout->addStretch();
    layout->addWidget(ButtonSaveSetup);
    return row;
}

void TMarrowbyForm::RegisterSettingsItems() {
    DDX1->Add(
        std::make_unique<TDDXInteger>(Sjis(CaptionCheckSpan), EditTimeout, FCheckSpan, 60, 1));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis(CaptionCheckEnable), CheckTimeout, FCheckEnable));
    DDX1->Add(
        std::make_unique<TDDXInteger>(Sjis(CaptionLimitSize), EditLimitSize, FLimitSize, 10240, 0));
    DDX1->Add(std::make_unique<TDDXString>(Sjis(CaptionEditor), EditEditor, FEditor, 0, 0));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis(CaptionDenyRemote), CXDenyRemote, FDenyRemote));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis(CaptionClientLog), CXClientLog, FClientLog));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis(CaptionServerLog), CXServerLog, FServerLog));
    DDX1->Add(std::make_unique<TDDXCheckBox>(Sjis(CaptionPrecheckAttach), CXPrecheckAttach,
                                             FPrecheckAttach));
    DDX1->Add(
        std::make_unique<TDDXCheckBox>(Sjis(CaptionLearnEnable), CXLearnEnable, FLearnEnable));
    DDX1->Add(
        std::make_unique<TDDXInteger>(Sjis(CaptionLearnSpam), EditLearnSpam, FLearnSpam, 100, 0));
    DDX1->Add(std::make_unique<TDDXInteger>(Sjis(CaptionLearnUnsure), EditLearnUnsure, FLearnUnsure,
                                            100, 0));
}

void TMarrowbyForm::UploadSettings() {
    DDX1->Items(ItemCheckSpan).SetValue(FCheckSpan);
    DDX1->Items(ItemCheckEnable).SetValue(FCheckEnable);
    DDX1->Items(ItemLimitSize).SetValue(FLimitSize);
    DDX1->Items(ItemEditor).SetValue(FEditor);
    DDX1->Items(ItemDenyRemote).SetValue(FDenyRemote);
    DDX1->Items(ItemClientLog).SetValue(FClientLog);
    DDX1->Items(ItemServerLog).SetValue(FServerLog);
    DDX1->Items(ItemPrecheckAttach).SetValue(FPrecheckAttach);
    DDX1->Items(ItemLearnEnable).SetValue(FLearnEnable);
    DDX1->Items(ItemLearnSpam).SetValue(FLearnSpam);
    DDX1->Items(ItemLearnUnsure).SetValue(FLearnUnsure);
    DDX1->Upload();
}

void TMarrowbyForm::ButtonSaveSetupClick() {
    if (!DDX1->Download(this)) return;
    FCheckSpan = DDX1->Items(ItemCheckSpan).AsInteger();
    FCheckEnable = DDX1->Items(ItemCheckEnable).AsBoolean();
    FLimitSize = DDX1->Items(ItemLimitSize).AsInteger();
    FEditor = DDX1->Items(ItemEditor).AsString();
    FDenyRemote = DDX1->Items(ItemDenyRemote).AsBoolean();
    FClientLog = DDX1->Items(ItemClientLog).AsBoolean();
    FServerLog = DDX1->Items(ItemServerLog).AsBoolean();
    FPrecheckAttach = DDX1->Items(ItemPrecheckAttach).AsBoolean();
    FLearnEnable = DDX1->Items(ItemLearnEnable).AsBoolean();
    FLearnSpam = DDX1->Items(ItemLearnSpam).AsInteger();
    FLearnUnsure = DDX1->Items(ItemLearnUnsure).AsInteger();
    ApplyLearnSettings();
    FMinuteCount = 0;
}
