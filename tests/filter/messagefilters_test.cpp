#include <gtest/gtest.h>

#include "filter/filterset.h"
#include "filter/filterverdict.h"
#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"
#include "filtertesthelp.h"
#include "platform/file.h"

namespace {

std::string ReadBytes(const std::string& path) {
    return platform::ReadFile(path).value_or("<missing>");
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    ASSERT_TRUE(platform::WriteFile(path, bytes));
}

class MessageFiltersTest : public ::testing::Test {
protected:
    MessageFiltersTest() {
        Subjects.Path = Folder.File("subject.cgi");
        Subjects.OnCreateFilter = MessageFiltersSubjectCreateFilter;
    }

    TTempFolder Folder;
    TMessageFilters Subjects{"MessageFiltersSubject"};
};

} // namespace

TEST_F(MessageFiltersTest, MissingFileLoadsEmpty) {
    Subjects.Add(std::make_unique<TMessageFilterSubject>(&Subjects, false, true, "x"));
    EXPECT_TRUE(Subjects.Load().empty());
    EXPECT_EQ(Subjects.Count(), 0);
    auto message = ParseMessage("Subject: x\n\nx\n");
    EXPECT_EQ(Subjects.Check(message.get()), nullptr);
}

TEST_F(MessageFiltersTest, EarlierRuleWinsAndLoadReplaces) {
    WriteBytes(Subjects.Path, "win,0,1\r\nprize,0,1\r\nyou,0,1\r\n");
    Subjects.Load();
    EXPECT_TRUE(Subjects.Load().empty());
    ASSERT_EQ(Subjects.Count(), 3);
    auto message = ParseMessage("Subject: you won a prize\n\n\n");
    EXPECT_EQ(Subjects.Check(message.get()), Subjects.Items(1));
    EXPECT_EQ(Subjects.Items(0)->GetOwner(), &Subjects);
}

TEST_F(MessageFiltersTest, MalformedLinesAreSkippedAndReported) {
    WriteBytes(Subjects.Path, "first,0,1\r\nbroken\r\n\r\nlast,1,0\r\n");
    std::vector<TRuleLineError> skipped = Subjects.Load();
    ASSERT_EQ(Subjects.Count(), 2);
    EXPECT_EQ(Subjects.Items(0)->GetCSV(), "first,0,1");
    EXPECT_EQ(Subjects.Items(1)->GetCSV(), "last,1,0");
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_EQ(skipped[0].Line, 2);
    EXPECT_EQ(skipped[0].Text, "broken");
    EXPECT_EQ(skipped[1].Line, 3);
    EXPECT_EQ(FormatRuleLineError(skipped[0]), Subjects.Path + ":2: broken");
    // Saving keeps every rule that loaded.
    ASSERT_TRUE(Subjects.Save());
    EXPECT_EQ(ReadBytes(Subjects.Path), "first,0,1\r\nlast,1,0\r\n");
}

TEST_F(MessageFiltersTest, WithoutAHandlerNothingLoads) {
    WriteBytes(Subjects.Path, "a,1,1\r\n");
    Subjects.OnCreateFilter = nullptr;
    EXPECT_TRUE(Subjects.Load().empty());
    EXPECT_EQ(Subjects.Count(), 0);
}

TEST_F(MessageFiltersTest, EmptyListSavesAZeroLengthFile) {
    WriteBytes(Subjects.Path, "old,1,1\r\n");
    Subjects.Clear();
    ASSERT_TRUE(Subjects.Save());
    EXPECT_EQ(ReadBytes(Subjects.Path), "");
    EXPECT_TRUE(Subjects.Load().empty());
    EXPECT_EQ(Subjects.Count(), 0);
}

TEST_F(MessageFiltersTest, SaveReportsAWriteFailure) {
    Subjects.Path = Folder.File("no-such-folder/subject.cgi");
    std::string error;
    EXPECT_FALSE(Subjects.Save(&error));
    EXPECT_FALSE(error.empty());
}

