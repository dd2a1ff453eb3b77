// One cycle of the real program over accounts of every connection security,
// against dovecots with the test certificates (the test CA trusted through
// SSL_CERT_FILE, as a user may do): each refused server leaves its mail
// untouched and the cycle goes on with the next account.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dovecot_fixture.h"
#include "gatewayprocess.h"
#include "tests/platform/testcertificates.h"

namespace {

namespace fs = std::filesystem;

// Accounts on one server log in as different users.
const char* const Users[] = {"ann", "bob", "cy"};

std::vector<std::string> Mail(const std::string& user) {
    return {"From: friend@example.com\r\nSubject: first for " + user + "\r\n\r\n.dot\r\nend\r\n",
            "From: friend@example.com\r\nSubject: second for " + user + "\r\n\r\nbody\r\n"};
}

struct TTlsAccount {
    std::string Name;
    TDovecotServer* Server;
    std::vector<std::string> Options; // the security options of accounts add
    bool Tls;                         // on the server's TLS port
    std::string Refusal;              // the start of the error line; empty: downloads
};

class ReceiveTlsEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TDovecotServer::Available() || !TTestCertificates::Available())
            GTEST_SKIP() << "dovecot or openssl is missing";
        const auto& certs = TTestCertificates::Get();
        char pattern[] = "/tmp/mb-tls-e2e-XXXXXX";
        Folder = mkdtemp(pattern);
        fs::create_directories(Folder / "run");
        fs::permissions(Folder / "run", fs::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (Folder / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (Folder / "run").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("SSL_CERT_FILE", certs.TrustFile.c_str(), 1);
        Good.EnableTls(certs.Server.Cert, certs.Server.Key);
        Other.EnableTls(certs.OtherHost.Cert, certs.OtherHost.Key);
        Self.EnableTls(certs.SelfSigned.Cert, certs.SelfSigned.Key);
        for (TDovecotServer* server : {&Plain, &Good, &Other, &Self})
            for (const char* user : Users) {
                server->AddUser(user, "secret");
                for (const std::string& m : Mail(user))
                    server->AddMessage(user, m);
            }
        for (TDovecotServer* server : {&Plain, &Good, &Other, &Self}) {
            std::string error;
            ASSERT_TRUE(server->Start(error)) << error;
        }
    }
    void TearDown() override {
        unsetenv("SSL_CERT_FILE");
        if (!Folder.empty()) fs::remove_all(Folder);
    }

    void Add(const TTlsAccount& a, const std::string& user) {
        std::vector<std::string> args{
            MARROWBY_TOOL, "accounts",
            "--folder",    Folder.string(),
            "add",         a.Name,
            "--host",      "127.0.0.1",
            "--port",      std::to_string(a.Tls ? a.Server->GetTlsPort() : a.Server->GetPort()),
            "--user",      user,
            "--password",  "secret"};
        args.insert(args.end(), a.Options.begin(), a.Options.end());
        std::string out;
        ASSERT_EQ(::Run(args, &out), 0) << out;
    }

    TDovecotServer Plain, Good, Other, Self;
    fs::path Folder;
};

TEST_F(ReceiveTlsEndToEndTest, RefusedServersKeepTheirMailAndTheCycleGoesOn) {
    const auto& certs = TTestCertificates::Get();
    const std::string refused = "The server's certificate was refused: ";
    const TTlsAccount accounts[] = {
        {"other", &Other, {"--tls"}, true, refused + "IP address mismatch (subject CN=mail."},
        {"pinned", &Self, {"--tls", "--tls-fingerprint", certs.SelfSigned.Fingerprint}, true, ""},
        {"nostls", &Plain, {"--starttls"}, false, "The server does not offer STLS"},
        {"stls", &Good, {"--starttls"}, false, ""},
        {"selfsigned", &Self, {"--starttls"}, false, refused + "self-signed certificate"},
        {"wrongpin",
         &Good,
         {"--tls", "--tls-fingerprint", certs.SelfSigned.Fingerprint},
         true,
         refused + "its fingerprint is not the pinned one"},
        {"pop3s", &Good, {"--tls"}, true, ""},
    };
    std::vector<TDovecotServer*> used;
    std::vector<std::string> users;
    for (const TTlsAccount& a : accounts) {
        users.push_back(Users[std::count(used.begin(), used.end(), a.Server)]);
        used.push_back(a.Server);
        Add(a, users.back());
    }
    TGateway gateway(MARROWBY_PROGRAM, Folder.string(), FreePort());
    ASSERT_TRUE(gateway.Ready());
    bool ended = false;
    const std::vector<std::string> log = gateway.Cycle(ended);
    ASSERT_TRUE(ended) << (log.empty() ? "" : log.back());
    for (std::size_t i = 0; i < std::size(accounts); ++i) {
        const TTlsAccount& a = accounts[i];
        SCOPED_TRACE(a.Name);
        const std::string error = ">ERROR:" + a.Name + ": ";
        const auto line = std::find_if(log.begin(), log.end(),
                                       [&](const std::string& l) { return l.starts_with(error); });
        const auto end =
            std::find(log.begin(), log.end(), "== END " + a.Name + " " + std::string(20, '='));
        EXPECT_NE(end, log.end());
        if (a.Refusal.empty()) {
            EXPECT_EQ(line, log.end()) << *line;
            EXPECT_TRUE(a.Server->Messages(users[i]).empty());
        } else {
            ASSERT_NE(line, log.end());
            EXPECT_TRUE(line->substr(error.size()).starts_with(a.Refusal)) << *line;
            EXPECT_EQ(a.Server->Messages(users[i]), Mail(users[i]));
        }
    }
    EXPECT_EQ(std::count(log.begin(), log.end(), "PASS ****"), 3);
    EXPECT_EQ(gateway.Stop(), 0);
}

} // namespace
