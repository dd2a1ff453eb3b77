#include "net/custompop3clientthread.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <exception>

#include "net/pop3sockethelper.h"
#include "platform/file.h"

namespace {

constexpr std::string_view CRLF = "\r\n";
// Longest piece of server text quoted in a reason.
constexpr std::size_t MaxShown = 200;

// Numbers the client sessions of the process, so that two sessions of the
// same second never share a log file.
std::atomic<unsigned> SessionNumber{0};

// A message count: decimal digits only, within 32 bits; anything else is 0.
int ReadCount(const TStringList& words) {
    if (words.GetCount() == 0) return 0;
    const std::string& word = words[0];
    int value = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    bool digitsOnly = !word.empty() && word[0] != '-' && end == word.data() + word.size();
    return error == std::errc() && digitsOnly ? value : 0;
}

} // namespace

std::string ClientLogPath(std::string_view folder, std::string_view host, TDateTime time,
                          unsigned session) {
    TDateTimeFields f = DecodeDateTime(time);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d-%02d%02d%02d-", f.Year % 100, f.Month, f.Day,
                  f.Hour, f.Minute, f.Second);
    // The host is the account's text: it must not lead out of the folder.
    std::string name(host);
    for (char& c : name)
        if (c == '/' || static_cast<unsigned char>(c) < 0x20) c = '_';
    std::string path = platform::IncludeTrailingSeparator(folder);
    path += 'c';
    path += stamp;
    if (name.empty() || name.starts_with('.')) path += '_';
    path += name;
    path += '-';
    path += std::to_string(session);
    path += ".log";
    return path;
}

TCustomPop3ClientThread::TCustomPop3ClientThread(bool createSuspended, std::string host, int port,
                                                 platform::TWindowHandle window,
                                                 std::uint32_t windowMessage,
                                                 std::uint32_t threadMessage, std::string user,
                                                 std::string pass, bool useAPOP,
                                                 std::string logFolder)
    : TCustomClientThread(true, std::move(host), port, window, windowMessage, threadMessage),
      FUser(std::move(user)), FPass(std::move(pass)), FUseAPOP(useAPOP),
      FReplyPattern("^(\\+OK|\\-ERR)[s]*(.*)$", TRegexpObj::Multiline), FStampPattern("<[^>]+>", 0),
      FLogFolder(std::move(logFolder)) {
    FReplyPattern.Study();
    FStampPattern.Study();
    FSplitBlocks = false; // a multi-line reply is read whole from the helper
    if (!createSuspended) Resume();
}

TPop3Command TCustomPop3ClientThread::NextCommand(int /*code*/) {
    return {"QUIT", StateQuit};
}

std::unique_ptr<TSocketHelper> TCustomPop3ClientThread::CreateHelper(platform::TSocket& socket) {
    auto helper = std::make_unique<TPop3SocketHelper>(&socket, netlimits::SessionWaitTime);
    helper->SetMaxBlock(FMaxBlock);
    return helper;
}

void TCustomPop3ClientThread::Execute() {
    TCustomClientThread::Execute();
    PostEnd(FAccepted); // when an error cut the session short
}

bool TCustomPop3ClientThread::ClientConnect() {
    FState = StateGreeting;
    FAccepted = true;
    if (!FLogFolder.empty()) OpenSessionLog();
    if (FTlsMode == platform::TTlsMode::Implicit && !Handshake()) return false;
    AwaitReply();
    return true;
}

// The log holds the password in clear: only its owner may read it. A name
// that is taken (another process, a clock set back) gets the next number.
void TCustomPop3ClientThread::OpenSessionLog() {
    const TDateTime now = Now();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = ClientLogPath(FLogFolder, FHost, now, ++SessionNumber);
        if (platform::WriteNewFile(path, {}, 0600)) {
            FHelper->Login(path);
            return;
        }
        if (errno != EEXIST) return;
    }
}

void TCustomPop3ClientThread::ClientDisconnect(bool accepted) {
    FAwaitingReply = false;
    FHelper->Logout();
    PostEnd(accepted);
}