TEST_F(MessageFiltersTest, DeleteRemoveIndexOf) {
    auto* a = Subjects.Add(std::make_unique<TMessageFilterSubject>(&Subjects, false, true, "a"));
    auto* b = Subjects.Add(std::make_unique<TMessageFilterSubject>(&Subjects, false, true, "b"));
    auto* c = Subjects.Add(std::make_unique<TMessageFilterSubject>(&Subjects, false, true, "c"));
    EXPECT_EQ(Subjects.IndexOf(c), 2);
    b->Delete();
    EXPECT_EQ(Subjects.Count(), 2);
    EXPECT_EQ(Subjects.IndexOf(c), 1);
    EXPECT_EQ(Subjects.Remove(a), 0);
    TMessageFilterSubject alone(nullptr, false, true, "z");
    alone.Delete(); // no list: nothing happens
    EXPECT_EQ(Subjects.Remove(&alone), -1);
    EXPECT_EQ(Subjects.IndexOf(&alone), -1);
    Subjects.Delete(1);
    Subjects.Delete(-1);
    EXPECT_EQ(Subjects.Count(), 1);
    Subjects.Delete(0);
    EXPECT_EQ(Subjects.Count(), 0);
}

TEST_F(MessageFiltersTest, CheckPartTestsThePartAlone) {
    TMessageFilters bodies;
    bodies.Add(std::make_unique<TMessageFilterBody>(&bodies, false, true, "needle"));
    auto message = ParseMessage("Content-Type: multipart/mixed; boundary=a\n\n"
                                "--a\nContent-Type: text/plain\n\nhay\n"
                                "--a\nContent-Type: multipart/mixed; boundary=b\n\n"
                                "--b\nContent-Type: text/plain\n\nhay\n"
                                "--b\nContent-Type: text/plain\n\nthe needle\n--b--\n--a--\n");
    EXPECT_EQ(bodies.Check(message.get()), bodies.Items(0));
    EXPECT_EQ(bodies.CheckPart(&message->GetRoot()), nullptr);
    EXPECT_EQ(bodies.CheckPart(message->GetRoot().GetParts(1)->GetParts(1)), bodies.Items(0));
}

// Every kind's lines, awkward texts included, load back to the same rules.
TEST(MessageFilterSetFiles, RoundTrip) {
    TTempFolder folder;
    ASSERT_TRUE(platform::ForceDirectories(folder.File("cgi")));
    const std::pair<const char*, const char*> files[] = {
        {"sender1.cgi", "friend@example.jp,0,1,0,1\r\n\"a, \"\"b\"\"\",1,0,1,1\r\n"},
        {"sender2.cgi", "\x95\x5C\x8E\xA6,0,0,0,0\r\n,1,1,0,0\r\n"},
        {"subject.cgi", "\"free money\",0,1\r\n^\\[ad\\],1,1\r\n"},
        {"ip.cgi", "10.0.0.0,255.0.0.0\r\n192.168.1.5,255.255.255.255\r\n"},
        {"host.cgi", "spam.example,0,1\r\n"},
        {"mailer.cgi", "\"Bulk Mailer\",0,1\r\n"},
        {"header.cgi", "X-Spam-Flag,YES,0,1\r\nX-Mailer|X-Library,\"a,b\",1,0\r\n"},
        {"body.cgi", "\x8D\x4C\x8D\x90,0,1\r\n"},
        {"attach.cgi", "exe\r\n (com|scr)\r\n\r\n"},
    };
    for (const auto& [name, bytes] : files)
        WriteBytes(folder.File(std::string("cgi/") + name), bytes);
    TMessageFilterSet set;
    set.SetFolder(folder.Path);
    EXPECT_TRUE(set.Load().empty());
    EXPECT_EQ(set.MessageFiltersAttach.Count(), 3); // a blank line is an empty extension
    ASSERT_TRUE(set.Save().empty());
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(ReadBytes(folder.File(std::string("cgi/") + name)), bytes) << name;
}

