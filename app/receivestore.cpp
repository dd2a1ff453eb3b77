// A downloaded message: from the RETR block to a judged, stored message and
// the answer that tells the thread whether to delete it on the server. Mail
// leaves the server only once its file is safely on disk.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <limits>
#include <stdexcept>

#include "app/receivecoordinator.h"
#include "app/receiveevent.h"
#include "foundation/regexpobj.h"
#include "net/custompop3clientthread.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/pop3accountitem.h"

namespace {

// Message files hold private mail.
constexpr unsigned MessageFileMode = 0600;

// The comment of a message that could not be judged, before the reason.
const std::string& UnjudgedComment() {
    static const std::string text = platform::Utf8ToCp932("未判定");
    return text;
}

// The message of a RETR block after its status line, exactly as the server
// holds it: the terminator line goes (the line end before it is the
// message's own), and every line that began with a dot, the first one
// included, loses that dot. An empty message is empty. Undone in place:
// the message is the front of the block's bytes.
std::string_view MessageText(std::span<char> bytes) {
    std::string_view block(bytes.data(), bytes.size());
    if (block == ".\r\n")
        block = {};
    else if (block.ends_with("\r\n.\r\n"))
        block.remove_suffix(3);
    char* out = bytes.data();
    std::size_t pos = block.starts_with(".") ? 1 : 0;
    for (;;) {
        const std::size_t stuffed = block.find("\r\n.", pos);
        const std::size_t end = stuffed == std::string_view::npos ? block.size() : stuffed + 2;
        if (end > pos) std::memmove(out, block.data() + pos, end - pos);
        out += end - pos;
        if (stuffed == std::string_view::npos) return {bytes.data(), out};
        pos = stuffed + 3;
    }
}

std::string Reason(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

} // namespace

void TReceiveCoordinator::CheckRetr(TReceiveEvent& event, TPop3AccountItem* account) {
    using T = TCustomPop3ClientThread;
    // The status line is the one after the command: a "+OK" or "-ERR" line
    // further on (after a status line cut by a bare LF) is the message's text.
    std::size_t reply;
    FirstLine(event.Text(), reply);
    const std::string_view block =
        reply == std::string_view::npos ? std::string_view() : event.Text().substr(reply);
    if (!account || !FStatusLinePattern.Execute(block) || FStatusLinePattern.MatchStart() != 0) {
        LogPair(event);
        event.Answer(T::StateRetr, true);
        return;
    }
    const std::string_view text = MessageText(event.Rewrite(
        static_cast<std::size_t>(FStatusLinePattern.PostMatch().data() - event.Text().data())));
    std::string comment;
    const bool reject = Judge(text, comment);
    const bool deleteOnServer = reject || !account->Stay;
    MultipartMessage2.ServerUID = account->CurrentUID;
    std::string error;
    const bool stored =
        StoreReceived(reject ? FHost.DustBox() : account->Mailbox, MultipartMessage2,
                      deleteOnServer, comment, text, account->Name, &error);
    if (stored) {
        FHost.MessageCounted(reject);
        if (deleteOnServer) FDeleting = account->CurrentUID;
        Remember(*account);
    } else {
        // Not stored: it stays on the server and is fetched again next time.
        account->AbortDownload();
    }
    LogPair(event);
    if (!comment.empty()) FHost.LogAppend(">DELE:" + LogText(comment));
    if (!stored) LogError("RETR", error);
    event.Answer(T::StateRetr, true, stored && deleteOnServer ? "DELE" : "");
}

bool TReceiveCoordinator::Judge(std::string_view text, std::string& comment) {
    std::exception_ptr failure;
    bool parsed = false;
    try {
        MultipartMessage2.Create(text);
        parsed = true;
        return FHost.FilterMessage(comment, MultipartMessage2);
    } catch (...) {
        failure = std::current_exception();
    }
    comment = UnjudgedComment() + "(" + Reason(failure) + ")";
    if (!parsed) {
        // The holder may be half made: start from an empty message of the
        // stored size.
        MultipartMessage2.Create({});
        MultipartMessage2.Size = static_cast<std::int32_t>(
            std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
    }
    return false;
}

// The four steps of storing, each one a crash may interrupt (see
// store/mailboxrecovery.h): the text under the entry's temporary name, the
// entry's line appended to the index, the file's own name; the caller then
// appends the UIDL to the checklist. Nothing is synced here: the session
// syncs once before QUIT.
bool TReceiveCoordinator::StoreReceived(TMessageBox& box, TMultipartMessage& message,
                                        bool deletedOnServer, const std::string& comment,
                                        std::string_view rawText, const std::string& accountName,
                                        std::string* error) {
    std::string reason;
    std::string path;
    TMBXItem* entry = nullptr;
    std::string temp;
    try {
        if (box.Path.empty()) throw std::runtime_error("the mailbox has no folder");
        path = TMessageBox::MakeMessagePath(platform::ExtractFilePath(box.Path), message.Subject);
        message.SetPath(path);
        entry = box.Add(message, Now(), accountName);
        if (!deletedOnServer) entry->ServerUID = message.ServerUID;
        entry->Comment = comment;
        entry->FetchedUID = message.ServerUID;
        entry->FetchedAccount = accountName;
        temp = box.GetTempPath(*entry);
        if (!platform::WriteNewFile(temp, rawText, MessageFileMode, &reason))
            throw std::runtime_error(reason);
        entry->StoredDate = platform::FileDateTime(temp).value_or(entry->StoredDate);
        if (!box.Append(*entry, &reason)) throw std::runtime_error(reason);
        if (!platform::RenameFile(temp, path))
            throw std::runtime_error(std::string("cannot name the file: ") + std::strerror(errno));
        FHost.MessageStored(box, *entry);
        return true;
    } catch (...) {
        reason = Reason(std::current_exception());
        if (entry) box.Extract(entry);
        if (!temp.empty()) platform::DeleteFile(temp);
    }
    if (error) *error = (path.empty() ? box.Path : path) + ": " + reason;
    return false;
}
