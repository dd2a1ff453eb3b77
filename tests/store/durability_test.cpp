// Stored mail against hostile text and crashes: index lines that always read
// back as the entry they were written from, file names that never leave
// their folder, moves that never lose the file, appended lines and the
// recovery of a folder after a crash.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "foundation/datafile.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "store/mailboxrecovery.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "storefixture.h"

namespace {

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

class DurabilityTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        accounts.BaseFolder = dir + "Msgbox";
        accounts.ListFile = dir + "Msgbox/accounts.dat";
        account = accounts.Add("home", "u", "p", "h", 110, false, false);
        ASSERT_TRUE(platform::ForceDirectories(account->GetFolder()));
        ASSERT_TRUE(platform::ForceDirectories(dir + "Dustbox"));
        trash.Caption = "trash";
        trash.Path = dir + "Dustbox/messages.idx";
    }
    // A message file in box's folder with its entry, as a download leaves it.
    TMBXItem* Store(TMessageBox& box, const std::string& text, const std::string& uidl = {}) {
        TMultipartMessage message;
        message.Create(text);
        const std::string path =
            TMessageBox::MakeMessagePath(platform::ExtractFilePath(box.Path), message.Subject);
        EXPECT_TRUE(platform::WriteFile(path, text));
        message.SetPath(path);
        TMBXItem* item = box.Add(message, 1.0, "home");
        item->FetchedUID = uidl;
        item->FetchedAccount = uidl.empty() ? "" : "home";
        return item;
    }
    static std::string Mail(const std::string& subjectLine) {
        return "From: a@example.com\r\nSubject: " + subjectLine + "\r\n\r\nbody\r\n";
    }

    TPop3AccountList accounts;
    TPop3AccountItem* account = nullptr;
    TMessageBox trash;
};

TEST_F(DurabilityTest, HostileHeadersStayOneEntryAndNeverNameAFileOutside) {
    const std::string victim = dir + "some-file";
    ASSERT_TRUE(platform::WriteFile(victim, "not mail"));
    // Decoded: "a", CR LF, "evil,../../some-file,..." - and a NUL in a From.
    Store(trash, Mail("=?us-ascii?Q?a=0D=0Aevil,../../some-file,1,2?="));
    TMBXItem* nul = Store(trash, Mail("nul"));
    nul->From = std::string("x\0y", 3);
    nul->Subject = std::string("before\0after", 12);
    Store(trash, Mail("last"));
    ASSERT_TRUE(trash.Save());

    TMessageBox loaded;
    loaded.LoadFromFile(trash.Path);
    ASSERT_EQ(loaded.GetCount(), 3);
    EXPECT_TRUE(loaded.GetSkipped().empty());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(loaded.GetMessages(i)->FileName, trash.GetMessages(i)->FileName);
    EXPECT_EQ(loaded.GetMessages(0)->Subject, "a  evil,../../some-file,1,2");
    EXPECT_EQ(loaded.GetMessages(1)->Subject, "before after");
    EXPECT_EQ(loaded.GetMessages(2)->Subject, "last");
    loaded.Clear();
    EXPECT_EQ(*platform::ReadFile(victim), "not mail");
    EXPECT_TRUE(platform::FindFiles(dir + "Dustbox", ".eml").empty());
}

TEST_F(DurabilityTest, IndexLinesNamingFilesOutsideTheFolderAreSkipped) {
    const std::string victim = dir + "victim.eml";
    ASSERT_TRUE(platform::WriteFile(victim, "not mail"));
    ASSERT_TRUE(platform::WriteFile(dir + "Dustbox/ok.eml", Mail("ok")));
    ASSERT_TRUE(
        WriteDataFile(trash.Path, {"\"1.0.a,s=1\",ok.eml,1", "\"2.0.a,s=1\",../victim.eml,1",
                                   "\"3.0.a,s=1\"," + victim + ",1", "\"4.0.a,s=1\",..,1"}));
    trash.Load();
    ASSERT_EQ(trash.GetCount(), 1);
    EXPECT_EQ(trash.GetSkipped(), (std::vector<std::string>{"../victim.eml", victim, ".."}));
    // An entry that names such a file by other means touches nothing.
    TMBXItem* planted = trash.GetMessages(0);
    planted->FileName = "../victim.eml";
    EXPECT_EQ(planted->GetPath(), "");
    std::vector<std::string> lines;
    trash.SaveToStrings(lines);
    EXPECT_TRUE(lines.empty()); // a local session never gets it
    trash.Clear();
    EXPECT_TRUE(platform::FileExists(victim));
}

