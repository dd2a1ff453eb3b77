#include "ui/marrowfilterform.h"

#include <QAbstractEventDispatcher>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "filter/messagefilterbody.h"
#include "filter/messagefilterhost.h"
#include "filter/messagefiltermailer.h"
#include "filter/messagefiltersubject.h"
#include "ui/filterattachpage.h"
#include "ui/filterpagekinds.h"
#include "ui/widgetmaker.h"
#include "ui/widgettext.h"

namespace {

const char* const TextUnreadLines = "次の行は読み込めないため、表示していません。\n"
                                    "OK で閉じると、これらの行はﾌｧｲﾙから削除されます。\n";
const char* const TextUnsavedFiles = "次のﾌｨﾙﾀﾌｧｲﾙを保存できませんでした。"
                                     "これらのﾌｧｲﾙは元の内容のままです。\n";

// Tab captions in the order of the lists.
const char* const Captions[] = {"差出人1", "差出人2", "件名", "経由IP",  "経由ﾎｽﾄ",
                                "ﾒｰﾙｿﾌﾄ",  "ﾍｯﾀﾞ",    "本文", "添付ﾌｧｲﾙ"};

const TFilterPageNames White{"TSFilterWhiteList", "White",
                             "このﾘｽﾄに含まれる差出人のﾒｯｾｰｼﾞは必ず受信します", "DDX1"};
const TFilterPageNames Black{"TSFilterBlack", "Black",
                             "このﾘｽﾄに含まれる差出人のﾒｯｾｰｼﾞを削除します", "DDX2"};
const TFilterPageNames Subject{"TSFilterSubject", "Subject",
                               "指定ｷｰﾜｰﾄﾞを件名に含むﾒｯｾｰｼﾞを削除します", "DDX3"};
const TFilterPageNames IP{"TSFilterIP", "IP",
                          "このﾘｽﾄに含まれるIPｱﾄﾞﾚｽを経由したﾒｯｾｰｼﾞを削除します", "DDX4"};
const TFilterPageNames Host{"TSFillterHost", "Host",
                            "指定ｷｰﾜｰﾄﾞを経由ﾎｽﾄ名に含むﾒｯｾｰｼﾞを削除します", "DDX5"};
const TFilterPageNames Mailer{"TSFilterMailer", "Mailer",
                              "このﾘｽﾄに含まれるﾒｰﾙｿﾌﾄから送られたﾒｯｾｰｼﾞを削除します", "DDX6"};
const TFilterPageNames Header{"TSFilterHeader", "Header", "指定ﾍｯﾀﾞを含むﾒｯｾｰｼﾞを削除します",
                              "DDX7"};
const TFilterPageNames Body{"TSFilterBody", "Body", "指定ｷｰﾜｰﾄﾞを本文に含むﾒｯｾｰｼﾞを削除します",
                            "DDX8"};

} // namespace

TMarrowFilterForm::TMarrowFilterForm(std::string_view programFolder, QWidget* parent)
    : QDialog(parent) {
    setObjectName("MarrowFilterForm");
    setWindowTitle(QString::fromUtf8("ﾌｨﾙﾀ設定"));
    Filters.SetFolder(programFolder);

    PanelFilterBody = Named(new QTabWidget(this), "PanelFilterBody");
    // Every tab stays in sight: the dialog grows to the width of the tab row.
    PanelFilterBody->setUsesScrollButtons(false);
    PanelFilterBody->setElideMode(Qt::ElideNone);
    FTabs = {
        NewSenderPage(White, Filters.MessageFiltersSender1, PanelFilterBody),
        NewSenderPage(Black, Filters.MessageFiltersSender2, PanelFilterBody),
        NewKeywordPage<TMessageFilterSubject>(Subject, Filters.MessageFiltersSubject,
                                              PanelFilterBody),
        NewIPPage(IP, Filters.MessageFiltersIP, PanelFilterBody),
        NewKeywordPage<TMessageFilterHost>(Host, Filters.MessageFiltersHost, PanelFilterBody),
        NewKeywordPage<TMessageFilterMailer>(Mailer, Filters.MessageFiltersMailer, PanelFilterBody),
        NewHeaderPage(Header, Filters.MessageFiltersHeader, PanelFilterBody),
        NewKeywordPage<TMessageFilterBody>(Body, Filters.MessageFiltersBody, PanelFilterBody),
        new TFilterAttachPage(Filters.MessageFiltersAttach, PanelFilterBody)};
    for (std::size_t i = 0; i < FTabs.size(); ++i)
        PanelFilterBody->addTab(FTabs[i], QString::fromUtf8(Captions[i]));

    OKBtn = MakeButton(this, "OKBtn", "OK");
    OKBtn->setDefault(true);
    CancelBtn = MakeButton(this, "CancelBtn", "ｷｬﾝｾﾙ");
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(ResultOK); });
    connect(CancelBtn, &QPushButton::clicked, this, &TMarrowFilterForm::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PanelFilterBody);
    layout->addLayout(buttons);
    // A fixed dialog border: the dialog takes the size its content asks for.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

TMarrowFilterForm::~TMarrowFilterForm() {
    disconnect(FIdleHook);
}

void TMarrowFilterForm::reject() {
    done(ResultCancel);
}

void TMarrowFilterForm::done(int result) {
    FormClose(result);
    QDialog::done(result);
}

void TMarrowFilterForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) FormShow();
}

void TMarrowFilterForm::FormShow() {
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        FIdleHook = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                            &TMarrowFilterForm::AppIdle, Qt::UniqueConnection);
    ReportUnreadLines(Filters.Load());
    for (TFilterTab* tab : FTabs)
        tab->Fill();
    AppIdle();
    if (QScreen* display = screen()) move(display->availableGeometry().center() - rect().center());
}

void TMarrowFilterForm::AppIdle() {
    for (TFilterTab* tab : FTabs)
        tab->AppIdle();
}

void TMarrowFilterForm::FormClose(int result) {
    disconnect(FIdleHook);
    if (result == ResultOK) ReportUnsavedFiles(Filters.Save());
}

// Lines the lists could not read are not shown; saving after OK leaves them
// out, so the user learns which before deciding.
void TMarrowFilterForm::ReportUnreadLines(const std::vector<TRuleLineError>& skipped) {
    if (skipped.empty()) return;
    QString text = QString::fromUtf8(TextUnreadLines);
    for (const TRuleLineError& line : skipped)
        text += "\n" + Cp932ToQString(FormatRuleLineError(line));
    QTimer::singleShot(0, this, [this, text] { QMessageBox::warning(this, windowTitle(), text); });
}

void TMarrowFilterForm::ReportUnsavedFiles(const std::vector<TRuleFileError>& failed) {
    if (failed.empty()) return;
    QString text = QString::fromUtf8(TextUnsavedFiles);
    for (const TRuleFileError& file : failed)
        text += "\n" + Cp932ToQString(FormatRuleFileError(file));
    QMessageBox::critical(this, windowTitle(), text);
}
