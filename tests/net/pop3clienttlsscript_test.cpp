// The client sessions' steps to TLS against a scripted server that speaks
// TLS: the commands on the wire, servers that refuse or cheat before TLS,
// and hostile TLS peers, which end the session within its time-outs and
// never get mail deleted that was not stored.
#include <gtest/gtest.h>

#include "net/pop3mailcheckthread.h"
#include "pop3scriptserver.h"
#include "pop3testwindow.h"
#include "tlsscriptfixture.h"

using platform::TTlsMode;
using Lines = std::vector<std::string>;

namespace {

const Lines Greeting = {"S: +OK ready <1.2@test>"};
const Lines StlsOffered = {"C: CAPA", "S: +OK list", "S: USER", "S: STLS", "S: ."};
const Lines Login = {"C: USER bob", "S: +OK", "C: PASS secret", "S: +OK in"};
const Lines Empty = {"C: STAT", "S: +OK 0 0", "C: QUIT", "S: +OK bye"};

class Pop3ClientTlsScriptTest : public TlsScriptTest {
protected:
    std::vector<TPop3Event> Check(TPop3ScriptServer& server, TTlsMode mode,
                                  TPop3WindowScript answers = {}) {
        auto* thread = new TPop3MailCheckThread(true, &Window, server.GetPort(), "127.0.0.1", false,
                                                "secret", "bob", "");
        platform::TTlsOptions options = TrustingOptions();
        options.TimeoutMs = HandshakeTimeout;
        thread->SetTls(mode, options);
        thread->SetReplyTimeout(HandshakeTimeout);
        thread->Resume();
        return RunPop3Window(Window, TPop3MailCheckThread::WindowMessage, std::move(answers));
    }

    static constexpr int HandshakeTimeout = 500;
};

} // namespace

TEST_F(Pop3ClientTlsScriptTest, SessionsSendTheirCommandsOverTls) {
    struct Case {
        const char* what;
        TTlsMode mode;
        Lines script;
    } cases[] = {
        {"POP3S", TTlsMode::Implicit, JoinScript({{"T:"}, Greeting, Login, Empty})},
        {"STLS", TTlsMode::StartTls,
         JoinScript({Greeting, StlsOffered, {"C: STLS", "S: +OK begin", "T:"}, Login, Empty})},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        TPop3ScriptServer server(k.script);
        auto events = Check(server, k.mode);
        EXPECT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 5, 9, 8, 1}));
        EXPECT_EQ(events.at(0).Text, "127.0.0.1\r\n+OK ready <1.2@test>");
        EXPECT_EQ(server.Received(), server.Expected());
    }
}

// Whatever goes wrong on the way to TLS, the user name and the password stay
// unsent and the end event says why.
TEST_F(Pop3ClientTlsScriptTest, NoLoginUnlessStlsBringsTlsUp) {
    const std::string noStls = "The server does not offer STLS";
    const std::string plainText =
        ": the session ends before the login, so no password goes out in plain text";
    struct Case {
        const char* what;
        Lines script;
        std::string reason;
    } cases[] = {
        {"no STLS in CAPA",
         JoinScript({Greeting, {"C: CAPA", "S: +OK", "S: USER", "S: STLSX", "S: ."}}),
         noStls + plainText},
        {"CAPA refused", JoinScript({Greeting, {"C: CAPA", "S: -ERR unknown command"}}),
         noStls + " (-ERR unknown command)" + plainText},
        {"STLS refused", JoinScript({Greeting, StlsOffered, {"C: STLS", "S: -ERR not now"}}),
         "The server refused STLS: -ERR not now"},
        // A man in the middle would have the client take this line for the
        // server's first words over TLS.
        {"a line injected after the STLS reply",
         JoinScript({Greeting, StlsOffered, {"C: STLS", "S: +OK begin\r\n+OK injected"}}),
         "Unexpected data from the server before TLS"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        TPop3ScriptServer server(k.script);
        auto events = Check(server, TTlsMode::StartTls);
        ASSERT_EQ(EventCodes(events), std::vector<int>{1});
        EXPECT_EQ(events[0].Text, "127.0.0.1\r\n" + k.reason);
        for (const std::string& line : server.Received())
            EXPECT_FALSE(line.starts_with("USER") || line.starts_with("PASS")) << line;
    }
}

TEST_F(Pop3ClientTlsScriptTest, HostilePeersEndTheHandshakeWithinItsTimeout) {
    const std::string timedOut = "TLS handshake: the server did not finish it within 0.5 s";
    struct Case {
        const char* what;
        TTlsMode mode;
        Lines script;
        std::string reason;
    } cases[] = {
        {"garbage instead of a ServerHello",
         TTlsMode::Implicit,
         {"S: +OK POP3 ready"},
         "TLS handshake failed: wrong version number"},
        {"a ServerHello cut short",
         TTlsMode::Implicit,
         {"R: 16 03 03 00 40 02 00 00 3c 03 03", "W: 2000"},
         timedOut},
        {"silence after the STLS reply", TTlsMode::StartTls,
         JoinScript({Greeting, StlsOffered, {"C: STLS", "S: +OK begin", "W: 2000"}}), timedOut},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        TPop3ScriptServer server(k.script, std::chrono::milliseconds(2500));
        const auto start = std::chrono::steady_clock::now();
        auto events = Check(server, k.mode);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
        ASSERT_EQ(EventCodes(events), std::vector<int>{1});
        EXPECT_EQ(events[0].Text, "127.0.0.1\r\n" + k.reason);
        server.Received();
    }
}

// A connection cut without close_notify may be a truncation by an attacker:
// the message is not taken, so the window never asks to delete it.
TEST_F(Pop3ClientTlsScriptTest, ACutWithoutCloseNotifyDuringRetrDeletesNothing) {
    TPop3ScriptServer server(JoinScript(
        {{"T:"},
         Greeting,
         Login,
         {"C: STAT", "S: +OK 1 40", "C: UIDL 1", "S: +OK 1 a", "C: LIST 1", "S: +OK 1 40",
          "C: RETR 1", "S: +OK", "S: Subject: a", "S: ", "S: the first line", "X:"}}));
    std::vector<std::string> retrieved;
    TPop3WindowScript answers;
    answers.Retrieved = &retrieved;
    answers.Retr = {"DELE"};
    auto events = Check(server, TTlsMode::Implicit, answers);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().Code, 1);
    EXPECT_TRUE(retrieved.empty());
    for (const auto& e : events)
        EXPECT_FALSE(e.Code == 12 && e.Flag) << e.Text;
    for (const std::string& line : server.Received())
        EXPECT_FALSE(line.starts_with("DELE")) << line;
}
