#include "net/pop3mailcheckthread.h"

#include <charconv>
#include <optional>

#include "platform/text.h"

namespace {

using TClient = TCustomPop3ClientThread;

// The command for message index + 1 ("UIDL 3").
TPop3Command ForMessage(const char* verb, int index, int state) {
    return {std::string(verb) + " " + std::to_string(index + 1), state};
}

// The walk's first step after STAT.
TPop3Command FirstMessage(int& index, int count) {
    index = 0;
    if (count > 0) return ForMessage("UIDL", index, TClient::StateUidl);
    return {"QUIT", TClient::StateQuit};
}

// The size word of a LIST reply ("+OK 3 1200": "3", "1200"), 0 when absent.
std::size_t ListedSize(const TStringList& words) {
    if (words.GetCount() < 2) return 0;
    std::size_t size = 0;
    const std::string& word = words[1];
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), size);
    return ec == std::errc() && end == word.data() + word.size() ? size : 0;
}

// On to the next message, or QUIT after the last.
TPop3Command NextMessage(int& index, int count) {
    ++index;
    if (index >= count) return {"QUIT", TClient::StateQuit};
    return ForMessage("UIDL", index, TClient::StateUidl);
}

// The steps both walks take alike: STAT after the login, the first message
// after STAT, and after a DELE the next message unless the window said QUIT.
std::optional<TPop3Command> SharedStep(int code, const std::string& answer, int& index, int count) {
    switch (code) {
    case TClient::CodeLoggedIn:
        return TPop3Command{"STAT", TClient::StateStat};
    case TClient::StateStat:
        return FirstMessage(index, count);
    case TClient::StateDele:
        if (platform::SameText(answer, "QUIT")) return TPop3Command{"QUIT", TClient::StateQuit};
        return NextMessage(index, count);
    default:
        return std::nullopt;
    }
}

} // namespace

TPop3MailCheckThread::TPop3MailCheckThread(bool createSuspended, platform::TWindowHandle window,
                                           int port, std::string host, bool useAPOP,
                                           std::string password, std::string user,
                                           std::string logFolder)
    : TCustomPop3ClientThread(true, std::move(host), port, window, WindowMessage, ThreadMessage,
                              std::move(user), std::move(password), useAPOP, std::move(logFolder)) {
    FCommitBeforeQuit = true;
    if (!createSuspended) Resume();
}

// Room for the status line, dot-stuffing and a server whose LIST size is a
// little off: twice the limit and a megabyte.
std::size_t TPop3MailCheckThread::BlockLimit(int limitSizeKB) {
    if (limitSizeKB <= 0) return DefaultMaxBlock;
    return static_cast<std::size_t>(limitSizeKB) * 1024 * 2 + (std::size_t{1} << 20);
}

TPop3Command TPop3MailCheckThread::NextCommand(int code) {
    const std::string answer = FMessenger.GetText();
    if (auto step = SharedStep(code, answer, FIndex, FMessageCount)) return *step;
    auto is = [&](const char* word) { return platform::SameText(answer, word); };
    switch (code) {
    case StateUidl:
    case StateList:
        if (is("SKIP")) return NextMessage(FIndex, FMessageCount);
        if (is("DELE")) return ForMessage("DELE", FIndex, StateDele);
        if (is("QUIT")) return {"QUIT", StateQuit};
        if (code == StateUidl) return ForMessage("LIST", FIndex, StateList);
        FHelper->SetMode(TSocketHelper::ModeBlock);
        ExpectReply(ListedSize(FArguments));
        return ForMessage("RETR", FIndex, StateRetr);
    case StateRetr:
        if (is("DELE")) return ForMessage("DELE", FIndex, StateDele);
        if (is("QUIT")) return {"QUIT", StateQuit};
        return NextMessage(FIndex, FMessageCount);
    default:
        return {"QUIT", StateQuit};
    }
}

TPop3MailEraseThread::TPop3MailEraseThread(bool createSuspended, platform::TWindowHandle window,
                                           int port, std::string host, bool useAPOP,
                                           std::string password, std::string user,
                                           std::string targetUID, std::string logFolder)
    : TCustomPop3ClientThread(true, std::move(host), port, window, WindowMessage, ThreadMessage,
                              std::move(user), std::move(password), useAPOP, std::move(logFolder)),
      FTargetUID(std::move(targetUID)) {
    if (!createSuspended) Resume();
}

TPop3Command TPop3MailEraseThread::NextCommand(int code) {
    const std::string answer = FMessenger.GetText();
    if (auto step = SharedStep(code, answer, FIndex, FMessageCount)) return *step;
    if (code != StateUidl) return {"QUIT", StateQuit};
    if (answer == FTargetUID) return ForMessage("DELE", FIndex, StateDele);
    return NextMessage(FIndex, FMessageCount);
}
