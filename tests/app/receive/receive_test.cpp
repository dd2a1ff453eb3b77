// The window's handling of the check and erase threads' events, played
// event by event as the threads would post them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "net/custompop3clientthread.h"
#include "platform/file.h"
#include "platform/text.h"
#include "receivetesthost.h"
#include "store/pop3accountitem.h"

namespace {

using T = TCustomPop3ClientThread;
using ::testing::ElementsAre;

class ReceiveTest : public ::testing::Test {
protected:
    std::optional<TAnswer> Check(int code, bool flag, const std::string& text) {
        return CheckEvent(Coordinator, code, flag, text);
    }
    // Greeting, login and STAT of a session with the account.
    void Login() {
        Check(T::StateGreeting, true, "127.0.0.1\r\n+OK ready <1.2@h>");
        Check(T::StateUser, true, "USER user\r\n+OK");
        Check(T::StatePass, true, "PASS secret\r\n+OK");
        Check(T::StateStat, true, "STAT\r\n+OK 2 100");
        Host.Log.clear();
    }
    std::string Uidl(int n, const std::string& uid) {
        return "UIDL " + std::to_string(n) + "\r\n+OK " + std::to_string(n) + " " + uid;
    }
    std::string List(int n, long long size) {
        return "LIST " + std::to_string(n) + "\r\n+OK " + std::to_string(n) + " " +
               std::to_string(size);
    }
    // UIDL, LIST and RETR of one new message; the RETR answer.
    std::optional<TAnswer> Fetch(int n, const std::string& uid, const std::string& message) {
        EXPECT_EQ(Check(T::StateUidl, true, Uidl(n, uid))->Text, "");
        EXPECT_EQ(Check(T::StateList, true, List(n, message.size()))->Text, "");
        return Check(T::StateRetr, true, RetrEventText(n, message));
    }
    std::string StoredText(const TMessageBox& box, int i) {
        return platform::ReadFile(box.GetMessages(i)->GetPath()).value_or("<missing>");
    }
    // One event and what the coordinator answers and logs for it.
    struct TRow {
        int Code;
        bool Flag;
        std::string Text;
        std::optional<TAnswer> Expected;
        std::vector<std::string> Log;
    };
    using TEvent = std::optional<TAnswer> (*)(TReceiveCoordinator&, int, bool, const std::string&);
    // Plays the events in order through the check or the erase handling.
    void Play(TEvent event, const std::vector<TRow>& rows) {
        for (const TRow& row : rows) {
            SCOPED_TRACE("code " + std::to_string(row.Code) + " text " + row.Text);
            Host.Log.clear();
            std::optional<TAnswer> answer = event(Coordinator, row.Code, row.Flag, row.Text);
            ASSERT_EQ(answer.has_value(), row.Expected.has_value());
            if (answer) {
                EXPECT_EQ(answer->Code, row.Expected->Code);
                EXPECT_EQ(answer->Flag, row.Expected->Flag);
                EXPECT_EQ(answer->Text, row.Expected->Text);
            }
            EXPECT_EQ(Host.Log, row.Log);
        }
    }

