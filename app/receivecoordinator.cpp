#include "app/receivecoordinator.h"

#include <charconv>
#include <cstdint>
#include <limits>

#include "app/receiveevent.h"
#include "net/custompop3clientthread.h"
#include "platform/text.h"
#include "store/pop3accountitem.h"

namespace {

using T = TCustomPop3ClientThread;

// The LIST size: a decimal number, 0 when it is not one; a number too large
// for 64 bits is as large as can be.
std::uint64_t ListSize(const std::string& word) {
    std::uint64_t size = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), size);
    if (ec == std::errc::result_out_of_range) return std::numeric_limits<std::uint64_t>::max();
    if (ec != std::errc() || end != word.data() + word.size()) return 0;
    return size;
}

} // namespace

TReceiveCoordinator::TReceiveCoordinator(TReceiveHost& host, TRegexpObj& statusLinePattern)
    : FHost(host), FStatusLinePattern(statusLinePattern) {
    MultipartMessage2.SetKeep(true);
}

void TReceiveCoordinator::WMCheckEvent(platform::TMessage& message,
                                       platform::TWindowHandle window) {
    TReceiveEvent event(message, window, CheckEvent, CheckAnswer);
    TPop3AccountItem* account = FHost.CheckingAccount();
    switch (event.Code()) {
    case T::StateGreeting:
        LogGreeting(event, account);
        if (account) account->PrepareDownload();
        event.Answer(T::StateGreeting, event.Flag());
        return;
    case T::EventEnded:
        LogSession("END", account);
        SaveSession(account);
        FHost.CheckSessionEnded();
        return;
    default:
        break;
    }
    if (SharedEvent(event)) return;
    switch (event.Code()) {
    case T::StateUidl:
        CheckUidl(event, account);
        return;
    case T::StateList:
        CheckList(event);
        return;
    case T::StateRetr:
        CheckRetr(event, account);
        return;
    default:
        return;
    }
}

void TReceiveCoordinator::WMEraseEvent(platform::TMessage& message,
                                       platform::TWindowHandle window) {
    TReceiveEvent event(message, window, EraseEvent, EraseAnswer);
    switch (event.Code()) {
    case T::StateGreeting:
        LogGreeting(event, FHost.ErasingAccount());
        event.Answer(T::StateGreeting, event.Flag());
        return;
    case T::EventEnded:
        LogSession("END", FHost.ErasingAccount());
        FHost.EraseSessionEnded();
        return;
    default:
        break;
    }
    if (SharedEvent(event)) return;
    switch (event.Code()) {
    case T::StateUidl:
        LogPair(event);
        event.Answer(T::StateUidl, true, event.WordCount() > 2 ? event.Word(2) : std::string());
        return;
    default:
        return;
    }
}

void TReceiveCoordinator::LogGreeting(const TReceiveEvent& event, TPop3AccountItem* account) {
    LogSession("BEG", account);
    FHost.LogAppend(LogText(event.Line(2)));
}

// Events both sessions answer alike: the login, a refused command, and STAT,
// DELE and QUIT passed on as they came.
bool TReceiveCoordinator::SharedEvent(TReceiveEvent& event) {
    if (LoginEvent(event)) return true;
    switch (event.Code()) {
    case T::StateStat:
    case T::StateDele:
    case T::StateQuit:
        LogPair(event);
        event.Answer(event.Code(), true);
        return true;
    default:
        return false;
    }
}

bool TReceiveCoordinator::LoginEvent(TReceiveEvent& event) {
    switch (event.Code()) {
    case T::StateApop:
    case T::StateUser:
        LogPair(event);
        event.Answer(event.Code(), event.Flag());
        return true;
    case T::StatePass:
        // The password never reaches the log the user sees.
        FHost.LogAppend("PASS ****");
        if (event.LineCount() >= 2) FHost.LogAppend(LogText(event.Line(2)));
        event.Answer(T::StatePass, event.Flag());
        return true;
    default:
        break;
    }
    if (event.Flag()) return false;
    // A refused command: the thread disconnects without QUIT.
    LogPair(event);
    event.Answer(T::AnswerQuit, false);
    return true;
}

void TReceiveCoordinator::CheckUidl(TReceiveEvent& event, TPop3AccountItem* account) {
    if (event.WordCount() < 3) {
        FHost.LogAppend(">ABORT:" + LogText(event.Line(1)));
        FHost.LogAppend(LogText(event.Line(2)));
        event.Answer(T::StateUidl, true, "QUIT");
        return;
    }
    if (!account || account->BeginDownload(event.Word(2))) {
        LogPair(event);
        event.Answer(T::StateUidl, true);
        return;
    }
    FHost.LogAppend(">SKIP:" + LogText(event.Line(1)));
    FHost.LogAppend(LogText(event.Line(2)));
    account->EndDownload();
    event.Answer(T::StateUidl, true, "SKIP");
}

void TReceiveCoordinator::CheckList(TReceiveEvent& event) {
    LogPair(event);
    const std::int64_t limit = FHost.LimitSize();
    const bool tooLarge =
        limit > 0 && ListSize(event.Word(2)) > static_cast<std::uint64_t>(limit) * 1024;
    event.Answer(T::StateList, true, tooLarge ? "DELE" : "");
}

void TReceiveCoordinator::SaveSession(TPop3AccountItem* account) {
    std::string error;
    if (account) {
        if (!account->Mailbox.Save(&error)) LogError("messages.idx", error);
        if (!account->SaveChecklist(&error)) LogError("exclude.txt", error);
    }
    if (!FHost.DustBox().Save(&error)) LogError("messages.idx", error);
}

void TReceiveCoordinator::LogSession(const char* word, const TPop3AccountItem* account) {
    const std::string name = account ? account->Name : std::string();
    FHost.LogAppend("== " + std::string(word) + " " + name + " " + std::string(20, '='));
}

void TReceiveCoordinator::LogPair(const TReceiveEvent& event) {
    for (int n = 1; n <= event.LineCount(); ++n)
        FHost.LogAppend(LogText(event.Line(n)));
}

void TReceiveCoordinator::LogError(std::string_view what, std::string_view reason) {
    FHost.LogAppend(">ERROR:" + LogText(what) + " (" + LogText(reason) + ")");
}
