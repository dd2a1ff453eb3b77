// Whole check and erase sessions against a real POP3 server (dovecot): the
// threads talk to the server, the coordinator plays the window's part with
// the real verdict and stores the mail.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "app/receivethreads.h"
#include "dovecot_fixture.h"
#include "filter/filterset.h"
#include "filter/filterverdict.h"
#include "platform/file.h"
#include "platform/thread.h"
#include "receivecorpus.h"
#include "receivetesthost.h"
#include "store/pop3accountitem.h"
#include "tests/platform/testcertificates.h"

namespace {

class TVerdictHost : public TReceiveTestHost {
public:
    TVerdictHost() {
        platform::ForceDirectories(Folder + "cgi");
        for (const auto& [name, content] : RuleFiles())
            platform::WriteFile(Folder + "cgi/" + name, content);
        Filters.SetFolder(Folder);
        Filters.Load();
    }
    bool FilterMessage(std::string& comment, TMultipartMessage& message) override {
        return FilterVerdict(Filters, true, comment, &message);
    }
    TMessageFilterSet Filters;
};

std::vector<std::string> Texts(const TMessageBox& box) {
    std::vector<std::string> texts;
    for (int i = 0; i < box.GetCount(); ++i)
        texts.push_back(platform::ReadFile(box.GetMessages(i)->GetPath()).value_or("<missing>"));
    std::sort(texts.begin(), texts.end());
    return texts;
}

class ReceiveDovecotTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TDovecotServer::Available()) GTEST_SKIP() << TDovecotServer::Binary << " is missing";
        if (TTestCertificates::Available()) {
            const TTestCertificate& server = TTestCertificates::Get().Server;
            Dovecot.EnableTls(server.Cert, server.Key);
        }
        std::string error;
        ASSERT_TRUE(ServeCorpus(Dovecot, Corpus, error)) << error;
        Host.Account->Create("home", "bob", "secret", "127.0.0.1", Dovecot.GetPort(), true, false);
    }
    void TearDown() override { platform::StopWorkerThreads(); }

    // Serves the window's messages until the session ends (bounded).
    void Serve(const int& ends) {
        ASSERT_TRUE(ServeSession(Coordinator, Window, ends, std::chrono::seconds(90)))
            << "the session did not end";
    }
    void Check() {
        StartCheckThread(*Host.Account, Host.Account->Password, &Window, "", Host.Limit);
        Serve(Host.CheckEnds);
    }
    std::vector<std::string> Expected(bool rejected) const {
        std::vector<std::string> texts;
        for (const TCorpusMessage& m : Corpus)
            if (!m.TooLarge && m.Rejected == rejected) texts.push_back(m.Text);
        std::sort(texts.begin(), texts.end());
        return texts;
    }
    std::size_t Count(bool (*pick)(const TCorpusMessage&)) const {
        return static_cast<std::size_t>(std::count_if(Corpus.begin(), Corpus.end(), pick));
    }

    std::vector<TCorpusMessage> Corpus = ReceiveCorpus();
    TDovecotServer Dovecot;
    platform::TQueueWindow Window;
    TVerdictHost Host;
    TRegexpObj Pattern{R"((\+OK|\-ERR)[s]*(.*)\r\n)", 0};
    TReceiveCoordinator Coordinator{Host, Pattern};
};

TEST_F(ReceiveDovecotTest, CycleStoresJudgesAndEmptiesTheServer) {
    Check();
    EXPECT_EQ(Texts(Host.Account->Mailbox), Expected(false));
    EXPECT_EQ(Texts(Host.Trash), Expected(true));
    EXPECT_EQ(Host.Received, static_cast<int>(Expected(false).size()));
    EXPECT_EQ(Host.Deleted, static_cast<int>(Expected(true).size()));
    EXPECT_TRUE(Dovecot.Messages("bob").empty());
    EXPECT_THAT(Host.Log, ::testing::Contains("PASS ****").Times(0)); // APOP: no password line
    EXPECT_EQ(Host.Account->Checklist.GetCount(), 0);

    Check();
    EXPECT_EQ(Host.Account->Mailbox.GetCount(), static_cast<int>(Expected(false).size()));
    EXPECT_EQ(Host.Received, static_cast<int>(Expected(false).size()));
}

TEST_F(ReceiveDovecotTest, StayKeepsMailThatTheEraseThreadThenDeletes) {
    Host.Account->Stay = true;
    Check();
    const std::size_t kept = Expected(false).size();
    ASSERT_EQ(Texts(Host.Account->Mailbox), Expected(false));
    EXPECT_EQ(Dovecot.Messages("bob").size(), kept);
    EXPECT_EQ(Host.Account->Checklist.GetCount(), static_cast<int>(kept));

    Check();
    EXPECT_EQ(Host.Received, static_cast<int>(kept));
    EXPECT_EQ(std::count_if(Host.Log.begin(), Host.Log.end(),
                            [](const std::string& line) { return line.starts_with(">SKIP:"); }),
              static_cast<long>(kept));

    const TMBXItem& target = *Host.Account->Mailbox.GetMessages(3);
    ASSERT_FALSE(target.ServerUID.empty());
    const std::string text = platform::ReadFile(target.GetPath()).value();
    StartEraseThread(*Host.Account, Host.Account->Password, &Window, target.ServerUID, "");
    Serve(Host.EraseEnds);
    const std::vector<std::string> left = Dovecot.Messages("bob");
    EXPECT_EQ(left.size(), kept - 1);
    for (const std::string& m : left)
        EXPECT_NE(m, text);
}

// The erase thread gets the account's security as the check thread does.
TEST_F(ReceiveDovecotTest, SessionsOverTlsCheckAndErase) {
    if (!TTestCertificates::Available()) GTEST_SKIP() << "no openssl command";
    const TTestCertificate& server = TTestCertificates::Get().Server;
    Host.Account->Security = platform::TTlsMode::StartTls;
    Host.Account->Fingerprint = server.Fingerprint; // the test CA is not the system's
    Host.Account->Stay = true;
    Check();
    const std::size_t kept = Expected(false).size();
    ASSERT_EQ(Texts(Host.Account->Mailbox), Expected(false));

    const TMBXItem& target = *Host.Account->Mailbox.GetMessages(0);
    const std::string text = platform::ReadFile(target.GetPath()).value();
    Host.Account->Security = platform::TTlsMode::Implicit; // plain text would fail here
    Host.Account->Port = Dovecot.GetTlsPort();
    StartEraseThread(*Host.Account, Host.Account->Password, &Window, target.ServerUID, "");
    Serve(Host.EraseEnds);
    const std::vector<std::string> left = Dovecot.Messages("bob");
    EXPECT_EQ(left.size(), kept - 1);
    EXPECT_EQ(std::count(left.begin(), left.end(), text), 0);
    EXPECT_THAT(Host.Log, ::testing::Not(::testing::Contains(::testing::HasSubstr(">ERROR:"))));
}

} // namespace