    TReceiveTestHost Host;
    TRegexpObj Pattern{R"((\+OK|\-ERR)[s]*(.*)\r\n)", 0};
    TReceiveCoordinator Coordinator{Host, Pattern};
    const std::string Plain = "From: a@example.com\r\nSubject: hello\r\n\r\nbody line\r\n";
};

TEST_F(ReceiveTest, CheckTableAnswersEveryCodeInOrder) {
    const std::string begin = "== BEG home " + std::string(20, '=');
    const std::vector<TRow> rows = {
        {T::StateGreeting, true, "127.0.0.1\r\n+OK hi", TAnswer{0, true, ""}, {begin, "+OK hi"}},
        {T::StateGreeting,
         false,
         "127.0.0.1\r\n-ERR no",
         TAnswer{0, false, ""},
         {begin, "-ERR no", ">ERROR:home: the server refused the session: -ERR no"}},
        {T::StateApop,
         true,
         "APOP user abc\r\n+OK",
         TAnswer{4, true, ""},
         {"APOP user abc", "+OK"}},
        {T::StateApop,
         false,
         "APOP user abc\r\n-ERR",
         TAnswer{4, false, ""},
         {"APOP user abc", "-ERR", ">ERROR:home: login refused: -ERR"}},
        {T::StateUser, true, "USER user\r\n+OK", TAnswer{2, true, ""}, {"USER user", "+OK"}},
        {T::StatePass,
         true,
         "PASS secret\r\n+OK in",
         TAnswer{3, true, ""},
         {"PASS ****", "+OK in"}},
        {T::StatePass,
         false,
         "PASS secret\r\n-ERR bad",
         TAnswer{3, false, ""},
         {"PASS ****", "-ERR bad", ">ERROR:home: login refused: -ERR bad"}},
        {T::StateAuth,
         true,
         "AUTH XOAUTH2\r\n+OK Welcome.",
         TAnswer{301, true, ""},
         {"AUTH XOAUTH2", "+OK Welcome."}},
        {T::StateAuth,
         false,
         "AUTH XOAUTH2\r\n-ERR failed ({\"status\":\"401\"})",
         TAnswer{301, false, ""},
         {"AUTH XOAUTH2", "-ERR failed ({\"status\":\"401\"})",
          ">ERROR:home: login refused: -ERR failed ({\"status\":\"401\"})"}},
        {T::StateStat,
         false,
         "STAT\r\n-ERR",
         TAnswer{101, false, ""},
         {"STAT", "-ERR", ">ERROR:home: STAT refused: -ERR"}},
        {T::StateRetr, false, "", TAnswer{101, false, ""}, {}},
        {T::StateStat, true, "STAT\r\n+OK 0 0", TAnswer{5, true, ""}, {"STAT", "+OK 0 0"}},
        {T::StateUidl,
         true,
         "UIDL 1\r\n+OK 1",
         TAnswer{200, true, "QUIT"},
         {">ABORT:UIDL 1", "+OK 1"}},
        {T::StateList, true, "LIST 1\r\n+OK 1 10", TAnswer{201, true, ""}, {"LIST 1", "+OK 1 10"}},
        {T::StateList, true, "LIST 1\r\n+OK 1", TAnswer{201, true, ""}, {"LIST 1", "+OK 1"}},
        {T::StateList, true, "", TAnswer{201, true, ""}, {}},
        {T::StateList, true, "LIST 1\r\n+OK 1 x9", TAnswer{201, true, ""}, {"LIST 1", "+OK 1 x9"}},
        {T::StateRetr, true, "RETR 1\r\nnothing", TAnswer{12, true, ""}, {"RETR 1", "nothing"}},
        {T::StateRetr,
         true,
         "RETR 1\r\n+OK\nSubject: a\r\n\r\nbody\r\n-ERR in the body\r\n.\r\n",
         TAnswer{12, true, ""},
         {"RETR 1", "+OK"}},
        {T::StateDele, true, "DELE 1\r\n+OK", TAnswer{6, true, ""}, {"DELE 1", "+OK"}},
        {T::StateQuit, true, "QUIT\r\n+OK bye", TAnswer{8, true, ""}, {"QUIT", "+OK bye"}},
        {77, true, "NOOP\r\n+OK", std::nullopt, {}},
    };
    Play(CheckEvent, rows);
    EXPECT_EQ(Host.CheckEnds, 0);
    EXPECT_EQ(Host.Received + Host.Deleted, 0);
}

TEST_F(ReceiveTest, SessionEndLogsSavesAndMovesOn) {
    Login();
    ASSERT_EQ(Fetch(1, "u1", Plain)->Text, "DELE");
    EXPECT_FALSE(Check(T::EventEnded, true, "127.0.0.1").has_value());
    EXPECT_EQ(Host.Log.back(), "== END home " + std::string(20, '='));
    EXPECT_EQ(Host.CheckEnds, 1);
    // The index, the checklist and the trash index are on disk at once.
    const std::string folder = Host.Account->GetFolder() + "/";
    EXPECT_TRUE(platform::FileExists(folder + "messages.idx"));
    EXPECT_TRUE(platform::FileExists(folder + "exclude.txt"));
    EXPECT_TRUE(platform::FileExists(Host.Trash.Path));
    TMessageBox reread;
    reread.LoadFromFile(folder + "messages.idx");
    ASSERT_EQ(reread.GetCount(), 1);
    EXPECT_EQ(reread.GetMessages(0)->Subject, "hello");
}

TEST_F(ReceiveTest, SessionEndReportsAFailedSave) {
    Login();
    std::filesystem::remove_all(Host.Folder + "Dustbox");
    Check(T::EventEnded, true, "127.0.0.1");
    EXPECT_EQ(Host.CheckEnds, 1);
    EXPECT_TRUE(Host.Log.back().starts_with(">ERROR:messages.idx")) << Host.Log.back();
}

// Two new messages, the second one byte over the limit, Stay off.
TEST_F(ReceiveTest, TooLargeIsDeletedUnfetchedAndForgotten) {
    Login();
    ASSERT_EQ(Fetch(1, "u1", Plain)->Text, "DELE");
    EXPECT_EQ(Check(T::StateDele, true, "DELE 1\r\n+OK")->Text, "");
    EXPECT_EQ(Check(T::StateUidl, true, Uidl(2, "u2"))->Text, "");
    EXPECT_EQ(Check(T::StateList, true, List(2, 2048 * 1024 + 1))->Text, "DELE");
    EXPECT_EQ(Check(T::StateDele, true, "DELE 2\r\n+OK")->Text, "");
    EXPECT_EQ(Check(T::StateQuit, true, "QUIT\r\n+OK")->Code, 8);
    EXPECT_EQ(Host.Received, 1);
    // Remembered while it was on the server; forgotten once QUIT removed it.
    EXPECT_EQ(Host.Account->Checklist.GetCount(), 0);
    ASSERT_EQ(Host.Account->Mailbox.GetCount(), 1);
    EXPECT_EQ(Host.Account->Mailbox.GetMessages(0)->ServerUID, "");
}

TEST_F(ReceiveTest, LimitIsExclusiveAndZeroMeansNone) {
    struct Case {
        int Limit;
        long long Size;
        std::string Answer;
    };
    for (const Case& c :
         {Case{2048, 2048 * 1024, ""}, Case{2048, 2048 * 1024 + 1, "DELE"}, Case{1, 1025, "DELE"},
          Case{0, 1LL << 40, ""}, Case{-1, 5000, ""}, Case{1, 99999999999999999, "DELE"}}) {
        Host.Limit = c.Limit;
        EXPECT_EQ(Check(T::StateList, true, List(1, c.Size))->Text, c.Answer)
            << c.Limit << " " << c.Size;
    }
    Host.Limit = 1;
    EXPECT_EQ(Check(T::StateList, true, "LIST 1\r\n+OK 1 " + std::string(40, '9'))->Text, "DELE");
}

// The same with Stay on: message 1 stays, remembered; the next session skips it.
TEST_F(ReceiveTest, StayKeepsTheUidlAndTheNextSessionSkips) {
    Host.Account->Stay = true;
    Login();
    ASSERT_EQ(Fetch(1, "u1", Plain)->Text, "");
    EXPECT_EQ(Check(T::StateUidl, true, Uidl(2, "u2"))->Text, "");
    EXPECT_EQ(Check(T::StateList, true, List(2, 2048 * 1024 + 1))->Text, "DELE");
    Check(T::EventEnded, true, "127.0.0.1");
    ASSERT_EQ(Host.Account->Mailbox.GetCount(), 1);
    EXPECT_EQ(Host.Account->Mailbox.GetMessages(0)->ServerUID, "u1");
    EXPECT_THAT(Host.Account->Checklist.Strings, ElementsAre("u1"));

    Login();
    EXPECT_EQ(Check(T::StateUidl, true, Uidl(1, "u1"))->Text, "SKIP");
    EXPECT_THAT(Host.Log, ElementsAre(">SKIP:UIDL 1", "+OK 1 u1"));
    EXPECT_THAT(Host.Account->Checklist.Strings, ElementsAre("u1"));
    EXPECT_EQ(Host.Received, 1);
}

TEST_F(ReceiveTest, RejectedGoesToTheTrashAndIsDeletedEvenWithStay) {
    Host.Account->Stay = true;
    Login();
    const std::string spam = "From: x@spam.example\r\nSubject: spam offer\r\n\r\nbuy\r\n";
    ASSERT_EQ(Fetch(1, "u1", spam)->Text, "DELE");
    ASSERT_EQ(Host.Trash.GetCount(), 1);
    EXPECT_EQ(Host.Trash.GetMessages(0)->Comment, platform::Utf8ToCp932("件名(spam)"));
    EXPECT_EQ(Host.Trash.GetMessages(0)->ServerUID, "");
    EXPECT_EQ(Host.Account->Mailbox.GetCount(), 0);
    EXPECT_EQ(Host.Deleted, 1);
    EXPECT_EQ(Host.Received, 0);
    EXPECT_THAT(Host.Account->Checklist.Strings, ElementsAre("u1"));
    EXPECT_THAT(Host.Log, testing::Contains(">DELE:" + platform::Utf8ToCp932("件名(spam)")));
    EXPECT_THAT(Host.StoredIn, ElementsAre(&Host.Trash));
}

// A stored message is in the index and its UIDL in the checklist file at
// once, before the session ends; the commit before QUIT makes them durable.
TEST_F(ReceiveTest, StoredMessagesAreOnDiskAtOnceAndCommittedBeforeQuit) {
    Login();
    ASSERT_EQ(Fetch(1, "u1", Plain)->Text, "DELE");
    const std::string spam = "From: x@spam.example\r\nSubject: spam\r\n\r\nbuy\r\n";
    ASSERT_EQ(Fetch(2, "u2", spam)->Text, "DELE");
    TMessageBox inbox, trash;
    inbox.LoadFromFile(Host.Account->Mailbox.Path);
    trash.LoadFromFile(Host.Trash.Path);
    ASSERT_EQ(inbox.GetCount(), 1);
    EXPECT_EQ(inbox.GetMessages(0)->FetchedUID, "u1");
    ASSERT_EQ(trash.GetCount(), 1);
    EXPECT_EQ(trash.GetMessages(0)->FetchedAccount, "home");
    EXPECT_EQ(platform::ReadFile(Host.Account->GetChecklistPath()), "u1\r\nu2\r\n");
    // No temporary file is left behind.
    EXPECT_EQ(platform::FindFiles(Host.Account->GetFolder(), "").size(), 3u);
    auto commit = Check(T::StateCommit, true, "QUIT");
    ASSERT_TRUE(commit);
    EXPECT_EQ(commit->Code, T::StateCommit);
    EXPECT_TRUE(commit->Flag);
}

TEST_F(ReceiveTest, KnownMessagesAreLeftOnAKeepingServerAndDeletedUnfetchedElsewhere) {
    for (bool stay : {true, false}) {
        Host.Account->Stay = stay;
        Host.Account->Checklist.Strings = {"u1"};
        Login();
        EXPECT_EQ(Check(T::StateUidl, true, Uidl(1, "u1"))->Text, stay ? "SKIP" : "DELE");
        // UIDLs are compared exactly: one that differs in letter case is new.
        EXPECT_EQ(Check(T::StateUidl, true, Uidl(2, "U1"))->Text, "");
    }
}

TEST_F(ReceiveTest, OnlyACompleteWalkForgetsWhatTheServerNoLongerLists) {
    const std::vector<std::string> before = {"gone", "u1"};
    struct Case {
        std::vector<std::pair<int, std::string>> Events;
        std::vector<std::string> After;
    };
    const std::vector<Case> cases = {
        {{{T::StateStat, "STAT\r\n+OK 1 9"},
          {T::StateUidl, Uidl(1, "u1")},
          {T::StateQuit, "QUIT\r\n+OK"}},
         {"u1"}},
        {{{T::StateStat, "STAT\r\n+OK 2 9"},
          {T::StateUidl, Uidl(1, "u1")},
          {T::StateQuit, "QUIT\r\n+OK"}},
         before},
        {{{T::StateStat, "STAT\r\n+OK"}, {T::StateQuit, "QUIT\r\n+OK"}}, before},
        {{{T::StateStat, "STAT\r\n+OK 1 9"}, {T::StateUidl, Uidl(1, "u1")}}, before},
    };
    for (const Case& c : cases) {
        Host.Account->Checklist.Strings = before;
        Check(T::StateGreeting, true, "127.0.0.1\r\n+OK ready");
        for (const auto& [code, text] : c.Events)
            Check(code, true, text);
        Check(T::EventEnded, true, "127.0.0.1");
        EXPECT_EQ(Host.Account->Checklist.Strings, c.After);
    }
}

TEST_F(ReceiveTest, WhiteListedIsStoredWithItsCommentAndLogged) {
    Login();
    const std::string mail = "From: friend@example.com\r\nSubject: spam but friendly\r\n\r\nhi\r\n";
    ASSERT_EQ(Fetch(1, "u1", mail)->Text, "DELE");
    ASSERT_EQ(Host.Account->Mailbox.GetCount(), 1);
    const std::string comment = platform::Utf8ToCp932("差出人1(friend)");
    EXPECT_EQ(Host.Account->Mailbox.GetMessages(0)->Comment, comment);
    EXPECT_EQ(Host.Log.back(), ">DELE:" + comment);
    EXPECT_EQ(Host.Received, 1);
}

// Stored exactly as the server holds the message: the dot-stuffing of every
// line undone (the first included), its last line end kept, zero bytes kept,
// an empty message empty and under a name that ls shows.
TEST_F(ReceiveTest, StoredTextIsExactlyTheMessageTheServerHolds) {
    struct Case {
        std::string Block; // after "RETR 1\r\n"
        std::string Stored;
    };
    const std::vector<Case> cases = {
        {"+OK\r\nSubject: a\r\n\r\n..\r\n..x\r\nend\r\n.\r\n",
         "Subject: a\r\n\r\n.\r\n.x\r\nend\r\n"},
        {"+OK\r\nSubject: b\r\n\r\nno terminator\r\n", "Subject: b\r\n\r\nno terminator\r\n"},
        {"+OK\r\n..first: c\r\n\r\nx\r\n.\r\n", ".first: c\r\n\r\nx\r\n"},
        {std::string("+OK\r\nSubject: d\r\n\r\nbefore") + '\0' + "after\r\n.\r\n",
         std::string("Subject: d\r\n\r\nbefore") + '\0' + "after\r\n"},
        {"+OK 0 octets\r\n.\r\n", ""},
    };
    Login();
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        Check(T::StateUidl, true, Uidl(n, std::string("u") + std::to_string(n)));
        std::string text = "RETR 1\r\n" + c.Block;
        ASSERT_EQ(Check(T::StateRetr, true, text)->Text, "DELE");
        const TMBXItem& entry = *Host.Account->Mailbox.GetMessages(n - 1);
        EXPECT_EQ(StoredText(Host.Account->Mailbox, n - 1), c.Stored);
        EXPECT_EQ(entry.Size, static_cast<int>(c.Stored.size()));
        EXPECT_FALSE(entry.FileName.starts_with(".")) << entry.FileName;
    }
}

