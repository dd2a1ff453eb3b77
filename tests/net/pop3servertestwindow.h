#pragma once
// Plays the main window for local POP3 sessions in tests, the fuzz target and
// benchmarks: accounts with small inboxes in a temporary folder, and a thread
// that answers every request with the window's own request handling.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/pop3serverrequest.h"
#include "platform/listener.h"
#include "platform/messages.h"

// Accounts in a private temporary folder, removed again at destruction.
class TTestAccounts {
public:
    TTestAccounts();
    ~TTestAccounts();
    TTestAccounts(const TTestAccounts&) = delete;
    TTestAccounts& operator=(const TTestAccounts&) = delete;

    TPop3AccountItem* AddAccount(const std::string& name, const std::string& user,
                                 const std::string& password, const std::string& host);
    // Stores the message as a file of the account's inbox with an index entry;
    // Size is the file's size.
    TMBXItem* AddMessage(TPop3AccountItem& account, const std::string& uid,
                         const std::string& content);
    // The folder (with a trailing separator) for anything else a test keeps.
    const std::string& GetFolder() const { return FFolder; }

    TPop3AccountList List;

private:
    std::string FFolder;
};

// One request as the window saw it.
struct TServerRequestRecord {
    int Code = -1;
    bool Flag = false;
    std::string Text;
};

// The window thread and the listener that hands each client a session thread.
// The accounts belong to the window thread while it runs: read them only
// after Stop.
class TServerTestWindow {
public:
    explicit TServerTestWindow(TPop3AccountList& accounts);
    ~TServerTestWindow();

    // Listens on 127.0.0.1 with an ephemeral port; false when that failed.
    bool Listen();
    int GetPort() const { return FListener.GetPort(); }
    // Ends every session, waits for the session threads and stops the window
    // thread after it has answered everything that was posted.
    void Stop();
    // The requests seen so far.
    std::vector<TServerRequestRecord> Requests();
    // Waits up to 5 s until the window has seen count sessions end.
    bool WaitForEndedSessions(int count);

    // Set before Listen.
    TPop3ServerRequests::TSettings Settings;
    std::string HostName = "host.test";

private:
    void Run();
    void Answer(platform::TMessage& message);

    TPop3ServerRequests FRequests;
    platform::TQueueWindow FWindow;
    platform::TListener FListener;
    int FSessions = 0; // used on the listener's thread only
    std::atomic<bool> FStopping{false};
    std::mutex FMutex;
    std::condition_variable FEndedChanged;
    int FEnded = 0;
    std::vector<TServerRequestRecord> FRecords;
    std::thread FThread;
};
