#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

#include "net/pop3mailcheckthread.h"
#include "net/pop3sockethelper.h"
#include "platform/file.h"
#include "platform/thread.h"
#include "pop3scriptserver.h"
#include "pop3testwindow.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

const Lines Login = {"S: +OK ready", "C: USER bob", "S: +OK", "C: PASS secret", "S: +OK in"};

// A temporary folder that is removed again.
struct TTempFolder {
    fs::path Path;
    TTempFolder() {
        std::string pattern = (fs::temp_directory_path() / "pop3testXXXXXX").string();
        Path = mkdtemp(pattern.data());
    }
    ~TTempFolder() { fs::remove_all(Path); }
};

class Pop3ClientTest : public ::testing::Test {
protected:
    platform::TQueueWindow Window;
    int ReplyTimeout = TCustomPop3ClientThread::DefaultReplyTimeout;
    std::size_t MinRate = TCustomPop3ClientThread::DefaultMinRate;
    std::size_t MaxBlock = TCustomPop3ClientThread::DefaultMaxBlock;
    std::string LogFolder;

    void TearDown() override {
        platform::StopWorkerThreads();
        EXPECT_EQ(platform::RunningWorkerThreads(), 0);
    }

    template <class TThread>
    TThread* Limit(TThread* thread) {
        thread->SetReplyTimeout(ReplyTimeout);
        thread->SetMinRate(MinRate);
        thread->SetMaxBlock(MaxBlock);
        thread->Resume();
        return thread;
    }

    std::vector<TPop3Event> Check(int port, TPop3WindowScript answers, bool apop = false,
                                  const std::string& user = "bob",
                                  const std::string& pass = "secret") {
        Limit(new TPop3MailCheckThread(true, &Window, port, "127.0.0.1", apop, pass, user,
                                       LogFolder));
        return RunPop3Window(Window, TPop3MailCheckThread::WindowMessage, std::move(answers));
    }

    std::vector<TPop3Event> Erase(int port, const std::string& target) {
        Limit(new TPop3MailEraseThread(true, &Window, port, "127.0.0.1", false, "secret", "bob",
                                       target, LogFolder));
        TPop3WindowScript answers;
        answers.Erase = true;
        return RunPop3Window(Window, TPop3MailEraseThread::WindowMessage, answers);
    }
};

struct TSessionCase {
    const char* Name;
    Lines Script;
    TPop3WindowScript Answers;
};

} // namespace