TEST_F(ReceiveTest, MessageThatCannotBeStoredStaysOnTheServer) {
    for (bool stay : {false, true}) {
        SCOPED_TRACE(stay ? "stay" : "no stay");
        Host.Account->Stay = stay;
        std::filesystem::remove_all(Host.Account->GetFolder());
        Login();
        ASSERT_EQ(Fetch(1, "u1", Plain)->Text, "");
        EXPECT_EQ(Host.Account->Mailbox.GetCount(), 0);
        EXPECT_EQ(Host.Received, 0);
        EXPECT_EQ(Host.Account->Checklist.GetCount(), 0);
        EXPECT_TRUE(Host.Log.back().starts_with(">ERROR:RETR")) << Host.Log.back();
        // The next session fetches it again.
        Login();
        EXPECT_EQ(Check(T::StateUidl, true, Uidl(1, "u1"))->Text, "");
    }
}

TEST_F(ReceiveTest, VerdictFailureStoresTheMessageUnjudged) {
    Login();
    const std::string mail = "From: a@example.com\r\nSubject: boom\r\n\r\nx\r\n";
    ASSERT_EQ(Fetch(1, "u1", mail)->Text, "DELE");
    ASSERT_EQ(Host.Account->Mailbox.GetCount(), 1);
    const TMBXItem& entry = *Host.Account->Mailbox.GetMessages(0);
    EXPECT_EQ(entry.Comment, platform::Utf8ToCp932("未判定") + "(verdict failed)");
    EXPECT_EQ(entry.Subject, "boom");
    EXPECT_EQ(Host.Received, 1);
}

