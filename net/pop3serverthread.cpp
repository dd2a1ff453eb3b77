#include "net/pop3serverthread.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "foundation/md5digest.h"
#include "net/pop3sockethelper.h"
#include "platform/datetime.h"
#include "platform/file.h"

namespace {

constexpr std::string_view CRLF = "\r\n";
// Bytes a client may send ahead while the session waits for the window's
// reply: room for many pipelined commands, and a bound on what is buffered.
constexpr std::size_t MaxPendingInput = 1024 * 1024;
// The session log is written by its owner only: it holds the commands of a
// login.
constexpr unsigned LogFileMode = 0600;

// A message file that cannot be read: refused, with a line for the log.
TPop3ServerThread::TAnswer ReadError(const TMBXItem& item) {
    return {"-ERR", false, "*Error! cannot read " + item.GetPath() + "\r\n"};
}

// "yymmdd-hhnnss-" of the current local time.
std::string LogTimePrefix() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%y%m%d-%H%M%S-", &tm);
    return text;
}

} // namespace

namespace pop3server {

int ParseNumber(std::string_view text) {
    if (text.empty()) return 0;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n > MaxNumber / 10 ? MaxNumber : std::min(MaxNumber, n * 10 + (c - '0'));
    }
    return n;
}

std::string UidlOf(std::string_view uid) {
    constexpr std::size_t MaxUidl = 70;
    const bool printable =
        !uid.empty() && uid.size() <= MaxUidl &&
        std::all_of(uid.begin(), uid.end(), [](char c) { return c >= 0x21 && c <= 0x7E; });
    return printable ? std::string(uid) : TMD5Digest::Digest(uid);
}

std::string TopOfMessage(std::string_view content, int lines) {
    std::size_t gap = content.find("\r\n\r\n");
    if (gap == std::string_view::npos) return std::string(content);
    std::size_t end = gap + 4; // the head with its empty line
    for (int i = 0; i < lines && end < content.size(); ++i) {
        std::size_t next = content.find(CRLF, end);
        end = next == std::string_view::npos ? content.size() : next + 2;
    }
    return std::string(content.substr(0, end));
}

void SendMultiLine(std::string_view content, const std::function<void(std::string_view)>& send) {
    std::string piece("+OK\r\n");
    piece.reserve(PieceSize + 16);
    if (content.starts_with(".")) piece += '.';
    std::size_t from = 0;
    while (from < content.size()) {
        std::size_t at = content.find("\r\n.", from);
        bool dot = at != std::string_view::npos;
        std::size_t end = dot ? at + 3 : content.size();
        if (end - from > PieceSize) { // a piece never ends inside CR LF "."
            end = from + PieceSize;
            if (dot && end > at) end = at;
            dot = false;
        }
        piece.append(content, from, end - from);
        if (dot) piece += '.';
        from = end;
        if (piece.size() >= PieceSize) {
            send(piece);
            piece.clear();
        }
    }
    // The last line of the content ends before the terminator: a content that
    // ends with CR LF (or is empty) needs no line end of its own.
    if (!content.empty() && !content.ends_with(CRLF)) piece.append(CRLF);
    piece.append(".\r\n");
    send(piece);
}

std::string MultiLine(std::string_view content) {
    std::string text;
    text.reserve(content.size() + content.size() / 256 + 16);
    SendMultiLine(content, [&text](std::string_view piece) { text.append(piece); });
    text.resize(text.size() - 2); // the sender's CR LF
    return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::size_t from = 0;
    for (std::size_t at = text.find(CRLF); at != std::string_view::npos;
         at = text.find(CRLF, from)) {
        lines.emplace_back(text.substr(from, at - from));
        from = at + 2;
    }
    lines.emplace_back(text.substr(from));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text.append(CRLF);
        text.append(lines[i]);
    }
    return text;
}

} // namespace pop3server

using namespace pop3server;

TPop3ServerThread::TPop3ServerThread(bool createSuspended, std::string hostName,
                                     std::unique_ptr<platform::TSocket> clientSocket,
                                     platform::TWindowHandle window, int sessionCount)
    : TCustomServerThread(true, std::move(clientSocket), window, WM_SERVERREQUEST, WM_SERVERREPLY),
      FHostName(std::move(hostName)), FSessionCount(sessionCount % 10000) {
    if (!createSuspended) Resume();
}

std::unique_ptr<TSocketHelper> TPop3ServerThread::CreateHelper(platform::TSocket& socket) {
    auto helper = std::make_unique<TPop3SocketHelper>(&socket, netlimits::SessionWaitTime);
    helper->SetMaxBlock(MaxPendingInput);
    return helper;
}

