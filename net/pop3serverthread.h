#pragma once
// TPop3ServerThread: one session of the local POP3 server. It speaks POP3
// with the mail client and asks the main window (requests 2053, replies 2054)
// everything that needs the program's data: whether the peer may connect,
// the login, the account's index lines, the deletions at QUIT. After login it
// answers from a private snapshot of the account's mailbox and reads the
// message files itself.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/customserverthread.h"
#include "store/messagebox.h"

class TPop3ServerThread : public TCustomServerThread {
public:
    static constexpr std::uint32_t WM_SERVERREQUEST = 2053;
    static constexpr std::uint32_t WM_SERVERREPLY = 2054;

    // Request codes: the first parameter of a request and of its reply.
    enum TRequestCode : int {
        rqConnect = 0,
        rqDisconnect = 1,
        rqUser = 2,
        rqPass = 3,
        rqApop = 4,
        rqStat = 5,
        rqDele = 6,
        rqNoop = 7,
        rqQuit = 8,
        rqList = 10,
        rqUidl = 11,
        rqRetr = 12,
        rqRset = 13,
        rqTop = 14,
        rqOther = 999,
    };

    // sessionCount is the number of sessions the listener served before this
    // one: it goes into the time stamp and the log name, which it keeps
    // apart for sessions that start within the same second.
    TPop3ServerThread(bool createSuspended, std::string hostName,
                      std::unique_ptr<platform::TSocket> clientSocket,
                      platform::TWindowHandle window, int sessionCount = 0);

    // A request to the window: code, flag and text.
    struct TRequest {
        int Code = rqOther;
        bool Flag = true;
        std::string Text;
    };
    // What the session does with a reply: the answer line(s) for the client
    // (sent with a final CR LF), whether the connection closes afterwards,
    // and a line for the session log.
    struct TAnswer {
        enum TMultiLine { MultiLineAnswer };
        TAnswer(std::string text, bool close = false, std::string logLine = {})
            : Text(std::move(text)), Close(close), LogLine(std::move(logLine)) {}
        // A multi-line answer: Text is its content, sent as MultiLine makes it.
        TAnswer(std::string content, TMultiLine)
            : Text(std::move(content)), Close(false), Multi(true) {}
        std::string Text;
        bool Close;
        std::string LogLine;
        bool Multi = false;
    };

protected:
    bool ClientConnect() override;
    void ClientDialogue(const std::string& command) override;
    void ClientDispatch(platform::TMessage& message) override;
    void ClientDisconnect(bool accepted) override;
    std::unique_ptr<TSocketHelper> CreateHelper(platform::TSocket& socket) override;

    // The session's protocol, without the socket and the queue: the time
    // stamp of a new session (which counts it), the request for a received
    // command (FLine and FArguments hold the line), and the answer to a reply.
    std::string NewTimeStamp(std::uint64_t fileTime);
    TRequest MakeRequest(const std::string& command) const;
    TAnswer MakeAnswer(int code, bool flag, const std::string& text);
    void ResetSession();

    int FRequest = rqConnect;
    bool FAuthorized = false;
    std::string FHostName;
    int FSessionCount = 0;
    std::string FTimeStamp;
    std::string FUser;
    std::string FLoginName;
    TMessageBox FMailbox;

private:
    void OpenSessionLog(const std::string& folder);
    TRequest TransactionRequest(const std::string& command) const;
    std::string QuitText() const;
    TAnswer LoginAnswer(const std::string& text);
    TAnswer ListAnswer(const std::string& text, bool uidl) const;
    TAnswer RetrAnswer(const std::string& text) const;
    TAnswer TopAnswer(const std::string& text) const;
    TAnswer DeleAnswer(const std::string& text);
    // The snapshot entry of a message number, when it exists and is not marked.
    TMBXItem* Message(int number) const;
    std::string StatText() const;
    void SendPiece(std::string_view piece);
};

// The server's pieces that need no session, for the tests.
namespace pop3server {

constexpr int MaxNumber = 999999999;
// A decimal message number or line count: digits only, else 0; numbers past
// MaxNumber count as MaxNumber.
int ParseNumber(std::string_view text);
// The unique id a client sees for a stored UID: the UID itself when RFC 1939
// allows it (1 to 70 characters from 0x21 to 0x7E), else the MD5 of it in
// hexadecimal, the same for the same message every time, since a UID
// holds the account's name, which may have blanks or Japanese.
std::string UidlOf(std::string_view uid);
// The head of a message (up to and including its empty line, or
// the whole message when it has none) followed by the first lines of the body
// (none when lines < 1).
std::string TopOfMessage(std::string_view content, int lines);
// The text of a multi-line answer: "+OK", CR LF, the content with the dot
// doubled at the start of every line (after each CR LF and at the very
// start) and its last line ended by CR LF, and "." (the final CR LF is the
// sender's). A client gets back exactly a content that ends with CR LF.
std::string MultiLine(std::string_view content);
// Bytes of a multi-line answer sent at a time: the client reads the first
// while the rest is being made.
constexpr std::size_t PieceSize = 4 * 1024 * 1024;
// The same answer with its final CR LF, handed to send in pieces of about
// PieceSize bytes (never split inside a line start that gets its dot).
void SendMultiLine(std::string_view content, const std::function<void(std::string_view)>& send);
// The lines of a request or reply text, split at CR LF only (an empty text
// has none), and back.
std::vector<std::string> SplitLines(std::string_view text);
std::string JoinLines(const std::vector<std::string>& lines);

} // namespace pop3server
