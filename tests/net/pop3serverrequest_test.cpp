// The window's answers to the local server's requests, without sessions.
#include <gtest/gtest.h>

#include "foundation/md5digest.h"
#include "net/pop3serverrequest.h"
#include "net/pop3serverthread.h"
#include "platform/file.h"
#include "pop3servertestwindow.h"

namespace {

using TCode = TPop3ServerThread::TRequestCode;

class Pop3ServerRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Alice = Accounts.AddAccount("alice", "alice.u", "secret", "pop.example.com");
        Accounts.AddMessage(*Alice, "Uid-1", "Subject: 1\r\n\r\none\r\n");
        Accounts.AddMessage(*Alice, "uid-2", "Subject: 2\r\n\r\ntwo\r\n");
        Requests.OnRemove = [this](TMBXItem& item) { Removed.push_back(item.UID); };
        Requests.OnResponding = [this] { Tray += "R"; };
        Requests.OnIdle = [this] { Tray += "I"; };
    }
    TPop3ServerRequests::TReply Handle(int code, const std::string& text) {
        return Requests.Handle(code, true, text, Settings);
    }
    std::string LoginText() const {
        std::vector<std::string> lines{"alice", Alice->Mailbox.Path};
        Alice->Mailbox.SaveToStrings(lines);
        return pop3server::JoinLines(lines);
    }

    TTestAccounts Accounts;
    TPop3AccountItem* Alice = nullptr;
    TPop3ServerRequests Requests{Accounts.List};
    TPop3ServerRequests::TSettings Settings;
    std::vector<std::string> Removed;
    std::string Tray;
};

} // namespace

TEST_F(Pop3ServerRequestsTest, CommandArgumentsAndRefusals) {
    struct TCase {
        int Code;
        std::string Text;
        bool Flag;
        std::string Reply;
    } cases[] = {
        {TCode::rqUser, "USER alice", true, "alice"},
        {TCode::rqUser, "user \"a b\" c", true, "a b"},
        {TCode::rqUser, "USER", false, ""},
        {TCode::rqStat, "STAT", true, ""},
        {TCode::rqNoop, "NOOP", true, ""},
        {TCode::rqRset, "RSET", true, ""},
        {TCode::rqOther, "XTND x", true, ""},
        {TCode::rqList, "LIST", true, ""},
        {TCode::rqList, "LIST 2", true, "2"},
        {TCode::rqUidl, "UIDL 7 8", true, "7"},
        {TCode::rqRetr, "RETR 1", true, "1"},
        {TCode::rqRetr, "RETR", false, ""},
        {TCode::rqDele, "DELE", false, ""},
        {TCode::rqTop, "TOP 1", true, "1"},
        {TCode::rqTop, "TOP 1 10", true, "1\r\n10"},
        {TCode::rqTop, "TOP", false, ""},
        {TCode::rqPass, "PASS secret", false, ""},
        {TCode::rqPass, "PASS secret\r\n", false, ""},
        {TCode::rqPass, "PASS wrong\r\nalice", false, ""},
        {TCode::rqPass, "PASS \r\nalice", false, ""},
        {TCode::rqPass, "PASS secret\r\nnobody", false, ""},
        {TCode::rqApop, "APOP alice", false, ""},
    };
    for (const auto& c : cases) {
        auto reply = Handle(c.Code, c.Text);
        EXPECT_TRUE(reply.Send) << c.Text;
        EXPECT_EQ(reply.Flag, c.Flag) << c.Text;
        EXPECT_EQ(reply.Text, c.Reply) << c.Text;
    }
    EXPECT_FALSE(Alice->IsLocked());
}

TEST_F(Pop3ServerRequestsTest, ConnectAdmitsThePeerAndNamesTheLogFolder) {
    struct TCase {
        bool DenyRemote, ServerLog;
        const char* Address;
        bool Flag;
        const char* Reply;
    } cases[] = {
        {true, false, "127.0.0.1", true, ""},  {true, true, "127.0.0.1", true, "/logs"},
        {true, false, "127.0.0.2", false, ""}, {true, false, "", false, ""},
        {false, false, "192.0.2.1", true, ""},
    };
    for (const auto& c : cases) {
        Settings = {c.DenyRemote, c.ServerLog, "/logs"};
        auto reply = Handle(TCode::rqConnect, std::string("stamp\r\n") + c.Address + "\r\nhost");
        EXPECT_EQ(reply.Flag, c.Flag) << c.Address;
        EXPECT_EQ(reply.Text, c.Reply) << c.Address;
    }
    EXPECT_EQ(Tray, "RRRRR");
}

