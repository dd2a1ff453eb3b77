// The learning filter in the gateway: opened from the program folder, the
// verdict's last step as set, problems with its database reported.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <filesystem>

#include "learn/learnfilter.h"
#include "learn/learntesthelp.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "tests/app/formfixture.h"

namespace {

void TrainFolder(const std::string& folder) {
    TLearnFilter filter;
    ASSERT_TRUE(filter.Open(folder));
    learntest::Train(filter);
}

TEST_F(FormTest, LearningIsTheVerdictsLastStepAsSet) {
    TrainFolder(Folder());
    TMultipartMessage spam;
    spam.Create(learntest::SpamText(700));
    {
        auto form = ShownForm();
        TMarrowbyFormAccess a{*form};
        std::string comment;
        EXPECT_TRUE(a.FilterMessage(comment, spam));
        EXPECT_EQ(comment, Cp("学習(1.000)"));
    }
    SetSetting("learnunsure", -5); // read as 0: every score is at least unsure
    {
        auto form = ShownForm();
        TMarrowbyFormAccess a{*form};
        TMultipartMessage ham;
        ham.Create(learntest::HamText(700));
        std::string comment;
        EXPECT_FALSE(a.FilterMessage(comment, ham));
        EXPECT_EQ(comment, Cp("学習?(0.000)"));
    }
    SetSetting("learnenable", false);
    auto form = ShownForm();
    TMarrowbyFormAccess a{*form};
    std::string comment;
    EXPECT_FALSE(a.FilterMessage(comment, spam));
    EXPECT_EQ(comment, "");
}

TEST_F(FormTest, DamagedLearningDatabaseIsSetAsideAndLogged) {
    ASSERT_TRUE(platform::WriteFile(Folder() + "learn.db", std::string(3000, 'x')));
    auto form = ShownForm();
    const QString log = form->MemoLog->toPlainText();
    EXPECT_TRUE(log.contains("learn.db.broken-")) << log.toStdString();
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path().toStdString()))
        aside += entry.path().filename().string().starts_with("learn.db.broken-");
    EXPECT_EQ(aside, 1);
    // The cycle goes on: mail is judged by the lists, the new database is empty.
    TMarrowbyFormAccess a{*form};
    TMultipartMessage spam;
    spam.Create(learntest::SpamText(1));
    std::string comment;
    EXPECT_FALSE(a.FilterMessage(comment, spam));
    EXPECT_EQ(comment, "");
}

} // namespace

namespace {

TEST_F(FormTest, SettingsPageShowsCountsAndSetsTheThresholds) {
    TrainFolder(Folder());
    {
        auto form = ShownForm();
        EXPECT_EQ(form->LabelLearnCounts->text(),
                  QString::fromUtf8("学習済み: 迷惑ﾒｰﾙ 50 通、迷惑ﾒｰﾙではない 50 通"));
        EXPECT_EQ(form->EditLearnSpam->text(), "90");
        EXPECT_EQ(form->EditLearnUnsure->text(), "50");
        EXPECT_TRUE(form->CXLearnEnable->isChecked());
        form->EditLearnSpam->setText("95");
        form->EditLearnUnsure->setText("60");
        form->CXLearnEnable->setChecked(false);
        form->ButtonSaveSetupClick();
        EXPECT_DOUBLE_EQ(form->LearnFilter1->Settings.SpamThreshold, 0.95);
        EXPECT_DOUBLE_EQ(form->LearnFilter1->Settings.UnsureThreshold, 0.6);
        EXPECT_FALSE(form->LearnFilter1->Settings.Enabled);
        form->CloseWithoutQuestion();
    }
    EXPECT_EQ(Setting("learnspam").toInt(), 95);
    EXPECT_EQ(Setting("learnunsure").toInt(), 60);
    EXPECT_FALSE(Setting("learnenable").toBool());

    // A score over 100 is refused and changes nothing.
    auto form = ShownForm(false);
    form->EditLearnSpam->setText("150");
    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    form->ButtonSaveSetupClick();
    EXPECT_TRUE(answer.Seen);
    EXPECT_DOUBLE_EQ(form->LearnFilter1->Settings.SpamThreshold, 0.95);
}

TEST_F(FormTest, UntrainedCountsSayWhenJudgingStarts) {
    auto form = ShownForm();
    EXPECT_EQ(form->LabelLearnCounts->text(),
              QString::fromUtf8("学習済み: 迷惑ﾒｰﾙ 0 通、迷惑ﾒｰﾙではない 0 通 "
                                "(それぞれ 50 通を学習すると判定を始めます)"));
}

} // namespace
