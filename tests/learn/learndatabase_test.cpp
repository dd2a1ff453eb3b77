#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "filter/filtertesthelp.h"
#include "learn/learnfilter.h"
#include "learn/tokenset.h"
#include "learntesthelp.h"
#include "platform/file.h"
#include "platform/text.h"

namespace {

TTokenCounts CountsOf(TLearnDatabase& db, std::string_view token) {
    std::vector<TTokenCounts> counts;
    EXPECT_TRUE(db.Lookup({TokenHash("", token)}, counts));
    return counts.empty() ? TTokenCounts{} : counts[0];
}

bool SameCounts(const TTokenCounts& a, const TTokenCounts& b) {
    return a.Spam == b.Spam && a.Ham == b.Ham;
}

// Files of the folder whose names start with the database's.
std::vector<std::string> SetAside(const TTempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path)) {
        std::string name = entry.path().filename().string();
        if (name.starts_with("learn.db.broken-") && !name.ends_with("-wal") &&
            !name.ends_with("-shm"))
            names.push_back(name);
    }
    return names;
}

} // namespace

TEST(LearnDatabase, RelearningMovesTheCounts) {
    TTempFolder folder;
    TLearnFilter filter;
    ASSERT_TRUE(filter.Open(folder.Path));
    const std::string text = learntest::SpamText(1);
    EXPECT_EQ(filter.Learn(text, true), TLearnResult::Learned);
    EXPECT_EQ(filter.Learn(text, true), TLearnResult::Known);
    EXPECT_EQ(filter.Learn(learntest::SpamText(2), true), TLearnResult::Learned);

    TLearnDatabase db;
    std::string notice;
    ASSERT_TRUE(db.Open(folder.File("learn.db"), notice));
    EXPECT_TRUE(SameCounts(*db.MessageCounts(), {2, 0}));
    EXPECT_TRUE(SameCounts(CountsOf(db, "pills"), {2, 0}));

    EXPECT_EQ(filter.Learn(text, false), TLearnResult::Moved);
    EXPECT_TRUE(SameCounts(*db.MessageCounts(), {1, 1}));
    EXPECT_TRUE(SameCounts(CountsOf(db, "pills"), {1, 1}));
    EXPECT_EQ(filter.Learn(text, true), TLearnResult::Moved);
    EXPECT_TRUE(SameCounts(*db.MessageCounts(), {2, 0}));
    EXPECT_TRUE(SameCounts(CountsOf(db, "pills"), {2, 0}));
    EXPECT_TRUE(filter.TakeReports().empty());
}

// Whatever is in the file's place, the filter opens: a file that is not a sound
// learning database of this program is set aside under a new name and reported.
TEST(LearnDatabase, DamagedFileIsSetAsideAndReported) {
    struct Case {
        const char* Name;
        void (*Damage)(const std::string& path);
    } cases[] = {
        {"not a database",
         [](const std::string& path) { platform::WriteFile(path, std::string(5000, 'x')); }},
        {"another program's database",
         [](const std::string& path) {
             sqlite3* db = nullptr;
             sqlite3_open(path.c_str(), &db);
             sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"pages overwritten",
         [](const std::string& path) {
             {
                 TLearnFilter filter;
                 filter.Open(platform::ExtractFilePath(path));
                 learntest::Train(filter, 30);
             }
             std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
             for (std::streamoff at = 4096; at < 5 * 4096; at += 4096) {
                 file.seekp(at + 16);
                 file << std::string(3000, '\x5a');
             }
         }},
    };
    for (const Case& c : cases) {
        TTempFolder folder;
        c.Damage(folder.File("learn.db"));
        TLearnFilter filter;
        EXPECT_TRUE(filter.Open(folder.Path)) << c.Name;
        std::vector<std::string> reports = filter.TakeReports();
        ASSERT_EQ(reports.size(), 1u) << c.Name;
        std::vector<std::string> aside = SetAside(folder);
        ASSERT_EQ(aside.size(), 1u) << c.Name;
        EXPECT_NE(reports[0].find(aside[0]), std::string::npos) << c.Name;
        // The new database works.
        EXPECT_EQ(filter.Learn(learntest::SpamText(1), true), TLearnResult::Learned) << c.Name;
        EXPECT_TRUE(SameCounts(*filter.MessageCounts(), {1, 0})) << c.Name;
    }
}

TEST(LearnDatabase, UnopenableFileIsReportedNotSetAside) {
    TTempFolder folder;
    ASSERT_TRUE(platform::ForceDirectories(folder.File("learn.db")));
    TLearnFilter filter;
    EXPECT_FALSE(filter.Open(folder.Path));
    EXPECT_EQ(filter.TakeReports().size(), 1u);
    EXPECT_TRUE(SetAside(folder).empty());
    // A filter that could not open learns and scores nothing, and says so.
    EXPECT_EQ(filter.Learn(learntest::SpamText(1), true), TLearnResult::Failed);
    std::string comment;
    TMultipartMessage message;
    message.Create(learntest::SpamText(2));
    EXPECT_FALSE(filter.Verdict(message, comment));
    EXPECT_EQ(comment, "");
}

// A process killed at any moment of learning leaves each message whole or
// absent: message i holds the token "u<i>" and every message "common".
TEST(LearnDatabase, KillDuringLearningLeavesWholeMessages) {
    TTempFolder folder;
    auto text = [](int i) {
        std::string body;
        for (int j = 0; j < 1500; ++j)
            body.append("w")
                .append(std::to_string(i))
                .append("x")
                .append(std::to_string(j))
                .append(" ");
        return learntest::Crlf("Subject: s\n\ncommon u" + std::to_string(i) + " " + body + "\n");
    };
    {
        TLearnFilter first; // the file exists before the child starts writing
        ASSERT_TRUE(first.Open(folder.Path));
    }
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TLearnFilter filter;
        filter.Open(folder.Path);
        for (int i = 0;; ++i)
            filter.Learn(text(i), true);
    }
    TLearnFilter reader;
    ASSERT_TRUE(reader.Open(folder.Path));
    for (int tries = 0; tries < 600; ++tries) {
        std::optional<TTokenCounts> counts = reader.MessageCounts();
        if (counts && counts->Spam >= 5) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    TLearnDatabase db;
    std::string notice;
    ASSERT_TRUE(db.Open(folder.File("learn.db"), notice));
    EXPECT_EQ(notice, "");
    std::int64_t learned = db.MessageCounts()->Spam;
    ASSERT_GE(learned, 5);
    EXPECT_EQ(CountsOf(db, "common").Spam, learned);
    EXPECT_EQ(CountsOf(db, "u" + std::to_string(learned - 1)).Spam, 1);
    EXPECT_EQ(CountsOf(db, "u" + std::to_string(learned)).Spam, 0);
    EXPECT_EQ(CountsOf(db, "w" + std::to_string(learned) + "x1499").Spam, 0);
}
