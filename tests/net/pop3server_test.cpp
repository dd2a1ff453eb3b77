// The local POP3 server session against the window's request handling, with
// a test client on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sys/stat.h>

#include "foundation/md5digest.h"
#include "net/pop3serverthread.h"
#include "platform/file.h"
#include "platform/text.h"
#include "pop3servertestwindow.h"
#include "pop3testclient.h"

namespace {

const std::string Message1 = "From: a@example.com\r\nSubject: one\r\n\r\nline1\r\n.dot line\r\n"
                             "line3\r\n";
const std::string Message2 = "Subject: two\r\n\r\nbody two";
const std::string Message3 = ".first line\r\n\r\n..\r\n.\r\nend\r\n";

class Pop3ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Alice = Accounts.AddAccount("alice", "alice.u", "secret", "pop.example.com");
        Bob = Accounts.AddAccount("bob", "bob.u", "pw, with blank", "pop.example.net");
        Accounts.AddMessage(*Alice, "uid-1", Message1);
        Accounts.AddMessage(*Alice, "uid-2", Message2);
        Accounts.AddMessage(*Alice, "uid-3", Message3);
    }
    void TearDown() override { Window.reset(); }

    // Starts the window and the listener with the given settings.
    void Start(bool denyRemote = true, bool serverLog = false) {
        Window = std::make_unique<TServerTestWindow>(Accounts.List);
        Window->Settings.DenyRemote = denyRemote;
        Window->Settings.ServerLog = serverLog;
        Window->Settings.ServerLogFolder = Accounts.GetFolder() + "ServerLog";
        platform::ForceDirectories(Window->Settings.ServerLogFolder);
        ASSERT_TRUE(Window->Listen());
    }
    std::unique_ptr<TPop3TestClient> Connect(const std::string& from = {}) {
        auto client = std::make_unique<TPop3TestClient>(Window->GetPort(), from);
        Greeting = client->Line();
        return client;
    }
    std::unique_ptr<TPop3TestClient> LogIn(const std::string& user, const std::string& password) {
        auto client = Connect();
        EXPECT_EQ(client->Command("USER " + user), "+OK");
        EXPECT_EQ(client->Command("PASS " + password), "+OK");
        return client;
    }
    // Stops everything; the accounts may be read afterwards.
    void Stop() { Window->Stop(); }
    std::vector<std::string> Uids(const TPop3AccountItem& account) const {
        std::vector<std::string> uids;
        for (int i = 0; i < account.Mailbox.GetCount(); ++i)
            uids.push_back(account.Mailbox.GetMessages(i)->UID);
        return uids;
    }
    std::string PathOf(const TPop3AccountItem& account, const std::string& uid) const {
        return platform::ExtractFilePath(account.Mailbox.Path) + uid + ".eml";
    }

    TTestAccounts Accounts;
    TPop3AccountItem* Alice = nullptr;
    TPop3AccountItem* Bob = nullptr;
    std::unique_ptr<TServerTestWindow> Window;
    std::string Greeting;
};

std::string Size(const std::string& message) {
    return std::to_string(message.size());
}

} // namespace

TEST_F(Pop3ServerTest, GreetingCarriesATimeStampThatCountsTheSessions) {
    Start();
    std::regex form(R"(\+OK <([0-9a-f]{16})\.(\d{4})@host\.test>)");
    std::smatch match;
    std::vector<std::string> counters;
    for (int i = 0; i < 2; ++i) {
        auto client = Connect();
        ASSERT_TRUE(std::regex_match(Greeting, match, form)) << Greeting;
        counters.push_back(match[2]);
        EXPECT_EQ(client->Command("QUIT"), "+OK");
        EXPECT_TRUE(client->Closed());
    }
    EXPECT_EQ(counters, (std::vector<std::string>{"0000", "0001"}));
    Stop();
    auto requests = Window->Requests();
    std::string stamp = Greeting.substr(5, Greeting.size() - 6);
    const TServerRequestRecord* connect = nullptr;
    for (const auto& request : requests)
        if (request.Code == TPop3ServerThread::rqConnect) connect = &request;
    ASSERT_NE(connect, nullptr);
    auto lines = pop3server::SplitLines(connect->Text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], stamp);
    EXPECT_EQ(lines[1], "127.0.0.1");
}

