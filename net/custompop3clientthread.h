#pragma once
// TCustomPop3ClientThread: one POP3 conversation with a remote server on a
// worker thread. It connects, reads the greeting, logs in with USER/PASS or
// APOP and then lets the subclass choose every further command. Each reply
// goes to the main window as an event; the next command is sent only after
// the window has answered that event. The session always ends with event 1.
// An account may ask for TLS: from the first byte, or by STLS after the
// greeting (the TLS steps are in custompop3clienttls.cpp).
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/regexpobj.h"
#include "net/customclientthread.h"
#include "net/pop3signin.h"
#include "platform/datetime.h"
#include "platform/tls.h"

// The next command and the state code it stands for.
struct TPop3Command {
    std::string Command;
    int State = 0;
};

// Path of a client session log: the folder, "c", the time as "yymmdd-hhnnss-",
// the host (bytes that a file name cannot hold made "_"), "-", the session's
// number and ".log".
std::string ClientLogPath(std::string_view folder, std::string_view host, TDateTime time,
                          unsigned session);

class TCustomPop3ClientThread : public TCustomClientThread {
public:
    // State codes: the command last sent, and the code of the event that
    // reports its reply.
    enum : int {
        StateGreeting = 0,
        EventEnded = 1,
        StateUser = 2,
        StatePass = 3,
        StateApop = 4,
        StateStat = 5,
        StateDele = 6,
        StateQuit = 8,
        // Not a command: before QUIT the check thread asks the window to make
        // everything the session stored durable; the answer's flag false
        // ends the session without QUIT, so the server deletes nothing.
        StateCommit = 9,
        StateRetr = 12,
        // The steps to TLS after a plain greeting; the window sees none of
        // them, only the greeting once TLS is up.
        StateCapa = 13,
        StateStls = 14,
        CodeLoggedIn = 100,
        AnswerQuit = 101,
        StateUidl = 200,
        StateList = 201,
        // The outcome of an XOAUTH2 sign-in: "AUTH XOAUTH2" and the final
        // reply (a refusal with its decoded challenge, never the token).
        StateAuth = TPop3SignIn::EventAuth,
    };

    // A server that stays connected without sending a byte of the awaited
    // reply for this long is given up, so the account cycle moves on.
    static constexpr int DefaultReplyTimeout = 120 * 1000; // ms
    // A whole reply may take the reply time-out plus its expected size at
    // this rate (bytes per second): slow links get through, while a server
    // that sends a byte now and then cannot hold the cycle for ever.
    static constexpr std::size_t DefaultMinRate = 8 * 1024;
    // Bytes of one multi-line reply when the owner sets no bound.
    static constexpr std::size_t DefaultMaxBlock = std::size_t{1} << 30;

    TCustomPop3ClientThread(bool createSuspended, std::string host, int port,
                            platform::TWindowHandle window, std::uint32_t windowMessage,
                            std::uint32_t threadMessage, std::string user, std::string pass,
                            bool useAPOP, std::string logFolder);

    // Bounds of the session; set them while the thread is suspended.
    void SetReplyTimeout(int ms) { FReplyTimeout = std::chrono::milliseconds(ms); }
    void SetMaxBlock(std::size_t bytes) { FMaxBlock = bytes; }
    void SetMinRate(std::size_t bytesPerSecond) {
        FMinRate = std::max<std::size_t>(1, bytesPerSecond);
    }
    // How the session reaches TLS and how the server's certificate is
    // checked; without, the session is plain text.
    void SetTls(platform::TTlsMode mode, platform::TTlsOptions options) {
        FTlsMode = mode;
        FTlsOptions = std::move(options);
    }
    // How the session signs in; without it, with the password given.
    void SetSignIn(TSignInPlan plan) { FSignInPlan = std::move(plan); }

protected:
    // The command that follows the answered event with this code (100: the
    // login succeeded). The answer's text is FMessenger.GetText().
    virtual TPop3Command NextCommand(int code);
    // The size the reply to the next command is expected to have (a RETR's
    // LIST size), for the bound of its whole time.
    void ExpectReply(std::size_t bytes) { FExpectedBytes = bytes; }

    bool ClientConnect() override;
    void ClientDisconnect(bool accepted) override;
    void ClientDispatch(platform::TMessage& message) override;
    void ClientIdle() override;
    void ClientDialogue(const std::string& command) override;
    std::unique_ptr<TSocketHelper> CreateHelper(platform::TSocket& socket) override;
    void Execute() override;

    int FState = StateGreeting;
    std::string FUser;
    std::string FPass;
    bool FUseAPOP;
    std::string FTimeStamp;
    int FMessageCount = 0;
    // Whether QUIT waits for the window's answer to a commit event (9).
    bool FCommitBeforeQuit = false;
    TRegexpObj FReplyPattern;
    TRegexpObj FStampPattern;
    std::string FLogFolder;

private:
    void Dialogue();
    void Dispatch(int code, bool proceed);
    void Send(const TPop3Command& next);
    void StartSignIn();
    void Take(const TSignInStep& step);
    void PostEvent(int code, bool flag, std::string_view first, std::string_view reply);
    void PostEnd(bool accepted);
    void OpenSessionLog();
    void AwaitReply();
    // Logs "*Error! " with the reason and closes the connection; the session
    // then ends the normal way.
    void Fail(std::string_view reason);
    void CloseSession();
    // Text from the server made fit for a reason: one line, control bytes
    // shown as "?", cut to a sane length.
    static std::string Shown(std::string_view text);
    // The TLS handshake on the connection; false, the session failed, when
    // it fails or the certificate is refused.
    bool Handshake();
    // Takes the replies of the steps to TLS after a plain greeting (CAPA,
    // STLS); false for every other reply.
    bool TlsDialogue(bool ok, const std::string& reply);

    std::chrono::milliseconds FReplyTimeout{DefaultReplyTimeout};
    std::size_t FMaxBlock = DefaultMaxBlock;
    std::size_t FMinRate = DefaultMinRate;
    std::size_t FExpectedBytes = 0;
    TSignInPlan FSignInPlan;
    std::optional<TPop3SignIn> FSignIn;
    std::chrono::steady_clock::time_point FReplyStart;
    std::chrono::steady_clock::time_point FReplyDeadline;
    // Why the session ended early; the end event carries it to the window.
    std::string FFailure;
    bool FAccepted = false;
    bool FEndPosted = false;
    bool FAwaitingReply = false;
    bool FCommitted = false;
    std::uint64_t FBytesSeen = 0;
    std::uint64_t FBytesAtStart = 0;
    std::chrono::steady_clock::time_point FLastProgress;
    platform::TTlsMode FTlsMode = platform::TTlsMode::None;
    platform::TTlsOptions FTlsOptions;
    // The plain greeting, given to the window once STLS has brought TLS up.
    std::string FGreeting;
};
