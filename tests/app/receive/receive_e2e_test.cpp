// The whole road of the mail: dovecot holds the corpus, the real program
// runs without a window on a temporary folder, SIGUSR1 starts a cycle, and
// Python's poplib fetches the accepted mail from the program's own server.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dovecot_fixture.h"
#include "gatewayprocess.h"
#include "platform/file.h"
#include "receivecorpus.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FileTexts(const fs::path& folder) {
    std::vector<std::string> texts;
    if (!fs::exists(folder)) return texts;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".eml")
            texts.push_back(platform::ReadFile(entry.path().string()).value_or(""));
    std::sort(texts.begin(), texts.end());
    return texts;
}

class ReceiveEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TDovecotServer::Available()) GTEST_SKIP() << TDovecotServer::Binary << " is missing";
        std::string error;
        ASSERT_TRUE(ServeCorpus(Dovecot, Corpus, error)) << error;
        char pattern[] = "/tmp/mb-e2e-XXXXXX";
        Folder = mkdtemp(pattern);
        fs::create_directories(Folder / "cgi");
        fs::create_directories(Folder / "run");
        fs::permissions(Folder / "run", fs::perms::owner_all);
        for (const auto& [name, content] : RuleFiles())
            platform::WriteFile((Folder / "cgi" / name).string(), content);
        // A private settings store and instance lock for the program.
        setenv("XDG_CONFIG_HOME", (Folder / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (Folder / "run").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    void TearDown() override { fs::remove_all(Folder); }

    void AddAccount(bool stay) {
        std::vector<std::string> args{MARROWBY_TOOL, "accounts",
                                      "--folder",    Folder.string(),
                                      "add",         "home",
                                      "--host",      "127.0.0.1",
                                      "--port",      std::to_string(Dovecot.GetPort()),
                                      "--user",      "bob",
                                      "--password",  "secret"};
        if (stay) args.push_back("--stay");
        std::string out;
        ASSERT_EQ(::Run(args, &out), 0) << out;
    }
    // Every message of the program's local server, through poplib.
    std::vector<std::string> FetchLocal(int port) {
        const fs::path out = Folder / ("fetched" + std::to_string(++FFetches));
        fs::create_directories(out);
        std::string text;
        EXPECT_EQ(::Run({"python3", POPFETCH_SCRIPT, "127.0.0.1", std::to_string(port), "home",
                         "secret", out.string()},
                        &text),
                  0)
            << text;
        return FileTexts(out);
    }
    // The accepted or rejected messages, as stored or as poplib fetches them.
    std::vector<std::string> Expected(bool rejected, bool fetched = false) const {
        std::vector<std::string> texts;
        for (const TCorpusMessage& m : Corpus)
            if (!m.TooLarge && m.Rejected == rejected)
                texts.push_back(fetched ? FetchedForm(m.Text) : m.Text);
        std::sort(texts.begin(), texts.end());
        return texts;
    }
    static std::vector<std::string> Cycle(TGateway& gateway) {
        bool ended = false;
        std::vector<std::string> lines = gateway.Cycle(ended);
        EXPECT_TRUE(ended) << "the cycle did not end; last line: "
                           << (lines.empty() ? "" : lines.back());
        return lines;
    }
    std::size_t Kept() const { return Expected(false).size(); }

    std::vector<TCorpusMessage> Corpus = ReceiveCorpus();
    TDovecotServer Dovecot;
    fs::path Folder;
    int FFetches = 0;
};

TEST_F(ReceiveEndToEndTest, CycleDeliversAcceptedMailToTheLocalClient) {
    AddAccount(false);
    const int port = FreePort();
    TGateway gateway(MARROWBY_PROGRAM, Folder.string(), port);
    ASSERT_TRUE(gateway.Ready());
    const std::vector<std::string> log = Cycle(gateway);
    EXPECT_NE(std::find(log.begin(), log.end(), "PASS ****"), log.end());
    EXPECT_EQ(FileTexts(Folder / "Dustbox"), Expected(true));
    EXPECT_TRUE(Dovecot.Messages("bob").empty());
    EXPECT_EQ(FetchLocal(port), Expected(false, true));
    const std::string big = Corpus[48].Text;
    ASSERT_TRUE(Corpus[48].TooLarge);
    for (const auto& folder : {Folder / "Msgbox" / "mbx.home", Folder / "Dustbox"})
        for (const std::string& text : FileTexts(folder))
            EXPECT_NE(text.size(), big.size());

    // The server is empty now: the second cycle fetches nothing.
    Cycle(gateway);
    EXPECT_EQ(FileTexts(Folder / "Msgbox" / "mbx.home").size(), Kept());
    EXPECT_EQ(gateway.Stop(), 0);
}

TEST_F(ReceiveEndToEndTest, StayKeepsTheMailAndTheNextCycleSkipsIt) {
    AddAccount(true);
    const int port = FreePort();
    TGateway gateway(MARROWBY_PROGRAM, Folder.string(), port);
    ASSERT_TRUE(gateway.Ready());
    Cycle(gateway);
    EXPECT_EQ(Dovecot.Messages("bob").size(), Kept());
    const std::vector<std::string> log = Cycle(gateway);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& l) { return l.starts_with(">SKIP:"); }),
              static_cast<long>(Kept()));
    EXPECT_EQ(FileTexts(Folder / "Msgbox" / "mbx.home").size(), Kept());
    EXPECT_EQ(FetchLocal(port), Expected(false, true));
    EXPECT_EQ(gateway.Stop(), 0);
}

} // namespace