TEST_F(Pop3ServerRequestsTest, LoginLocksTheAccountUntilItsSessionEnds) {
    auto first = Handle(TCode::rqPass, "PASS secret\r\nalice");
    EXPECT_TRUE(first.Flag);
    EXPECT_EQ(first.Text, LoginText());
    EXPECT_TRUE(Alice->IsLocked());
    EXPECT_FALSE(Handle(TCode::rqPass, "PASS secret\r\nalice").Flag);

    auto end = Handle(TCode::rqDisconnect, "");
    EXPECT_FALSE(end.Send);
    EXPECT_TRUE(Alice->IsLocked()); // a session that never logged in releases nothing
    Handle(TCode::rqDisconnect, "alice");
    EXPECT_FALSE(Alice->IsLocked());
    EXPECT_EQ(Tray, "II");

    std::string stamp = "1234.0000@host";
    std::string digest = TMD5Digest::Digest("<" + stamp + ">secret");
    EXPECT_TRUE(Handle(TCode::rqApop, "APOP alice " + digest + "\r\n" + stamp).Flag);
    EXPECT_TRUE(Alice->IsLocked());
}

// An account whose remote password is not the one of the file (a token, the
// secret store, a command) lets the mail client in with its local password
// only; without one nobody logs in.
TEST_F(Pop3ServerRequestsTest, AccountsSignedInElsewhereCheckTheLocalPassword) {
    const std::string stamp = "1234.0000@host";
    auto apop = [&](const std::string& password) {
        return "APOP alice " + TMD5Digest::Digest("<" + stamp + ">" + password) + "\r\n" + stamp;
    };
    struct TCase {
        TSignInMethod Method;
        TPasswordStore Store;
        std::string Local, Tried;
        bool Admitted;
    } cases[] = {
        {TSignInMethod::Password, TPasswordStore::File, "local", "secret", true},
        {TSignInMethod::Password, TPasswordStore::File, "local", "local", false},
        {TSignInMethod::XOAuth2, TPasswordStore::File, "local", "local", true},
        {TSignInMethod::XOAuth2, TPasswordStore::File, "local", "secret", false},
        {TSignInMethod::Password, TPasswordStore::Secret, "local", "local", true},
        {TSignInMethod::Password, TPasswordStore::Secret, "local", "secret", false},
        {TSignInMethod::Password, TPasswordStore::Command, "", "secret", false},
        {TSignInMethod::XOAuth2, TPasswordStore::File, "", "secret", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Tried + " " + c.Local);
        Alice->SignIn = c.Method;
        Alice->PasswordStore = c.Store;
        Alice->LocalPassword = c.Local;
        EXPECT_EQ(Handle(TCode::rqPass, "PASS " + c.Tried + "\r\nalice").Flag, c.Admitted);
        Handle(TCode::rqDisconnect, "alice");
        EXPECT_EQ(Handle(TCode::rqApop, apop(c.Tried)).Flag, c.Admitted);
        Handle(TCode::rqDisconnect, "alice");
    }
    Alice->SignIn = TSignInMethod::XOAuth2;
    Alice->LocalPassword.clear();
    EXPECT_FALSE(Handle(TCode::rqApop, apop("")).Flag);
}

TEST_F(Pop3ServerRequestsTest, QuitRemovesTheListedUidsOfTheLoginsAccount) {
    std::string path1 = Alice->Mailbox.GetMessages(0)->GetPath();
    struct TCase {
        std::string Text;
        std::vector<std::string> Removed;
    } cases[] = {
        {"QUIT", {}},
        {"QUIT\r\nnobody\r\nuid-1", {}},
        {"QUIT\r\nalice\r\nunknown", {}},
        {"QUIT\r\nalice\r\nuid-2\r\nUID-1", {"Uid-1", "uid-2"}},
    };
    for (const auto& c : cases) {
        Removed.clear();
        auto reply = Handle(TCode::rqQuit, c.Text);
        EXPECT_TRUE(reply.Flag);
        EXPECT_EQ(Removed, c.Removed) << c.Text;
    }
    EXPECT_EQ(Alice->Mailbox.GetCount(), 0);
    EXPECT_FALSE(platform::FileExists(path1));
    TMessageBox saved;
    saved.LoadFromFile(Alice->Mailbox.Path);
    EXPECT_EQ(saved.GetCount(), 0);
}

TEST_F(Pop3ServerRequestsTest, QuitReportsAnIndexThatCannotBeWritten) {
    std::string error;
    Requests.OnSaveError = [&](const std::string& reason) { error = reason; };
    Handle(TCode::rqQuit, "QUIT\r\nalice\r\nunknown");
    EXPECT_EQ(error, "");
    Alice->Mailbox.Path = Accounts.GetFolder() + "/missing/messages.idx";
    Handle(TCode::rqQuit, "QUIT\r\nalice\r\nuid-2");
    EXPECT_NE(error.find("missing/messages.idx"), std::string::npos) << error;
}
