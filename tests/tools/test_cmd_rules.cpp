// marrowby-tool rules: listing, adding and removing rules, and the refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "filter/filtertesthelp.h"
#include "platform/file.h"
#include "platform/instancelock.h"
#include "tools/commands.h"

namespace {

class CmdRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A private lock folder, so that a gateway running for the user does not interfere.
        ASSERT_TRUE(platform::ForceDirectories(Folder.File("run")));
        setenv("XDG_RUNTIME_DIR", Folder.File("run").c_str(), 1);
        // The default program folder, should a command run without --folder.
        setenv("XDG_DATA_HOME", Folder.File("data").c_str(), 1);
    }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"rules", "--folder", Folder.Path});
        Out.str("");
        Err.str("");
        return RunTool(args, Out, Err);
    }
    std::string Rules(const std::string& file) const {
        return platform::ReadFile(Folder.File("cgi/" + file)).value_or("<missing>");
    }
    void WriteRules(const std::string& file, std::string_view bytes) {
        ASSERT_TRUE(platform::ForceDirectories(Folder.File("cgi")));
        ASSERT_TRUE(platform::WriteFile(Folder.File("cgi/" + file), bytes));
    }

    TTempFolder Folder;
    std::ostringstream Out, Err;
};

} // namespace

TEST_F(CmdRulesTest, AddListAndRemoveOnEveryList) {
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(Out.str(), "");
    const struct {
        std::vector<std::string> args;
        std::string line, file, bytes;
    } adds[] = {
        {{"white", "add", "boss@example.jp", "--caseless", "--from"},
         "white\t1\tFrom\tboss@example.jp\tNo\t区別しない",
         "sender1.cgi",
         "boss@example.jp,0,1,0,1\r\n"},
        {{"black", "add", "^bulk-", "--regex", "--return-path", "--from"},
         "black\t1\tReturn-Path AND From\t^bulk-\tYes\t",
         "sender2.cgi",
         "^bulk-,1,0,1,1\r\n"},
        {{"subject", "add", "a, \"b\" c"},
         "subject\t1\ta, \"b\" c\tNo\t",
         "subject.cgi",
         "\"a, \"\"b\"\" c\",0,0\r\n"},
        {{"ip", "add", "010.0.0.0", "--mask", "255.0.0.0"},
         "ip\t1\t10.0.0.0\t255.0.0.0",
         "ip.cgi",
         "10.0.0.0,255.0.0.0\r\n"},
        {{"host", "add", "spam.example", "--caseless"},
         "host\t1\tspam.example\tNo\t区別しない",
         "host.cgi",
         "spam.example,0,1\r\n"},
        {{"mailer", "add", "Bulk Mailer"},
         "mailer\t1\tBulk Mailer\tNo\t",
         "mailer.cgi",
         "\"Bulk Mailer\",0,0\r\n"},
        {{"header", "add", "X-Spam-Flag", "YES", "--caseless"},
         "header\t1\tX-Spam-Flag\tYES\tNo\t区別しない",
         "header.cgi",
         "X-Spam-Flag,YES,0,1\r\n"},
        {{"body", "add", "未承諾広告", "--regex"},
         "body\t1\t未承諾広告\tYes\t",
         "body.cgi",
         "\x96\xA2\x8F\xB3\x91\xF8\x8D\x4C\x8D\x90,1,0\r\n"},
        {{"attach", "add", ".Exe"}, "attach\t1\tExe", "attach.cgi", "Exe\r\n"},
    };
    std::string all;
    for (const auto& add : adds) {
        EXPECT_EQ(Run(add.args), 0) << Err.str();
        EXPECT_EQ(Out.str(), add.line + "\n");
        EXPECT_EQ(Rules(add.file), add.bytes) << add.file;
        all += add.line + "\n";
    }
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(Out.str(), all);
    EXPECT_EQ(Run({"ip", "add", "192.168.1.5"}), 0);
    EXPECT_EQ(Run({"ip"}), 0);
    EXPECT_EQ(Out.str(), "ip\t1\t10.0.0.0\t255.0.0.0\nip\t2\t192.168.1.5\t255.255.255.255\n");

    EXPECT_EQ(Run({"ip", "remove", "1"}), 0);
    EXPECT_EQ(Out.str(), "ip\t1\t10.0.0.0\t255.0.0.0\n");
    EXPECT_EQ(Rules("ip.cgi"), "192.168.1.5,255.255.255.255\r\n");
    EXPECT_EQ(Run({"attach", "remove", "1"}), 0);
    EXPECT_EQ(Rules("attach.cgi"), "");
}