TEST_F(Pop3ClientTest, CheckSessionsSendTheCommandsTheAnswersAskFor) {
    const Lines retr2 = {"C: RETR 2", "S: +OK", "S: Subject: b", "S: ", "S: body", "S: ."};
    const Lines retr3 = {"C: RETR 3", "S: +OK", "S: Subject: c", "S: ", "S: ..", "S: ."};
    TSessionCase cases[] = {
        {"no messages",
         JoinScript({Login, {"C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK bye"}}),
         {}},
        {"skip, new and kept, new and deleted",
         JoinScript({Login,
                     {"C: STAT", "S: +OK 3 300", "C: UIDL 1", "S: +OK 1 a", "C: UIDL 2",
                      "S: +OK 2 b", "C: LIST 2", "S: +OK 2 100"},
                     retr2,
                     {"C: UIDL 3", "S: +OK 3 c", "C: LIST 3", "S: +OK 3 100"},
                     retr3,
                     {"C: DELE 3", "S: +OK", "C: QUIT", "S: +OK"}}),
         {{"SKIP", "", ""}, {}, {"", "DELE"}}},
        {"too large: deleted unfetched",
         JoinScript({Login,
                     {"C: STAT", "S: +OK 1 9000", "C: UIDL 1", "S: +OK 1 a", "C: LIST 1",
                      "S: +OK 1 9000", "C: DELE 1", "S: +OK", "C: QUIT", "S: +OK"}}),
         {{}, {"DELE"}, {}}},
        {"skip in lower case",
         JoinScript(
             {Login, {"C: STAT", "S: +OK 1 9", "C: UIDL 1", "S: +OK 1 a", "C: QUIT", "S: +OK"}}),
         {{"skip"}, {}, {}}},
        {"Skip capitalised",
         JoinScript(
             {Login, {"C: STAT", "S: +OK 1 9", "C: UIDL 1", "S: +OK 1 a", "C: QUIT", "S: +OK"}}),
         {{"Skip"}, {}, {}}},
        {"QUIT at a UIDL without id",
         JoinScript(
             {Login, {"C: STAT", "S: +OK 2 9", "C: UIDL 1", "S: +OK 1", "C: QUIT", "S: +OK"}}),
         {{"QUIT"}, {}, {}}},
        {"refused command after login: no QUIT",
         JoinScript({Login, {"C: STAT", "S: -ERR locked"}}),
         {}},
        {"STAT without its words",
         JoinScript({Login, {"C: STAT", "S: +OK", "C: QUIT", "S: +OK"}}),
         {}},
        {"STAT count not a number",
         JoinScript({Login, {"C: STAT", "S: +OK many 12", "C: QUIT", "S: +OK"}}),
         {}},
        {"RETR refused with one -ERR line",
         JoinScript({Login,
                     {"C: STAT", "S: +OK 1 9", "C: UIDL 1", "S: +OK 1 a", "C: LIST 1", "S: +OK 1 9",
                      "C: RETR 1", "S: -ERR message gone"}}),
         {}},
        {"server closes", JoinScript({Login, {"C: STAT", "X:"}}), {}},
        {"greeting refused", {"S: -ERR busy"}, {}},
        {"greeting not recognised", {"S: hello there"}, {}},
        {"+OKAY recognised", {"S: +OKAY hello", "C: USER bob", "S: -ERR no such user"}, {}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPop3ScriptServer server(c.Script);
        auto events = Check(server.GetPort(), c.Answers);
        EXPECT_EQ(server.Received(), server.Expected());
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Code, 1);
        EXPECT_TRUE(events.back().Flag);
        EXPECT_TRUE(events.back().Text.starts_with("127.0.0.1")) << events.back().Text;
    }
}

TEST_F(Pop3ClientTest, EventsCarryTheCommandAndTheReply) {
    TPop3ScriptServer server(
        JoinScript({Login,
                    {"C: STAT", "S: +OK 1 40", "C: UIDL 1", "S: +OK 1 u1", "C: LIST 1",
                     "S: +OK 1 40", "C: RETR 1", "S: +OK 40 octets", "S: Subject: x",
                     "S: ", "S: ..dot", "S: .", "C: QUIT", "S: +OK bye"}}));
    std::vector<std::string> retrieved;
    TPop3WindowScript answers;
    answers.Retrieved = &retrieved;
    auto events = Check(server.GetPort(), answers);
    EXPECT_EQ(server.Received(), server.Expected());
    ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 200, 201, 12, 9, 8, 1}));
    const std::pair<bool, std::string> expected[] = {
        {true, "127.0.0.1\r\n+OK ready"},
        {true, "USER bob\r\n+OK"},
        {true, "PASS secret\r\n+OK in"}, // the password in clear
        {true, "STAT\r\n+OK 1 40"},
        {true, "UIDL 1\r\n+OK 1 u1"},
        {true, "LIST 1\r\n+OK 1 40"},
        {true, "RETR 1\r\n+OK 40 octets\r\nSubject: x\r\n\r\n..dot\r\n.\r\n"}, // as received
        {true, "QUIT"}, // the commit: may QUIT be sent?
        {true, "QUIT\r\n+OK bye"},
        {true, "127.0.0.1"},
    };
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].Flag, expected[i].first) << i;
        EXPECT_EQ(events[i].Text, expected[i].second) << i;
    }
    EXPECT_EQ(retrieved, std::vector<std::string>{"Subject: x\r\n\r\n.dot\r\n"});
}