TEST_F(Pop3ServerTest, TransactionAnswersEveryCommand) {
    Start();
    auto client = LogIn("alice", "secret");
    std::string total = std::to_string(Message1.size() + Message2.size() + Message3.size());
    struct TStep {
        const char* Command;
        std::string Answer;
    } steps[] = {
        {"STAT", "+OK 3 " + total},
        {"LIST", "+OK\r\n1 " + Size(Message1) + "\r\n2 " + Size(Message2) + "\r\n3 " +
                     Size(Message3) + "\r\n.\r\n"},
        {"list 2", "+OK 2 " + Size(Message2)},
        {"UIDL", "+OK\r\n1 uid-1\r\n2 uid-2\r\n3 uid-3\r\n.\r\n"},
        {"UIDL 3", "+OK 3 uid-3"},
        {"NOOP", "+OK"},
        {"LIST 4", "-ERR"},
        {"RETR 0", "-ERR"},
        {"RETR x", "-ERR"},
        {"RETR 4", "-ERR"},
        {"RETR", "-ERR"},
        {"RETR 99999999999999999999", "-ERR"},
        {"DELE 2", "+OK"},
        {"DELE 2", "-ERR"},
        {"LIST 2", "-ERR"},
        {"RETR 2", "-ERR"},
        {"STAT", "+OK 2 " + std::to_string(Message1.size() + Message3.size())},
        {"UIDL", "+OK\r\n1 uid-1\r\n3 uid-3\r\n.\r\n"},
        {"RSET", "+OK"},
        {"LIST 2", "+OK 2 " + Size(Message2)},
        {"USER alice", "-ERR"},
        {"PASS secret", "-ERR"},
        {"XTND", "-ERR"},
        {"", "-ERR"},
        {"TOP", "-ERR"},
    };
    for (const auto& step : steps) {
        bool multi = step.Answer.find("\r\n.\r\n") != std::string::npos;
        EXPECT_EQ(multi ? client->MultiLine(step.Command) : client->Command(step.Command),
                  step.Answer)
            << step.Command;
    }
    EXPECT_EQ(client->Command("QUIT"), "+OK");
    EXPECT_TRUE(client->Closed());
}

TEST_F(Pop3ServerTest, RetrAndTopSendTheStoredBytesDotStuffed) {
    Start();
    auto client = LogIn("alice", "secret");
    struct TCase {
        const char* Command;
        std::string Unstuffed;
    } cases[] = {
        {"RETR 1", Message1},
        {"RETR 2", Message2 + "\r\n"},
        {"RETR 3", Message3},
        {"TOP 1 0", "From: a@example.com\r\nSubject: one\r\n\r\n"},
        {"TOP 1 2", "From: a@example.com\r\nSubject: one\r\n\r\nline1\r\n.dot line\r\n"},
        {"TOP 1 100", Message1},
        {"TOP 1", Message1},
        {"TOP 2 1", Message2 + "\r\n"},
        {"TOP 3 1", ".first line\r\n\r\n..\r\n"},
        {"TOP 3 0", ".first line\r\n\r\n"},
    };
    for (const auto& c : cases) {
        std::string answer = client->MultiLine(c.Command);
        EXPECT_EQ(Unstuffed(answer), c.Unstuffed) << c.Command;
    }
    // On the wire: every line that begins with a dot carries a second one, and
    // only a file without a final line end gets one before the terminator.
    EXPECT_EQ(client->MultiLine("RETR 3"), "+OK\r\n..first line\r\n\r\n...\r\n..\r\nend\r\n.\r\n");
    EXPECT_EQ(client->MultiLine("RETR 2"), "+OK\r\nSubject: two\r\n\r\nbody two\r\n.\r\n");
}

// Bob's password, blank and comma included, is the whole rest of the PASS line.
TEST_F(Pop3ServerTest, ListOnAnEmptyInboxIsAnEmptyList) {
    Start();
    auto client = LogIn("bob", "pw, with blank");
    EXPECT_EQ(client->MultiLine("LIST"), "+OK\r\n.\r\n");
    EXPECT_EQ(client->MultiLine("UIDL"), "+OK\r\n.\r\n");
    EXPECT_EQ(client->Command("STAT"), "+OK 0 0");
    EXPECT_EQ(client->Command("RETR 1"), "-ERR");
}

