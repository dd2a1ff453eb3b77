// Client sessions that sign in with XOAUTH2 or with a password a command
// prints, against scripted servers over TLS: the exact exchange, the outcome
// the window gets, and that no token reaches a log, an event or an error text.
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

#include "foundation/base64enc.h"
#include "net/pop3mailcheckthread.h"
#include "platform/file.h"
#include "pop3scriptserver.h"
#include "pop3testwindow.h"
#include "tlsscriptfixture.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

const std::string kToken = "ya29.a0-Secret_Token";
// The response for user bob: base64 of user=bob^Aauth=Bearer token^A^A.
const std::string kResponse = Base64Encode("user=bob\x01"
                                           "auth=Bearer " +
                                           kToken + "\x01\x01");
// A provider's failure challenge: {"status":"401","schemes":"bearer"}.
const std::string kChallengeJson = R"({"status":"401","schemes":"bearer"})";

// POP3S: the handshake first, then the greeting and CAPA over TLS.
const Lines Capa = {"T:",      "S: +OK ready",          "C: CAPA", "S: +OK",
                    "S: USER", "S: SASL XOAUTH2 PLAIN", "S: ."};

class Pop3SignInTest : public TlsScriptTest {
protected:
    void SetUp() override {
        TlsScriptTest::SetUp();
        if (IsSkipped()) return;
        std::string pattern = (fs::temp_directory_path() / "signinXXXXXX").string();
        Folder = mkdtemp(pattern.data());
        Plan.Method = TSignInMethod::XOAuth2;
        Plan.Command = "echo " + kToken;
        Plan.PasswordKept = true;
    }
    void TearDown() override {
        TlsScriptTest::TearDown();
        EXPECT_EQ(platform::RunningWorkerThreads(), 0);
        fs::remove_all(Folder);
    }

    std::vector<TPop3Event> Check(TPop3ScriptServer& server, const std::string& password = {}) {
        auto* thread = new TPop3MailCheckThread(true, &Window, server.GetPort(), "127.0.0.1", false,
                                                password, "bob", Folder.string());
        thread->SetReplyTimeout(2000);
        if (Tls != platform::TTlsMode::None) thread->SetTls(Tls, TrustingOptions());
        thread->SetSignIn(Plan);
        thread->Resume();
        return RunPop3Window(Window, TPop3MailCheckThread::WindowMessage, {});
    }

    // The session log of the one session run.
    std::string SessionLog() const {
        auto logs = platform::FindFiles(Folder.string(), ".log");
        if (logs.size() != 1) return "no single log";
        return platform::ReadFile(Folder.string() + "/" + logs[0]).value_or("");
    }

    // Neither the token nor the response in the log or any event text.
    void ExpectNoToken(const std::vector<TPop3Event>& events) const {
        const std::string log = SessionLog();
        for (const std::string& secret : {kToken, kResponse, Base64Encode(kToken)}) {
            EXPECT_EQ(log.find(secret), std::string::npos) << log;
            for (const TPop3Event& e : events)
                EXPECT_EQ(e.Text.find(secret), std::string::npos) << e.Text;
        }
    }

    fs::path Folder;
    TSignInPlan Plan;
    platform::TTlsMode Tls = platform::TTlsMode::Implicit;
};

} // namespace

// Over POP3S, and over STLS, where CAPA is asked again once TLS is up.
TEST_F(Pop3SignInTest, XOAuth2SignsInWithTheTokenOfTheCommand) {
    const Lines signIn = {"C: AUTH XOAUTH2", "S: + ",      "C: " + kResponse, "S: +OK Welcome.",
                          "C: STAT",         "S: +OK 0 0", "C: QUIT",         "S: +OK bye"};
    const Lines stls = {
        "S: +OK ready", "C: CAPA", "S: +OK", "S: STLS",         "S: .", "C: STLS", "S: +OK go",
        "T:",           "C: CAPA", "S: +OK", "S: SASL XOAUTH2", "S: ."};
    const std::pair<platform::TTlsMode, Lines> cases[] = {
        {platform::TTlsMode::Implicit, JoinScript({Capa, signIn})},
        {platform::TTlsMode::StartTls, JoinScript({stls, signIn})},
    };
    for (const auto& [mode, script] : cases) {
        SCOPED_TRACE(static_cast<int>(mode));
        fs::remove_all(Folder);
        fs::create_directory(Folder);
        Tls = mode;
        TPop3ScriptServer server(script);
        auto events = Check(server);
        EXPECT_EQ(server.Received(), server.Expected());
        ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 301, 5, 9, 8, 1}));
        EXPECT_TRUE(events[1].Flag);
        EXPECT_EQ(events[1].Text, "AUTH XOAUTH2\r\n+OK Welcome.");
        ExpectNoToken(events);
        EXPECT_NE(SessionLog().find(">AUTH XOAUTH2\r\n<+ \r\n>****\r\n<+OK Welcome."),
                  std::string::npos)
            << SessionLog();
    }
}

