// TLS on the client socket, against a test peer with the test certificates.
#include "platform/tls.h"

#include <gtest/gtest.h>
#include <openssl/ssl.h>
#include <thread>

#include "platform/messages.h"
#include "platform/testcertificates.h"
#include "platform/testloopback.h"
#include "platform/tlstestpeer.h"

using namespace platform;
using TWait = TSocket::TWait;

namespace {

// A loopback pair whose server end runs a script on a thread of its own.
class TlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TTestCertificates::Available()) GTEST_SKIP() << "no openssl command";
    }
    void TearDown() override {
        if (Peer.joinable()) Peer.join();
    }

    const TTestCertificates& Certs() { return TTestCertificates::Get(); }

    // Runs play on the server end once it has accepted TLS with the certificate.
    template <class Play>
    void ServeTls(const TTestCertificate& cert, Play play, int maxVersion = 0) {
        Peer = std::thread([this, cert, play, maxVersion] {
            TTlsTestPeer peer(*Pair->Server, cert.Cert, cert.Key, maxVersion);
            if (peer.Accept(&PeerError)) play(peer);
            Pair->Server->Close();
        });
    }

    TTlsOptions Options(const std::string& name = "localhost", const std::string& pin = {}) {
        TTlsOptions options;
        options.ServerName = name;
        options.Fingerprint = pin;
        options.TrustFile = Certs().TrustFile;
        options.TimeoutMs = 10000;
        return options;
    }

    std::unique_ptr<TLoopback> Pair = MakeLoopback();
    TSocket& Client() { return *Pair->Client; }
    std::thread Peer;
    std::string PeerError;
};

} // namespace

TEST_F(TlsTest, CarriesBytesBothWaysAndEndsAtCloseNotify) {
    std::string serverName, received;
    ServeTls(Certs().Server, [&](TTlsTestPeer& peer) {
        serverName = peer.ServerName();
        char chunk[16];
        if (auto n = peer.Read(chunk, sizeof chunk, 10000)) received.assign(chunk, *n);
        peer.Write("back");
        peer.CloseNotify();
    });
    Client().StartTls(Options());
    EXPECT_TRUE(Client().IsTls());
    EXPECT_TRUE(Client().GetTlsDescription().starts_with("TLSv1.3 "))
        << Client().GetTlsDescription();
    WriteText(Client(), "hello");
    EXPECT_EQ(ReadBytes(Client(), 4), "back");
    char byte;
    ASSERT_EQ(Client().WaitForData(10000), TWait::Data);
    EXPECT_EQ(Client().Read(&byte, 1), 0u);
    EXPECT_FALSE(Client().GetConnected());
    Peer.join();
    EXPECT_EQ(received, "hello");
    EXPECT_EQ(serverName, "localhost"); // SNI
}

TEST_F(TlsTest, NoServerNameIndicationForAnAddress) {
    std::string serverName = "unset";
    ServeTls(Certs().Server, [&](TTlsTestPeer& peer) { serverName = peer.ServerName(); });
    Client().StartTls(Options("127.0.0.1"));
    Peer.join();
    EXPECT_EQ(serverName, "");
}

// Decrypted bytes that OpenSSL holds leave nothing readable on the socket:
// they must count as data all the same, and a queued message still wins.
TEST_F(TlsTest, BufferedBytesCountAsData) {
    ServeTls(Certs().Server, [&](TTlsTestPeer& peer) {
        peer.Write("one\r\ntwo\r\n");
        char byte;
        peer.Read(&byte, 1, 10000); // until the client is done
    });
    Client().StartTls(Options());
    ASSERT_EQ(Client().WaitForData(10000), TWait::Data);
    char part[5];
    ASSERT_EQ(Client().Read(part, sizeof part), 5u);
    EXPECT_EQ(std::string(part, 5), "one\r\n");

    int wake = ThreadQueueWakeHandle();
    EXPECT_EQ(Client().WaitForData(0, wake), TWait::Data);
    ASSERT_TRUE(PostThreadMessage(CurrentThreadId(), 1, 0, {}));
    EXPECT_EQ(Client().WaitForData(0, wake), TWait::Message);
    PeekThreadMessage();
    char rest[64];
    auto n = Client().TryRead(rest, sizeof rest);
    ASSERT_TRUE(n);
    EXPECT_EQ(std::string(rest, *n), "two\r\n");
    EXPECT_EQ(Client().WaitForData(0, wake), TWait::Timeout);
    EXPECT_FALSE(Client().TryRead(rest, sizeof rest));
    WriteText(Client(), "x");
}

