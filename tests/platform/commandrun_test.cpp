#include "platform/commandrun.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace platform;
using namespace std::chrono_literals;
using Words = std::vector<std::string>;

namespace {

struct TSplitCase {
    const char* Line;
    std::optional<Words> Expected;
};

// A process that has ended: gone, or a zombie left to its new parent.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    return !(stat >> pidText >> name >> state) || state == "Z";
}

bool EndsWithin(pid_t pid, std::chrono::seconds bound) {
    for (auto until = std::chrono::steady_clock::now() + bound;
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(20ms))
        if (Ended(pid)) return true;
    return false;
}

pid_t ReadPid(const std::filesystem::path& file) {
    for (int i = 0; i < 500; ++i, std::this_thread::sleep_for(10ms)) {
        std::ifstream in(file);
        pid_t pid = 0;
        if (in >> pid && pid > 0) return pid;
    }
    return -1;
}

struct TTempDir {
    std::filesystem::path Path;
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "cmdrunXXXXXX").string();
        Path = mkdtemp(pattern.data());
    }
    ~TTempDir() { std::filesystem::remove_all(Path); }
};

} // namespace

TEST(SplitCommandWords, SplitsLikeAShellWithoutExpanding) {
    const TSplitCase cases[] = {
        {"helper --account home", Words{"helper", "--account", "home"}},
        {"  a\t b \n", Words{"a", "b"}},
        {"helper 'my account' x", Words{"helper", "my account", "x"}},
        {"a'b c'd", Words{"ab cd"}},
        {R"(say "a \"b\" \$x \n \\")", Words{"say", R"(a "b" $x \n \)"}},
        {R"(a\ b c\'d)", Words{"a b", "c'd"}},
        {"~/bin/token $HOME * ; | >out", Words{"~/bin/token", "$HOME", "*", ";", "|", ">out"}},
        {"prog ''", Words{"prog", ""}},
        {"prog 'open", std::nullopt},
        {"prog \"open", std::nullopt},
        {"prog \\", std::nullopt},
        {"   ", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommandWords(c.Line), c.Expected) << c.Line;
}

TEST(RunFirstLine, GivesTheFirstOutputLineOfACommandThatSucceeds) {
    struct {
        const char* Command;
        const char* Line;
    } cases[] = {
        {"printf 'tok-123\\nsecond line\\n'", "tok-123"},
        {"printf 'crlf\\r\\n'", "crlf"},
        {"printf 'no line end'", "no line end"},
        {"printf '%s\\n' 'two words'", "two words"},
        // No shell: the semicolon and what follows are echo's arguments.
        {"echo tok ; touch /nonexistent/x", "tok ; touch /nonexistent/x"},
    };
    for (const auto& c : cases) {
        TCommandResult result = RunFirstLine(c.Command, 10s);
        EXPECT_TRUE(result.Ok) << c.Command << ": " << result.Error;
        EXPECT_EQ(result.FirstLine, c.Line) << c.Command;
    }
}

TEST(RunFirstLine, FailuresSayWhyAndNeverShowTheStandardOutput) {
    struct {
        const char* Command;
        const char* Why;
    } cases[] = {
        {"sh -c 'echo SECRET-TOKEN; echo refresh token expired >&2; exit 3'",
         "exit status 3 (refresh token expired)"},
        {"sh -c 'echo SECRET-TOKEN; echo \"bad SECRET-TOKEN here\" >&2; exit 1'",
         "exit status 1 (bad **** here)"},
        {"sh -c 'echo SECRET-TOKEN; kill -9 $$'", "killed by signal 9"},
        {"true", "it printed nothing on its first line"},
        {"printf 'SECRET-TOKEN\\001x\\n'", "its first output line holds a control character"},
        {"sh -c 'head -c 70000 /dev/zero | tr \"\\\\0\" S'", "longer than 65536 bytes"},
        {"/nonexistent/helper SECRET-TOKEN", "could not be started: No such file or directory"},
        {"helper 'SECRET-TOKEN", "the command line is empty or has an open quote"},
    };
    for (const auto& c : cases) {
        TCommandResult result = RunFirstLine(c.Command, 10s);
        EXPECT_FALSE(result.Ok) << c.Command;
        EXPECT_TRUE(result.FirstLine.empty()) << c.Command;
        EXPECT_NE(result.Error.find(c.Why), std::string::npos) << c.Command << ": " << result.Error;
        EXPECT_EQ(result.Error.find("SECRET"), std::string::npos) << result.Error;
    }
}

TEST(RunFirstLine, ACommandThatHangsIsKilledWithItsGroupAtTheTimeOut) {
    TTempDir dir;
    const auto pidFile = dir.Path / "pid";
    // The shell starts a child that would hold on for long; both are killed.
    TCommandResult result = RunFirstLine(
        "sh -c 'sleep 60 & echo $! > " + pidFile.string() + "; echo token; wait'", 300ms);
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Error.find("did not end within 0.3 seconds"), std::string::npos)
        << result.Error;
    EXPECT_EQ(result.Error.find("token"), std::string::npos) << result.Error;
    pid_t child = ReadPid(pidFile);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(EndsWithin(child, 10s));
}

TEST(RunFirstLine, ACommandThatEndsIsNotWaitedForPastItsEndByAChildHoldingTheOutput) {
    TTempDir dir;
    const auto pidFile = dir.Path / "pid";
    // The background child keeps the output pipe open long past the time-out.
    TCommandResult result =
        RunFirstLine("sh -c 'echo token; sleep 60 & echo $! > " + pidFile.string() + "'", 5s);
    pid_t child = ReadPid(pidFile);
    if (child > 0) kill(child, SIGKILL);
    EXPECT_TRUE(result.Ok) << result.Error;
    EXPECT_EQ(result.FirstLine, "token");
}

TEST(RunFirstLine, TheSessionsEndStopsTheCommand) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    std::thread closer([&] {
        std::this_thread::sleep_for(100ms);
        shutdown(pair[1], SHUT_RDWR);
    });
    TCommandResult result = RunFirstLine("sleep 60", 60s, pair[0]);
    closer.join();
    close(pair[0]);
    close(pair[1]);
    EXPECT_FALSE(result.Ok);
    EXPECT_NE(result.Error.find("the session ended while it ran"), std::string::npos)
        << result.Error;
}