TEST_F(Pop3ClientTest, RefusalsAndUnknownRepliesAreReportedWithFlagFalse) {
    struct TCase {
        Lines Script;
        std::vector<int> Codes;
        std::size_t Refused; // index of the event with flag false
        std::string Text;
    } cases[] = {
        {{"S: -ERR busy"}, {0, 1}, 0, "127.0.0.1\r\n-ERR busy"},
        {{"S: hello"}, {0, 1}, 0, ""},
        {JoinScript({Login, {"C: STAT", "S: -ERR locked"}}),
         {0, 2, 3, 5, 1},
         3,
         "STAT\r\n-ERR locked"},
        {JoinScript({Login,
                     {"C: STAT", "S: +OK 1 5", "C: UIDL 1", "S: +OK 1 a", "C: LIST 1", "S: +OK 1 5",
                      "C: RETR 1", "S: -ERR gone"}}),
         {0, 2, 3, 5, 200, 201, 12, 1},
         6,
         "RETR 1\r\n-ERR gone\r\n"},
    };
    for (auto& c : cases) {
        TPop3ScriptServer server(c.Script);
        auto events = Check(server.GetPort(), {});
        EXPECT_EQ(server.Received(), server.Expected());
        ASSERT_EQ(EventCodes(events), c.Codes);
        EXPECT_FALSE(events[c.Refused].Flag);
        EXPECT_EQ(events[c.Refused].Text, c.Text);
        EXPECT_TRUE(events.back().Flag); // the connection had come up
    }
}

TEST_F(Pop3ClientTest, EraseSessionsDeleteExactlyTheTargetUidl) {
    struct TCase {
        const char* Name;
        std::string Target;
        Lines Script;
    } cases[] = {
        {"no messages", "t", JoinScript({Login, {"C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"}})},
        {"target is the last message", "t",
         JoinScript({Login,
                     {"C: STAT", "S: +OK 2 9", "C: UIDL 1", "S: +OK 1 a", "C: UIDL 2", "S: +OK 2 t",
                      "C: DELE 2", "S: +OK", "C: QUIT", "S: +OK"}})},
        {"target on two messages", "t",
         JoinScript({Login,
                     {"C: STAT", "S: +OK 3 9", "C: UIDL 1", "S: +OK 1 t", "C: DELE 1", "S: +OK",
                      "C: UIDL 2", "S: +OK 2 b", "C: UIDL 3", "S: +OK 3 t", "C: DELE 3", "S: +OK",
                      "C: QUIT", "S: +OK"}})},
        {"letter case differs: no match", "Abc",
         JoinScript({Login,
                     {"C: STAT", "S: +OK 2 9", "C: UIDL 1", "S: +OK 1 abc", "C: UIDL 2",
                      "S: +OK 2 ABC", "C: QUIT", "S: +OK"}})},
        {"UIDL without id", "t",
         JoinScript(
             {Login, {"C: STAT", "S: +OK 1 9", "C: UIDL 1", "S: +OK 1", "C: QUIT", "S: +OK"}})},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPop3ScriptServer server(c.Script);
        auto events = Erase(server.GetPort(), c.Target);
        EXPECT_EQ(server.Received(), server.Expected());
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Code, 1);
    }
}

TEST_F(Pop3ClientTest, ApopWhenTheGreetingCarriesATimeStamp) {
    struct TCase {
        bool UseApop;
        std::string Greeting;
        Lines Login;
    } cases[] = {
        // The example of RFC 1939: shared secret "tanstaaf" and the digest printed there.
        {true,
         "S: +OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>",
         {"C: APOP mrose c4c9334bac560ecc979e58001b3e22fb", "S: +OK maildrop ready"}},
        {true,
         "S: +OK POP3 server ready",
         {"C: USER mrose", "S: +OK", "C: PASS tanstaaf", "S: +OK"}},
        {false,
         "S: +OK POP3 server ready <1896.697170952@dbc.mtview.ca.us>",
         {"C: USER mrose", "S: +OK", "C: PASS tanstaaf", "S: +OK"}},
    };
    for (auto& c : cases) {
        TPop3ScriptServer server(
            JoinScript({{c.Greeting}, c.Login, {"C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"}}));
        auto events = Check(server.GetPort(), {}, c.UseApop, "mrose", "tanstaaf");
        EXPECT_EQ(server.Received(), server.Expected()) << c.Greeting;
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events[1].Code, c.UseApop && c.Login.size() == 2 ? 4 : 2);
    }
}

