// The local POP3 server under hostile and heavy use: whatever a client
// sends, the server stays up and no mailbox changes without a QUIT of the
// account's own session.
#include <gtest/gtest.h>
#include <random>
#include <thread>

#include "platform/file.h"
#include "pop3servertestwindow.h"
#include "pop3testclient.h"

namespace {

class Pop3ServerHostileTest : public ::testing::Test {
protected:
    void SetUp() override {
        Alice = Accounts.AddAccount("alice", "alice.u", "secret", "pop.example.com");
        Accounts.AddMessage(*Alice, "uid-1", "Subject: one\r\n\r\nbody\r\n");
        Accounts.AddMessage(*Alice, "uid-2", "Subject: two\r\n\r\n" + std::string(8 << 20, 'x'));
    }
    // The window thread owns the accounts from here on.
    void Start() {
        Window = std::make_unique<TServerTestWindow>(Accounts.List);
        ASSERT_TRUE(Window->Listen());
    }
    std::unique_ptr<TPop3TestClient> LogIn(const std::string& user = "alice",
                                           const std::string& password = "secret") {
        auto client = std::make_unique<TPop3TestClient>(Window->GetPort());
        EXPECT_EQ(client->Line().substr(0, 5), "+OK <");
        EXPECT_EQ(client->Command("USER " + user), "+OK");
        EXPECT_EQ(client->Command("PASS " + password), "+OK");
        return client;
    }
    // The account is free again and still holds both messages: a new session
    // logs in and sees them.
    void ExpectUnchanged() {
        auto client = LogIn();
        EXPECT_EQ(client->Command("STAT").substr(0, 6), "+OK 2 ");
        EXPECT_EQ(client->Command("QUIT"), "+OK");
        EXPECT_TRUE(client->Closed());
    }
    void EndedSessions(int count) { ASSERT_TRUE(Window->WaitForEndedSessions(count)); }

    TTestAccounts Accounts;
    TPop3AccountItem* Alice = nullptr;
    std::unique_ptr<TServerTestWindow> Window;
};

} // namespace

TEST_F(Pop3ServerHostileTest, HugeLineClosesTheConnection) {
    Start();
    auto client = LogIn();
    EXPECT_EQ(client->Command("DELE 1"), "+OK");
    std::string line(3 << 20, 'A');
    try {
        client->Send(line + "\r\nQUIT\r\n");
    } catch (const platform::SocketError&) {
        // the server may have closed before everything was sent
    }
    EXPECT_TRUE(client->Closed());
    EndedSessions(1);
    ExpectUnchanged();
}

TEST_F(Pop3ServerHostileTest, BinaryGarbageIsAnsweredLineByLine) {
    Start();
    auto client = LogIn();
    std::mt19937 random(7);
    std::string garbage;
    const int lines = 200;
    for (int i = 0; i < lines; ++i) {
        for (int n = 1 + static_cast<int>(random() % 300); n > 0; --n) {
            char c = static_cast<char>(random() % 256);
            if (c == '\n' && !garbage.empty() && garbage.back() == '\r') c = 0;
            garbage += c;
        }
        garbage += "\r\n";
    }
    client->Send(garbage);
    int answered = 0;
    for (; answered < lines; ++answered) {
        std::string answer = client->Line();
        if (answer.empty()) break;
        // every garbage line is an unknown command, so each gets one status line
        EXPECT_EQ(answer, "-ERR");
    }
    EXPECT_EQ(answered, lines);
    EXPECT_EQ(client->Command("STAT").substr(0, 6), "+OK 2 ");
    client->Close();
    EndedSessions(1);
    ExpectUnchanged();
}