TEST_F(ReceiveTest, LongSubjectsAreStoredUnderNamesThatFit) {
    Login();
    for (int n = 1; n <= 2; ++n) {
        const std::string mail = "Subject: " + std::string(300, 'x') + "\r\n\r\nx\r\n";
        ASSERT_EQ(Fetch(n, std::string("u") + std::to_string(n), mail)->Text, "DELE");
    }
    ASSERT_EQ(Host.Account->Mailbox.GetCount(), 2);
    EXPECT_NE(StoredText(Host.Account->Mailbox, 1), "<missing>");
    struct stat st {};
    ASSERT_EQ(
        stat(platform::NativePath(Host.Account->Mailbox.GetMessages(0)->GetPath()).c_str(), &st),
        0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ReceiveTest, EraseTableAnswersEveryCodeInOrder) {
    const std::vector<TRow> rows = {
        {T::StateGreeting,
         true,
         "h\r\n+OK",
         TAnswer{0, true, ""},
         {"== BEG home " + std::string(20, '='), "+OK"}},
        {T::StateApop,
         false,
         "APOP u d\r\n-ERR",
         TAnswer{4, false, ""},
         {"APOP u d", "-ERR", ">ERROR:home: login refused: -ERR"}},
        {T::StateUser, true, "USER u\r\n+OK", TAnswer{2, true, ""}, {"USER u", "+OK"}},
        {T::StatePass, true, "PASS secret\r\n+OK", TAnswer{3, true, ""}, {"PASS ****", "+OK"}},
        {T::StateUidl,
         false,
         "UIDL 1\r\n-ERR",
         TAnswer{101, false, ""},
         {"UIDL 1", "-ERR", ">ERROR:home: UIDL 1 refused: -ERR"}},
        {T::StateStat, true, "STAT\r\n+OK 1 5", TAnswer{5, true, ""}, {"STAT", "+OK 1 5"}},
        {T::StateUidl,
         true,
         "UIDL 1\r\n+OK 1 abc",
         TAnswer{200, true, "abc"},
         {"UIDL 1", "+OK 1 abc"}},
        {T::StateUidl, true, "UIDL 1\r\n+OK 1", TAnswer{200, true, ""}, {"UIDL 1", "+OK 1"}},
        {T::StateUidl, true, "", TAnswer{200, true, ""}, {}},
        {T::StateDele, true, "DELE 1\r\n+OK", TAnswer{6, true, ""}, {"DELE 1", "+OK"}},
        {T::StateQuit, true, "QUIT\r\n+OK", TAnswer{8, true, ""}, {"QUIT", "+OK"}},
        {T::StateRetr, true, "RETR 1\r\n+OK", std::nullopt, {}},
        {T::EventEnded, true, "h", std::nullopt, {"== END home " + std::string(20, '=')}},
    };
    Play(EraseEvent, rows);
    EXPECT_EQ(Host.EraseEnds, 1);
    EXPECT_EQ(Host.CheckEnds, 0);
    EXPECT_EQ(Host.Account->Checklist.GetCount(), 0);
}

TEST_F(ReceiveTest, PeerTextIsCleanedForTheLog) {
    Login();
    Check(T::StateStat, true, "STAT\r\n+OK 1 2\x1b[31m" + std::string(2000, 'y'));
    ASSERT_EQ(Host.Log.size(), 2u);
    EXPECT_TRUE(Host.Log[1].starts_with("+OK 1 2?[31m"));
    EXPECT_LE(Host.Log[1].size(), 512u);
}

} // namespace

