// The account dialog opened from the main window: the window saves its list
// before and reloads it after, an account added there is served and checked
// without a restart, and the dialog never opens under a local session that
// holds an account (nor may a session log in while it is open).
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <filesystem>

#include "foundation/datafile.h"
#include "platform/file.h"
#include "platform/listener.h"
#include "platform/socket.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tests/app/formfixture.h"
#include "ui/marrowaccountform.h"

namespace {

// A mail client talking to the local server line by line, while the
// window goes on answering its requests.
class TClient {
public:
    explicit TClient(int port) { FSocket.Connect("127.0.0.1", port, 2000); }
    std::string Line() {
        std::string line;
        char c = 0;
        ProcessUntil([&] {
            while (FSocket.GetConnected()) {
                std::optional<std::size_t> got = FSocket.TryRead(&c, 1);
                if (!got) return false;
                if (*got == 0) return true;
                line += c;
                if (line.ends_with("\r\n")) return true;
            }
            return true;
        });
        return line;
    }
    std::string Say(const std::string& command) {
        FSocket.Write(command.data(), command.size());
        FSocket.Write("\r\n", 2);
        return Line();
    }

private:
    platform::TSocket FSocket;
};

class AccountDialogTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        TPop3AccountList list;
        SetupAccountList(list, Folder());
        AddInbox(list, "alice", "alice.u", "secret", "pop.example.com");
        ASSERT_TRUE(list.Save());
    }
    void TearDown() override {
        Dialog.reset(); // a child of the window
        Form.reset();
    }
    void Show(bool headless = true) {
        Form = ShownForm(headless);
        Dialog = std::make_unique<TMarrowAccountForm>(Folder(), Form.get());
        Form->SetDialogs(nullptr, Dialog.get());
    }
    // Clicks the window's account button; while the dialog is up, inside runs
    // and then the dialog is closed. True when the dialog was shown.
    bool AccountClick(const std::function<void()>& inside = {}) {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            if (!Dialog->isVisible()) return;
            shown = true;
            if (inside) inside();
            if (Dialog->isVisible()) Dialog->ButtonClose->click();
        });
        Form->ButtonAccountClick();
        QCoreApplication::processEvents(); // the timer runs when no dialog opened
        return shown;
    }
    void Type(QLineEdit* edit, const char* text) {
        edit->setText(QString::fromUtf8(text));
        edit->setModified(true);
    }
    void AddInDialog(const char* name, const char* host, int port) {
        Type(Dialog->EditAccount, name);
        Type(Dialog->EditHost, host);
        Type(Dialog->EditUserID, "u");
        Type(Dialog->EditPassword, "pw");
        Type(Dialog->EditPort, std::to_string(port).c_str());
        Dialog->AppIdle();
        Dialog->ButtonAddAccount->click();
    }
    std::vector<std::string> ListLines() const {
        return ReadDataFile(MsgboxFolder(Folder()) + "/accounts.dat");
    }

    std::unique_ptr<TMarrowbyForm> Form;
    std::unique_ptr<TMarrowAccountForm> Dialog;
};

} // namespace

TEST_F(AccountDialogTest, AnAccountAddedIsServedAndCheckedWithoutARestart) {
    std::atomic<int> contacted = 0;
    platform::TListener remote([&](std::unique_ptr<platform::TSocket>) { ++contacted; });
    ASSERT_TRUE(remote.Open("127.0.0.1", 0));
    Show();
    TMarrowbyFormAccess access{*Form};
    // Mail kept in memory reaches the file before the dialog reads it.
    Form->Pop3AccountList1->GetAccounts(0)->Checklist.Add("seen-1");
    access.ListMode() = 2;

    EXPECT_TRUE(AccountClick([&] {
        EXPECT_TRUE(access.DialogOpen());
        EXPECT_EQ(Dialog->LVAccounts->topLevelItemCount(), 1);
        AddInDialog("carol", "127.0.0.1", remote.GetPort());
    }));
    EXPECT_FALSE(access.DialogOpen());
    EXPECT_EQ(access.ListMode(), 1);
    ASSERT_EQ(Form->Pop3AccountList1->GetCount(), 2);
    EXPECT_EQ(Form->Pop3AccountList1->GetAccounts(1)->Name, "carol");
    EXPECT_EQ(Form->Pop3AccountList1->GetAccounts(0)->Checklist.GetText(), "seen-1\r\n");
    EXPECT_EQ(access.CheckIndex(), 2);

    TClient client(Form->ServerSocket1->GetPort());
    EXPECT_EQ(client.Line().substr(0, 3), "+OK");
    EXPECT_EQ(client.Say("USER carol"), "+OK\r\n");
    EXPECT_EQ(client.Say("PASS pw"), "+OK\r\n");
    EXPECT_EQ(client.Say("STAT"), "+OK 0 0\r\n");
    EXPECT_EQ(client.Say("QUIT").substr(0, 3), "+OK");

    Form->ButtonExecClick();
    EXPECT_TRUE(ProcessUntil([&] { return !access.Checking(); }));
    EXPECT_EQ(contacted, 1);
}

