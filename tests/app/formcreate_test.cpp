// Creation and first display: folders, defaults, and the window's controls
// with their exact captions.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/busyanimation.h"
#include "app/trayicons.h"
#include "filter/filterset.h"
#include "platform/listener.h"
#include "tests/app/formfixture.h"

namespace {

TEST_F(FormTest, CreatesTheFolders) {
    auto form = MakeForm();
    for (const char* name : {"Msgbox", "Dustbox", "Temp", "ServerLog", "ClientLog", "cgi"})
        EXPECT_TRUE(QDir(dir.filePath(name)).exists()) << name;
}

TEST_F(FormTest, DefaultsWithoutStoredSettings) {
    auto form = ShownForm();
    TMarrowbyFormAccess a{*form};
    EXPECT_EQ(a.CheckSpan(), 5);
    EXPECT_FALSE(a.CheckEnable());
    EXPECT_EQ(a.LimitSize(), 2048);
    EXPECT_EQ(a.Editor(), "");
    EXPECT_TRUE(a.PrecheckAttach());
    EXPECT_TRUE(a.DenyRemote());
    EXPECT_FALSE(a.ClientLog());
    EXPECT_FALSE(a.ServerLog());
    EXPECT_EQ(a.SortTarget(), 2);
    EXPECT_TRUE(a.Descend());
    EXPECT_EQ(a.SaveFolder(), Folder());
    EXPECT_EQ(a.CheckIndex(), 0); // the account count: no cycle
    EXPECT_EQ(a.ListMode(), 1);
    // the settings page shows the same values, unmodified
    EXPECT_EQ(form->EditTimeout->text(), "5");
    EXPECT_FALSE(form->CheckTimeout->isChecked());
    EXPECT_EQ(form->EditLimitSize->text(), "2048");
    EXPECT_EQ(form->EditEditor->text(), "");
    EXPECT_TRUE(form->CXDenyRemote->isChecked());
    EXPECT_FALSE(form->CXClientLog->isChecked());
    EXPECT_FALSE(form->CXServerLog->isChecked());
    EXPECT_TRUE(form->CXPrecheckAttach->isChecked());
    EXPECT_FALSE(form->EditTimeout->isModified());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 60000);
    EXPECT_TRUE(form->ServerSocket1->GetActive());
}

TEST_F(FormTest, ControlsCarryTheirNamesAndCaptions) {
    auto form = MakeForm();
    EXPECT_EQ(form->windowTitle(), "Velvane");
    struct {
        const char* name;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {"ButtonExec", "受信(&V)", ""},
        {"ButtonExit", "終了(&X)", ""},
        {"ButtonEditor", "ｴﾃﾞｨﾀ(&E)", "選択されたﾒｯｾｰｼﾞをｴﾃﾞｨﾀで開きます"},
        {"ButtonOpen", "読む(&O)", "選択されたﾒｯｾｰｼﾞを開きます"},
        {"ButtonClear", "ｸﾘｱ(&C)", "ごみ箱を空にします"},
        {"ButtonDustFolder", "ごみ箱(&G)", "ごみ箱を開きます"},
        {"ButtonDelete", "削除(&D)", "選択されたﾒｯｾｰｼﾞを削除します"},
        {"ButtonRecvFolder", "受信箱(&B)", "受信箱を開きます"},
        {"ButtonRestruct", "再構築(&R)", "受信箱とごみ箱を再構築します"},
        {"ButtonSaveSetup", "保存(&S)", ""},
        {"ButtonFilter", "ﾌｨﾙﾀ設定(&F)", ""},
        {"ButtonAccount", "ｱｶｳﾝﾄ登録(&A)", ""},
        {"ButtonCopyIP", "IPをｺﾋﾟｰ(&P)", ""},
        {"ButtonCopyHost", "ﾎｽﾄ名をｺﾋﾟｰ(&H)", ""},
        {"ButtonSave", "保存(&A)", ""},
        {"ButtonFolder", "ﾌｫﾙﾀﾞ(&F)", ""},
    };
    for (const auto& b : buttons) {
        auto* button = form->findChild<QPushButton*>(b.name);
        ASSERT_NE(button, nullptr) << b.name;
        EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.name;
    }
    struct {
        const char* name;
        const char* caption;
    } boxes[] = {{"CheckTimeout", "新着ﾒｰﾙのﾁｪｯｸ"},
                 {"CXDenyRemote", "ﾛｰｶﾙﾎｽﾄ以外ｱｸｾｽ禁止"},
                 {"CXClientLog", "ｸﾗｲｱﾝﾄﾛｸﾞ"},
                 {"CXServerLog", "ｻｰﾊﾞﾛｸﾞ"},
                 {"CXPrecheckAttach", "添付ﾌｧｲﾙ検査を最初に行う"}};
    for (const auto& b : boxes) {
        auto* box = form->findChild<QCheckBox*>(b.name);
        ASSERT_NE(box, nullptr) << b.name;
        EXPECT_EQ(box->text(), QString::fromUtf8(b.caption)) << b.name;
    }
    for (const char* name : {"EditTimeout", "EditLimitSize", "EditEditor", "EditSubject",
                             "EditRecvDate", "EditDate", "EditSender", "EditAttach", "EditMime"})
        EXPECT_NE(form->findChild<QLineEdit*>(name), nullptr) << name;
    for (const char* name : {"MemoLog", "MemoBody", "MemoHeader", "MemoTo", "MemoCc", "PanelRBox",
                             "PanelMultipart", "TVMultipart", "SpeedButton1", "Animate1"})
        EXPECT_NE(form->findChild<QWidget*>(name), nullptr) << name;
}