namespace {

class ReceiveFailureTest : public ReceiveTest {};

TEST_F(ReceiveFailureTest, ARefusedRetrGoesOnAndTheMessageIsFetchedNextTime) {
    Login();
    Check(T::StateUidl, true, Uidl(1, "u1"));
    Check(T::StateList, true, List(1, 40));
    auto answer = Check(T::StateRetr, false, "RETR 1\r\n-ERR cannot read");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Code, T::StateRetr);
    EXPECT_TRUE(answer->Flag);
    EXPECT_EQ(answer->Text, "");
    EXPECT_THAT(Host.Log, testing::Contains(testing::StartsWith(">ERROR:RETR 1 (UIDL u1)")));
    EXPECT_EQ(Host.Account->Checklist.GetCount(), 0);
    EXPECT_EQ(Host.Account->Mailbox.GetCount(), 0);
}

// A refused login, a session that breaks off: the checklist loses nothing,
// so kept mail is never fetched twice.
TEST_F(ReceiveFailureTest, SessionsThatEndEarlyForgetNothing) {
    Host.Account->Stay = true;
    Host.Account->Checklist.Strings = {"u1", "u2"};
    Check(T::StateGreeting, true, "127.0.0.1\r\n+OK ready");
    Check(T::StateUser, true, "USER user\r\n+OK");
    EXPECT_EQ(Check(T::StatePass, false, "PASS secret\r\n-ERR [IN-USE] locked")->Flag, false);
    Check(T::EventEnded, true, "127.0.0.1");
    EXPECT_THAT(Host.Log, testing::Contains(">ERROR:home: login refused: -ERR [IN-USE] locked"));
    EXPECT_EQ(Host.Account->Checklist.Strings, (std::vector<std::string>{"u1", "u2"}));
    EXPECT_EQ(platform::ReadFile(Host.Account->GetChecklistPath()), "u1\r\nu2\r\n");
}

