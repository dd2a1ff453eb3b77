// The POP3 client threads over TLS against dovecot with the test
// certificates: POP3S and STLS sessions, certificates refused before the
// login, a pinned self-signed one accepted, and a server without STLS.
#include <gtest/gtest.h>

#include <filesystem>

#include "dovecot_fixture.h"
#include "net/pop3mailcheckthread.h"
#include "platform/file.h"
#include "platform/testcertificates.h"
#include "platform/thread.h"
#include "pop3testwindow.h"

namespace fs = std::filesystem;
using platform::TTlsMode;

namespace {

std::vector<std::string> SampleMessages() {
    std::string big = "Subject: big\r\n\r\n";
    while (big.size() < 2 * 1024 * 1024)
        big += (big.size() % 5 == 0 ? "." : "") + std::string("a line of the big message\r\n");
    return {"Subject: one\r\n\r\n.dot\r\n..two\r\nend\r\n",
            "Subject: =?ISO-2022-JP?B?GyRCJEYkOSRIGyhC?=\r\n\r\n\x82\xb1\x82\xf1\r\n", big};
}

struct TTlsAccount {
    TTlsAccount(TTlsMode mode, std::string pin = {}, bool trusted = true)
        : Mode(mode), Pin(std::move(pin)), Trusted(trusted) {}
    TTlsMode Mode;
    std::string Pin;
    bool Trusted; // the test CA is trusted
};

class Pop3ClientTlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TDovecotServer::Available() || !TTestCertificates::Available())
            GTEST_SKIP() << "dovecot or openssl is missing (scripts/install-deps.sh installs them)";
        LogFolder = fs::temp_directory_path() / ("tlslog" + std::to_string(getpid()));
        fs::create_directories(LogFolder);
    }
    void TearDown() override {
        platform::StopWorkerThreads();
        fs::remove_all(LogFolder);
    }

    // A dovecot with the certificate (no TLS at all without one) and bob's mail.
    std::unique_ptr<TDovecotServer> Serve(const TTestCertificate* certificate) {
        auto dovecot = std::make_unique<TDovecotServer>();
        if (certificate) dovecot->EnableTls(certificate->Cert, certificate->Key);
        dovecot->AddUser("bob", "secret");
        for (const auto& m : Messages)
            dovecot->AddMessage("bob", m);
        std::string error;
        EXPECT_TRUE(dovecot->Start(error)) << error;
        return dovecot;
    }

    std::vector<TPop3Event> Check(const TDovecotServer& dovecot, const TTlsAccount& account,
                                  TPop3WindowScript answers) {
        const int port =
            account.Mode == TTlsMode::Implicit ? dovecot.GetTlsPort() : dovecot.GetPort();
        auto* thread = new TPop3MailCheckThread(true, &Window, port, "127.0.0.1", false, "secret",
                                                "bob", LogFolder.string());
        platform::TTlsOptions options;
        options.ServerName = "localhost";
        options.Fingerprint = account.Pin;
        if (account.Trusted) options.TrustFile = TTestCertificates::Get().TrustFile;
        thread->SetTls(account.Mode, options);
        thread->Resume();
        return RunPop3Window(Window, TPop3MailCheckThread::WindowMessage, std::move(answers));
    }

    // The session log of the last session, removed for the next one.
    std::string TakeSessionLog() {
        std::string text;
        for (const auto& entry : fs::directory_iterator(LogFolder)) {
            text += platform::ReadFile(entry.path().string()).value_or("");
            fs::remove(entry.path());
        }
        return text;
    }

    std::vector<std::string> Messages = SampleMessages();
    platform::TQueueWindow Window;
    fs::path LogFolder;
};

} // namespace