QStringList TabCaptions(const QTabWidget* tabs) {
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions << tabs->tabText(i);
    return captions;
}

QStringList HeaderCaptions(const QTreeView* list) {
    QStringList captions;
    const QAbstractItemModel* model = list->model();
    for (int i = 0; i < model->columnCount(); ++i)
        captions << model->headerData(i, Qt::Horizontal).toString();
    return captions;
}

QStringList Utf8List(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

TEST_F(FormTest, PagesColumnsAndTrayMenu) {
    auto form = MakeForm();
    EXPECT_EQ(TabCaptions(form->PageControl1), Utf8List({"受信ﾒｯｾｰｼﾞ", "設定", "通信ﾛｸﾞ"}));
    EXPECT_EQ(TabCaptions(form->PageControl2),
              Utf8List({"本文", "ﾍｯﾀﾞ", "情報", "経路", "宛先", "CC", "添付ﾌｧｲﾙ"}));
    EXPECT_EQ(HeaderCaptions(form->LVMessages),
              Utf8List({"件名", "ｻｲｽﾞ", "受信日時", "ｱｶｳﾝﾄ", "ﾌｧｲﾙ名", "UID", "ｺﾒﾝﾄ"}));
    const int widths[] = {200, 70, 120, 100, 200, 120, 200};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(form->LVMessages->columnWidth(i), widths[i]) << i;
    EXPECT_EQ(HeaderCaptions(form->LVReceived), Utf8List({"IP", "ｺﾝﾋﾟｭｰﾀ名", "ﾎｽﾄ名", "日時"}));
    QStringList menu;
    for (QAction* action : form->PopupMenu1->actions())
        menu << (action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(menu, Utf8List({"開く(&O)", "受信(&V)", "-", "Velvishの終了(&X)"}));
    EXPECT_EQ(form->Open1->objectName(), "Open1");
    EXPECT_EQ(form->Receive1->objectName(), "Receive1");
    EXPECT_EQ(form->Exit1->objectName(), "Exit1");
}

TEST(TrayTips, Texts) {
    EXPECT_EQ(TrayIdleTip(), Cp("新着ﾒｯｾｰｼﾞはありません"));
    EXPECT_EQ(TrayRespondingTip(), Cp("応答中です"));
    EXPECT_EQ(TrayReceivedTip(3, 0), Cp("3件受信しました"));
    EXPECT_EQ(TrayReceivedTip(12, 4), Cp("12件受信／4件削除"));
    EXPECT_EQ(TrayReceivedTip(0, 0, 2), Cp("0件受信しました／2件ｻｲｽﾞ超過で削除"));
}

} // namespace

namespace {

TEST_F(FormTest, FilterListsLoadAndSkippedRuleLinesAreReported) {
    auto form = MakeForm();
    QFile rules(dir.filePath("cgi/subject.cgi"));
    ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
    rules.write("spam,0,1\r\nlonely\r\noffer,1,1\r\n");
    rules.close();
    testing::internal::CaptureStderr();
    form->FormShow();
    QCoreApplication::processEvents();
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(form->MessageFilters->MessageFiltersSubject.Count(), 2);
    EXPECT_EQ(form->MessageFilters->MessageFiltersSender1.Count(), 0);
    EXPECT_NE(error.find("subject.cgi:2"), std::string::npos) << error;
}

} // namespace