// A connection cut without close_notify may have cut the data short: an
// error, never a clean end.
TEST_F(TlsTest, ACutConnectionIsAnError) {
    ServeTls(Certs().Server, [&](TTlsTestPeer& peer) { peer.Write("+OK 120 octets\r\nFrom"); });
    Client().StartTls(Options());
    EXPECT_EQ(ReadBytes(Client(), 20), "+OK 120 octets\r\nFrom");
    ASSERT_EQ(Client().WaitForData(10000), TWait::Data);
    char chunk[16];
    try {
        Client().Read(chunk, sizeof chunk);
        ADD_FAILURE() << "no error";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "TLS read failed: unexpected eof while reading");
    }
    EXPECT_FALSE(Client().GetConnected());
    EXPECT_EQ(Client().WaitForData(0), TWait::Data); // and it stays so
    EXPECT_THROW(Client().TryRead(chunk, sizeof chunk), SocketError);
}

TEST_F(TlsTest, ReadAndWriteFailuresRaise) {
    ServeTls(Certs().Server, [&](TTlsTestPeer& peer) {
        char byte;
        peer.Read(&byte, 1, 10000);
    });
    Client().StartTls(Options());
    Client().SetTimeout(100);
    char byte;
    EXPECT_THROW(Client().Read(&byte, 1), SocketError); // silence past the time-out
    WriteText(Client(), "x");
    Peer.join();
    // The peer is gone: writing fails with an error, not with SIGPIPE.
    std::string block(64 * 1024, 'x');
    EXPECT_THROW(for (int i = 0; i < 100; ++i) Client().Write(block.data(), block.size()),
                 SocketError);
}

TEST_F(TlsTest, RefusedCertificatesSayWhy) {
    const auto& c = Certs();
    struct Case {
        const char* what;
        const TTestCertificate& cert;
        std::string name, pin, reason, subject, issuer;
    } cases[] = {
        {"other host", c.OtherHost, "localhost", "", "hostname mismatch", "CN=mail.example.org",
         "CN=Marrowby Test CA"},
        {"other address", c.Server, "127.0.0.2", "", "IP address mismatch", "CN=localhost",
         "CN=Marrowby Test CA"},
        {"expired", c.Expired, "localhost", "", "certificate has expired", "CN=localhost",
         "CN=Marrowby Test CA"},
        {"unknown CA", c.UnknownIssuer, "localhost", "", "unable to get local issuer certificate",
         "CN=localhost", "CN=Unknown Test CA"},
        {"self-signed", c.SelfSigned, "localhost", "", "self-signed certificate", "CN=localhost",
         "CN=localhost"},
        {"another pin", c.Server, "localhost", c.SelfSigned.Fingerprint,
         "its fingerprint is not the pinned one", "CN=localhost", "CN=Marrowby Test CA"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Pair = MakeLoopback();
        bool served = false;
        ServeTls(k.cert, [&](TTlsTestPeer&) { served = true; });
        try {
            Client().StartTls(Options(k.name, k.pin));
            ADD_FAILURE() << "accepted";
        } catch (const TlsError& e) {
            EXPECT_EQ(std::string(e.what()), "The server's certificate was refused: " + k.reason +
                                                 " (subject " + k.subject + "; issuer " + k.issuer +
                                                 "; SHA-256 " + k.cert.Fingerprint + ")");
        }
        EXPECT_FALSE(Client().GetConnected());
        Peer.join();
    }
}

// A pin trusts exactly one certificate, whatever its chain, name or dates.
TEST_F(TlsTest, APinnedFingerprintIsAccepted) {
    const auto& c = Certs();
    struct Case {
        const char* what;
        const TTestCertificate& cert;
        std::string pin;
    } cases[] = {
        {"self-signed", c.SelfSigned, c.SelfSigned.Fingerprint},
        {"typed in lower case without colons", c.SelfSigned,
         [&] {
             std::string s;
             for (char ch : c.SelfSigned.Fingerprint)
                 if (ch != ':') s += static_cast<char>(std::tolower(ch));
             return s;
         }()},
        {"expired", c.Expired, c.Expired.Fingerprint},
        {"other host", c.OtherHost, c.OtherHost.Fingerprint},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Pair = MakeLoopback();
        ServeTls(k.cert, [](TTlsTestPeer& peer) { peer.Write("+OK"); });
        EXPECT_NO_THROW(Client().StartTls(Options("localhost", k.pin)));
        EXPECT_EQ(ReadBytes(Client(), 3), "+OK");
        Peer.join();
    }
}

TEST_F(TlsTest, AnUnreadablePinRefusesBeforeTheHandshake) {
    ServeTls(Certs().Server, [](TTlsTestPeer&) {});
    try {
        Client().StartTls(Options("localhost", "AB:CD"));
        ADD_FAILURE() << "accepted";
    } catch (const TlsError& e) {
        EXPECT_STREQ(e.what(), "The pinned fingerprint is not a SHA-256 fingerprint");
    }
    EXPECT_FALSE(Client().GetConnected());
}

TEST_F(TlsTest, NothingBelowTls12) {
    ServeTls(
        Certs().Server, [](TTlsTestPeer&) {}, TLS1_1_VERSION);
    try {
        Client().StartTls(Options());
        ADD_FAILURE() << "accepted";
    } catch (const TlsError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("TLS handshake failed: ")) << e.what();
    }
    Peer.join();
    EXPECT_FALSE(PeerError.empty());
}

