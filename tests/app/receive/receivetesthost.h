#pragma once
// The window's part for the receive coordinator in tests: a temporary
// program folder with one account and the trash, a verdict made of three
// simple rules, and a record of the log, the counters and the calls.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/receivecoordinator.h"
#include "foundation/regexpobj.h"
#include "platform/messages.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"

struct TAnswer {
    int Code = -1;
    bool Flag = false;
    std::string Text;
};

class TReceiveTestHost : public TReceiveHost {
public:
    // Makes the folders under a new temporary folder; the account "home"
    // has its folder, the trash its own.
    TReceiveTestHost();
    ~TReceiveTestHost() override;

    TPop3AccountItem* CheckingAccount() override { return Account; }
    TPop3AccountItem* ErasingAccount() override { return Account; }
    TMessageBox& DustBox() override { return Trash; }
    int LimitSize() override { return Limit; }
    // Subject "spam..." is rejected, From "friend..." accepted with a
    // white-list comment, Subject "boom" makes the verdict throw.
    bool FilterMessage(std::string& comment, TMultipartMessage& message) override;
    void LogAppend(const std::string& line) override { Log.push_back(line); }
    void MessageStored(TMessageBox& box, TMBXItem&) override { StoredIn.push_back(&box); }
    void MessageCounted(bool rejected) override { ++(rejected ? Deleted : Received); }
    void OversizeCounted() override { ++Oversize; }
    void CheckSessionEnded() override { ++CheckEnds; }
    void EraseSessionEnded() override { ++EraseEnds; }

    std::string Folder;
    TPop3AccountList Accounts;
    TPop3AccountItem* Account = nullptr;
    TMessageBox Trash;
    int Limit = 2048;
    std::vector<std::string> Log;
    std::vector<TMessageBox*> StoredIn;
    int Received = 0;
    int Deleted = 0;
    int Oversize = 0;
    int CheckEnds = 0;
    int EraseEnds = 0;
};

// Posts one event to the coordinator as a thread of this test would (the
// answer comes back to the calling thread's queue) and returns the answer,
// or nothing when none was sent.
std::optional<TAnswer> CheckEvent(TReceiveCoordinator& coordinator, int code, bool flag,
                                  const std::string& text);
std::optional<TAnswer> EraseEvent(TReceiveCoordinator& coordinator, int code, bool flag,
                                  const std::string& text);

// Plays the window: hands every check and erase event that reaches window
// to the coordinator until ends (a counter of the host) grows, a session's
// end. False when that takes longer than bound.
bool ServeSession(TReceiveCoordinator& coordinator, platform::TQueueWindow& window, const int& ends,
                  std::chrono::milliseconds bound);

// The text of a RETR event for a message given with CR LF lines: the
// command, the status line, the dot-stuffed message and the terminator.
std::string RetrEventText(int number, const std::string& message);
