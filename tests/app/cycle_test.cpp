// The minute timer, the account cycle with its log lines, and the idle rules.
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <mutex>

#include "app/busyanimation.h"
#include "platform/file.h"
#include "platform/listener.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tests/app/formfixture.h"

namespace {

// The lines of the cycles, without the start's line that names the program folder.
QStringList LogLines(const TMarrowbyForm& form) {
    QStringList lines = form.MemoLog->toPlainText().split('\n', Qt::SkipEmptyParts);
    lines.removeIf([](const QString& line) { return line.startsWith("ﾃﾞｰﾀﾌｫﾙﾀﾞ: "); });
    return lines;
}

bool IsTimeLine(const QString& line) {
    static const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d$");
    return time.match(line).hasMatch();
}

struct TimerCase {
    bool enable;
    int span;
    int ticks;
    bool cycle;
};

TEST_F(FormTest, TimerStartsACycleAfterSpanIdleMinutes) {
    const TimerCase cases[] = {
        {false, 5, 10, false}, {true, 0, 10, false}, {true, -1, 10, false},
        {true, 3, 2, false},   {true, 3, 3, true},   {true, 1, 1, true},
    };
    for (const TimerCase& c : cases) {
        SetSetting("checkenable", c.enable);
        SetSetting("checkspan", c.span);
        auto form = ShownForm();
        for (int i = 0; i < c.ticks; ++i)
            form->Timer1Timer();
        EXPECT_EQ(LogLines(*form).size(), c.cycle ? 2 : 0)
            << c.enable << " " << c.span << " " << c.ticks;
        if (c.cycle) {
            EXPECT_EQ(TMarrowbyFormAccess{*form}.MinuteCount(), 0);
        }
    }
}

TEST_F(FormTest, TimerHoldsWhileADialogIsOpenOrAThreadRuns) {
    SetSetting("checkenable", true);
    SetSetting("checkspan", 1);
    auto form = ShownForm();
    TMarrowbyFormAccess a{*form};
    a.DialogOpen() = true;
    form->Timer1Timer();
    a.DialogOpen() = false;
    a.Busy() = true;
    form->Timer1Timer();
    EXPECT_EQ(a.MinuteCount(), 0);
    EXPECT_TRUE(LogLines(*form).isEmpty());
    a.Busy() = false;
    form->Timer1Timer();
    EXPECT_EQ(LogLines(*form).size(), 2);
}

TEST_F(FormTest, CycleWithoutAccountsWritesTwoTimeLines) {
    auto form = ShownForm();
    form->MemoLog->appendPlainText("old line");
    form->ButtonExecClick();
    const QStringList lines = LogLines(*form);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(IsTimeLine(lines[0])) << lines[0].toStdString();
    EXPECT_TRUE(IsTimeLine(lines[1])) << lines[1].toStdString();
    EXPECT_FALSE(form->Animate1->GetActive());
    EXPECT_FALSE(TMarrowbyFormAccess{*form}.Checking());
}

// Accounts written to the folder's account file before the first display.
// An account that is checked points at a local server that accepts and
// stays silent, so its session keeps the cycle running for the test.
class CycleAccounts : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        ASSERT_TRUE(Silent.Open("127.0.0.1", 0));
    }
    void WriteAccounts(std::initializer_list<std::pair<const char*, const char*>> nameHost) {
        TPop3AccountList list;
        SetupAccountList(list, Folder());
        for (auto [name, host] : nameHost) {
            TPop3AccountItem* account =
                list.Add(name, "user", "secret", host, Silent.GetPort(), false, false);
            ASSERT_TRUE(platform::ForceDirectories(account->GetFolder()));
        }
        std::string error;
        ASSERT_TRUE(list.Save(&error)) << error;
    }

    std::mutex Mutex;
    std::vector<std::unique_ptr<platform::TSocket>> Clients;
    platform::TListener Silent{[this](std::unique_ptr<platform::TSocket> client) {
        std::lock_guard lock(Mutex);
        Clients.push_back(std::move(client));
    }};
};

TEST_F(CycleAccounts, MarkedAccountsAreSkipped) {
    auto form = MakeForm();
    WriteAccounts({{"alpha", "#pop.example.org"}, {"beta", "#pop.example.net"}});
    form->FormShow();
    form->ButtonExecClick();
    const QStringList lines = LogLines(*form);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(IsTimeLine(lines[0]));
    EXPECT_EQ(lines[1], "== SKIP alpha ====================");
    EXPECT_EQ(lines[2], "== SKIP beta ====================");
    EXPECT_TRUE(IsTimeLine(lines[3]));
    EXPECT_EQ(TMarrowbyFormAccess{*form}.CheckIndex(), 2);
}

