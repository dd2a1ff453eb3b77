#include "pop3servertestwindow.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "foundation/csvline.h"
#include "net/interthreadmessenger.h"
#include "net/pop3serverthread.h"
#include "platform/file.h"
#include "platform/thread.h"

TTestAccounts::TTestAccounts() {
    char tmpl[] = "/tmp/mb-pop3srv-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("no temporary folder");
    FFolder = std::string(tmpl) + '/';
    List.BaseFolder = FFolder;
    List.ListFile = FFolder + "accounts.dat";
}

TTestAccounts::~TTestAccounts() {
    std::error_code ignored;
    std::filesystem::remove_all(FFolder, ignored);
}

TPop3AccountItem* TTestAccounts::AddAccount(const std::string& name, const std::string& user,
                                            const std::string& password, const std::string& host) {
    TPop3AccountItem* account = List.Add(name, user, password, host, 110, false, false);
    platform::ForceDirectories(account->GetFolder());
    return account;
}

TMBXItem* TTestAccounts::AddMessage(TPop3AccountItem& account, const std::string& uid,
                                    const std::string& content) {
    std::string fileName = uid + ".eml";
    std::string path = platform::ExtractFilePath(account.Mailbox.Path) + fileName;
    if (!platform::WriteFile(path, content)) throw std::runtime_error("cannot write " + path);
    std::string date = "2024/05/01 10:00:00";
    std::string line =
        CSVLineWrite({uid, fileName, std::to_string(content.size()), "0", "text/plain",
                      "subject " + uid, "from@example.com", date, date, date, "", ""});
    return account.Mailbox.Add(std::make_unique<TMBXItem>(&account.Mailbox, line));
}

TServerTestWindow::TServerTestWindow(TPop3AccountList& accounts)
    : FRequests(accounts), FListener([this](std::unique_ptr<platform::TSocket> client) {
          new TPop3ServerThread(false, HostName, std::move(client), &FWindow, FSessions++);
      }) {}

TServerTestWindow::~TServerTestWindow() {
    Stop();
}

bool TServerTestWindow::Listen() {
    if (!FThread.joinable()) FThread = std::thread([this] { Run(); });
    return FListener.Open("127.0.0.1", 0);
}

void TServerTestWindow::Stop() {
    FListener.Close();
    platform::StopWorkerThreads();
    FStopping = true;
    if (FThread.joinable()) FThread.join();
}

std::vector<TServerRequestRecord> TServerTestWindow::Requests() {
    std::lock_guard lock(FMutex);
    return FRecords;
}

void TServerTestWindow::Run() {
    for (;;) {
        auto message = FWindow.Wait(std::chrono::milliseconds(20));
        if (message)
            Answer(*message);
        else if (FStopping)
            return;
    }
}

void TServerTestWindow::Answer(platform::TMessage& message) {
    TInterThreadMessenger messenger(TPop3ServerThread::WM_SERVERREQUEST,
                                    TPop3ServerThread::WM_SERVERREPLY, message, &FWindow, true);
    int code = static_cast<int>(message.WParam);
    {
        std::lock_guard lock(FMutex);
        FRecords.push_back({code, messenger.GetFlag(), messenger.GetText()});
    }
    auto reply = FRequests.Handle(code, messenger.GetFlag(), messenger.GetText(), Settings);
    if (reply.Send) messenger.SendText(code, reply.Flag, reply.Text);
    if (code == TPop3ServerThread::rqDisconnect) {
        std::lock_guard lock(FMutex);
        ++FEnded;
        FEndedChanged.notify_all();
    }
}

bool TServerTestWindow::WaitForEndedSessions(int count) {
    std::unique_lock lock(FMutex);
    return FEndedChanged.wait_for(lock, std::chrono::seconds(5), [&] { return FEnded >= count; });
}