TEST_F(ReceiveFailureTest, TheReasonASessionEndedIsLoggedWithTheAccount) {
    Check(T::StateGreeting, false, "127.0.0.1\r\n-ERR busy");
    EXPECT_THAT(Host.Log,
                testing::Contains(">ERROR:home: the server refused the session: -ERR busy"));
    Check(T::EventEnded, false, "127.0.0.1\r\nCannot connect to 127.0.0.1:1: Connection refused");
    EXPECT_THAT(Host.Log, testing::Contains(
                              ">ERROR:home: Cannot connect to 127.0.0.1:1: Connection refused"));
    EXPECT_EQ(Host.Log.back(), "== END home " + std::string(20, '='));
    Login();
    Check(T::StateUidl, false, "UIDL 1\r\n-ERR no");
    EXPECT_THAT(Host.Log, testing::Contains(">ERROR:home: UIDL 1 refused: -ERR no"));
}

TEST_F(ReceiveFailureTest, ApopFallbackAndOversizeDeletionsAreTold) {
    Host.Account->APOP = true;
    Check(T::StateGreeting, true, "127.0.0.1\r\n+OK no stamp");
    Check(T::StateUser, true, "USER user\r\n+OK");
    EXPECT_THAT(Host.Log, testing::Contains(testing::StartsWith(">APOP:")));
    Check(T::StateUidl, true, Uidl(3, "big"));
    EXPECT_EQ(Check(T::StateList, true, List(3, 2048 * 1024 + 1))->Text, "DELE");
    EXPECT_EQ(Host.Oversize, 1);
    EXPECT_THAT(Host.Log, testing::Contains(testing::AllOf(testing::StartsWith(">LIMIT:message 3"),
                                                           testing::HasSubstr("UIDL big"),
                                                           testing::HasSubstr("2097153 bytes"))));
}

} // namespace