TEST_F(AccountDialogTest, TheDialogWaitsWhileAMailClientHoldsAnAccount) {
    Show(false);
    TMarrowbyFormAccess access{*Form};
    TClient client(Form->ServerSocket1->GetPort());
    client.Line();
    client.Say("USER alice");
    ASSERT_EQ(client.Say("PASS secret"), "+OK\r\n");
    ASSERT_TRUE(Form->Pop3AccountList1->GetAccounts(0)->IsLocked());

    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    EXPECT_FALSE(AccountClick());
    EXPECT_TRUE(answer.Seen);
    EXPECT_EQ(answer.Text,
              QString::fromUtf8("ﾒｰﾙｿﾌﾄが「alice」の受信箱を読んでいるため、ｱｶｳﾝﾄ登録を開けません\n"
                                "受信が終わってから、もう一度お試しください"));
    EXPECT_FALSE(access.DialogOpen());

    // Once the session has ended, the dialog opens; during a cycle it does not.
    client.Say("QUIT");
    ASSERT_TRUE(ProcessUntil([&] { return !Form->Pop3AccountList1->GetAccounts(0)->IsLocked(); }));
    EXPECT_TRUE(AccountClick());
    access.CheckIndex() = 0;
    EXPECT_FALSE(AccountClick());
}

TEST_F(AccountDialogTest, NoLoginWhileTheDialogIsOpen) {
    Show();
    std::string refused;
    EXPECT_TRUE(AccountClick([&] {
        // The dialog renames the account the client asks for.
        Dialog->LVAccounts->setCurrentItem(Dialog->LVAccounts->topLevelItem(0));
        Type(Dialog->EditAccount, "alicia");
        Dialog->AppIdle();
        Dialog->ButtonUpdAccount->click();
        TClient client(Form->ServerSocket1->GetPort());
        client.Line();
        client.Say("USER alice");
        refused = client.Say("PASS secret");
    }));
    EXPECT_EQ(refused.substr(0, 4), "-ERR");
    EXPECT_NE(Form->MemoLog->toPlainText().indexOf(
                  QString::fromUtf8("ｱｶｳﾝﾄ登録の間はﾒｰﾙｿﾌﾄのﾛｸﾞｲﾝを断ります")),
              -1);
    for (int i = 0; i < Form->Pop3AccountList1->GetCount(); ++i)
        EXPECT_FALSE(Form->Pop3AccountList1->GetAccounts(i)->IsLocked());

    TClient client(Form->ServerSocket1->GetPort());
    client.Line();
    client.Say("USER alicia");
    EXPECT_EQ(client.Say("PASS secret"), "+OK\r\n");
    EXPECT_TRUE(Form->Pop3AccountList1->GetAccounts(0)->IsLocked());
}

TEST_F(AccountDialogTest, EndingTheProgramDuringTheDialogKeepsItsChanges) {
    Show();
    EXPECT_TRUE(AccountClick([&] {
        AddInDialog("carol", "pop.example.org", 110);
        Form->CloseWithoutQuestion(); // SIGTERM
        EXPECT_FALSE(Dialog->isVisible());
    }));
    EXPECT_EQ(ListLines(),
              (std::vector<std::string>{"alice,alice.u,secret,pop.example.com,110,0,0,0",
                                        "carol,u,pw,pop.example.org,110,0,0,0"}));
}

TEST_F(AccountDialogTest, NotOpenedWhenTheWindowCannotSaveItsList) {
    Show();
    // A folder in the way of the account file: the window's save fails, and
    // a reload after the dialog would drop what it could not write.
    const std::string listFile = MsgboxFolder(Folder()) + "/accounts.dat";
    std::filesystem::remove(platform::NativePath(listFile));
    ASSERT_TRUE(platform::ForceDirectories(listFile + "/in-the-way"));
    EXPECT_FALSE(AccountClick());
    EXPECT_EQ(Form->Pop3AccountList1->GetCount(), 1);
    EXPECT_FALSE(TMarrowbyFormAccess{*Form}.DialogOpen());
}