void TPop3ServerThread::ResetSession() {
    FRequest = rqConnect;
    FAuthorized = false;
    FUser.clear();
    FLoginName.clear();
    FMailbox.LoadFromStrings({});
    FMailbox.Path.clear();
}

std::string TPop3ServerThread::NewTimeStamp(std::uint64_t fileTime) {
    char text[64];
    std::snprintf(text, sizeof text, "%08x%08x.%04d@", static_cast<unsigned>(fileTime),
                  static_cast<unsigned>(fileTime >> 32), FSessionCount);
    FSessionCount = (FSessionCount + 1) % 10000;
    return text + FHostName;
}

bool TPop3ServerThread::ClientConnect() {
    ResetSession();
    FTimeStamp = NewTimeStamp(LocalFileTime());
    std::string host = FHelper->GetHost(), address = FHelper->GetAddress();
    FMessenger.SendText(rqConnect, true, JoinLines({FTimeStamp, address, host}));
    // The window answers every connection; the wait ends early only when the
    // connection is shut down (the program is ending) or the peer hangs up.
    platform::TMessage reply;
    if (!WaitReply(reply)) return false;
    std::string folder = FMessenger.GetText();
    if (!folder.empty()) {
        OpenSessionLog(folder);
        FHelper->Logging(host + " [" + address + "]\r\n");
    }
    if (!FMessenger.GetFlag()) {
        FHelper->SendCommand("-ERR");
        return false;
    }
    FHelper->SendCommand("+OK <" + FTimeStamp + ">");
    return true;
}

void TPop3ServerThread::OpenSessionLog(const std::string& folder) {
    char counter[16];
    std::snprintf(counter, sizeof counter, "%03d", FSessionCount);
    std::string path =
        platform::IncludeTrailingSeparator(folder) + "s" + LogTimePrefix() + counter + ".log";
    // Made first with the owner-only mode; the helper then reopens it empty.
    if (platform::WriteFile(path, "", LogFileMode)) FHelper->Login(path);
}

void TPop3ServerThread::ClientDialogue(const std::string& command) {
    TRequest request = MakeRequest(command);
    FRequest = request.Code;
    // No further command is taken until the reply has been answered, so
    // answers keep the order of the commands and each request sees the state
    // that the previous answers left.
    FHelper->SetMode(TSocketHelper::ModeWait);
    FMessenger.SendText(request.Code, request.Flag, request.Text);
}

TPop3ServerThread::TRequest TPop3ServerThread::MakeRequest(const std::string& command) const {
    if (FAuthorized) return TransactionRequest(command);
    if (command == "USER") return {rqUser, true, FLine};
    if (command == "PASS") return {rqPass, !FUser.empty(), FLine + "\r\n" + FUser};
    if (command == "APOP") return {rqApop, true, FLine + "\r\n" + FTimeStamp};
    if (command == "QUIT") return {rqQuit, true, FLine};
    return {rqOther, false, FLine};
}

TPop3ServerThread::TRequest
TPop3ServerThread::TransactionRequest(const std::string& command) const {
    static const struct {
        const char* Command;
        int Code;
    } codes[] = {{"STAT", rqStat}, {"LIST", rqList}, {"UIDL", rqUidl}, {"NOOP", rqNoop},
                 {"RETR", rqRetr}, {"DELE", rqDele}, {"RSET", rqRset}, {"TOP", rqTop}};
    if (command == "QUIT") return {rqQuit, true, QuitText()};
    for (const auto& entry : codes)
        if (command == entry.Command) return {entry.Code, true, FLine};
    return {rqOther, false, FLine};
}

// The command line, the login name and the UID of every entry marked for deletion.
std::string TPop3ServerThread::QuitText() const {
    std::string text = FLine + "\r\n" + FLoginName;
    for (int i = 0; i < FMailbox.GetCount(); ++i)
        if (FMailbox.GetMessages(i)->Deleted)
            text.append(CRLF).append(FMailbox.GetMessages(i)->UID);
    return text;
}

void TPop3ServerThread::ClientDispatch(platform::TMessage& message) {
    FHelper->SetMode(TSocketHelper::ModeCommand);
    TAnswer answer =
        MakeAnswer(static_cast<int>(message.WParam), FMessenger.GetFlag(), FMessenger.GetText());
    if (!answer.LogLine.empty()) FHelper->Logging(answer.LogLine);
    FHelper->Logging(">");
    if (answer.Multi)
        SendMultiLine(answer.Text, [this](std::string_view piece) { SendPiece(piece); });
    else
        SendPiece(answer.Text.append(CRLF));
    if (answer.Close) GetClientSocket().Close();
}

