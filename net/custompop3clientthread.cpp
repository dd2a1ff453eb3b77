#include "net/custompop3clientthread.h"

#include <charconv>
#include <cstdio>
#include <exception>

#include "foundation/md5digest.h"
#include "net/pop3sockethelper.h"
#include "platform/file.h"

namespace {

constexpr std::string_view CRLF = "\r\n";

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

std::string ClientLogPath(std::string_view folder, std::string_view host, TDateTime time) {
    TDateTimeFields f = DecodeDateTime(time);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%02d-%02d%02d%02d-", f.Year % 100, f.Month, f.Day,
                  f.Hour, f.Minute, f.Second);
    return platform::IncludeTrailingSeparator(folder) + "c" + stamp + std::string(host) + ".log";
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
    AwaitReply();
    return true;
}

// The log holds the password in clear: only its owner may read it.
void TCustomPop3ClientThread::OpenSessionLog() {
    std::string path = ClientLogPath(FLogFolder, FHost, Now());
    if (platform::WriteFile(path, {}, 0600)) FHelper->Login(path);
}

void TCustomPop3ClientThread::ClientDisconnect(bool accepted) {
    FAwaitingReply = false;
    FHelper->Logout();
    PostEnd(accepted);
}

void TCustomPop3ClientThread::PostEnd(bool accepted) {
    if (FEndPosted) return;
    FEndPosted = true;
    FMessenger.SendText(EventEnded, accepted, FHost);
}

// The text ends with its terminating zero already: Send copies it only once.
void TCustomPop3ClientThread::PostEvent(int code, bool flag, const std::string& text) {
    if (!FMessenger.Send(code, flag, text.data(), static_cast<int>(text.size())))
        Fail("The event could not be posted");
}

void TCustomPop3ClientThread::ClientDialogue(const std::string& /*command*/) {
    try {
        Dialogue();
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}

void TCustomPop3ClientThread::Dialogue() {
    FAwaitingReply = false;
    std::string streamText;
    const std::string* reply = &FLine;
    if (FHelper->GetMode() == TSocketHelper::ModeBlock) {
        reply = &FHelper->GetLastBlock();
    } else if (FHelper->GetMode() == TSocketHelper::ModeStream) {
        streamText = FHelper->GetReceiveStreamText();
        FHelper->CloseReceiveStream();
        reply = &streamText;
    }
    if (!FReplyPattern.Execute(*reply)) {
        PostEvent(FState, false, std::string(1, '\0'));
        return;
    }
    bool ok = FReplyPattern.Capture(1) == "+OK";
    const std::string& first = FState == StateGreeting ? FHost : FHelper->GetLastCommand();
    std::string text; // a multi-line reply may be large: built once, zero included
    text.reserve(first.size() + CRLF.size() + reply->size() + 1);
    text.append(first).append(CRLF).append(*reply).push_back('\0');
    if (FState == StateGreeting)
        FTimeStamp = FStampPattern.Execute(*reply) ? FStampPattern.Capture(0) : std::string();
    else if (FState == StateStat)
        FMessageCount = ReadCount(FArguments);
    PostEvent(FState, ok, text);
}

void TCustomPop3ClientThread::ClientDispatch(platform::TMessage& message) {
    FHelper->SetMode(TSocketHelper::ModeCommand);
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
        if (FUseAPOP && !FTimeStamp.empty())
            Send({"APOP " + FUser + " " + TMD5Digest::Digest(FTimeStamp + FPass), StateApop});
        else
            Send({"USER " + FUser, StateUser});
        break;
    case StateUser:
        Send({"PASS " + FPass, StatePass});
        break;
    case StatePass:
    case StateApop:
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
        PostEvent(StateCommit, true, std::string("QUIT\0", 5));
        return;
    }
    FState = next.State;
    FHelper->SendCommand(next.Command);
    AwaitReply();
}

void TCustomPop3ClientThread::AwaitReply() {
    FAwaitingReply = true;
    FBytesSeen = FHelper->GetBytesRead();
    FLastProgress = std::chrono::steady_clock::now();
}

// Polled while nothing arrives: gives up on a server that has sent no byte
// of the awaited reply within the reply time-out.
void TCustomPop3ClientThread::ClientIdle() {
    if (!FAwaitingReply) return;
    auto now = std::chrono::steady_clock::now();
    if (FHelper->GetBytesRead() != FBytesSeen) {
        FBytesSeen = FHelper->GetBytesRead();
        FLastProgress = now;
    } else if (now - FLastProgress >= FReplyTimeout) {
        char reason[64];
        std::snprintf(reason, sizeof reason, "No reply from the server for %.1f seconds",
                      static_cast<double>(FReplyTimeout.count()) / 1000);
        Fail(reason);
    }
}

void TCustomPop3ClientThread::Fail(std::string_view reason) {
    FHelper->Logging(std::string("*Error! ").append(reason).append(CRLF));
    CloseSession();
}

// Nothing more is read or delivered once the session is closed.
void TCustomPop3ClientThread::CloseSession() {
    FAwaitingReply = false;
    FHelper->SetMode(TSocketHelper::ModeWait);
    GetClientSocket().Close();
}