// The end event: the host, and on a second line why the session ended early.
void TCustomPop3ClientThread::PostEnd(bool accepted) {
    if (FEndPosted) return;
    FEndPosted = true;
    std::string reason = FFailure;
    if (reason.empty() && FHelper) reason = FHelper->GetError();
    if (reason.empty()) reason = FConnectError;
    FMessenger.SendText(EventEnded, accepted, reason.empty() ? FHost : FHost + "\r\n" + reason);
}

std::string TCustomPop3ClientThread::Shown(std::string_view text) {
    text = text.substr(0, text.find_first_of("\r\n"));
    std::string out;
    for (char c : text.substr(0, MaxShown))
        out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
    return out;
}

// The event text is the command (or the host), CR LF and the reply, put
// together once, in the posted block itself: a reply may be megabytes.
void TCustomPop3ClientThread::PostEvent(int code, bool flag, std::string_view first,
                                        std::string_view reply) {
    const bool posted = reply.empty() ? FMessenger.SendText(code, flag, first)
                                      : FMessenger.SendParts(code, flag, {first, CRLF, reply});
    if (!posted) Fail("The event could not be posted");
}

void TCustomPop3ClientThread::ClientDialogue(const std::string& /*command*/) {
    try {
        Dialogue();
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}

// Exactly one reply per command: a line that arrives while none is awaited
// (a second greeting line, a reply sent twice) would answer the next command
// in its place, so it ends the session instead.
void TCustomPop3ClientThread::Dialogue() {
    std::string streamText;
    const std::string* reply = &FLine;
    if (FHelper->GetMode() == TSocketHelper::ModeBlock) {
        reply = &FHelper->GetLastBlock();
    } else if (FHelper->GetMode() == TSocketHelper::ModeStream) {
        streamText = FHelper->GetReceiveStreamText();
        FHelper->CloseReceiveStream();
        reply = &streamText;
    }
    if (!FAwaitingReply) {
        Fail("Unexpected data from the server: " + Shown(*reply));
        return;
    }
    FAwaitingReply = false;
    FHelper->SetDeadline(std::nullopt);
    if (FSignIn && FSignIn->Handles(FState)) {
        Take(FSignIn->Reply(FState, *reply));
        return;
    }
    // The status is the reply's first line; a later line that begins with
    // "+OK" is the content of a message.
    const std::string_view status = std::string_view(*reply).substr(0, reply->find(CRLF));
    if (!FReplyPattern.Execute(status)) {
        if (FFailure.empty()) FFailure = "Not a POP3 reply: " + Shown(status);
        PostEvent(FState, false, {}, {});
        return;
    }
    bool ok = FReplyPattern.Capture(1) == "+OK";
    const std::string& first = FState == StateGreeting ? FHost : FHelper->GetLastCommand();
    if (FState == StateGreeting)
        FTimeStamp = FStampPattern.Execute(status) ? FStampPattern.Capture(0) : std::string();
    else if (FState == StateStat)
        FMessageCount = ReadCount(FArguments);
    if (TlsDialogue(ok, *reply)) return;
    PostEvent(FState, ok, first, *reply);
}

void TCustomPop3ClientThread::ClientDispatch(platform::TMessage& message) {
    FHelper->SetMode(TSocketHelper::ModeCommand);
    if (FHelper->BufferRemaining()) {
        Fail("Unexpected data from the server before the next command");
        return;
    }
    try {
        Dispatch(static_cast<int>(message.WParam), FMessenger.GetFlag());
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}

void TCustomPop3ClientThread::Dispatch(int code, bool proceed) {
    if (!proceed || code == StateQuit) {
        CloseSession();
        return;
    }
    switch (code) {
    case StateGreeting:
        StartSignIn();
        break;
    case StateUser:
        Take(FSignIn->Pass());
        break;
    case StatePass:
    case StateApop:
    case StateAuth:
        Send(NextCommand(CodeLoggedIn));
        break;
    case AnswerQuit:
        Send({"QUIT", StateQuit});
        break;
    case StateCommit:
        FCommitted = true;
        Send({"QUIT", StateQuit});
        break;
    default:
        Send(NextCommand(code));
    }
}

void TCustomPop3ClientThread::Send(const TPop3Command& next) {
    if (next.State == StateQuit && FCommitBeforeQuit && !FCommitted) {
        FState = StateCommit;
        PostEvent(StateCommit, true, "QUIT", {});
        return;
    }
    FState = next.State;
    FHelper->SendCommand(next.Command);
    AwaitReply();
}

// A command that prints the secret runs here, on the session's thread: it
// holds up this account's session alone.
void TCustomPop3ClientThread::StartSignIn() {
    FSignIn.emplace(FSignInPlan, FUser, FPass, FUseAPOP);
    const TSignInStep first =
        FSignIn->Begin(FTimeStamp, GetClientSocket().IsTls(), GetClientSocket().GetHandle());
    for (std::string& secret : FSignIn->Secrets())
        FHelper->HideInLog(std::move(secret));
    Take(first);
}

// The steps of the XOAUTH2 exchange stay in the session; its outcome goes to
// the window like the reply to PASS.
void TCustomPop3ClientThread::Take(const TSignInStep& step) {
    switch (step.Kind) {
    case TSignInStep::Send:
        FHelper->SetMode(step.Block ? TSocketHelper::ModeBlock : TSocketHelper::ModeCommand);
        FState = step.State;
        FHelper->SendCommand(step.Line, step.Shown);
        AwaitReply();
        return;
    case TSignInStep::Report:
        FHelper->SetMode(TSocketHelper::ModeCommand);
        FState = StateAuth;
        PostEvent(StateAuth, step.Ok, "AUTH XOAUTH2", step.Text);
        return;
    case TSignInStep::Fail:
        Fail(step.Text);
        return;
    }
}

void TCustomPop3ClientThread::AwaitReply() {
    FAwaitingReply = true;
    FBytesSeen = FBytesAtStart = FHelper->GetBytesRead();
    FLastProgress = FReplyStart = std::chrono::steady_clock::now();
    // No reply may be larger than the block bound, nor take longer than its time.
    const std::size_t bytes = std::min(FExpectedBytes, FMaxBlock);
    const auto allowance =
        std::chrono::milliseconds(bytes / FMinRate * 1000 + bytes % FMinRate * 1000 / FMinRate);
    FReplyDeadline = FReplyStart + FReplyTimeout + allowance;
    FHelper->SetDeadline(FReplyDeadline);
    FExpectedBytes = 0;
}

// Polled while nothing arrives: gives up on a server that has sent no byte
// of the awaited reply within the reply time-out, or whose whole reply takes
// longer than its size allows.
void TCustomPop3ClientThread::ClientIdle() {
    if (!FAwaitingReply) return;
    auto now = std::chrono::steady_clock::now();
    auto seconds = [](auto duration) { return std::chrono::duration<double>(duration).count(); };
    char reason[128];
    if (FHelper->GetBytesRead() != FBytesSeen) {
        FBytesSeen = FHelper->GetBytesRead();
        FLastProgress = now;
    } else if (now - FLastProgress >= FReplyTimeout) {
        std::snprintf(reason, sizeof reason, "No reply from the server for %.1f seconds",
                      seconds(FReplyTimeout));
        Fail(reason);
        return;
    }
    if (now >= FReplyDeadline) {
        std::snprintf(reason, sizeof reason,
                      "The reply took longer than %.1f seconds (%llu bytes arrived)",
                      seconds(FReplyDeadline - FReplyStart),
                      static_cast<unsigned long long>(FHelper->GetBytesRead() - FBytesAtStart));
        Fail(reason);
    }
}

void TCustomPop3ClientThread::Fail(std::string_view reason) {
    if (FFailure.empty()) FFailure = reason;
    FHelper->Logging(std::string("*Error! ").append(reason).append(CRLF));
    CloseSession();
}

// Nothing more is read or delivered once the session is closed.
void TCustomPop3ClientThread::CloseSession() {
    FAwaitingReply = false;
    FHelper->SetDeadline(std::nullopt);
    FHelper->SetMode(TSocketHelper::ModeWait);
    GetClientSocket().Close();
}