TEST_F(Pop3ClientTest, ASilentServerEndsTheSessionAfterTheReplyTimeout) {
    TTempFolder folder;
    LogFolder = folder.Path.string();
    ReplyTimeout = 300;
    TPop3ScriptServer server(JoinScript({Login, {"C: STAT"}}));
    auto events = Check(server.GetPort(), {});
    EXPECT_EQ(server.Received(), server.Expected());
    ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 1}));
    auto logs = platform::FindFiles(LogFolder, ".log");
    ASSERT_EQ(logs.size(), 1u);
    auto log = platform::ReadFile(LogFolder + "/" + logs[0]);
    ASSERT_TRUE(log);
    EXPECT_NE(log->find(">STAT\r\n*Error! No reply from the server for 0.3 seconds\r\n"),
              std::string::npos)
        << *log;
}

// Within the time its LIST size allows at the minimum rate (here 9000 bytes:
// a second more than the reply time-out).
TEST_F(Pop3ClientTest, AReplyThatKeepsArrivingIsNotCutByTheReplyTimeout) {
    ReplyTimeout = 400;
    Lines slow = {"C: STAT",   "S: +OK 1 9",    "C: UIDL 1", "S: +OK 1 a",
                  "C: LIST 1", "S: +OK 1 9000", "C: RETR 1", "S: +OK"};
    for (int i = 0; i < 6; ++i) {
        slow.push_back("W: 150");
        slow.push_back("S: line " + std::to_string(i));
    }
    slow.insert(slow.end(), {"S: .", "C: QUIT", "S: +OK"});
    TPop3ScriptServer server(JoinScript({Login, slow}));
    auto events = Check(server.GetPort(), {});
    EXPECT_EQ(server.Received(), server.Expected());
    EXPECT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 200, 201, 12, 9, 8, 1}));
}

TEST_F(Pop3ClientTest, AMessageOverTheBlockLimitEndsTheSession) {
    TTempFolder folder;
    LogFolder = folder.Path.string();
    MaxBlock = 2000;
    Lines script = JoinScript({Login,
                               {"C: STAT", "S: +OK 1 9", "C: UIDL 1", "S: +OK 1 a", "C: LIST 1",
                                "S: +OK 1 9", "C: RETR 1", "S: +OK"}});
    for (int i = 0; i < 100; ++i)
        script.push_back("S: " + std::string(70, 'x'));
    script.push_back("S: .");
    TPop3ScriptServer server(script);
    auto events = Check(server.GetPort(), {});
    EXPECT_EQ(server.Received(), server.Expected());
    EXPECT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 200, 201, 1}));
    auto logs = platform::FindFiles(LogFolder, ".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_NE(platform::ReadFile(LogFolder + "/" + logs[0])->find("*Error! "), std::string::npos);
}

TEST_F(Pop3ClientTest, AConnectionThatNeverComesUpStillEndsWithEventOne) {
    int port;
    {
        TPop3ScriptServer closed({});
        port = closed.GetPort();
    }
    auto events = Check(port, {});
    ASSERT_EQ(EventCodes(events), std::vector<int>{1});
    EXPECT_FALSE(events[0].Flag);
    // The reason comes on a second line, for the communication log.
    EXPECT_TRUE(events[0].Text.starts_with("127.0.0.1\r\nCannot connect to ")) << events[0].Text;
}

