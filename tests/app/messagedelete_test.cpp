// The list's delete and clear commands: trash rows deleted with their files,
// inbox rows moved to the trash, a locked account left alone, and a message
// kept on its server deleted there by its UIDL.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTreeView>
#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "app/messagelistmodel.h"
#include "formfixture.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"

namespace {

// A POP3 server for one session on a loopback port: two messages with the
// UIDLs "uid-one" and "uid-two"; every command it receives is kept.
class TScriptedPop3 {
public:
    TScriptedPop3() {
        FListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(FListen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(FListen, 1);
        socklen_t len = sizeof addr;
        getsockname(FListen, reinterpret_cast<sockaddr*>(&addr), &len);
        FPort = ntohs(addr.sin_port);
        FThread = std::thread([this] {
            Serve();
            FDone = true;
        });
    }
    ~TScriptedPop3() {
        if (FThread.joinable()) FThread.join();
        close(FListen);
    }
    int Port() const { return FPort; }
    // Runs the window's events (the thread's requests are answered there)
    // until the session has ended, then gives what the client sent.
    const std::vector<std::string>& Commands() {
        QElapsedTimer clock;
        clock.start();
        while (!FDone && clock.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (FThread.joinable()) FThread.join();
        return FCommands;
    }

private:
    void Serve() {
        pollfd p{FListen, POLLIN, 0};
        if (poll(&p, 1, 20000) != 1) return;
        int fd = accept(FListen, nullptr, nullptr);
        Send(fd, "+OK ready\r\n");
        std::string buffer;
        char chunk[512];
        while (true) {
            pollfd q{fd, POLLIN, 0};
            if (poll(&q, 1, 20000) != 1) break;
            ssize_t n = read(fd, chunk, sizeof chunk);
            if (n <= 0) break;
            buffer.append(chunk, static_cast<std::size_t>(n));
            for (std::size_t end; (end = buffer.find("\r\n")) != std::string::npos;) {
                std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 2);
                FCommands.push_back(line);
                Send(fd, Reply(line));
                if (line == "QUIT") {
                    close(fd);
                    return;
                }
            }
        }
        close(fd);
    }
    static std::string Reply(const std::string& line) {
        if (line == "STAT") return "+OK 2 300\r\n";
        if (line == "UIDL 1") return "+OK 1 uid-one\r\n";
        if (line == "UIDL 2") return "+OK 2 uid-two\r\n";
        return "+OK\r\n";
    }
    static void Send(int fd, const std::string& text) {
        (void)!write(fd, text.data(), text.size());
    }

    int FListen = -1;
    int FPort = 0;
    std::thread FThread;
    std::atomic<bool> FDone{false};
    std::vector<std::string> FCommands;
};

} // namespace

class MessageDeleteTest : public FormTest {
protected:
    // Account "work" with two inbox messages, the second still on its server;
    // one message in the trash.
    void Prepare(int serverPort) {
        const std::string folder = Folder();
        TPop3AccountList list;
        SetupAccountList(list, folder);
        ASSERT_TRUE(platform::ForceDirectories(list.BaseFolder));
        TPop3AccountItem* account =
            list.Add("work", "u", "p", "127.0.0.1", serverPort, false, true);
        inbox = account->GetFolder();
        ASSERT_TRUE(platform::ForceDirectories(inbox));
        account->Mailbox.LoadFromStrings(
            {"u-a,a.eml,1,2,text/plain,first,,2024/05/01,2024/05/01,2024/05/01,,",
             "u-b,b.eml,1,2,text/plain,second,,2024/05/02,2024/05/02,2024/05/02,uid-two,"});
        ASSERT_TRUE(platform::WriteFile(platform::IncludeTrailingSeparator(inbox) + "a.eml", "a"));
        ASSERT_TRUE(platform::WriteFile(platform::IncludeTrailingSeparator(inbox) + "b.eml", "b"));
        ASSERT_TRUE(list.Save());
        TMessageBox trash;
        SetupDustBox(trash, folder);
        trashFolder = DustboxFolder(folder);
        ASSERT_TRUE(platform::ForceDirectories(trashFolder));
        trash.LoadFromStrings({"t-1,s.eml,1,2,text/plain,spam,,2024/05/04,2024/05/04,,,"});
        ASSERT_TRUE(
            platform::WriteFile(platform::IncludeTrailingSeparator(trashFolder) + "s.eml", "s"));
        ASSERT_TRUE(trash.Save());
    }
    static int Rows(const TMarrowbyForm& form) { return form.LVMessages->model()->rowCount(); }
    static std::unique_ptr<TMessageBox> Reload(const std::string& folder) {
        auto box = std::make_unique<TMessageBox>();
        box->LoadFromFile(platform::IncludeTrailingSeparator(folder) + "messages.idx");
        return box;
    }

