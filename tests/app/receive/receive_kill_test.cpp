// The real program killed with SIGKILL at many points of its check cycles
// against dovecot, for an account that keeps its mail on the server and one
// that does not, then one clean cycle: every message is served by the local
// server exactly once, and no message file lies outside an index.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include "dovecot_fixture.h"
#include "gatewayprocess.h"
#include "platform/file.h"
#include "receivecorpus.h"
#include "store/messagebox.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int MessagesPerAccount = 100;
constexpr int Kills = 16;
const char* const Users[] = {"keep", "move"};

// Distinct messages with what a crash must not break: dot lines, a subject
// without a name, a hostile subject with a line break and a path.
std::string KillMessage(const std::string& user, int n) {
    std::string subject = "Subject: kill " + user + " " + std::to_string(n) + "\r\n";
    if (n % 7 == 0) subject.clear();
    if (n % 5 == 0) subject = "Subject: =?us-ascii?Q?x=0D=0Aevil,../../victim,1?=\r\n";
    return "From: s" + std::to_string(n) + "@example.com\r\n" + subject + "Message-ID: <" + user +
           std::to_string(n) + "@example.com>\r\n\r\n.dot line\r\n" + "..\r\nid " + user + "-" +
           std::to_string(n) + "\r\n";
}

std::map<std::string, int> Texts(const fs::path& folder) {
    std::map<std::string, int> texts;
    for (const auto& entry : fs::directory_iterator(folder))
        ++texts[platform::ReadFile(entry.path().string()).value_or("")];
    return texts;
}

class ReceiveKillTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TDovecotServer::Available()) GTEST_SKIP() << TDovecotServer::Binary << " is missing";
        for (const char* user : Users) {
            Dovecot.AddUser(user, "secret");
            for (int n = 1; n <= MessagesPerAccount; ++n)
                Dovecot.AddMessage(user, KillMessage(user, n));
        }
        std::string error;
        ASSERT_TRUE(Dovecot.Start(error)) << error;
        char pattern[] = "/tmp/mb-kill-XXXXXX";
        Folder = mkdtemp(pattern);
        fs::create_directories(Folder / "cgi");
        fs::create_directories(Folder / "run");
        fs::permissions(Folder / "run", fs::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (Folder / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (Folder / "run").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const char* user : Users) {
            std::vector<std::string> args{MARROWBY_TOOL, "accounts",
                                          "--folder",    Folder.string(),
                                          "add",         user,
                                          "--host",      "127.0.0.1",
                                          "--port",      std::to_string(Dovecot.GetPort()),
                                          "--user",      user,
                                          "--password",  "secret"};
            if (std::string(user) == "keep") args.push_back("--stay");
            std::string out;
            ASSERT_EQ(::Run(args, &out), 0) << out;
        }
    }
    void TearDown() override {
        if (!Folder.empty()) fs::remove_all(Folder);
    }

    // Message files of the account's folder that its index does not name.
    int Orphans(const std::string& user) const {
        const fs::path folder = Folder / "Msgbox" / ("mbx." + std::string(user));
        TMessageBox box;
        box.LoadFromFile((folder / "messages.idx").string());
        std::set<std::string> named;
        for (int i = 0; i < box.GetCount(); ++i)
            named.insert(box.GetMessages(i)->FileName);
        int orphans = 0;
        for (const std::string& name : platform::FindFiles(folder.string(), ""))
            orphans += !named.contains(name) && name != "messages.idx" && name != "exclude.txt";
        return orphans;
    }

    TDovecotServer Dovecot;
    fs::path Folder;
};

TEST_F(ReceiveKillTest, EveryMessageIsServedExactlyOnceAfterKills) {
    const int port = FreePort();
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> delay(0, 700);
    int killedInCycle = 0;
    for (int k = 0; k < Kills; ++k) {
        TGateway gateway(MARROWBY_PROGRAM, Folder.string(), port);
        ASSERT_TRUE(gateway.Ready());
        gateway.Signal(SIGUSR1);
        // The cycle has ended once a time line follows an end line.
        bool last = false, ended = false;
        for (const std::string& line : gateway.Lines(std::chrono::milliseconds(delay(random)))) {
            if (line.starts_with("== END ")) last = true;
            if (last && line.size() == 8 && line[2] == ':' && line[5] == ':') ended = true;
        }
        killedInCycle += !ended;
        gateway.Kill();
    }

    TGateway gateway(MARROWBY_PROGRAM, Folder.string(), port);
    ASSERT_TRUE(gateway.Ready());
    bool ended = false;
    gateway.Cycle(ended, 120s);
    ASSERT_TRUE(ended);
    int lost = 0, twice = 0, orphans = 0, served = 0;
    for (const char* user : Users) {
        const fs::path out = Folder / ("fetched-" + std::string(user));
        fs::create_directories(out);
        std::string text;
        ASSERT_EQ(::Run({"python3", POPFETCH_SCRIPT, "127.0.0.1", std::to_string(port), user,
                         "secret", out.string()},
                        &text),
                  0)
            << text;
        const std::map<std::string, int> texts = Texts(out);
        for (int n = 1; n <= MessagesPerAccount; ++n) {
            auto found = texts.find(FetchedForm(KillMessage(user, n)));
            const int times = found == texts.end() ? 0 : found->second;
            lost += times == 0;
            twice += times > 1;
            served += times;
        }
        orphans += Orphans(user);
    }
    EXPECT_TRUE(Dovecot.Messages("move").empty());
    EXPECT_EQ(Dovecot.Messages("keep").size(), static_cast<std::size_t>(MessagesPerAccount));
    std::cout << "kills " << Kills << " (" << killedInCycle << " inside a cycle), messages "
              << 2 * MessagesPerAccount << ", served " << served << ", lost " << lost
              << ", served twice " << twice << ", orphan files " << orphans << "\n";
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(orphans, 0);
    EXPECT_EQ(gateway.Stop(), 0);
}

} // namespace
