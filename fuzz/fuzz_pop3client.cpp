// libFuzzer target: any bytes as what a remote POP3 server sends to a mail
// check session. The input is cut at every byte 0x1E into pieces: the server
// on 127.0.0.1 sends the first piece when the session connects, the next one
// after each command line it reads, and closes the connection after the
// last. So a piece may hold one reply, half of one, two at once or none.
// The session is the real check thread with its session log; the window's
// part is the real receive coordinator over a temporary account. Whatever
// the server sends, the session must end by itself within its bounds, delete
// on the server only mail that was stored (or was stored before, or is too
// large to fetch), store every message it counts in its box's folder and
// keep the password out of the window's log.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/receivecoordinator.h"
#include "foundation/regexpobj.h"
#include "net/pop3mailcheckthread.h"
#include "platform/file.h"
#include "platform/thread.h"
#include "pop3scriptserver.h"
#include "receivetesthost.h"
#include "store/mbxitem.h"
#include "store/messagebox.h"
#include "store/pop3accountitem.h"

namespace {

using namespace std::chrono_literals;

constexpr char PieceEnd = '\x1e';
// The session gives up on a silent server after ReplyTimeout; the server
// outwaits it, so that the client, not the script, decides how a stalled
// exchange ends.
constexpr auto ReplyTimeout = 100ms;
constexpr auto ServerTimeout = 1s;
constexpr auto SessionBound = 5s;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The script server's steps: the first piece, a client line and the next
// piece for each further one, then the connection closed.
std::vector<std::string> Script(std::string_view input) {
    std::vector<std::string> script;
    for (;;) {
        const std::size_t end = input.find(PieceEnd);
        script.push_back(RawStep(input.substr(0, end)));
        if (end == std::string_view::npos) break;
        script.push_back("C:");
        input.remove_prefix(end + 1);
    }
    script.push_back("X:");
    return script;
}

// Starts the check thread as the window does, with the account's values.
void StartCheck(const TReceiveTestHost& host, platform::TQueueWindow& window) {
    const TPop3AccountItem& account = *host.Account;
    platform::ForceDirectories(host.Folder + "log");
    auto* thread = new TPop3MailCheckThread(true, &window, account.Port, account.Host, account.APOP,
                                            account.Password, account.UserID, host.Folder + "log");
    thread->SetMaxBlock(TPop3MailCheckThread::BlockLimit(host.Limit));
    thread->SetReplyTimeout(static_cast<int>(ReplyTimeout.count()));
    thread->Resume();
}

std::size_t CountPrefixed(const std::vector<std::string>& lines, std::string_view prefix) {
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.starts_with(prefix); }));
}

// Every message the session counted is in its box, with its file in the
// box's own folder, whatever the server named it.
void CheckStored(const TMessageBox& box, int counted) {
    Check(box.GetCount() == counted);
    const std::string folder = platform::ExtractFilePath(box.Path);
    for (int i = 0; i < box.GetCount(); ++i) {
        const std::string path = box.GetMessages(i)->GetPath();
        Check(platform::ExtractFilePath(path) == folder && platform::FileExists(path));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static platform::TQueueWindow window;
    static TRegexpObj pattern(R"((\+OK|\-ERR)[s]*(.*)\r\n)", 0);
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    TPop3ScriptServer server(Script(input), ServerTimeout);
    TReceiveTestHost host;
    host.Account->Port = server.GetPort();
    host.Account->APOP = true; // APOP on a greeting with a stamp, else USER and PASS
    TReceiveCoordinator coordinator(host, pattern);
    StartCheck(host, window);
    Check(ServeSession(coordinator, window, host.CheckEnds, SessionBound));
    platform::WaitForWorkerThreads();

    CheckStored(host.Account->Mailbox, host.Received);
    CheckStored(host.Trash, host.Deleted);
    const std::vector<std::string> sent = server.Received();
    const std::size_t stored = static_cast<std::size_t>(host.Received + host.Deleted);
    const std::size_t unfetched = static_cast<std::size_t>(host.Oversize);
    Check(CountPrefixed(sent, "DELE ") <= stored + unfetched + CountPrefixed(host.Log, ">SKIP:"));
    if (input.find(host.Account->Password) == std::string_view::npos)
        for (const std::string& line : host.Log)
            Check(line.find(host.Account->Password) == std::string::npos);
    return 0;
}
