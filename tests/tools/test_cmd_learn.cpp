#include <gtest/gtest.h>

#include <sstream>

#include "filter/filtertesthelp.h"
#include "learn/learntesthelp.h"
#include "platform/file.h"
#include "tools/commands.h"

namespace {

class CmdLearnTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 50; ++i) {
            Spam.push_back(Write("spam" + std::to_string(i) + ".eml", learntest::SpamText(i)));
            Ham.push_back(Write("ham" + std::to_string(i) + ".eml", learntest::HamText(i)));
        }
    }

    std::string Write(const std::string& name, std::string_view bytes) {
        EXPECT_TRUE(platform::WriteFile(Folder.File(name), bytes));
        return Folder.File(name);
    }

    int Run(std::string command, std::vector<std::string> args) {
        args.insert(args.begin(), command);
        Out.str("");
        Err.str("");
        return RunTool(args, Out, Err);
    }

    TTempFolder Folder;
    std::vector<std::string> Spam, Ham;
    std::ostringstream Out, Err;
};

std::vector<std::string> With(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

} // namespace

TEST_F(CmdLearnTest, LearnRelearnAndStats) {
    EXPECT_EQ(Run("learn", With({"--folder", Folder.Path, "--spam"}, Spam)), 0);
    EXPECT_TRUE(Out.str().starts_with("spam: 50 learned, 0 moved from ham, 0 already learned as "
                                      "spam\ndatabase: " +
                                      Folder.File("learn.db") + "\nspam messages: 50\n"))
        << Out.str();
    EXPECT_NE(Out.str().find("verdict: not yet; learn 0 more spam and 50 more ham\n"),
              std::string::npos);
    // Two spam files were ham after all; one of them given twice.
    EXPECT_EQ(
        Run("learn", With({"--folder", Folder.Path, "--ham", Spam[0], Spam[1], Spam[1]}, Ham)), 0);
    EXPECT_TRUE(Out.str().starts_with("ham: 50 learned, 2 moved from spam, 1 already learned as "
                                      "ham\n"))
        << Out.str();
    EXPECT_EQ(Run("learn", {"--folder", Folder.Path, "--stats"}), 0);
    EXPECT_NE(Out.str().find("spam messages: 48\nham messages: 52\n"), std::string::npos);
    EXPECT_NE(Out.str().find("verdict: not yet; learn 2 more spam and 0 more ham\n"),
              std::string::npos);
    EXPECT_EQ(Err.str(), "");
}

TEST_F(CmdLearnTest, ScoreLinesWithTheStrongestTokens) {
    std::string missing = Folder.File("missing.eml");
    EXPECT_EQ(Run("score", {"--folder", Folder.Path, Spam[0]}), 1);
    EXPECT_NE(Err.str().find("nothing learned yet"), std::string::npos);
    ASSERT_EQ(Run("learn", With({"--folder", Folder.Path, "--spam"}, Spam)), 0);
    ASSERT_EQ(Run("learn", With({"--folder", Folder.Path, "--ham"}, Ham)), 0);
    std::string spam = Write("new-spam.eml", learntest::SpamText(900));
    std::string ham = Write("new-ham.eml", learntest::HamText(900));
    EXPECT_EQ(Run("score", {"--folder", Folder.Path, spam, missing, ham}), 1);
    std::istringstream lines(Out.str());
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_TRUE(line.starts_with(spam + "\t1.000\t")) << line;
    EXPECT_NE(line.find("pills=0.9"), std::string::npos) << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '='), 10) << line;
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_TRUE(line.starts_with(ham + "\t0.000\t")) << line;
    EXPECT_EQ(Err.str(), "marrowby-tool score: cannot read " + missing + "\n");
}

TEST_F(CmdLearnTest, BadArguments) {
    const std::vector<std::string> bad[] = {
        {"learn", "--folder", Folder.Path, Spam[0]},
        {"learn", "--folder", Folder.Path, "--spam", "--ham", Spam[0]},
        {"learn", "--folder", Folder.Path, "--spam"},
        {"learn", "--folder", Folder.Path, "--stats", Spam[0]},
        {"learn", "--folder", Folder.File("nowhere"), "--spam", Spam[0]},
        {"score", "--folder", Folder.Path},
    };
    for (const auto& args : bad)
        EXPECT_EQ(Run(args[0], std::vector<std::string>(args.begin() + 1, args.end())), 2)
            << args[1];
    EXPECT_FALSE(platform::FileExists(Folder.File("learn.db")));
}

// The verdict command takes the learning step as the gateway does.
TEST_F(CmdLearnTest, VerdictEndsWithTheLearningStep) {
    std::string spam = Write("new-spam.eml", learntest::SpamText(900));
    ASSERT_EQ(Run("verdict", {"--folder", Folder.Path, spam}), 0);
    EXPECT_EQ(Out.str(), spam + "\taccept\t\n");
    EXPECT_FALSE(platform::FileExists(Folder.File("learn.db")));
    ASSERT_EQ(Run("learn", With({"--folder", Folder.Path, "--spam"}, Spam)), 0);
    ASSERT_EQ(Run("learn", With({"--folder", Folder.Path, "--ham"}, Ham)), 0);
    ASSERT_EQ(Run("verdict", {"--folder", Folder.Path, spam}), 0);
    EXPECT_EQ(Out.str(), spam + "\treject\t学習(1.000)\n");
}