    std::string inbox, trashFolder;
};

TEST_F(MessageDeleteTest, TrashRowGoesWithItsFileAndClearEmptiesTheTrash) {
    Prepare(1);
    auto form = ShownForm();
    form->ButtonDustFolderClick();
    ASSERT_EQ(Rows(*form), 1);
    SelectUid(*form, "t-1");
    form->ButtonDeleteClick();
    EXPECT_EQ(Rows(*form), 0);
    EXPECT_FALSE(platform::FileExists(platform::IncludeTrailingSeparator(trashFolder) + "s.eml"));
    EXPECT_EQ(Reload(trashFolder)->GetCount(), 0); // written at once
}

TEST_F(MessageDeleteTest, InboxRowMovesToTheTrashAndTheNextRowIsSelected) {
    Prepare(1);
    auto form = ShownForm();
    ASSERT_EQ(Rows(*form), 2);
    SelectUid(*form, "u-a");
    const int row = form->LVMessages->currentIndex().row();
    form->ButtonDeleteClick();
    EXPECT_EQ(Rows(*form), 1);
    EXPECT_EQ(form->LVMessages->currentIndex().row(), std::min(row, 0));
    EXPECT_FALSE(platform::FileExists(platform::IncludeTrailingSeparator(inbox) + "a.eml"));
    auto trash = Reload(trashFolder);
    ASSERT_EQ(trash->GetCount(), 2);
    EXPECT_EQ(trash->GetMessages(1)->UID, "u-a");
    EXPECT_TRUE(platform::FileExists(trash->GetMessages(1)->GetPath()));
    EXPECT_EQ(Reload(inbox)->GetCount(), 1);

    form->ButtonDustFolderClick();
    form->ButtonClearClick();
    EXPECT_EQ(Rows(*form), 0);
    EXPECT_EQ(Reload(trashFolder)->GetCount(), 0);
    EXPECT_TRUE(platform::FindFiles(trashFolder, ".eml").empty());
}

TEST_F(MessageDeleteTest, LockedAccountKeepsItsMessage) {
    Prepare(1);
    auto form = ShownForm();
    ASSERT_TRUE(form->Pop3AccountList1->GetAccounts(0)->Lock());
    SelectUid(*form, "u-a");
    form->ButtonDeleteClick();
    EXPECT_EQ(Rows(*form), 2);
    EXPECT_TRUE(platform::FileExists(platform::IncludeTrailingSeparator(inbox) + "a.eml"));
}

TEST_F(MessageDeleteTest, KeptMessageIsDeletedOnItsServerByUidl) {
    TScriptedPop3 server;
    Prepare(server.Port());
    auto form = ShownForm();
    SelectUid(*form, "u-b");
    form->ButtonDeleteClick();
    EXPECT_EQ(Rows(*form), 1);
    const auto& commands = server.Commands(); // waits for the session's end
    EXPECT_NE(std::find(commands.begin(), commands.end(), "DELE 2"), commands.end());
    EXPECT_EQ(std::find(commands.begin(), commands.end(), "DELE 1"), commands.end());
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), "QUIT");
    // The trash index no longer names a server copy.
    EXPECT_TRUE(Reload(trashFolder)->GetMessages(1)->ServerUID.empty());
}