TEST_F(Pop3ServerHostileTest, PipelinedCommandsAreAnsweredInOrder) {
    Start();
    auto client = std::make_unique<TPop3TestClient>(Window->GetPort());
    client->Line();
    std::string commands = "USER alice\r\nPASS secret\r\n";
    for (int i = 0; i < 300; ++i)
        commands += i % 3 == 0 ? "NOOP\r\n" : i % 3 == 1 ? "LIST 1\r\n" : "XXX\r\n";
    commands += "DELE 1\r\nQUIT\r\n";
    client->Send(commands);
    EXPECT_EQ(client->Line(), "+OK");
    EXPECT_EQ(client->Line(), "+OK");
    for (int i = 0; i < 300; ++i) {
        std::string expected = i % 3 == 0 ? "+OK" : i % 3 == 1 ? "+OK 1 22" : "-ERR";
        ASSERT_EQ(client->Line(), expected) << i;
    }
    EXPECT_EQ(client->Line(), "+OK");
    EXPECT_EQ(client->Line(), "+OK");
    EXPECT_TRUE(client->Closed());
    Window->Stop();
    ASSERT_EQ(Alice->Mailbox.GetCount(), 1);
    EXPECT_EQ(Alice->Mailbox.GetMessages(0)->UID, "uid-2");
}

TEST_F(Pop3ServerHostileTest, ClientLeavingInTheMiddleOfARetr) {
    Start();
    auto client = LogIn();
    EXPECT_EQ(client->Command("DELE 1"), "+OK");
    client->Send("RETR 2\r\n");
    EXPECT_EQ(client->Line(), "+OK");
    client->Close();
    EndedSessions(1);
    ExpectUnchanged();
}

TEST_F(Pop3ServerHostileTest, ClientLeavingBeforeTheQuitReplyStillHasItsDeletion) {
    Start();
    auto client = LogIn();
    EXPECT_EQ(client->Command("DELE 2"), "+OK");
    client->Send("QUIT\r\n");
    client->Close();
    EndedSessions(1);
    Window->Stop();
    ASSERT_EQ(Alice->Mailbox.GetCount(), 1);
    EXPECT_EQ(Alice->Mailbox.GetMessages(0)->UID, "uid-1");
    EXPECT_TRUE(platform::FileExists(Alice->Mailbox.GetMessages(0)->GetPath()));
    EXPECT_FALSE(Alice->IsLocked());
}

TEST_F(Pop3ServerHostileTest, TwentyClientsOnTwentyAccountsAtOnce) {
    constexpr int Clients = 20;
    for (int i = 0; i < Clients; ++i) {
        std::string name = "user" + std::to_string(i);
        TPop3AccountItem* account = Accounts.AddAccount(name, name, "pw" + name, "host");
        for (int k = 0; k < 3; ++k)
            Accounts.AddMessage(*account, name + "-" + std::to_string(k),
                                "Subject: " + name + "\r\n\r\n" + std::string(1000 * (k + 1), 'm') +
                                    "\r\n");
    }
    Start();
    std::vector<std::string> results(Clients);
    std::vector<std::thread> threads;
    for (int i = 0; i < Clients; ++i)
        threads.emplace_back([&, i] {
            std::string name = "user" + std::to_string(i);
            std::string& out = results[i];
            try {
                TPop3TestClient client(Window->GetPort());
                out += client.Line().substr(0, 5) + "|";
                out += client.Command("USER " + name) + "|";
                out += client.Command("PASS pw" + name) + "|";
                out += client.Command("STAT") + "|";
                for (int k = 1; k <= 3; ++k) {
                    std::string retr = client.MultiLine("RETR " + std::to_string(k));
                    out += std::to_string(Unstuffed(retr).size()) + "|";
                }
                out += client.Command("DELE 2") + "|";
                out += client.Command("QUIT");
            } catch (const platform::SocketError& e) {
                out += e.what();
            }
        });
    for (auto& t : threads)
        t.join();
    Window->Stop();
    for (int i = 0; i < Clients; ++i) {
        std::size_t head = std::string("Subject: user\r\n\r\n").size() + (i < 10 ? 1 : 2) + 2;
        std::string sizes, total = std::to_string(3 * head + 6000);
        for (int k = 1; k <= 3; ++k)
            sizes += std::to_string(head + 1000 * k) + "|";
        EXPECT_EQ(results[i], "+OK <|+OK|+OK|+OK 3 " + total + "|" + sizes + "+OK|+OK") << i;
        TPop3AccountItem* account = Accounts.List.GetAccounts(i + 1);
        ASSERT_EQ(account->Mailbox.GetCount(), 2);
        EXPECT_EQ(account->Mailbox.GetMessages(1)->UID, account->Name + "-2");
        EXPECT_FALSE(account->IsLocked());
    }
}
