#include "app/receivecoordinator.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "app/receiveevent.h"
#include "net/custompop3clientthread.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/pop3accountitem.h"

namespace {

using T = TCustomPop3ClientThread;

// Logged when an account that asks for APOP logs in with USER/PASS.
constexpr const char* NoTimeStampText =
    "ｻｰﾊﾞの挨拶にﾀｲﾑｽﾀﾝﾌﾟがないため、APOPではなくUSER/PASS(平文)でﾛｸﾞｲﾝします";

// The LIST size: a decimal number, 0 when it is not one; a number too large
// for 64 bits is as large as can be.
std::uint64_t ListSize(const std::string& word) {
    std::uint64_t size = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), size);
    if (ec == std::errc::result_out_of_range) return std::numeric_limits<std::uint64_t>::max();
    if (ec != std::errc() || end != word.data() + word.size()) return 0;
    return size;
}

// A message count or number: decimal digits only; -1 otherwise.
long long MessageCount(const std::string& word) {
    long long count = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), count);
    if (word.empty() || ec != std::errc() || end != word.data() + word.size() || count < 0)
        return -1;
    return count;
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
        FMessageCount = -1;
        FWalked = 0;
        FDeleting.clear();
        FDeleted.clear();
        event.Answer(T::StateGreeting, event.Flag());
        return;
    case T::EventEnded:
        EndEvent(event, account);
        SaveSession(account);
        FHost.CheckSessionEnded();
        return;
    case T::StateRetr:
        if (!event.Flag() && event.Line(2).starts_with("-ERR")) {
            RetrRefused(event, account);
            return;
        }
        break;
    case T::StateCommit:
        Commit(event, account);
        return;
    case T::StateQuit:
        CheckQuit(event, account);
        return;
    case T::StateStat:
        FMessageCount = event.Flag() ? MessageCount(event.Word(1)) : -1;
        break;
    case T::StateDele:
        if (event.Flag() && !FDeleting.empty()) FDeleted.push_back(FDeleting);
        FDeleting.clear();
        break;
    default:
        break;
    }
    if (SharedEvent(event, account)) return;
    switch (event.Code()) {
    case T::StateUidl:
        FWalked = std::max(FWalked, MessageCount(event.Word(1)));
        CheckUidl(event, account);
        return;
    case T::StateList:
        CheckList(event, account);
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
        EndEvent(event, FHost.ErasingAccount());
        FHost.EraseSessionEnded();
        return;
    default:
        break;
    }
    if (SharedEvent(event, FHost.ErasingAccount())) return;
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
    if (!event.Flag() && event.LineCount() >= 2)
        LogFailure(account, "the server refused the session: " + event.Line(2));
}

// The end line, after the reason the thread gives for ending early.
void TReceiveCoordinator::EndEvent(const TReceiveEvent& event, const TPop3AccountItem* account) {
    if (event.LineCount() >= 2) LogFailure(account, event.Line(2));
    LogSession("END", account);
}

// Events both sessions answer alike: the login, a refused command, and STAT,
// DELE and QUIT passed on as they came.
bool TReceiveCoordinator::SharedEvent(TReceiveEvent& event, const TPop3AccountItem* account) {
    if (LoginEvent(event, account)) return true;
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

bool TReceiveCoordinator::LoginEvent(TReceiveEvent& event, const TPop3AccountItem* account) {
    switch (event.Code()) {
    case T::StateApop:
    case T::StateUser:
        LogPair(event);
        // USER on an account that asks for APOP: the greeting had no time stamp.
        if (event.Code() == T::StateUser && account && account->APOP)
            FHost.LogAppend(">APOP:" + platform::Utf8ToCp932(NoTimeStampText));
        break;
    case T::StateAuth:
        LogPair(event); // the thread's text holds no token
        break;
    case T::StatePass:
        // The password never reaches the log the user sees.
        FHost.LogAppend("PASS ****");
        if (event.LineCount() >= 2) FHost.LogAppend(LogText(event.Line(2)));
        break;
    default:
        if (event.Flag()) return false;
        // A refused command: the thread disconnects without QUIT. A reply it
        // could not read comes without text; its end event tells why.
        LogPair(event);
        if (event.LineCount() >= 2)
            LogFailure(account, event.Line(1) + " refused: " + event.Line(2));
        event.Answer(T::AnswerQuit, false);
        return true;
    }
    if (!event.Flag()) LogFailure(account, "login refused: " + event.Line(2));
    event.Answer(event.Code(), event.Flag());
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
    // Known: stored before. It is left on a server that keeps the mail and
    // deleted unfetched on one that does not (a crash cut the session that
    // stored it short of its QUIT).
    FHost.LogAppend(">SKIP:" + LogText(event.Line(1)));
    FHost.LogAppend(LogText(event.Line(2)));
    account->EndDownload();
    if (!account->Stay) FDeleting = event.Word(2);
    event.Answer(T::StateUidl, true, account->Stay ? "SKIP" : "DELE");
}

void TReceiveCoordinator::Remember(TPop3AccountItem& account) {
    const std::string uidl = account.CurrentUID;
    std::string error;
    if (account.EndDownload() && !account.AppendChecklist(uidl, &error))
        LogError("exclude.txt", error);
}

void TReceiveCoordinator::Commit(TReceiveEvent& event, TPop3AccountItem* account) {
    std::string error;
    bool durable = true;
    for (const std::string& path : {account ? account->GetFolder() : std::string(),
                                    platform::ExtractFilePath(FHost.DustBox().Path)})
        if (!path.empty() && platform::DirectoryExists(path) &&
            !platform::SyncFileSystem(path, &error)) {
            LogError(path, error);
            durable = false;
        }
    // Without QUIT the server deletes nothing: what could not be made
    // durable is still there next time.
    event.Answer(T::StateCommit, durable);
}

// The server has carried out the session's deletions. A walk that saw every
// message tells which remembered UIDLs the server no longer lists.
void TReceiveCoordinator::CheckQuit(TReceiveEvent& event, TPop3AccountItem* account) {
    LogPair(event);
    if (account && event.Flag()) {
        if (FMessageCount >= 0 && FWalked >= FMessageCount) account->CompleteDownload();
        account->Forget(FDeleted);
    }
    event.Answer(T::StateQuit, true);
}

void TReceiveCoordinator::CheckList(TReceiveEvent& event, TPop3AccountItem* account) {
    LogPair(event);
    const std::int64_t limit = FHost.LimitSize();
    const bool tooLarge =
        limit > 0 && ListSize(event.Word(2)) > static_cast<std::uint64_t>(limit) * 1024;
    if (tooLarge) {
        FHost.LogAppend(">LIMIT:" + LogText("message " + event.Word(1) + " (UIDL " +
                                            (account ? account->CurrentUID : std::string()) +
                                            "), " + event.Word(2) + " bytes, over " +
                                            std::to_string(limit) + " KB: deleted unfetched"));
        FHost.OversizeCounted();
    }
    event.Answer(T::StateList, true, tooLarge ? "DELE" : "");
}

void TReceiveCoordinator::RetrRefused(TReceiveEvent& event, TPop3AccountItem* account) {
    LogPair(event);
    LogError(event.Line(1) + " (UIDL " + (account ? account->CurrentUID : std::string()) + ")",
             event.Line(2) + "; it stays on the server");
    if (account) account->AbortDownload();
    event.Answer(T::StateRetr, true);
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

void TReceiveCoordinator::LogFailure(const TPop3AccountItem* account, std::string_view reason) {
    const std::string name = account ? account->Name : std::string();
    FHost.LogAppend(">ERROR:" + LogText(name) + ": " + LogText(reason));
}