// Peers that are no TLS servers, or stop half-way: each handshake ends, with
// the reason, within the handshake time-out.
TEST_F(TlsTest, HostilePeersEndTheHandshake) {
    struct Case {
        const char* what;
        std::string bytes;
        bool close;
        std::string message;
    } cases[] = {
        {"a plain POP3 greeting", "+OK POP3 ready\r\n", false,
         "TLS handshake failed: wrong version number"},
        {"a ServerHello cut short", std::string("\x16\x03\x03\x00\x40\x02\x00\x00\x3c\x03\x03", 11),
         false, "TLS handshake: the server did not finish it within 0.3 s"},
        {"silence", "", false, "TLS handshake: the server did not finish it within 0.3 s"},
        {"an immediate close", "", true, "TLS handshake failed: unexpected eof while reading"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Pair = MakeLoopback();
        WriteText(*Pair->Server, k.bytes);
        if (k.close) Pair->Server->Close();
        TTlsOptions options = Options();
        options.TimeoutMs = 300;
        try {
            Client().StartTls(options);
            ADD_FAILURE() << "accepted";
        } catch (const TlsError& e) {
            EXPECT_EQ(std::string(e.what()), k.message);
        }
        EXPECT_FALSE(Client().GetConnected());
    }
}

TEST_F(TlsTest, AShutdownEndsAHandshakeAtOnce) {
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ShutdownAllSockets(false);
    });
    TTlsOptions options = Options();
    options.TimeoutMs = 60000;
    EXPECT_THROW(Client().StartTls(options), TlsError);
    stopper.join();
}

TEST(TlsFingerprint, ReadsTheFormsUsersType) {
    const std::string stored = "9D:30:09:E1:BE:89:63:E4:67:30:BF:32:23:66:57:27:85:D3:B8:7F:2B:"
                               "56:8B:49:5C:9B:78:7F:6D:79:74:D8";
    EXPECT_EQ(NormalizeFingerprint(stored), stored);
    EXPECT_EQ(
        NormalizeFingerprint("9d3009e1be8963e46730bf322366572785d3b87f2b568b495c9b787f6d7974d8"),
        stored);
    EXPECT_EQ(
        NormalizeFingerprint(" 9d 30 09 e1 be 89 63 e4 67 30 bf 32 23 66 57 27 85 d3 b8 7f 2b "
                             "56 8b 49 5c 9b 78 7f 6d 79 74 d8 "),
        stored);
    for (const char* bad : {"", "9D:30", "SHA256:9d3009e1be8963e46730bf322366572785d3b87f2b568b495",
                            "9d3009e1be8963e46730bf322366572785d3b87f2b568b495c9b787f6d7974d8aa",
                            "zz3009e1be8963e46730bf322366572785d3b87f2b568b495c9b787f6d7974d8"})
        EXPECT_FALSE(NormalizeFingerprint(bad)) << bad;
}
