// The line and block helper over TLS, against dovecot with the test
// certificates: POP3 over TLS from the first byte, and STLS after a plain
// greeting. Lines, blocks that span many TLS records, and the wake-up by a
// queued message behave as over plain TCP.
#include <gtest/gtest.h>

#include "dovecot_fixture.h"
#include "net/pop3sockethelper.h"
#include "platform/messages.h"
#include "platform/testcertificates.h"
#include "platform/tls.h"
#include "pop3testwindow.h"

namespace {

std::vector<std::string> SampleMessages() {
    std::string big = "Subject: big\r\n\r\n";
    while (big.size() < 3 * 1024 * 1024)
        big += (big.size() % 7 == 0 ? ".." : "") + std::string("a line of the big message\r\n");
    return {"Subject: one\r\n\r\n.dot\r\nend\r\n", big};
}

class SocketHelperTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TDovecotServer::Available() || !TTestCertificates::Available())
            GTEST_SKIP() << "dovecot or openssl is missing (scripts/install-deps.sh installs them)";
        const auto& certs = TTestCertificates::Get();
        Dovecot.EnableTls(certs.Server.Cert, certs.Server.Key);
        Dovecot.AddUser("bob", "secret");
        for (const auto& m : Messages)
            Dovecot.AddMessage("bob", m);
        std::string error;
        ASSERT_TRUE(Dovecot.Start(error)) << error;
    }

    void StartTls() {
        platform::TTlsOptions options;
        options.ServerName = "localhost";
        options.TrustFile = TTestCertificates::Get().TrustFile;
        Socket.StartTls(options);
    }

    std::string Command(const std::string& command) {
        Helper.SendCommand(command);
        return Line();
    }

    std::string Line() {
        std::string line;
        for (int tick = 0; tick < 200 && !Helper.ReceiveCommand(line); ++tick) {
        }
        return line;
    }

    // The multi-line reply to the command, as received.
    std::string Block(const std::string& command) {
        Helper.SetMode(TSocketHelper::ModeBlock);
        Helper.SendCommand(command);
        std::string text;
        for (int tick = 0; tick < 200 && !Helper.ReceiveBlock(text); ++tick) {
        }
        Helper.SetMode(TSocketHelper::ModeCommand);
        return Helper.GetLastBlock();
    }

    void ExpectSession() {
        EXPECT_TRUE(Command("USER bob").starts_with("+OK"));
        EXPECT_TRUE(Command("PASS secret").starts_with("+OK"));
        for (std::size_t i = 0; i < Messages.size(); ++i)
            EXPECT_EQ(RetrievedMessage("RETR\r\n" + Block("RETR " + std::to_string(i + 1))),
                      Messages[i]);
        EXPECT_TRUE(Command("QUIT").starts_with("+OK"));
    }

    std::vector<std::string> Messages = SampleMessages();
    TDovecotServer Dovecot;
    platform::TSocket Socket;
    TPop3SocketHelper Helper{&Socket, 50};
};

} // namespace

TEST_F(SocketHelperTlsTest, Pop3sFromTheFirstByte) {
    Socket.Connect("127.0.0.1", Dovecot.GetTlsPort(), 5000);
    StartTls();
    EXPECT_TRUE(Line().starts_with("+OK"));
    ExpectSession();
}

TEST_F(SocketHelperTlsTest, StlsAfterThePlainGreeting) {
    Socket.Connect("127.0.0.1", Dovecot.GetPort(), 5000);
    EXPECT_TRUE(Line().starts_with("+OK"));
    EXPECT_NE(Block("CAPA").find("\r\nSTLS\r\n"), std::string::npos);
    EXPECT_TRUE(Command("STLS").starts_with("+OK"));
    ASSERT_FALSE(Helper.BufferRemaining());
    StartTls();
    ExpectSession();
}

TEST_F(SocketHelperTlsTest, AQueuedMessageEndsTheWaitOverTls) {
    Socket.Connect("127.0.0.1", Dovecot.GetTlsPort(), 5000);
    StartTls();
    EXPECT_TRUE(Line().starts_with("+OK"));
    Helper.SetWakeOnMessage(true);
    ASSERT_TRUE(platform::PostThreadMessage(platform::CurrentThreadId(), 7, 0, {}));
    std::string line;
    Helper.SetMode(TSocketHelper::ModeCommand);
    EXPECT_FALSE(Helper.ReceiveCommand(line)); // woken, no line
    auto message = platform::PeekThreadMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->Msg, 7u);
    EXPECT_TRUE(Command("USER bob").starts_with("+OK"));
}