// A file that cannot be written keeps its old contents; the others are
// written all the same and each failure names its file.
TEST(MessageFilterSetFiles, SaveGoesOnPastAFailingFile) {
    TTempFolder folder;
    ASSERT_TRUE(platform::ForceDirectories(folder.File("cgi")));
    TMessageFilterSet set;
    set.SetFolder(folder.Path);
    set.MessageFiltersSubject.Add(
        std::make_unique<TMessageFilterSubject>(&set.MessageFiltersSubject, false, true, "ad"));
    set.MessageFiltersBody.Add(
        std::make_unique<TMessageFilterBody>(&set.MessageFiltersBody, false, true, "pills"));
    // A folder in the place of a file cannot be replaced by a file.
    for (const char* blocked : {"cgi/sender1.cgi", "cgi/host.cgi"})
        ASSERT_TRUE(platform::ForceDirectories(folder.File(blocked) + "/x"));
    std::vector<TRuleFileError> failed = set.Save();
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_EQ(failed[0].Path, folder.File("cgi/sender1.cgi"));
    EXPECT_EQ(failed[1].Path, folder.File("cgi/host.cgi"));
    EXPECT_EQ(FormatRuleFileError(failed[1]), failed[1].Path + ": " + failed[1].Reason);
    EXPECT_NE(failed[1].Reason.find("Is a directory"), std::string::npos) << failed[1].Reason;
    EXPECT_EQ(ReadBytes(folder.File("cgi/subject.cgi")), "ad,0,1\r\n");
    EXPECT_EQ(ReadBytes(folder.File("cgi/body.cgi")), "pills,0,1\r\n");
    EXPECT_EQ(ReadBytes(folder.File("cgi/attach.cgi")), "");
}

TEST(MessageFilterSetFiles, SkippedLinesNameTheirFiles) {
    TTempFolder folder;
    ASSERT_TRUE(platform::ForceDirectories(folder.File("cgi")));
    WriteBytes(folder.File("cgi/ip.cgi"), "10.0.0.0\r\n10.0.0.0,255.0.0.0\r\n");
    WriteBytes(folder.File("cgi/header.cgi"), "X-A,b,1,1\r\nX-A,b,1\r\n");
    TMessageFilterSet set;
    set.SetFolder(folder.Path);
    std::vector<TRuleLineError> skipped = set.Load();
    ASSERT_EQ(skipped.size(), 2u);
    EXPECT_EQ(skipped[0].Path, folder.File("cgi/ip.cgi"));
    EXPECT_EQ(skipped[0].Line, 1);
    EXPECT_EQ(skipped[1].Path, folder.File("cgi/header.cgi"));
    EXPECT_EQ(skipped[1].Line, 2);
    EXPECT_EQ(set.MessageFiltersIP.Count(), 1);
    EXPECT_EQ(set.MessageFiltersHeader.Count(), 1);
}

// The header values a list shares among its rules belong to one check: a
// message object parsed again (as the window reuses its holder) is seen anew.
TEST(MessageFiltersCache, ReusedMessageIsSeenAnew) {
    TMessageFilterSet set;
    set.MessageFiltersSender2.Add(std::make_unique<TMessageFilterSender>(
        &set.MessageFiltersSender2, false, true, "spammer", false, true));
    set.MessageFiltersHeader.Add(std::make_unique<TMessageFilterHeader>(
        &set.MessageFiltersHeader, "X-Flag", false, true, "on"));
    TMultipartMessage message;
    const std::pair<const char*, bool> texts[] = {
        {"From: spammer@x.jp\r\n\r\nbody\r\n", true},
        {"From: friend@x.jp\r\n\r\nbody\r\n", false},
        {"From: friend@x.jp\r\nX-Flag: on\r\n\r\nbody\r\n", true},
        {"From: friend@x.jp\r\nX-Flag: off\r\n\r\nbody\r\n", false},
    };
    for (const auto& [text, rejected] : texts) {
        message.Create(text);
        std::string comment;
        EXPECT_EQ(FilterVerdict(set, true, comment, &message), rejected) << text;
    }
}