// The window sees the same session as in plain text: greeting, USER, PASS...
TEST_F(Pop3ClientTlsTest, Pop3sAndStlsSessionsDownloadAndDeleteByteForByte) {
    const auto& certs = TTestCertificates::Get();
    for (TTlsMode mode : {TTlsMode::Implicit, TTlsMode::StartTls}) {
        SCOPED_TRACE(static_cast<int>(mode));
        auto dovecot = Serve(&certs.Server);
        std::vector<std::string> retrieved;
        TPop3WindowScript answers;
        answers.Retrieved = &retrieved;
        answers.Retr.assign(Messages.size(), "DELE");
        auto events = Check(*dovecot, {mode}, answers);
        ASSERT_GE(events.size(), 4u);
        EXPECT_EQ(events[0].Code, 0);
        EXPECT_EQ(events[1].Code, 2);
        EXPECT_EQ(events[2].Code, 3);
        EXPECT_EQ(events.back().Code, 1);
        for (const auto& e : events)
            EXPECT_TRUE(e.Flag) << e.Code << ": " << e.Text.substr(0, 200);
        EXPECT_EQ(retrieved, Messages);
        EXPECT_TRUE(dovecot->Messages("bob").empty());
        const std::string log = TakeSessionLog();
        EXPECT_NE(log.find("*TLS TLSv1.3 "), std::string::npos) << log.substr(0, 400);
        const bool stls = mode == TTlsMode::StartTls;
        EXPECT_EQ(log.find(">STLS\r\n") < log.find("*TLS") && log.find("*TLS") < log.find(">USER"),
                  stls)
            << log.substr(0, 400);
        EXPECT_EQ(log.find(">CAPA\r\n") != std::string::npos, stls);
    }
}

// Each refusal ends the session before the login, with the library's reason
// and the certificate's names and fingerprint; the mailbox stays as it was.
TEST_F(Pop3ClientTlsTest, RefusedCertificatesEndTheSessionBeforeTheLogin) {
    const auto& c = TTestCertificates::Get();
    struct Case {
        const char* what;
        const TTestCertificate& cert;
        TTlsAccount account;
        std::string reason, subject, issuer;
    } cases[] = {
        {"another host's",
         c.OtherHost,
         {TTlsMode::Implicit},
         "hostname mismatch",
         "CN=mail.example.org",
         "CN=Marrowby Test CA"},
        {"expired, after STLS",
         c.Expired,
         {TTlsMode::StartTls},
         "certificate has expired",
         "CN=localhost",
         "CN=Marrowby Test CA"},
        {"from an unknown CA",
         c.UnknownIssuer,
         {TTlsMode::Implicit},
         "unable to get local issuer certificate",
         "CN=localhost",
         "CN=Unknown Test CA"},
        {"from a CA the system does not know",
         c.Server,
         {TTlsMode::Implicit, "", false},
         "unable to get local issuer certificate",
         "CN=localhost",
         "CN=Marrowby Test CA"},
        {"self-signed, another pin",
         c.SelfSigned,
         {TTlsMode::StartTls, c.Server.Fingerprint, false},
         "its fingerprint is not the pinned one",
         "CN=localhost",
         "CN=localhost"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        auto dovecot = Serve(&k.cert);
        auto events = Check(*dovecot, k.account, {});
        ASSERT_EQ(EventCodes(events), std::vector<int>{1});
        EXPECT_EQ(events[0].Text, "127.0.0.1\r\nThe server's certificate was refused: " + k.reason +
                                      " (subject " + k.subject + "; issuer " + k.issuer +
                                      "; SHA-256 " + k.cert.Fingerprint + ")");
        const std::string log = TakeSessionLog();
        EXPECT_EQ(log.find(">USER"), std::string::npos) << log;
        EXPECT_NE(log.find("*Error! The server's certificate was refused"), std::string::npos);
        EXPECT_EQ(dovecot->Messages("bob"), Messages);
    }
}

TEST_F(Pop3ClientTlsTest, APinnedSelfSignedCertificateIsAccepted) {
    const auto& self = TTestCertificates::Get().SelfSigned;
    auto dovecot = Serve(&self);
    for (TTlsMode mode : {TTlsMode::Implicit, TTlsMode::StartTls}) {
        std::vector<std::string> retrieved;
        TPop3WindowScript answers;
        answers.Retrieved = &retrieved;
        auto events = Check(*dovecot, {mode, self.Fingerprint, false}, answers);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Text, "127.0.0.1");
        EXPECT_EQ(retrieved, Messages);
    }
}

// No fall-back to plain text: neither CAPA without STLS nor a server that
// refuses CAPA lets the password go out.
TEST_F(Pop3ClientTlsTest, AServerWithoutStlsEndsTheSessionBeforeTheLogin) {
    auto dovecot = Serve(nullptr);
    auto events = Check(*dovecot, {TTlsMode::StartTls}, {});
    ASSERT_EQ(EventCodes(events), std::vector<int>{1});
    EXPECT_EQ(events[0].Text, "127.0.0.1\r\nThe server does not offer STLS: the session ends "
                              "before the login, so no password goes out in plain text");
    const std::string log = TakeSessionLog();
    EXPECT_NE(log.find(">CAPA"), std::string::npos);
    EXPECT_EQ(log.find(">STLS"), std::string::npos);
    EXPECT_EQ(log.find(">USER"), std::string::npos);
}