TEST_F(Pop3ServerTest, FailedLoginsAreAnsweredAndClosed) {
    Start();
    struct TCase {
        std::vector<std::string> Commands; // the last one fails
        bool Closes;
    } cases[] = {
        {{"PASS secret"}, true},
        {{"USER alice", "PASS wrong"}, true},
        {{"USER alice", "PASS secret "}, true},
        {{"USER nobody", "PASS secret"}, true},
        {{"USER alice", "PASS"}, true},
        {{"APOP alice"}, true},
        {{"USER"}, false},
        {{"STAT"}, false},
    };
    for (const auto& c : cases) {
        auto client = Connect();
        for (std::size_t i = 0; i + 1 < c.Commands.size(); ++i)
            EXPECT_EQ(client->Command(c.Commands[i]), "+OK");
        EXPECT_EQ(client->Command(c.Commands.back()), "-ERR") << c.Commands.back();
        if (c.Closes) {
            EXPECT_TRUE(client->Closed()) << c.Commands.back();
        } else {
            EXPECT_EQ(client->Command("NOOP"), "-ERR") << c.Commands.back();
        }
    }
}

TEST_F(Pop3ServerTest, ApopDigestOverTheTimeStampAndPassword) {
    Start();
    for (bool upper : {true, false}) {
        auto client = Connect();
        std::string stamp = Greeting.substr(Greeting.find('<'));
        std::string digest = TMD5Digest::Digest(stamp + "secret");
        if (upper)
            for (char& c : digest)
                c = static_cast<char>(std::toupper(c));
        EXPECT_EQ(client->Command("APOP alice " + digest), upper ? "-ERR" : "+OK");
        if (!upper) {
            EXPECT_EQ(client->Command("STAT").substr(0, 6), "+OK 3 ");
        }
        client->Close();
    }
}

TEST_F(Pop3ServerTest, LocalUserNamesSelectTheAccount) {
    Start();
    for (std::string user : {"alice.u%tarn%pop.example.com", "me%%ALICE", "Alice"}) {
        auto client = LogIn(user, "secret");
        EXPECT_EQ(client->Command("STAT").substr(0, 6), "+OK 3 ") << user;
        EXPECT_EQ(client->Command("QUIT"), "+OK");
        EXPECT_TRUE(client->Closed());
    }
}

TEST_F(Pop3ServerTest, SecondLoginToALockedAccountWaitsForTheFirstSession) {
    Start();
    auto first = LogIn("alice", "secret");
    auto second = Connect();
    EXPECT_EQ(second->Command("USER alice"), "+OK");
    // RFC 2449: the client can show why.
    EXPECT_EQ(second->Command("PASS secret"),
              "-ERR [IN-USE] the mailbox is in use by another session");
    EXPECT_TRUE(second->Closed());
    EXPECT_EQ(first->Command("QUIT"), "+OK");
    EXPECT_TRUE(first->Closed());
    // The lock goes once the window has seen the first session end.
    ASSERT_TRUE(Window->WaitForEndedSessions(2));
    auto third = LogIn("alice", "secret");
    EXPECT_EQ(third->Command("NOOP"), "+OK");
}

TEST_F(Pop3ServerTest, QuitRemovesExactlyTheMarkedMessages) {
    Start();
    auto client = LogIn("alice", "secret");
    EXPECT_EQ(client->Command("DELE 1"), "+OK");
    EXPECT_EQ(client->Command("DELE 3"), "+OK");
    EXPECT_EQ(client->Command("QUIT"), "+OK");
    EXPECT_TRUE(client->Closed());
    Stop();
    EXPECT_EQ(Uids(*Alice), std::vector<std::string>{"uid-2"});
    EXPECT_FALSE(platform::FileExists(PathOf(*Alice, "uid-1")));
    EXPECT_TRUE(platform::FileExists(PathOf(*Alice, "uid-2")));
    EXPECT_FALSE(platform::FileExists(PathOf(*Alice, "uid-3")));
    EXPECT_FALSE(Alice->IsLocked());
}

TEST_F(Pop3ServerTest, SessionWithoutQuitChangesNothing) {
    Start();
    int ended = 0;
    for (const char* last : {"DELE 1", "RSET"}) {
        auto client = LogIn("alice", "secret");
        EXPECT_EQ(client->Command("DELE 2"), "+OK");
        EXPECT_EQ(client->Command(last), "+OK");
        client->Close();
        ASSERT_TRUE(Window->WaitForEndedSessions(++ended));
    }
    auto client = LogIn("alice", "secret");
    EXPECT_EQ(client->Command("DELE 3"), "+OK");
    EXPECT_EQ(client->Command("RSET"), "+OK");
    EXPECT_EQ(client->Command("QUIT"), "+OK");
    EXPECT_TRUE(client->Closed());
    Stop();
    EXPECT_EQ(Uids(*Alice), (std::vector<std::string>{"uid-1", "uid-2", "uid-3"}));
    for (const auto& uid : Uids(*Alice))
        EXPECT_TRUE(platform::FileExists(PathOf(*Alice, uid)));
}