TEST_F(CycleAccounts, RunningCycleDisablesItsControlsAndAsksBeforeClosing) {
    auto form = MakeForm();
    WriteAccounts({{"alpha", "#pop.example.org"}, {"beta", "127.0.0.1"}});
    form->FormShow();
    form->ButtonExecClick();
    TMarrowbyFormAccess a{*form};
    EXPECT_EQ(a.CheckIndex(), 1);
    EXPECT_TRUE(a.Checking());
    EXPECT_TRUE(form->Animate1->GetActive());
    ASSERT_EQ(LogLines(*form).size(), 2);

    form->AppIdle();
    EXPECT_TRUE(a.Busy());
    EXPECT_FALSE(form->ButtonExec->isEnabled());
    EXPECT_FALSE(form->Receive1->isEnabled());
    EXPECT_FALSE(form->ButtonFilter->isEnabled());
    EXPECT_FALSE(form->ButtonAccount->isEnabled());
    EXPECT_FALSE(form->ButtonRestruct->isEnabled());

    // a second request does not restart the running cycle
    form->ButtonExecClick();
    EXPECT_EQ(a.CheckIndex(), 1);
    EXPECT_EQ(LogLines(*form).size(), 2);

    EXPECT_EQ(a.CloseQuestion().substr(0, Cp("作業中のため").size()), Cp("作業中のため"));
}

TEST_F(FormTest, IdleRulesOfTheListAndSettingsControls) {
    auto form = ShownForm();
    form->AppIdle();
    EXPECT_TRUE(form->ButtonExec->isEnabled());
    EXPECT_TRUE(form->ButtonRecvFolder->font().bold());
    EXPECT_FALSE(form->ButtonDustFolder->font().bold());
    EXPECT_FALSE(form->ButtonClear->isEnabled());
    EXPECT_FALSE(form->ButtonOpen->isEnabled());
    EXPECT_FALSE(form->ButtonEditor->isEnabled());
    EXPECT_FALSE(form->ButtonDelete->isEnabled());
    EXPECT_FALSE(form->ButtonSaveSetup->isEnabled());
    EXPECT_TRUE(form->ButtonFilter->isEnabled());
    EXPECT_FALSE(form->ButtonCopyIP->isEnabled());
    EXPECT_FALSE(form->ButtonSave->isEnabled());
    EXPECT_TRUE(form->ButtonFolder->isEnabled());

    form->ButtonDustFolderClick();
    form->EditTimeout->setModified(true);
    form->AppIdle();
    EXPECT_FALSE(form->ButtonRecvFolder->font().bold());
    EXPECT_TRUE(form->ButtonDustFolder->font().bold());
    EXPECT_TRUE(form->ButtonClear->isEnabled());
    EXPECT_TRUE(form->ButtonSaveSetup->isEnabled());
}

} // namespace

namespace {

TEST_F(CycleAccounts, CloseDuringACycleAsksAndYesKeepsEverything) {
    auto form = MakeForm(false);
    WriteAccounts({{"alpha", "127.0.0.1"}});
    form->FormShow();
    form->ButtonExecClick();
    bool closed = false;
    QObject::connect(form.get(), &TMarrowbyForm::FormClosed, [&] { closed = true; });

    TMessageBoxAnswer yes;
    yes.Arm(QMessageBox::Yes);
    EXPECT_FALSE(form->close());
    ASSERT_TRUE(yes.Seen);
    EXPECT_EQ(yes.Title, "Velvane");
    EXPECT_EQ(yes.Icon, QMessageBox::Information);
    EXPECT_TRUE(yes.Text.startsWith(QString::fromUtf8("作業中のため、終了できません\n\n「はい」")));
    EXPECT_FALSE(closed);
    EXPECT_FALSE(Setting("checkspan").isValid());
    EXPECT_TRUE(form->ServerSocket1->GetActive());

    TMessageBoxAnswer no;
    no.Arm(QMessageBox::No);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(no.Seen);
    EXPECT_TRUE(closed);
    EXPECT_EQ(Setting("checkspan").toInt(), 5);
    EXPECT_FALSE(form->ServerSocket1->GetActive());
}

} // namespace