TEST_F(DurabilityTest, FailedMoveKeepsTheEntryAndTheFileWhereTheyWere) {
    TMBXItem* item = Store(account->Mailbox, Mail("keep me"));
    const std::string path = item->GetPath();
    std::filesystem::remove_all(dir + "Dustbox");
    std::string error;
    EXPECT_FALSE(item->SetParent(&trash, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(item->Parent, &account->Mailbox);
    EXPECT_EQ(account->Mailbox.GetCount(), 1);
    EXPECT_EQ(trash.GetCount(), 0);
    EXPECT_EQ(item->GetPath(), path);
    EXPECT_TRUE(platform::FileExists(path));
}

// /dev/shm is a file system of its own on most machines: a move there copies.
TEST_F(DurabilityTest, MoveAcrossFileSystemsLeavesOneWholeCopy) {
    struct stat here {
    }, shm{};
    if (::stat(dir.c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system";
    char pattern[] = "/dev/shm/mb-move-XXXXXX";
    const std::string other = std::string(mkdtemp(pattern)) + "/";
    ASSERT_TRUE(platform::WriteFile(dir + "m.eml", "text", 0600));
    std::string error;
    EXPECT_TRUE(platform::MoveFile(dir + "m.eml", other + "m.eml", &error)) << error;
    EXPECT_FALSE(platform::FileExists(dir + "m.eml"));
    EXPECT_EQ(*platform::ReadFile(other + "m.eml"), "text");
    EXPECT_EQ(ModeOf(other + "m.eml"), 0600u);
    EXPECT_EQ(platform::FindFiles(other, "").size(), 1u); // no temporary file left
    std::filesystem::remove_all(other);
}

TEST_F(DurabilityTest, AppendedLinesReadBackWithTheirUidlAndSurviveACutLine) {
    TMBXItem* first = Store(account->Mailbox, Mail("one"), "U1");
    ASSERT_TRUE(account->Mailbox.Append(*first));
    // A crash cut the next line short.
    ASSERT_TRUE(platform::AppendFile(account->Mailbox.Path, "\"9.9.cut", 0600));
    TMBXItem* second = Store(account->Mailbox, Mail("two"), "U2");
    ASSERT_TRUE(account->Mailbox.Append(*second));

    TMessageBox loaded;
    loaded.LoadFromFile(account->Mailbox.Path);
    ASSERT_EQ(loaded.GetCount(), 3);
    EXPECT_EQ(loaded.GetMessages(0)->FetchedUID, "U1");
    EXPECT_EQ(loaded.GetMessages(1)->FileName, ""); // the cut line names no file
    EXPECT_EQ(loaded.GetMessages(2)->FetchedUID, "U2");
    EXPECT_EQ(loaded.GetMessages(2)->FetchedAccount, "home");
    EXPECT_EQ(loaded.GetMessages(2)->GetCSV(), second->GetCSV());
    // Recovery drops the fragment; the rewrite keeps the twelve items only.
    bool changed = false;
    EXPECT_EQ(RecoverMailbox(loaded, changed).Dropped, 1);
    ASSERT_TRUE(changed && loaded.Save());
    loaded.Load();
    ASSERT_EQ(loaded.GetCount(), 2);
    EXPECT_EQ(loaded.GetMessages(1)->FetchedUID, "");
}

TEST_F(DurabilityTest, RecoveryFinishesOrUndoesEveryInterruptedStep) {
    TMessageBox& inbox = account->Mailbox;
    account->Checklist.Add("OLD");
    // Complete: entry, file, UIDL in the checklist.
    TMBXItem* whole = Store(inbox, Mail("whole"), "U1");
    account->Checklist.Add("U1");
    // Cut before the file got its name: it is still under its temporary name.
    TMBXItem* unnamed = Store(inbox, Mail("unnamed"), "U2");
    ASSERT_TRUE(platform::RenameFile(unnamed->GetPath(), inbox.GetTempPath(*unnamed)));
    // Cut before the UIDL reached the checklist.
    Store(inbox, Mail("unremembered"), "U3");
    // An entry whose file is gone (and a rejected message of the trash).
    TMBXItem* gone = Store(inbox, Mail("gone"), "U4");
    platform::DeleteFile(gone->GetPath());
    Store(trash, Mail("spam"), "U5");
    // The index as the downloads appended it.
    for (int i = 0; i < inbox.GetCount(); ++i)
        ASSERT_TRUE(inbox.Append(*inbox.GetMessages(i)));
    ASSERT_TRUE(trash.Append(*trash.GetMessages(0)));
    ASSERT_TRUE(account->SaveChecklist());
    ASSERT_TRUE(WriteDataFile(accounts.ListFile, {account->GetCSV()}));
    // A message file that no entry names, and temporary files of a killed write.
    ASSERT_TRUE(
        platform::WriteFile(platform::ExtractFilePath(inbox.Path) + "orphan.eml", Mail("orphan")));
    ASSERT_TRUE(platform::WriteFile(platform::ExtractFilePath(inbox.Path) + ".tmpAbC123", "x"));
    ASSERT_TRUE(platform::WriteFile(dir + "Msgbox/.tmpZz9", "x"));
    const std::string wholePath = whole->GetPath();

    TPop3AccountList reloaded;
    reloaded.BaseFolder = accounts.BaseFolder;
    reloaded.LoadFromFile(accounts.ListFile);
    TMessageBox reloadedTrash;
    reloadedTrash.Caption = trash.Caption;
    reloadedTrash.LoadFromFile(trash.Path);
    std::vector<TRecoveryReport> reports = RecoverStores(reloaded, reloadedTrash);

    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0].Caption, "home");
    EXPECT_EQ(reports[0].Added, 1);
    EXPECT_EQ(reports[0].Completed, 1);
    EXPECT_EQ(reports[0].Dropped, 1);
    EXPECT_EQ(reports[0].TempRemoved, 1);
    EXPECT_EQ(reports[0].Remembered, 2); // U2, U3
    EXPECT_EQ(reports[1].Remembered, 1); // U5
    EXPECT_EQ(reports[2].TempRemoved, 1);

    // On disk: every file has its entry, the checklist is whole, and the
    // indexes were rewritten without the download items.
    TPop3AccountList after;
    after.BaseFolder = accounts.BaseFolder;
    after.LoadFromFile(accounts.ListFile);
    const TMessageBox& box = after.GetAccounts(0)->Mailbox;
    std::vector<std::string> subjects;
    for (int i = 0; i < box.GetCount(); ++i) {
        subjects.push_back(box.GetMessages(i)->Subject);
        EXPECT_TRUE(platform::FileExists(box.GetMessages(i)->GetPath()));
        EXPECT_EQ(box.GetMessages(i)->FetchedUID, "");
    }
    EXPECT_EQ(subjects, (std::vector<std::string>{"whole", "unnamed", "unremembered", "orphan"}));
    EXPECT_EQ(after.GetAccounts(0)->Checklist.Strings,
              (std::vector<std::string>{"OLD", "U1", "U2", "U3", "U5"}));
    EXPECT_EQ(platform::FindFiles(box.Path.substr(0, box.Path.rfind('/')), ".eml").size(), 4u);
    EXPECT_TRUE(platform::FileExists(wholePath));
    // A second start finds nothing to do.
    EXPECT_TRUE(RecoverStores(after, reloadedTrash).empty());
}

TEST_F(DurabilityTest, DataFilesAreTheOwnersOnly) {
    Store(account->Mailbox, Mail("private"));
    account->Checklist.Add("U1");
    ASSERT_TRUE(accounts.Save());
    ASSERT_TRUE(account->AppendChecklist("U2"));
    for (const std::string& path :
         {accounts.ListFile, account->Mailbox.Path, account->GetChecklistPath()})
        EXPECT_EQ(ModeOf(path), 0600u) << path;
    std::filesystem::remove(account->GetChecklistPath());
    ASSERT_TRUE(account->AppendChecklist("U3"));
    EXPECT_EQ(ModeOf(account->GetChecklistPath()), 0600u);
}

// Files as earlier versions wrote them: readable as before, and written back
// line for line.
TEST_F(DurabilityTest, FilesOfEarlierVersionsLoadUnchanged) {
    const std::vector<std::string> index = {
        "\"0a1b2c3d01d9a2b3.0.home,s=120\",hello.eml,120,2,text/plain,hello,a@example.com,"
        "\"2024/04/30 09:00:00\",\"2024/05/01 10:00:00\",\"2024/05/01 10:00:05\",,",
        "\"0a1b2c3e01d9a2b3.1.home,s=99\",\"two words.eml\",99,0,multipart/mixed,\"two words\","
        "b@example.com,\"2024/04/30 09:00:00\",\"2024/05/01 10:00:00\",\"2024/05/01 10:00:06\","
        "UIDL-7,\"note, with comma\""};
    ASSERT_TRUE(platform::WriteFile(accounts.ListFile, "home,u,\"p w\",h,110,0,1\r\n", 0644));
    ASSERT_TRUE(platform::WriteFile(account->Mailbox.Path, JoinDataLines(index), 0644));
    ASSERT_TRUE(platform::WriteFile(account->GetChecklistPath(), "UIDL-7\r\nx\r\n", 0644));
    TPop3AccountList loaded;
    loaded.BaseFolder = accounts.BaseFolder;
    loaded.LoadFromFile(accounts.ListFile);
    ASSERT_EQ(loaded.GetCount(), 1);
    const TPop3AccountItem& a = *loaded.GetAccounts(0);
    EXPECT_EQ(a.Password, "p w");
    EXPECT_TRUE(a.Stay);
    EXPECT_EQ(a.Checklist.Strings, (std::vector<std::string>{"UIDL-7", "x"}));
    ASSERT_EQ(a.Mailbox.GetCount(), 2);
    EXPECT_EQ(a.Mailbox.GetMessages(1)->ServerUID, "UIDL-7");
    std::vector<std::string> lines;
    a.Mailbox.SaveToStrings(lines);
    EXPECT_EQ(lines, index);
}

} // namespace
