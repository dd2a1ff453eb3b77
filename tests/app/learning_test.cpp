// The learning filter in the gateway: opened from the program folder, the
// verdict's last step as set, problems with its database reported.
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