TEST_F(Pop3ServerTest, QuitBeforeLoginDeletesNothingWhateverTheLineHolds) {
    Start();
    auto client = Connect();
    // Bare line feeds inside one command line are no line breaks of a request.
    EXPECT_EQ(client->Command("QUIT\nalice\nuid-1"), "+OK");
    EXPECT_TRUE(client->Closed());
    Stop();
    EXPECT_EQ(Uids(*Alice).size(), 3u);
}

TEST_F(Pop3ServerTest, DenyRemoteRefusesOtherAddresses) {
    for (bool deny : {true, false}) {
        Start(deny);
        auto local = Connect();
        EXPECT_EQ(Greeting.substr(0, 5), "+OK <");
        auto remote = Connect("127.0.0.2");
        if (deny) {
            EXPECT_EQ(Greeting, "-ERR");
            EXPECT_TRUE(remote->Closed());
        } else {
            EXPECT_EQ(Greeting.substr(0, 5), "+OK <");
            EXPECT_EQ(remote->Command("NOOP"), "-ERR");
        }
        Stop();
    }
}

TEST_F(Pop3ServerTest, SessionLogIsPrivateAndNamedAfterTheSession) {
    Start(true, true);
    auto client = LogIn("alice", "secret");
    EXPECT_EQ(client->Command("QUIT"), "+OK");
    EXPECT_TRUE(client->Closed());
    Stop();
    auto logs = platform::FindFiles(Window->Settings.ServerLogFolder, ".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_TRUE(std::regex_match(logs[0], std::regex(R"(s\d{6}-\d{6}-001\.log)"))) << logs[0];
    std::string path = Window->Settings.ServerLogFolder + "/" + logs[0];
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::string log = platform::ReadFile(path).value_or("");
    EXPECT_EQ(log.substr(0, log.find("\r\n")).find(" [127.0.0.1]"), log.find(" [127.0.0.1]"));
    EXPECT_NE(log.find("<USER alice\r\n"), std::string::npos);
    EXPECT_NE(log.find(">+OK\r\n"), std::string::npos);
}

TEST_F(Pop3ServerTest, UnreadableMessageFileIsAnErrorAndTheSessionGoesOn) {
    Start(true, true);
    ASSERT_TRUE(platform::DeleteFile(PathOf(*Alice, "uid-2")));
    auto client = LogIn("alice", "secret");
    EXPECT_EQ(client->Command("RETR 2"), "-ERR");
    EXPECT_EQ(client->Command("TOP 2 1"), "-ERR");
    EXPECT_EQ(Unstuffed(client->MultiLine("RETR 1")), Message1);
    client->Close();
    Stop();
    auto logs = platform::FindFiles(Window->Settings.ServerLogFolder, ".log");
    ASSERT_EQ(logs.size(), 1u);
    std::string log = platform::ReadFile(Window->Settings.ServerLogFolder + "/" + logs[0]).value();
    EXPECT_NE(log.find("*Error! cannot read "), std::string::npos);
}

namespace {

// A session thread that never runs, for its time stamps.
class TStampThread : public TPop3ServerThread {
public:
    explicit TStampThread(int sessionCount)
        : TPop3ServerThread(true, "host.test", std::make_unique<platform::TSocket>(), nullptr,
                            sessionCount) {}
    using TPop3ServerThread::NewTimeStamp;
};

} // namespace

TEST(Pop3ServerText, TimeStampHasTheLowHalfFirstAndWrapsItsCounter) {
    TStampThread thread(9999);
    EXPECT_EQ(thread.NewTimeStamp(0x0123456789abcdefULL), "89abcdef01234567.9999@host.test");
    EXPECT_EQ(thread.NewTimeStamp(0x10ULL), "0000001000000000.0000@host.test");
}

TEST(Pop3ServerText, MultiLineAnswersAndTheTopOfAMessage) {
    struct TCase {
        std::string Content, Answer;
    } answers[] = {
        {"", "+OK\r\n."},
        {".", "+OK\r\n..\r\n."},
        {"a\r\n", "+OK\r\na\r\n."},
        {"a\r\nb", "+OK\r\na\r\nb\r\n."},
        {"a\r", "+OK\r\na\r\r\n."},
        {"a\r\n.\r\nb", "+OK\r\na\r\n..\r\nb\r\n."},
        {"a\r\n..b\r\n", "+OK\r\na\r\n...b\r\n."},
        {"a\n.b\r.c", "+OK\r\na\n.b\r.c\r\n."},
        {"\r\n.", "+OK\r\n\r\n..\r\n."},
    };
    for (const auto& c : answers)
        EXPECT_EQ(pop3server::MultiLine(c.Content), c.Answer);

    const std::string message = "H: 1\r\n\r\nb1\r\n\r\nb3\r\nb4";
    struct TTop {
        std::string Content;
        int Lines;
        std::string Top;
    } tops[] = {
        {message, 0, "H: 1\r\n\r\n"},
        {message, -1, "H: 1\r\n\r\n"},
        {message, 1, "H: 1\r\n\r\nb1\r\n"},
        {message, 3, "H: 1\r\n\r\nb1\r\n\r\nb3\r\n"},
        {message, 4, message},
        {message, 9, message},
        {"no empty line\r\nat all", 0, "no empty line\r\nat all"},
        {"H: 1\r\n\r\n", 2, "H: 1\r\n\r\n"},
    };
    for (const auto& c : tops)
        EXPECT_EQ(pop3server::TopOfMessage(c.Content, c.Lines), c.Top);
}

// UIDL answers are what RFC 1939 allows (0x21 to 0x7E, at most 70), the same
// for the same stored UID every time; a UID that already is one stays.
TEST(Pop3ServerText, UniqueIdsArePrintableAndStable) {
    const std::string japanese = "0a1b2c3d01d9a2b3.0." + platform::Utf8ToCp932("日本語") + ",s=9";
    const std::string blank = "0a1b2c3d01d9a2b3.1.my home,s=9";
    const std::string long70 = std::string(71, 'a');
    using pop3server::UidlOf;
    EXPECT_EQ(UidlOf("0a1b2c3d01d9a2b3.0.home,s=9"), "0a1b2c3d01d9a2b3.0.home,s=9");
    for (const std::string& uid : {japanese, blank, long70, std::string()}) {
        const std::string uidl = UidlOf(uid);
        EXPECT_EQ(uidl, UidlOf(uid));
        EXPECT_EQ(uidl.size(), 32u);
        EXPECT_TRUE(
            std::all_of(uidl.begin(), uidl.end(), [](char c) { return c > 0x20 && c < 0x7F; }));
    }
    EXPECT_NE(UidlOf(japanese), UidlOf(blank));
}

TEST(Pop3ServerText, NumbersAreStrictDecimal) {
    struct TCase {
        const char* Text;
        int Number;
    } cases[] = {{"1", 1},
                 {"0042", 42},
                 {"", 0},
                 {"-1", 0},
                 {"+1", 0},
                 {" 1", 0},
                 {"1x", 0},
                 {"0x10", 0},
                 {"999999999", 999999999},
                 {"1000000000", pop3server::MaxNumber},
                 {"99999999999999999999999", pop3server::MaxNumber}};
    for (const auto& c : cases)
        EXPECT_EQ(pop3server::ParseNumber(c.Text), c.Number) << c.Text;
}

TEST(Pop3ServerText, LargeAnswersGoInPiecesStuffedAcrossTheirBorders) {
    // Plain stuffing for comparison: a dot before every line that begins with one.
    auto stuffed = [](const std::string& content) {
        std::string out = content.starts_with(".") ? "." : "";
        for (std::size_t i = 0; i < content.size(); ++i) {
            out += content[i];
            if (i >= 1 && content[i - 1] == '\r' && content[i] == '\n' && i + 1 < content.size() &&
                content[i + 1] == '.')
                out += '.';
        }
        return out;
    };
    constexpr std::size_t Piece = pop3server::PieceSize;
    for (std::size_t offset = Piece - 3; offset <= Piece + 1; ++offset) {
        std::string content =
            std::string(offset, 'x') + "\r\n.a\r\n" + std::string(99, 'y') + "\r\n..\r\n.";
        std::string sent;
        int pieces = 0;
        pop3server::SendMultiLine(content, [&](std::string_view piece) {
            sent.append(piece);
            ++pieces;
        });
        EXPECT_EQ(sent, "+OK\r\n" + stuffed(content) + "\r\n.\r\n") << offset;
        EXPECT_EQ(sent, pop3server::MultiLine(content) + "\r\n");
        EXPECT_GE(pieces, 2);
    }
}
