// The command line: options, their values and the refusals.
#include <gtest/gtest.h>

#include "app/commandline.h"

namespace {

using TAction = TCommandLine::TAction;

struct Case {
    std::vector<std::string> args;
    TAction action;
    std::string folder;
    int port;
    bool headless;
};

TEST(CommandLine, Table) {
    const Case cases[] = {
        {{}, TAction::Run, "", 110, false},
        {{"--headless"}, TAction::Run, "", 110, true},
        {{"--folder", "/srv/mail", "--port", "1110"}, TAction::Run, "/srv/mail", 1110, false},
        {{"--folder=/srv/mail", "--port=65535", "--headless"},
         TAction::Run,
         "/srv/mail",
         65535,
         true},
        {{"--help"}, TAction::Help, "", 110, false},
        {{"-h"}, TAction::Help, "", 110, false},
        {{"--version"}, TAction::Version, "", 110, false},
        {{"--version", "--help"}, TAction::Help, "", 110, false},
        {{"--port"}, TAction::Error, "", 110, false},
        {{"--port", "0"}, TAction::Error, "", 110, false},
        {{"--port", "65536"}, TAction::Error, "", 110, false},
        {{"--port", "-5"}, TAction::Error, "", 110, false},
        {{"--port", "11x"}, TAction::Error, "", 110, false},
        {{"--port", "99999999999"}, TAction::Error, "", 110, false},
        {{"--folder"}, TAction::Error, "", 110, false},
        {{"--folder="}, TAction::Error, "", 110, false},
        {{"--headless=yes"}, TAction::Error, "", 110, false},
        {{"--frobnicate"}, TAction::Error, "", 110, false},
        {{"stray"}, TAction::Error, "", 110, false},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        const TCommandLine result = ParseCommandLine(c.args);
        EXPECT_EQ(result.Action, c.action) << joined;
        if (c.action == TAction::Error) {
            EXPECT_FALSE(result.Error.empty()) << joined;
            continue;
        }
        EXPECT_EQ(result.Folder, c.folder) << joined;
        EXPECT_EQ(result.Port, c.port) << joined;
        EXPECT_EQ(result.Headless, c.headless) << joined;
    }
}

TEST(CommandLine, UsageNamesEveryOption) {
    const std::string usage = UsageText();
    for (const char* option : {"--folder", "--port", "--headless", "--help", "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
}

TEST(CommandLine, ProgramFolderGiven) {
    EXPECT_EQ(ProgramFolderFor("/srv/mail").Path, "/srv/mail/");
    EXPECT_EQ(ProgramFolderFor("/srv/mail/").Path, "/srv/mail/");
    const std::string relative = ProgramFolderFor("data").Path;
    EXPECT_EQ(relative.front(), '/');
    EXPECT_NE(relative.find("/data/"), std::string::npos);
}

} // namespace
