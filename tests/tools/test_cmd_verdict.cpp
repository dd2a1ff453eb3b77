#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "filter/filtertesthelp.h"
#include "platform/file.h"
#include "tools/commands.h"

namespace {

class CmdVerdictTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(platform::ForceDirectories(Folder.File("cgi")));
        Write("cgi/sender1.cgi", "boss@example.jp,0,1,0,1\r\n");
        Write("cgi/header.cgi", "X-Spam-Flag,YES,0,1\r\nbroken line\r\n");
        Write("cgi/attach.cgi", "exe\r\n");
        Write("spam.eml", "From: a@b.jp\r\nX-Spam-Flag: YES\r\n\r\nbuy\r\n");
        Write("boss.eml",
              "From: boss@example.jp\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
              "--b\r\nContent-Type: application/octet-stream; name=\"run.exe\"\r\n\r\nMZ\r\n"
              "--b--\r\n");
        Write("plain.eml", "From: c@d.jp\r\nSubject: hello\r\n\r\nhi\r\n");
        // The default program folder, should a command run without --folder.
        setenv("XDG_DATA_HOME", Folder.File("data").c_str(), 1);
    }

    void Write(const std::string& name, std::string_view bytes) {
        ASSERT_TRUE(platform::WriteFile(Folder.File(name), bytes));
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), "verdict");
        Out.str("");
        Err.str("");
        return RunTool(args, Out, Err);
    }

    TTempFolder Folder;
    std::ostringstream Out, Err;
};

} // namespace

TEST_F(CmdVerdictTest, OneLinePerFile) {
    std::string spam = Folder.File("spam.eml"), boss = Folder.File("boss.eml"),
                plain = Folder.File("plain.eml");
    EXPECT_EQ(Run({"--folder", Folder.Path, spam, boss, plain}), 0);
    EXPECT_EQ(Out.str(), spam + "\treject\tﾍｯﾀﾞ(X-Spam-Flag:YES)\n" + boss +
                             "\treject\t添付ﾌｧｲﾙ(exe)\n" + plain + "\taccept\t\n");
    EXPECT_EQ(Err.str(), "marrowby-tool verdict: skipped rule line " +
                             Folder.File("cgi/header.cgi") + ":2: broken line\n");
    EXPECT_EQ(Run({"--precheck-attach", "0", "--folder", Folder.Path, boss}), 0);
    EXPECT_EQ(Out.str(), boss + "\taccept\t差出人1(boss@example.jp)\n");
}

TEST_F(CmdVerdictTest, BadArgumentsAndFiles) {
    const std::vector<std::string> bad[] = {
        {},
        {"--folder", Folder.Path},
        {"--folder"},
        {"--folder", Folder.Path, "--precheck-attach", "yes", Folder.File("plain.eml")},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), 2);
        EXPECT_EQ(Out.str(), "");
        EXPECT_NE(Err.str().find("Usage: marrowby-tool verdict"), std::string::npos);
    }
    EXPECT_EQ(Run({"--folder", Folder.Path, Folder.File("missing.eml"), Folder.File("plain.eml")}),
              1);
    EXPECT_EQ(Out.str(), Folder.File("plain.eml") + "\taccept\t\n");
    EXPECT_NE(Err.str().find("cannot read " + Folder.File("missing.eml")), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(Out.str().find("--precheck-attach"), std::string::npos);
}

TEST_F(CmdVerdictTest, SpentBudgetNamesTheRule) {
    Write("cgi/body.cgi", "(a+)+$,1,0\r\n");
    std::string text = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < 40; ++i)
        text += "--b\r\nContent-Type: text/plain\r\n\r\n" + std::string(40, 'a') + "b\r\n";
    Write("costly.eml", text + "--b--\r\n");
    const std::string costly = Folder.File("costly.eml");
    EXPECT_EQ(Run({"--folder", Folder.Path, costly}), 0);
    EXPECT_EQ(Out.str(), costly + "\taccept\t\n");
    EXPECT_NE(Err.str().find(costly + ": >TIMEOUT:本文((a+)+$) "), std::string::npos) << Err.str();
}
