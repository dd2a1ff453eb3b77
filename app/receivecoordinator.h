#pragma once
// The window's side of the mail check and mail erase threads: every event
// the threads post (messages 2049 and 2051) is logged, decided and answered
// here. The check side keeps the checklist of the account being checked,
// judges and stores each downloaded message and counts what the cycle got;
// the erase side only leads its thread to the message to delete.
//
// Plain C++: the window that owns the data hands it in through
// TReceiveHost, so the handling runs the same under the Qt window and in
// tests that play the window with a queue.
#include <string>
#include <string_view>
#include <vector>

#include "message/multipartmessage.h"
#include "platform/messages.h"

class TMBXItem;
class TMessageBox;
class TPop3AccountItem;
class TRegexpObj;
class TReceiveEvent;

// What the coordinator needs from the window. Every call comes from the
// window's own thread, inside the handling of one event.
class TReceiveHost {
public:
    virtual ~TReceiveHost() = default;
    virtual TPop3AccountItem* CheckingAccount() = 0;
    virtual TPop3AccountItem* ErasingAccount() = 0;
    virtual TMessageBox& DustBox() = 0;
    // The setting "limitsize" in kilobytes; 0 or less: no limit.
    virtual int LimitSize() = 0;
    // The verdict: true rejects; comment receives the reason when a rule matched.
    virtual bool FilterMessage(std::string& comment, TMultipartMessage& message) = 0;
    // One line of the communication log (CP932).
    virtual void LogAppend(const std::string& line) = 0;
    // A message was stored in box; the list shows its row when it shows that box.
    virtual void MessageStored(TMessageBox& box, TMBXItem& entry) = 0;
    // One accepted (rejected false) or rejected message of the cycle was stored.
    virtual void MessageCounted(bool rejected) = 0;
    // A message over the size limit is deleted on the server unfetched.
    virtual void OversizeCounted() = 0;
    // The check session has ended and its account is saved: on to the next.
    virtual void CheckSessionEnded() = 0;
    // The erase session has ended: the delete command may start another.
    virtual void EraseSessionEnded() = 0;
};

class TReceiveCoordinator {
public:
    static constexpr std::uint32_t CheckEvent = 2049;
    static constexpr std::uint32_t CheckAnswer = 2050;
    static constexpr std::uint32_t EraseEvent = 2051;
    static constexpr std::uint32_t EraseAnswer = 2052;

    // statusLinePattern: the window's "(\+OK|\-ERR)[s]*(.*)\r\n", compiled once.
    TReceiveCoordinator(TReceiveHost& host, TRegexpObj& statusLinePattern);

    // Handlers of messages 2049 and 2051; answers go back through window's
    // messenger to the thread named in the message's block.
    void WMCheckEvent(platform::TMessage& message, platform::TWindowHandle window);
    void WMEraseEvent(platform::TMessage& message, platform::TWindowHandle window);

    // Stores one downloaded message: its file in box's folder, named after its
    // subject, and an index entry. False, with the reason in error, when the
    // file could not be written; nothing is then added and no file is left.
    bool StoreReceived(TMessageBox& box, TMultipartMessage& message, bool deletedOnServer,
                       const std::string& comment, std::string_view rawText,
                       const std::string& accountName, std::string* error = nullptr);

    // The parser for downloaded messages (Keep set: parts keep their text).
    TMultipartMessage MultipartMessage2;

private:
    // The greeting, the login events and refused commands, alike on both sides.
    void LogGreeting(const TReceiveEvent& event, TPop3AccountItem* account);
    bool SharedEvent(TReceiveEvent& event, const TPop3AccountItem* account);
    bool LoginEvent(TReceiveEvent& event, const TPop3AccountItem* account);
    void EndEvent(const TReceiveEvent& event, const TPop3AccountItem* account);
    void CheckUidl(TReceiveEvent& event, TPop3AccountItem* account);
    void CheckList(TReceiveEvent& event, TPop3AccountItem* account);
    // A RETR that the server refused: the message stays there, the walk goes on.
    void RetrRefused(TReceiveEvent& event, TPop3AccountItem* account);
    void CheckRetr(TReceiveEvent& event, TPop3AccountItem* account);
    // Parses the message and asks the verdict; a failure of either leaves the
    // message accepted, with a comment that says it was not judged.
    bool Judge(std::string_view text, std::string& comment);
    // Writes the account's index and checklist and the trash index.
    void SaveSession(TPop3AccountItem* account);
    // Remembers the account's current UIDL, in memory and in its checklist file.
    void Remember(TPop3AccountItem& account);
    // Before QUIT: everything the session stored is made durable at once.
    void Commit(TReceiveEvent& event, TPop3AccountItem* account);
    void CheckQuit(TReceiveEvent& event, TPop3AccountItem* account);
    void LogSession(const char* word, const TPop3AccountItem* account);
    void LogPair(const TReceiveEvent& event);
    void LogError(std::string_view what, std::string_view reason);
    // Why a session ended early, with the account's name.
    void LogFailure(const TPop3AccountItem* account, std::string_view reason);

    TReceiveHost& FHost;
    TRegexpObj& FStatusLinePattern;
    // The check session's walk: the STAT count (-1 when it was not given)
    // and the highest message number whose UIDL event was answered.
    long long FMessageCount = -1;
    long long FWalked = 0;
    // The UIDL of the DELE under way, and those the server accepted: the
    // server removes them at QUIT, and the checklist forgets them then.
    std::string FDeleting;
    std::vector<std::string> FDeleted;
};