// Sends and logs a piece of an answer, as SendCommand does with a whole one.
void TPop3ServerThread::SendPiece(std::string_view piece) {
    FHelper->Logging(piece);
    FHelper->SendBuffer(piece.data(), piece.size());
}

TPop3ServerThread::TAnswer TPop3ServerThread::MakeAnswer(int code, bool flag,
                                                         const std::string& text) {
    // A refusal may say why ("[IN-USE] ...", RFC 2449).
    if (!flag)
        return {text.empty() ? "-ERR" : "-ERR " + text, code == rqPass || code == rqApop, {}};
    switch (code) {
    case rqUser:
        FUser = text;
        return {"+OK"};
    case rqPass:
    case rqApop:
        return LoginAnswer(text);
    case rqStat:
        return {StatText()};
    case rqList:
        return ListAnswer(text, false);
    case rqUidl:
        return ListAnswer(text, true);
    case rqRetr:
        return RetrAnswer(text);
    case rqTop:
        return TopAnswer(text);
    case rqDele:
        return DeleAnswer(text);
    case rqRset:
        for (int i = 0; i < FMailbox.GetCount(); ++i)
            FMailbox.GetMessages(i)->Deleted = false;
        return {"+OK"};
    case rqNoop:
        return {"+OK"};
    case rqQuit:
        return {"+OK", true};
    default:
        return {"-ERR"};
    }
}

TPop3ServerThread::TAnswer TPop3ServerThread::LoginAnswer(const std::string& text) {
    std::vector<std::string> lines = SplitLines(text);
    lines.resize(std::max<std::size_t>(lines.size(), 2));
    FLoginName = lines[0];
    FMailbox.Path = lines[1];
    FMailbox.LoadFromStrings(std::vector<std::string>(lines.begin() + 2, lines.end()));
    FAuthorized = true;
    return {"+OK"};
}

std::string TPop3ServerThread::StatText() const {
    int count = 0;
    std::int64_t size = 0;
    for (int i = 0; i < FMailbox.GetCount(); ++i) {
        const TMBXItem* item = FMailbox.GetMessages(i);
        if (item->Deleted) continue;
        ++count;
        size += item->Size;
    }
    return "+OK " + std::to_string(count) + " " + std::to_string(size);
}

TMBXItem* TPop3ServerThread::Message(int number) const {
    if (number < 1 || number > FMailbox.GetCount()) return nullptr;
    TMBXItem* item = FMailbox.GetMessages(number - 1);
    return item->Deleted ? nullptr : item;
}

TPop3ServerThread::TAnswer TPop3ServerThread::ListAnswer(const std::string& text, bool uidl) const {
    auto value = [uidl](const TMBXItem& item) {
        return uidl ? UidlOf(item.UID) : std::to_string(item.Size);
    };
    if (text.empty()) {
        std::string answer = "+OK";
        for (int i = 0; i < FMailbox.GetCount(); ++i) {
            const TMBXItem* item = FMailbox.GetMessages(i);
            if (!item->Deleted) answer += "\r\n" + std::to_string(i + 1) + " " + value(*item);
        }
        return {answer + "\r\n."};
    }
    int number = ParseNumber(text);
    const TMBXItem* item = Message(number);
    if (!item) return {"-ERR"};
    return {"+OK " + std::to_string(number) + " " + value(*item)};
}

TPop3ServerThread::TAnswer TPop3ServerThread::RetrAnswer(const std::string& text) const {
    const TMBXItem* item = Message(ParseNumber(text));
    if (!item) return {"-ERR"};
    auto content = platform::ReadFile(item->GetPath());
    if (!content) return ReadError(*item);
    return {std::move(*content), TAnswer::MultiLineAnswer};
}

TPop3ServerThread::TAnswer TPop3ServerThread::TopAnswer(const std::string& text) const {
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) return {"-ERR"};
    const TMBXItem* item = Message(ParseNumber(lines[0]));
    if (!item) return {"-ERR"};
    auto content = platform::ReadFile(item->GetPath());
    if (!content) return ReadError(*item);
    if (lines.size() < 2) return {std::move(*content), TAnswer::MultiLineAnswer};
    return {TopOfMessage(*content, ParseNumber(lines[1])), TAnswer::MultiLineAnswer};
}

TPop3ServerThread::TAnswer TPop3ServerThread::DeleAnswer(const std::string& text) {
    TMBXItem* item = Message(ParseNumber(text));
    if (!item) return {"-ERR"};
    item->Deleted = true;
    return {"+OK"};
}

void TPop3ServerThread::ClientDisconnect(bool accepted) {
    FHelper->Logout();
    FMessenger.SendText(rqDisconnect, accepted, FLoginName);
}