TEST_F(Pop3ClientTest, TheSessionLogIsPrivateAndNamedAfterTimeAndHost) {
    TTempFolder folder;
    LogFolder = folder.Path.string();
    TPop3ScriptServer server(JoinScript({Login, {"C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"}}));
    Check(server.GetPort(), {});
    server.Received();
    auto logs = platform::FindFiles(LogFolder, ".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(std::regex_match(logs[0], std::regex(R"(c\d{6}-\d{6}-127\.0\.0\.1-\d+\.log)")))
        << logs[0];
    struct stat info {};
    ASSERT_EQ(stat((folder.Path / logs[0]).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(*platform::ReadFile(LogFolder + "/" + logs[0]),
              "<+OK ready\r\n>USER bob\r\n<+OK\r\n>PASS secret\r\n<+OK in\r\n>STAT\r\n<+OK 0 "
              "0\r\n>QUIT\r\n<+OK\r\n");
}

TEST_F(Pop3ClientTest, NoLogFolderWritesNoLog) {
    TTempFolder folder;
    fs::path previous = fs::current_path();
    fs::current_path(folder.Path);
    TPop3ScriptServer server(JoinScript({Login, {"C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"}}));
    Check(server.GetPort(), {});
    fs::current_path(previous);
    EXPECT_EQ(server.Received(), server.Expected());
    EXPECT_TRUE(fs::is_empty(folder.Path));
}

TEST(ClientLogPath, FolderTimeHostAndSession) {
    TDateTime time = *EncodeDateTime({2026, 3, 4, 5, 6, 7, 0});
    EXPECT_EQ(ClientLogPath("logs", "pop.example.com", time, 12),
              "logs/c260304-050607-pop.example.com-12.log");
    EXPECT_EQ(ClientLogPath("logs/", "h", time, 1), "logs/c260304-050607-h-1.log");
    EXPECT_EQ(ClientLogPath("logs", "../x/\ty", time, 2), "logs/c260304-050607-_.._x__y-2.log");
}

TEST(Pop3MailCheckThread, BlockLimitFromTheSizeLimit) {
    EXPECT_EQ(TPop3MailCheckThread::BlockLimit(0), std::size_t{1} << 30);
    EXPECT_EQ(TPop3MailCheckThread::BlockLimit(-5), std::size_t{1} << 30);
    EXPECT_EQ(TPop3MailCheckThread::BlockLimit(2048), 2048u * 1024 * 2 + (1u << 20));
}

TEST(Pop3SocketHelper, BlocksPassUnchangedAndOnlyALeadingRefusalEndsOne) {
    platform::TSocket socket;
    TPop3SocketHelper helper(&socket, 50);
    std::string out;
    helper.DecodeBlock(out, "+OK\r\n..a\r\n\r\n");
    EXPECT_EQ(out, "+OK\r\n..a\r\n\r\n");
    helper.EncodeBlock(out, " x\r\n");
    EXPECT_EQ(out, " x\r\n");

    struct TProbe : TPop3SocketHelper {
        using TPop3SocketHelper::EarlyBlockEnd;
        using TPop3SocketHelper::TPop3SocketHelper;
    } probe(&socket, 50);
    EXPECT_EQ(probe.EarlyBlockEnd("-ERR no such message\r\nmore"), 22u);
    EXPECT_EQ(probe.EarlyBlockEnd("-ERR no such"), 0u); // the line is not complete yet
    EXPECT_EQ(probe.EarlyBlockEnd("-ER"), 0u);
    EXPECT_EQ(probe.EarlyBlockEnd("+OK\r\n-ERR\r\n"), 0u);
}

namespace {

// The failure reason that the end event carries on its second line.
std::string EndReason(const std::vector<TPop3Event>& events) {
    if (events.empty() || events.back().Code != 1) return "(no end event)";
    const std::string& text = events.back().Text;
    const std::size_t line = text.find("\r\n");
    return line == std::string::npos ? std::string() : text.substr(line + 2);
}

const Lines ListOne = {"C: STAT",     "S: +OK 1 40", "C: UIDL 1",
                       "S: +OK 1 u1", "C: LIST 1",   "S: +OK 1 40"};

} // namespace

// A reply that is not whole is no reply: nothing reaches the window to store.
TEST_F(Pop3ClientTest, AMultiLineReplyCutOffByTheServerIsAFailedReply) {
    TPop3ScriptServer server(JoinScript(
        {Login, ListOne, {"C: RETR 1", "S: +OK", "S: Subject: cut", "S: ", "S: half", "X:"}}));
    auto events = Check(server.GetPort(), {});
    EXPECT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 200, 201, 1}));
    EXPECT_TRUE(EndReason(events).starts_with("The connection closed inside a multi-line reply"))
        << EndReason(events);
}

