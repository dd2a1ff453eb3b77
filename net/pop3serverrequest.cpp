#include "net/pop3serverrequest.h"

#include "foundation/csvline.h"
#include "foundation/md5digest.h"
#include "net/pop3serverthread.h"
#include "platform/text.h"

namespace {

using TLines = std::vector<std::string>;

const TPop3ServerRequests::TReply Refusal{true, false, {}};

// Word k of the request's first line (1: the command), empty when absent.
std::string Word(const TLines& words, std::size_t k) {
    return k <= words.size() ? words[k - 1] : std::string();
}

// With a first argument: flag true and that argument; without: a refusal.
TPop3ServerRequests::TReply FirstArgument(const TLines& words) {
    if (words.size() < 2) return Refusal;
    return {true, true, words[1]};
}

// The password of a PASS line: everything after the first blank, so that a
// password may hold blanks and commas (RFC 1939 allows them).
std::string PassArgument(std::string_view line) {
    std::size_t blank = line.find(' ');
    return blank == std::string_view::npos ? std::string() : std::string(line.substr(blank + 1));
}

} // namespace

TPop3AccountItem* TPop3ServerRequests::Account(std::string_view localUser) const {
    int i = FindAccountByLocalUser(FAccounts, localUser);
    return i < 0 ? nullptr : FAccounts.GetAccounts(i);
}

TPop3ServerRequests::TReply TPop3ServerRequests::Handle(int code, bool /*flag*/,
                                                        std::string_view text,
                                                        const TSettings& settings) {
    TLines lines = pop3server::SplitLines(text);
    TLines words = lines.empty() ? TLines{} : CSVLineRead(lines[0]);
    switch (code) {
    case TPop3ServerThread::rqConnect:
        return Connect(lines, settings);
    case TPop3ServerThread::rqDisconnect:
        Disconnect(lines);
        return {false, false, {}};
    case TPop3ServerThread::rqUser:
    case TPop3ServerThread::rqRetr:
    case TPop3ServerThread::rqDele:
        return FirstArgument(words);
    case TPop3ServerThread::rqPass:
        return Pass(lines);
    case TPop3ServerThread::rqApop:
        return Apop(lines, words);
    case TPop3ServerThread::rqList:
    case TPop3ServerThread::rqUidl:
        return {true, true, Word(words, 2)};
    case TPop3ServerThread::rqTop:
        if (words.size() < 2) return Refusal;
        return {true, true, words.size() < 3 ? words[1] : words[1] + "\r\n" + words[2]};
    case TPop3ServerThread::rqQuit:
        Quit(lines);
        return {};
    default:
        return {};
    }
}

TPop3ServerRequests::TReply TPop3ServerRequests::Connect(const TLines& lines,
                                                         const TSettings& settings) {
    if (OnResponding) OnResponding();
    bool allowed = !settings.DenyRemote || (lines.size() >= 2 && lines[1] == "127.0.0.1");
    return {true, allowed, settings.ServerLog ? settings.ServerLogFolder : std::string()};
}

void TPop3ServerRequests::Disconnect(const TLines& lines) {
    if (OnIdle) OnIdle();
    if (lines.empty()) return;
    if (TPop3AccountItem* account = Account(lines[0])) account->Unlock();
}

TPop3ServerRequests::TReply TPop3ServerRequests::Pass(const TLines& lines) {
    if (lines.size() < 2) return Refusal;
    std::string password = PassArgument(lines[0]);
    if (password.empty()) return Refusal;
    return Login(lines[1],
                 [&](const TPop3AccountItem& a) { return LocalLoginPassword(a) == password; });
}

TPop3ServerRequests::TReply TPop3ServerRequests::Apop(const TLines& lines, const TLines& words) {
    if (lines.size() < 2 || words.size() < 3) return Refusal;
    const std::string &timeStamp = lines[1], &digest = words[2];
    return Login(words[1], [&](const TPop3AccountItem& a) {
        return digest == TMD5Digest::Digest("<" + timeStamp + ">" + LocalLoginPassword(a));
    });
}

TPop3ServerRequests::TReply
TPop3ServerRequests::Login(std::string_view localUser,
                           const std::function<bool(const TPop3AccountItem&)>& proof) {
    TPop3AccountItem* account = Account(localUser);
    // Without a password to check (a remote sign-in kept out of the file and
    // no local password set) nobody logs in.
    if (!account || LocalLoginPassword(*account).empty() || !proof(*account)) return Refusal;
    // RFC 2449: the client can tell the user the mailbox is busy, not the password wrong.
    if (!account->Lock()) return {true, false, "[IN-USE] the mailbox is in use by another session"};
    TLines lines{std::string(localUser), account->Mailbox.Path};
    account->Mailbox.SaveToStrings(lines);
    return {true, true, pop3server::JoinLines(lines)};
}

void TPop3ServerRequests::Quit(const TLines& lines) {
    if (lines.size() < 2) return;
    TPop3AccountItem* account = Account(lines[1]);
    if (!account) return;
    TMessageBox& mailbox = account->Mailbox;
    std::vector<TMBXItem*> marked;
    for (int i = 0; i < mailbox.GetCount(); ++i) {
        TMBXItem* item = mailbox.GetMessages(i);
        for (std::size_t k = 2; k < lines.size(); ++k)
            if (platform::SameText(item->UID, lines[k])) {
                marked.push_back(item);
                break;
            }
    }
    for (TMBXItem* item : marked) {
        if (OnRemove) OnRemove(*item);
        mailbox.Remove(item);
    }
    // The files are gone: the index follows at once, so a crash later
    // leaves no entry without its file.
    std::string error;
    if (!marked.empty() && !mailbox.Save(&error) && OnSaveError) OnSaveError(error);
}
