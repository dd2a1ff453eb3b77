#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/file.h"
#include "store/pop3accountlist.h"
#include "storefixture.h"

class AccountListTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        list.BaseFolder = dir + "Msgbox";
        list.ListFile = list.BaseFolder + "/accounts.dat";
        ASSERT_TRUE(platform::ForceDirectories(list.BaseFolder));
    }

    TPop3AccountItem* AddWithFolder(const std::string& name) {
        TPop3AccountItem* a = list.Add(name, "user", "pw", "pop.example", 110, false, false);
        EXPECT_TRUE(platform::ForceDirectories(a->GetFolder()));
        return a;
    }

    // The item, a copy and an assigned item write the line given; the copies
    // log in as the original.
    void ExpectWrites(const TPop3AccountItem& a, const std::string& written) {
        EXPECT_EQ(a.GetCSV(), written);
        EXPECT_EQ(TPop3AccountItem(&list, &a).GetCSV(), written);
        TPop3AccountItem assigned(&list);
        assigned.Assign(a);
        EXPECT_EQ(assigned.GetCSV(), written);
        EXPECT_EQ(LocalLoginPassword(assigned), LocalLoginPassword(a));
    }

    TPop3AccountList list;
};

TEST_F(AccountListTest, AccountFileLines) {
    struct Case {
        std::string line, name, user, password, host;
        int port;
        bool apop, stay;
    } cases[] = {
        {"n,u,p,h,995,1,0", "n", "u", "p", "h", 995, true, false},
        {"n,u,p,h,x,y,z", "n", "u", "p", "h", 110, false, false},
        {"n,u,p,h,995,1", "", "", "", "", 110, false, false}, // six items: all defaults
        {"", "", "", "", "", 110, false, false},
        {"n,u,\"a b,\"\"c\"\"\",h,1,7,1,extra", "n", "u", "a b,\"c\"", "h", 1, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TPop3AccountItem a(&list, c.line);
        EXPECT_EQ(a.Name, c.name);
        EXPECT_EQ(a.UserID, c.user);
        EXPECT_EQ(a.Password, c.password);
        EXPECT_EQ(a.Host, c.host);
        EXPECT_EQ(a.Port, c.port);
        EXPECT_EQ(a.APOP, c.apop);
        EXPECT_EQ(a.Stay, c.stay);
    }
    EXPECT_EQ(TPop3AccountItem(&list, "n,u,p,h,995,1,0").GetCSV(), "n,u,p,h,995,1,0,0");
    TPop3AccountItem empty(&list, "");
    EXPECT_EQ(empty.GetFolder(), dir + "Msgbox/mbx.");
}

// Lines of earlier versions end after the seventh item and load as plain
// text; the security item never reads as plain unless it says so.
TEST_F(AccountListTest, SecurityAndFingerprintItems) {
    using platform::TTlsMode;
    const std::string fp =
        "9D:30:09:E1:BE:89:63:E4:67:30:BF:32:23:66:57:27:85:D3:B8:7F:2B:56:8B:49:"
        "5C:9B:78:7F:6D:79:74:D8";
    struct Case {
        std::string line;
        TTlsMode security;
        std::string fingerprint, written;
    } cases[] = {
        {"n,u,p,h,110,0,0", TTlsMode::None, "", "n,u,p,h,110,0,0,0"},
        {"n,u,p,h,995,0,0,1", TTlsMode::Implicit, "", "n,u,p,h,995,0,0,1"},
        {"n,u,p,h,110,0,0,2," + fp, TTlsMode::StartTls, fp, "n,u,p,h,110,0,0,2," + fp},
        {"n,u,p,h,110,0,0,0,,later", TTlsMode::None, "", "n,u,p,h,110,0,0,0"},
        {"n,u,p,h,110,0,0,", TTlsMode::None, "", "n,u,p,h,110,0,0,0"},
        {"n,u,p,h,110,0,0,x", TTlsMode::Implicit, "", "n,u,p,h,110,0,0,1"},
        {"n,u,p,h,110,0,0,3", TTlsMode::Implicit, "", "n,u,p,h,110,0,0,1"},
        {"n,u,p,h,110,0,0,1", TTlsMode::Implicit, "", "n,u,p,h,110,0,0,1"},
        {"n,u,p,h,110,0,0,0," + fp, TTlsMode::None, fp, "n,u,p,h,110,0,0,0," + fp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TPop3AccountItem a(&list, c.line);
        EXPECT_EQ(a.Security, c.security);
        EXPECT_EQ(a.Fingerprint, c.fingerprint);
        ExpectWrites(a, c.written);
    }
}

// Items 10 to 13: the sign-in method, the command, the password store and
// the local password. Defaults are written empty, so lines without them are
// written as before; a password kept elsewhere never reaches the file.
TEST_F(AccountListTest, SignInItems) {
    using M = TSignInMethod;
    using S = TPasswordStore;
    struct Case {
        std::string line;
        M method;
        std::string command;
        S store;
        std::string local, written;
        bool inFile;
        std::string localLogin;
    } cases[] = {
        {"n,u,p,h,110,0,0", M::Password, "", S::File, "", "n,u,p,h,110,0,0,0", true, "p"},
        {"n,u,p,h,995,0,0,1,,0,,0,", M::Password, "", S::File, "", "n,u,p,h,995,0,0,1", true, "p"},
        {R"(n,u,,h,995,0,0,1,,1,"tok --user 'a b'",,lp)", M::XOAuth2, "tok --user 'a b'", S::File,
         "lp", R"(n,u,,h,995,0,0,1,,1,"tok --user 'a b'",,lp)", false, "lp"},
        {"n,u,p,h,110,0,0,0,,,,1,lp", M::Password, "", S::Secret, "lp", "n,u,,h,110,0,0,0,,,,1,lp",
         false, "lp"},
        {"n,u,p,h,110,0,0,0,,0,pass-cmd,2", M::Password, "pass-cmd", S::Command, "",
         "n,u,,h,110,0,0,0,,,pass-cmd,2", false, ""},
        {"n,u,p,h,110,0,0,0,,7,,x", M::Password, "", S::File, "", "n,u,p,h,110,0,0,0", true, "p"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        TPop3AccountItem a(&list, c.line);
        EXPECT_EQ(a.SignIn, c.method);
        EXPECT_EQ(a.SecretCommand, c.command);
        EXPECT_EQ(a.PasswordStore, c.store);
        EXPECT_EQ(a.LocalPassword, c.local);
        EXPECT_EQ(PasswordInFile(a), c.inFile);
        EXPECT_EQ(LocalLoginPassword(a), c.localLogin);
        ExpectWrites(a, c.written);
    }
}

TEST_F(AccountListTest, SaveAndLoadKeepAccountsChecklistsAndMailboxes) {
    const std::string passwords[] = {"plain", "with blank", "a,b", "q\"uote", " lead"};
    int n = 0;
    for (const std::string& pw : passwords) {
        std::string name = "acc" + std::to_string(n++);
        TPop3AccountItem* a = AddWithFolder(name);
        a->Password = pw;
        a->Port = 100 + n;
        a->APOP = n % 2;
        a->Stay = n % 3 == 0;
        a->Security = static_cast<platform::TTlsMode>(n % 3);
        if (n % 2) a->Fingerprint = "9D:30:09:E1";
        a->Checklist.Add("uidl-" + name);
        a->Mailbox.LoadFromStrings({"uid-" + name + ",f.eml,5"});
    }
    ASSERT_TRUE(list.Save());

    struct stat st {};
    ASSERT_EQ(stat(list.ListFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    TPop3AccountList loaded;
    loaded.BaseFolder = list.BaseFolder;
    loaded.LoadFromFile(list.ListFile);
    ASSERT_EQ(loaded.GetCount(), list.GetCount());
    for (int i = 0; i < list.GetCount(); ++i) {
        const TPop3AccountItem* a = list.GetAccounts(i);
        const TPop3AccountItem* b = loaded.GetAccounts(i);
        EXPECT_EQ(b->GetCSV(), a->GetCSV());
        EXPECT_EQ(b->Password, a->Password);
        EXPECT_EQ(b->Checklist.Strings, a->Checklist.Strings);
        ASSERT_EQ(b->Mailbox.GetCount(), 1);
        EXPECT_EQ(b->Mailbox.GetMessages(0)->UID, "uid-" + a->Name);
        EXPECT_EQ(b->Mailbox.Caption, a->Name);
        EXPECT_FALSE(b->IsLocked());
    }
}

TEST_F(AccountListTest, FailedSavesAreReportedAndTheRestIsWritten) {
    AddWithFolder("good");
    list.Add("nofolder", "u", "p", "h", 110, false, false); // its folder was never made
    std::string error;
    EXPECT_FALSE(list.Save(&error));
    EXPECT_NE(error.find("mbx.nofolder/messages.idx"), std::string::npos) << error;
    EXPECT_NE(error.find("mbx.nofolder/exclude.txt"), std::string::npos) << error;
    EXPECT_TRUE(platform::FileExists(dir + "Msgbox/mbx.good/messages.idx"));
    TPop3AccountList loaded;
    loaded.LoadFromFile(list.ListFile);
    EXPECT_EQ(loaded.GetCount(), 2);

    list.ListFile = dir + "missing/accounts.dat";
    error.clear();
    EXPECT_FALSE(list.Save(&error));
    EXPECT_NE(error.find("missing/accounts.dat"), std::string::npos);
}

TEST_F(AccountListTest, MissingFilesGiveEmptyLists) {
    list.LoadFromFile(dir + "none.dat");
    EXPECT_EQ(list.GetCount(), 0);
    ASSERT_TRUE(platform::WriteFile(list.ListFile, "home,u,p,h,110,0,0\r\n"));
    list.Load();
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAccounts(0)->Checklist.GetCount(), 0);
    EXPECT_EQ(list.GetAccounts(0)->Mailbox.GetCount(), 0);
    EXPECT_EQ(list.GetAccounts(0)->Mailbox.Path, dir + "Msgbox/mbx.home/messages.idx");
}

TEST_F(AccountListTest, OrderLookupAndRemoval) {
    TPop3AccountItem* home = list.Add("home", "u", "p", "h", 110, false, false);
    TPop3AccountItem* work = list.Add("work", "u", "p", "h", 110, false, false);
    TPop3AccountItem* club = list.Add("club", "u", "p", "h", 110, false, false);
    EXPECT_EQ(list.IndexOf("HOME"), 0);
    EXPECT_EQ(list.IndexOf("none"), -1);
    EXPECT_EQ(list.IndexOf(club), 2);
    list.Move(2, 0);
    EXPECT_EQ(list.GetAccounts(0), club);
    EXPECT_EQ(list.IndexOf("club"), 0);
    list.Move(0, 2);
    EXPECT_EQ(list.GetAccounts(2), club);
    list.Remove(work);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.IndexOf("work"), -1);
    list.Delete(0);
    EXPECT_EQ(list.GetAccounts(0), club);
    EXPECT_EQ(list.IndexOf(home), -1);
}

TEST_F(AccountListTest, RenameAndAssignMoveTheMailboxPathAtOnce) {
    TPop3AccountItem* a = list.Add("old", "u", "p", "h", 110, false, false);
    a->Checklist.Add("x");
    a->Create("new", "u2", "p2", "h2", 995, true, true);
    EXPECT_EQ(a->Mailbox.Caption, "new");
    EXPECT_EQ(a->Mailbox.Path, dir + "Msgbox/mbx.new/messages.idx");
    EXPECT_EQ(a->Checklist.GetCount(), 1);

    TPop3AccountItem edited(&list, a);
    EXPECT_EQ(edited.GetCSV(), a->GetCSV());
    edited.Password = "changed";
    a->Assign(edited);
    EXPECT_EQ(a->Password, "changed");
    EXPECT_EQ(a->Checklist.GetCount(), 0); // the edited copy had an empty one
    TPop3AccountItem defaults(&list, nullptr);
    EXPECT_EQ(defaults.GetCSV(), ",,,,110,0,0,0");
}

TEST(AccountBookkeeping, OneDownloadSession) {
    TPop3AccountList list;
    TPop3AccountItem a(&list, "n,u,p,h,110,0,0");
    a.Checklist.Add("A1");
    a.Checklist.Add("B2");
    a.PrepareDownload();
    EXPECT_EQ(a.Checklist.GetCount(), 2); // kept until the walk is complete
    EXPECT_FALSE(a.BeginDownload("A1"));  // known
    EXPECT_FALSE(a.EndDownload());
    EXPECT_TRUE(a.BeginDownload("a1")); // UIDLs are case-sensitive
    a.AbortDownload();                  // not stored
    a.MeasureDownload(77);
    EXPECT_TRUE(a.BeginDownload("C3"));
    EXPECT_EQ(a.DownloadSize, 0);
    EXPECT_TRUE(a.EndDownload());  // stored: new to the checklist
    EXPECT_FALSE(a.EndDownload()); // twice adds once
    EXPECT_EQ(a.Checklist.Strings, (std::vector<std::string>{"A1", "B2", "C3"}));
    a.CompleteDownload(); // B2 is no longer on the server
    EXPECT_EQ(a.Checklist.Strings, (std::vector<std::string>{"A1", "C3"}));
    EXPECT_EQ(a.PrevChecklist.Strings, (std::vector<std::string>{"A1", "B2"}));
    EXPECT_TRUE(a.CurrentUID.empty());
}

// The look-up sets follow the lists through a session: what the session
// remembers, completes and forgets, and lists replaced by Assign or a load.
TEST(AccountBookkeeping, LookUpsFollowTheLists) {
    TPop3AccountList list;
    TPop3AccountItem a(&list, "n,u,p,h,110,0,0");
    for (const char* uidl : {"A1", "B2", "C3"})
        a.Checklist.Add(uidl);
    a.PrepareDownload();
    for (const char* uidl : {"A1", "D4", "E5"}) {
        a.BeginDownload(uidl);
        a.EndDownload();
    }
    a.CompleteDownload(); // B2 and C3 are gone from the server
    a.Forget({"D4", "X9"});
    EXPECT_EQ(a.Checklist.Strings, (std::vector<std::string>{"A1", "E5"}));
    for (const char* fresh : {"B2", "C3", "D4"})
        EXPECT_TRUE(a.BeginDownload(fresh)) << fresh;
    EXPECT_FALSE(a.BeginDownload("E5"));
    TPop3AccountItem b(&list, "m,u,p,h,110,0,0");
    b.Checklist.Add("Z0");
    EXPECT_FALSE(b.BeginDownload("Z0"));
    b.Assign(a); // a's lists, without a new session
    EXPECT_TRUE(b.BeginDownload("Z0"));
    EXPECT_FALSE(b.BeginDownload("A1"));
}

TEST(AccountBookkeeping, Locking) {
    TPop3AccountList list;
    TPop3AccountItem a(&list);
    a.Unlock(); // harmless
    EXPECT_TRUE(a.Lock());
    EXPECT_FALSE(a.Lock());
    EXPECT_TRUE(a.IsLocked());
    a.Unlock();
    EXPECT_FALSE(a.IsLocked());
}