TEST_F(Pop3ClientTest, ARefusedRetrGoesOnWithTheNextMessage) {
    TPop3ScriptServer server(
        JoinScript({Login, {"C: STAT",   "S: +OK 2 80", "C: UIDL 1",       "S: +OK 1 u1",
                            "C: LIST 1", "S: +OK 1 40", "C: RETR 1",       "S: -ERR cannot read",
                            "C: UIDL 2", "S: +OK 2 u2", "C: LIST 2",       "S: +OK 2 40",
                            "C: RETR 2", "S: +OK",      "S: Subject: two", "S: ",
                            "S: x",      "S: .",        "C: QUIT",         "S: +OK"}}));
    std::vector<std::string> retrieved;
    TPop3WindowScript answers;
    answers.Retrieved = &retrieved;
    answers.RetrRefusedGoesOn = true; // as the window answers it
    auto events = Check(server.GetPort(), answers);
    EXPECT_EQ(server.Received(), server.Expected());
    EXPECT_EQ(retrieved, std::vector<std::string>{"Subject: two\r\n\r\nx\r\n"});
}

// One reply per command: a line nobody asked for ends the session at once,
// before it can answer the next command in its place.
TEST_F(Pop3ClientTest, ALineNobodyAskedForEndsTheSession) {
    const std::vector<TSessionCase> cases = {
        {"second greeting line", {"S: +OK ready\r\n+OK ready again"}, {}},
        {"reply sent twice",
         {"S: +OK ready", "C: USER bob", "S: +OK\r\n+OK", "C: PASS secret"},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPop3ScriptServer server(c.Script, std::chrono::milliseconds(1500));
        auto events = Check(server.GetPort(), c.Answers);
        const Lines received = server.Received();
        EXPECT_TRUE(std::find(received.begin(), received.end(), "PASS secret") == received.end());
        EXPECT_TRUE(EndReason(events).starts_with("Unexpected data from the server"))
            << EndReason(events);
    }
}

// A server that trickles its reply cannot hold the session for ever: the
// whole reply may take the idle time-out plus its LIST size at the minimum rate.
TEST_F(Pop3ClientTest, AReplyTrickledByteByByteIsBoundedByItsSize) {
    Lines script = JoinScript({Login, ListOne, {"C: RETR 1", "S: +OK"}});
    for (int i = 0; i < 20; ++i) {
        script.push_back("W: 100");
        script.push_back("S: x");
    }
    script.push_back("S: .");
    TPop3ScriptServer server(script, std::chrono::milliseconds(4000));
    ReplyTimeout = 300;
    MinRate = 100; // 40 bytes: 0.4 s more
    const auto start = std::chrono::steady_clock::now();
    auto events = Check(server.GetPort(), {});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
    EXPECT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 200, 201, 1}));
    EXPECT_TRUE(EndReason(events).starts_with("The reply took longer than 0.7 seconds"))
        << EndReason(events);
}

TEST_F(Pop3ClientTest, SessionsOfTheSameSecondKeepTheirOwnLogs) {
    TTempFolder folder;
    LogFolder = folder.Path.string();
    for (int n = 0; n < 3; ++n) {
        TPop3ScriptServer server({"S: -ERR busy"});
        Check(server.GetPort(), {});
    }
    EXPECT_EQ(platform::FindFiles(LogFolder, ".log").size(), 3u);
}
