// The POP3 client threads against a real server: Debian's dovecot, started
// by each test with a throwaway configuration.
#include <gtest/gtest.h>

#include "dovecot_fixture.h"
#include "foundation/csvline.h"
#include "net/pop3mailcheckthread.h"
#include "platform/thread.h"
#include "pop3testwindow.h"

namespace {

// Messages of several shapes: dot-stuffed lines, a lone dot, 8-bit text, a
// long body that spans many reads.
std::vector<std::string> SampleMessages() {
    std::string big = "Subject: big\r\n\r\n";
    for (int i = 0; i < 5000; ++i)
        big.append(i % 7 == 0 ? "." : "")
            .append("line ")
            .append(std::to_string(i))
            .append(" of text\r\n");
    return {
        "From: a@example.com\r\nSubject: plain\r\n\r\nHello.\r\n",
        "Subject: dots\r\n\r\n.starts with a dot\r\n..two dots\r\n.\r\nend\r\n",
        "Subject: =?ISO-2022-JP?B?GyRCJEYkOSRIGyhC?=\r\n\r\n\x82\xb1\x82\xf1\x82\xc9\x82\xbf\r\n",
        big,
    };
}

class Pop3DovecotTest : public ::testing::Test {
protected:
    platform::TQueueWindow Window;
    std::unique_ptr<TDovecotServer> Dovecot;
    std::vector<std::string> Messages = SampleMessages();

    void SetUp() override {
        if (!TDovecotServer::Available())
            GTEST_SKIP() << TDovecotServer::Binary << " is missing (scripts/install-deps.sh "
                         << "installs dovecot-pop3d)";
        Dovecot = std::make_unique<TDovecotServer>();
        Dovecot->AddUser("bob", "secret pass");
        for (const auto& m : Messages)
            Dovecot->AddMessage("bob", m);
        std::string error;
        ASSERT_TRUE(Dovecot->Start(error)) << error;
    }

    void TearDown() override { platform::StopWorkerThreads(); }

    std::vector<TPop3Event> Check(bool apop, TPop3WindowScript answers,
                                  const std::string& password = "secret pass") {
        new TPop3MailCheckThread(false, &Window, Dovecot->GetPort(), "127.0.0.1", apop, password,
                                 "bob", "");
        return RunPop3Window(Window, TPop3MailCheckThread::WindowMessage, std::move(answers));
    }

    static void ExpectAllAccepted(const std::vector<TPop3Event>& events) {
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().Code, 1);
        for (const auto& e : events)
            EXPECT_TRUE(e.Flag) << e.Code << ": " << e.Text.substr(0, 200);
    }
};

} // namespace

TEST_F(Pop3DovecotTest, UserPassSessionDownloadsEveryMessageByteForByte) {
    std::vector<std::string> retrieved;
    TPop3WindowScript answers;
    answers.Retrieved = &retrieved;
    auto events = Check(false, answers);
    ExpectAllAccepted(events);
    EXPECT_EQ(events.at(1).Code, 2); // USER
    EXPECT_EQ(retrieved, Messages);
    EXPECT_EQ(Dovecot->Messages("bob"), Messages); // kept on the server
}

TEST_F(Pop3DovecotTest, ApopSessionDownloadsAndDeletesEveryMessage) {
    std::vector<std::string> retrieved;
    TPop3WindowScript answers;
    answers.Retrieved = &retrieved;
    answers.Retr.assign(Messages.size(), "DELE");
    auto events = Check(true, answers);
    ExpectAllAccepted(events);
    EXPECT_EQ(events.at(1).Code, 4); // APOP
    EXPECT_EQ(retrieved, Messages);
    EXPECT_TRUE(Dovecot->Messages("bob").empty());
}

TEST_F(Pop3DovecotTest, EraseSessionDeletesExactlyTheMessageWithTheTargetUidl) {
    TPop3WindowScript skipAll;
    skipAll.Uidl.assign(Messages.size(), "SKIP");
    std::vector<std::string> uidls;
    for (const auto& e : Check(false, skipAll))
        if (e.Code == 200) uidls.push_back(CSVLineRead(e.Text.substr(e.Text.find("\r\n") + 2))[2]);
    ASSERT_EQ(uidls.size(), Messages.size());

    new TPop3MailEraseThread(false, &Window, Dovecot->GetPort(), "127.0.0.1", false, "secret pass",
                             "bob", uidls[1], "");
    TPop3WindowScript erase;
    erase.Erase = true;
    auto events = RunPop3Window(Window, TPop3MailEraseThread::WindowMessage, erase);
    ExpectAllAccepted(events);
    Messages.erase(Messages.begin() + 1);
    EXPECT_EQ(Dovecot->Messages("bob"), Messages);
}

TEST_F(Pop3DovecotTest, ARefusedLoginEndsTheSessionWithoutTouchingTheMailbox) {
    auto events = Check(false, {}, "wrong"); // dovecot answers a failed login after 2 s
    ASSERT_EQ(EventCodes(events), (std::vector<int>{0, 2, 3, 1}));
    EXPECT_FALSE(events[2].Flag);
    EXPECT_TRUE(events[2].Text.starts_with("PASS wrong\r\n-ERR")) << events[2].Text;
    EXPECT_EQ(Dovecot->Messages("bob"), Messages);
}