// Each refusal leaves the files as they were.
TEST_F(CmdRulesTest, Refusals) {
    WriteRules("attach.cgi", "exe\r\n");
    WriteRules("subject.cgi", "ad,0,1\r\n");
    ASSERT_TRUE(platform::ForceDirectories(Folder.File("cgi/body.cgi/blocked")));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"spam"}, 2, "unexpected arguments"},
        {{"subject", "erase", "1"}, 2, "unexpected arguments"},
        {{"subject", "--regex"}, 2, "options belong to add"},
        {{"subject", "remove", "1", "--caseless"}, 2, "options belong to add"},
        {{"subject", "add"}, 2, "wrong fields or options"},
        {{"subject", "add", "a", "b"}, 2, "wrong fields or options"},
        {{"subject", "add", "a", "--from"}, 2, "wrong fields or options"},
        {{"white", "add", "a", "--mask", "255.0.0.0"}, 2, "wrong fields or options"},
        {{"subject", "add", "--bogus", "a"}, 2, "unknown option --bogus"},
        {{"subject", "add", ""}, 2, "rules add: a field may not be empty\n"},
        {{"subject", "add", "(win", "--regex"},
         2,
         "rules add: the keyword \"(win\" is not a valid regular expression: missing closing "
         "parenthesis (at character 4); the rule would never match\n"},
        {{"header", "add", "X-(", "YES"}, 2, "the header name \"X-(\" is not a valid regular"},
        {{"ip", "add", "10.0.0"},
         2,
         "the network \"10.0.0\" is not an address such as 192.168.0.1"},
        {{"ip", "add", "10.0.0.0", "--mask", "255.256.0.0"},
         2,
         "the mask \"255.256.0.0\" has a number above 255"},
        {{"attach", "add", "EXE"}, 1, "the extension \"EXE\" is listed already as \"exe\"\n"},
        {{"attach", "add", "a)b"}, 2, "unmatched closing parenthesis (at character 1)"},
        {{"subject", "remove", "0"}, 2, "give the number of one rule"},
        {{"subject", "remove", "x"}, 2, "give the number of one rule"},
        {{"subject", "remove"}, 2, "give the number of one rule"},
        {{"subject", "remove", "2"}, 1, "the list subject has no rule 2 (it has 1)\n"},
        {{"body", "add", "pills"}, 1, "cannot save " + Folder.File("cgi/body.cgi") + ": "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.args), c.status) << c.message;
        EXPECT_NE(Err.str().find(c.message), std::string::npos) << Err.str();
        EXPECT_EQ(Out.str(), "") << c.message;
    }
    EXPECT_EQ(Rules("attach.cgi"), "exe\r\n");
    EXPECT_EQ(Rules("subject.cgi"), "ad,0,1\r\n");
    EXPECT_EQ(Rules("header.cgi"), "<missing>");
    EXPECT_EQ(Rules("ip.cgi"), "<missing>");

    Out.str("");
    Err.str("");
    EXPECT_EQ(RunTool({"rules", "--folder=", "subject"}, Out, Err), 2);
    EXPECT_NE(Err.str().find("--folder needs a folder"), std::string::npos);
}

TEST_F(CmdRulesTest, WritingRefusesWhileTheGatewayRuns) {
    WriteRules("subject.cgi", "ad,0,1\r\n");
    TInstanceLock gateway;
    ASSERT_EQ(gateway.Acquire(), TInstanceLock::TState::Acquired);
    EXPECT_EQ(Run({"subject", "add", "x"}), 1);
    EXPECT_NE(Err.str().find("Marrowby is running"), std::string::npos) << Err.str();
    EXPECT_EQ(Run({"subject", "remove", "1"}), 1);
    EXPECT_EQ(Rules("subject.cgi"), "ad,0,1\r\n");
    EXPECT_EQ(Run({"subject"}), 0); // reading goes on
    EXPECT_EQ(Out.str(), "subject\t1\tad\tNo\t区別しない\n");
}

// A line that cannot be read is named; writing its file would drop it, so
// the list is not changed until it is corrected.
TEST_F(CmdRulesTest, UnreadableLines) {
    WriteRules("header.cgi", "X-A,b,1,1\r\nX-B,c\r\n");
    EXPECT_EQ(Run({"header"}), 0);
    EXPECT_EQ(Out.str(), "header\t1\tX-A\tb\tYes\t区別しない\n");
    EXPECT_EQ(Err.str(), "marrowby-tool rules: skipped rule line " + Folder.File("cgi/header.cgi") +
                             ":2: X-B,c\n");
    EXPECT_EQ(Run({"header", "add", "X-C", "d"}), 1);
    EXPECT_NE(Err.str().find("writing the file would drop them"), std::string::npos) << Err.str();
    EXPECT_EQ(Rules("header.cgi"), "X-A,b,1,1\r\nX-B,c\r\n");
}

TEST_F(CmdRulesTest, HelpExplainsTheListsAndTheirFields) {
    EXPECT_EQ(RunTool({"rules", "--help"}, Out, Err), 0);
    for (const char* word : {"white", "sender1.cgi", "attach.cgi", "--return-path", "--mask",
                             "--caseless", "header add NAME KEYWORD", "exit code 2"})
        EXPECT_NE(Out.str().find(word), std::string::npos) << word;
    Out.str("");
    EXPECT_EQ(RunTool({"--help"}, Out, Err), 0);
    EXPECT_NE(Out.str().find("rules"), std::string::npos);
}
