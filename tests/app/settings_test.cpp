// Settings and window placement through QSettings, and the settings page.
#include <QCheckBox>
#include <QLineEdit>
#include <QSplitter>
#include <QTest>

#include "tests/app/formfixture.h"

namespace {

TEST_F(FormTest, SettingsSurviveASaveAndALoad) {
    {
        auto form = ShownForm();
        TMarrowbyFormAccess a{*form};
        form->EditTimeout->setText("12");
        form->CheckTimeout->setChecked(true);
        form->EditLimitSize->setText("100");
        form->EditEditor->setText(QString::fromUtf8("/opt/ｴﾃﾞｨﾀ/bin/edit"));
        form->CXDenyRemote->setChecked(false);
        form->CXClientLog->setChecked(true);
        form->CXServerLog->setChecked(true);
        form->CXPrecheckAttach->setChecked(false);
        form->ButtonSaveSetupClick();
        a.SortTarget() = 4;
        a.Descend() = false;
        a.SaveFolder() = Cp("/home/user/添付");
        form->CloseWithoutQuestion();
    }
    EXPECT_EQ(Setting("checkspan").toInt(), 12);
    EXPECT_EQ(Setting("editor").toString(), QString::fromUtf8("/opt/ｴﾃﾞｨﾀ/bin/edit"));
    auto form = ShownForm();
    TMarrowbyFormAccess a{*form};
    EXPECT_EQ(a.CheckSpan(), 12);
    EXPECT_TRUE(a.CheckEnable());
    EXPECT_EQ(a.LimitSize(), 100);
    EXPECT_EQ(a.Editor(), Cp("/opt/ｴﾃﾞｨﾀ/bin/edit"));
    EXPECT_FALSE(a.DenyRemote());
    EXPECT_TRUE(a.ClientLog());
    EXPECT_TRUE(a.ServerLog());
    EXPECT_FALSE(a.PrecheckAttach());
    EXPECT_EQ(a.SortTarget(), 4);
    EXPECT_FALSE(a.Descend());
    EXPECT_EQ(a.SaveFolder(), Cp("/home/user/添付"));
    EXPECT_EQ(form->EditTimeout->text(), "12");
    EXPECT_TRUE(form->CXServerLog->isChecked());
}

TEST_F(FormTest, AbsentOrMalformedValuesKeepTheDefaults) {
    SetSetting("checkspan", "often");
    SetSetting("denyremote", "perhaps");
    SetSetting("limitsize", 300);
    auto form = ShownForm();
    TMarrowbyFormAccess a{*form};
    EXPECT_EQ(a.CheckSpan(), 5);
    EXPECT_TRUE(a.DenyRemote());
    EXPECT_EQ(a.LimitSize(), 300);
    EXPECT_EQ(a.Editor(), "");
}

TEST_F(FormTest, SaveSetupRefusesBadInputAndChangesNothing) {
    auto form = ShownForm(false);
    TMarrowbyFormAccess a{*form};
    a.MinuteCount() = 3;
    form->EditTimeout->setText("0");
    form->EditLimitSize->setText("1");
    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    form->ButtonSaveSetupClick();
    EXPECT_TRUE(answer.Seen);
    EXPECT_EQ(answer.Title, "Velvane");
    EXPECT_EQ(answer.Text, QString::fromUtf8("ﾒｰﾙﾁｪｯｸ間隔は 1 以上の値を入力してください"));
    EXPECT_EQ(a.CheckSpan(), 5);
    EXPECT_EQ(a.LimitSize(), 2048);
    EXPECT_EQ(a.MinuteCount(), 3);

    form->EditTimeout->setText("7");
    form->ButtonSaveSetupClick();
    EXPECT_EQ(a.CheckSpan(), 7);
    EXPECT_EQ(a.LimitSize(), 1);
    EXPECT_EQ(a.MinuteCount(), 0);
}

TEST_F(FormTest, PlacementOfANormalWindowSurvives) {
    {
        auto form = MakeForm(false);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->move(40, 30);
        form->resize(900, 700);
        QTest::qWait(1);
        form->SplitterMultipart->setSizes({180, 400});
        form->CloseWithoutQuestion();
    }
    EXPECT_EQ(Setting("state").toInt(), 0);
    EXPECT_EQ(Setting("width").toInt(), 900);
    EXPECT_EQ(Setting("height").toInt(), 700);
    EXPECT_EQ(Setting("PanelMultipart").toInt(), 180);
    const int left = Setting("left").toInt(), top = Setting("top").toInt();

    auto form = MakeForm(false);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_EQ(form->width(), 900);
    EXPECT_EQ(form->height(), 700);
    EXPECT_EQ(form->x(), left);
    EXPECT_EQ(form->y(), top);
    EXPECT_EQ(form->PanelRBox->height(), 180);
}

TEST_F(FormTest, MaximisedWindowWritesOnlyPanelAndState) {
    SetSetting("top", 11);
    SetSetting("left", 22);
    SetSetting("width", 633);
    SetSetting("height", 444);
    {
        auto form = MakeForm(false);
        form->showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->CloseWithoutQuestion();
    }
    EXPECT_EQ(Setting("state").toInt(), 2);
    EXPECT_TRUE(Setting("PanelMultipart").isValid());
    EXPECT_EQ(Setting("top").toInt(), 11);
    EXPECT_EQ(Setting("left").toInt(), 22);
    EXPECT_EQ(Setting("width").toInt(), 633);
    EXPECT_EQ(Setting("height").toInt(), 444);
}

TEST_F(FormTest, WindowlessRunKeepsTheStoredPlacement) {
    SetSetting("PanelMultipart", 321);
    SetSetting("width", 633);
    {
        auto form = ShownForm(true);
        form->CloseWithoutQuestion();
    }
    EXPECT_EQ(Setting("PanelMultipart").toInt(), 321);
    EXPECT_EQ(Setting("width").toInt(), 633);
}

} // namespace