// The refusals: after a failure challenge the client sends an empty line and
// the final -ERR reaches the window with the decoded challenge; a server
// that echoes the token gets it hidden.
TEST_F(Pop3SignInTest, XOAuth2RefusalsReachTheWindowWithoutTheToken) {
    struct TCase {
        const char* Name;
        Lines Exchange;
        std::string Reported;
    } cases[] = {
        {"failure challenge",
         {"C: AUTH XOAUTH2", "S: + ", "C: " + kResponse, "S: + " + Base64Encode(kChallengeJson),
          "C: ", "S: -ERR [AUTH] Authentication failed."},
         "-ERR [AUTH] Authentication failed. (" + kChallengeJson + ")"},
        {"refused at once",
         {"C: AUTH XOAUTH2", "S: + ", "C: " + kResponse, "S: -ERR no " + kToken},
         "-ERR no ****"},
        {"mechanism refused", {"C: AUTH XOAUTH2", "S: -ERR unknown"}, "-ERR unknown"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Folder);
        fs::create_directory(Folder);
        TPop3ScriptServer server(JoinScript({Capa, c.Exchange}));
        auto events = Check(server);
        EXPECT_EQ(server.Received(), server.Expected());
        ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 301, 1}));
        EXPECT_FALSE(events[1].Flag);
        EXPECT_EQ(events[1].Text, "AUTH XOAUTH2\r\n" + c.Reported);
        ExpectNoToken(events);
    }
}

// Sessions that end before any secret is sent: the reason comes with the end
// event, never the command's output.
TEST_F(Pop3SignInTest, SessionsThatCannotSignInEndWithTheReason) {
    const std::string marker = (Folder / "ran").string();
    using M = platform::TTlsMode;
    struct TCase {
        const char* Name;
        M Tls;
        std::string Command;
        Lines Script;
        std::string Reason;
    } cases[] = {
        {"no XOAUTH2 in CAPA",
         M::Implicit,
         "echo " + kToken,
         {"T:", "S: +OK ready", "C: CAPA", "S: +OK", "S: SASL PLAIN", "S: ."},
         "The server does not offer SASL XOAUTH2 (CAPA)"},
        {"CAPA refused",
         M::Implicit,
         "echo " + kToken,
         {"T:", "S: +OK ready", "C: CAPA", "S: -ERR what"},
         "The server does not offer SASL XOAUTH2 (CAPA)"},
        {"no TLS: the command does not run",
         M::None,
         "touch " + marker,
         {"S: +OK ready"},
         "XOAUTH2 signs in over TLS only"},
        {"failing command",
         M::Implicit,
         "sh -c 'echo " + kToken + "; echo denied >&2; exit 3'",
         {"T:", "S: +OK ready"},
         "The token command: the command sh failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Tls = c.Tls;
        Plan.Command = c.Command;
        TPop3ScriptServer server(c.Script, std::chrono::milliseconds(500));
        auto events = Check(server);
        EXPECT_EQ(server.Received(), server.Expected());
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Code, 1);
        EXPECT_NE(events.back().Text.find(c.Reason), std::string::npos) << events.back().Text;
        for (const TPop3Event& e : events)
            EXPECT_EQ(e.Text.find(kToken), std::string::npos) << e.Text;
    }
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(Pop3SignInTest, AHangingCommandIsStoppedAtItsTimeOut) {
    Plan.Command = "sleep 30";
    Plan.CommandTimeout = std::chrono::milliseconds(300);
    TPop3ScriptServer server({"T:", "S: +OK ready"}, std::chrono::milliseconds(500));
    const auto start = std::chrono::steady_clock::now();
    auto events = Check(server);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 1}));
    EXPECT_NE(events.back().Text.find("The token command: the command "), std::string::npos)
        << events.back().Text;
}

// A password from a command or the secret store goes out with USER/PASS or
// APOP as before, and no log shows it; one of the file is logged as before.
TEST_F(Pop3SignInTest, PasswordsKeptOutOfTheFileAreNotLogged) {
    Tls = platform::TTlsMode::None; // as before, in plain text when the account says so
    Plan.Method = TSignInMethod::Password;
    Plan.Command = "echo cmd-pass";
    TPop3ScriptServer fromCommand({"S: +OK ready", "C: USER bob", "S: +OK", "C: PASS cmd-pass",
                                   "S: +OK", "C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK"});
    auto events = Check(fromCommand, "ignored");
    EXPECT_EQ(fromCommand.Received(), fromCommand.Expected());
    ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 9, 8, 1}));
    EXPECT_EQ(events[2].Text, "PASS ****\r\n+OK");
    EXPECT_EQ(SessionLog().find("cmd-pass"), std::string::npos) << SessionLog();
    EXPECT_NE(SessionLog().find(">PASS ****"), std::string::npos) << SessionLog();

    fs::remove_all(Folder);
    fs::create_directory(Folder);
    Plan = {};
    TPop3ScriptServer fromFile(
        {"S: +OK ready", "C: USER bob", "S: +OK", "C: PASS file-pass", "S: -ERR no"});
    events = Check(fromFile, "file-pass");
    EXPECT_EQ(fromFile.Received(), fromFile.Expected());
    EXPECT_EQ(events[2].Text, "PASS file-pass\r\n-ERR no");
}
