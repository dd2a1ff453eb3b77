// libFuzzer target: any bytes as what a mail client sends to the local POP3
// server. The bytes are cut into command lines as the session's helper cuts
// them; each line goes through the session's request, the window's request
// handling over a small inbox and the session's answer, exactly as the two
// threads pass them on. Every answer must be framed soundly and a QUIT may
// only remove messages of the account that logged in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/csvline.h"
#include "net/pop3serverrequest.h"
#include "net/pop3serverthread.h"
#include "platform/file.h"

namespace {

constexpr std::size_t MaxLines = 512;

void Check(bool condition) {
    if (!condition) std::abort();
}

struct TStoredMessage {
    const char* Uid;
    const char* Content;
};

const TStoredMessage AliceMessages[] = {
    {"a1", "From: a@example.com\r\nSubject: one\r\n\r\nline1\r\n.dot\r\n\r\nline4\r\n"},
    {"a2", ".starts with a dot\r\n\r\n.\r\n..\r\nend"},
    {"a3", "no empty line\r\nat all\r\n"},
};
const TStoredMessage BobMessages[] = {{"b1", "Subject: bob\r\n\r\nbody\r\n"}};

// Two accounts in a temporary folder, put back as they were before every input.
class TFuzzInbox {
public:
    TFuzzInbox() {
        char tmpl[] = "/tmp/mb-fuzz-pop3srv-XXXXXX";
        Check(mkdtemp(tmpl) != nullptr);
        Accounts.BaseFolder = std::string(tmpl) + "/";
        Accounts.Add("alice", "alice.u", "secret", "pop.example.com", 110, false, false);
        Accounts.Add("bob", "bob.u", "pw, with blank", "pop.example.net", 110, false, false);
    }
    void Restore() {
        Fill(*Accounts.GetAccounts(0), AliceMessages);
        Fill(*Accounts.GetAccounts(1), BobMessages);
    }

    TPop3AccountList Accounts;

private:
    template <std::size_t N>
    static void Fill(TPop3AccountItem& account, const TStoredMessage (&messages)[N]) {
        account.Unlock();
        if (account.Mailbox.GetCount() == static_cast<int>(N)) return;
        platform::ForceDirectories(account.GetFolder());
        std::vector<std::string> lines;
        for (const auto& m : messages) {
            std::string content = m.Content, file = std::string(m.Uid) + ".eml";
            platform::WriteFile(platform::ExtractFilePath(account.Mailbox.Path) + file, content);
            lines.push_back(CSVLineWrite({m.Uid, file, std::to_string(content.size()), "0", "", "",
                                          "", "", "", "", "", ""}));
        }
        account.Mailbox.LoadFromStrings(lines);
    }
};

// A session that never runs a thread: the fuzzer plays its socket loop.
class TFuzzSession : public TPop3ServerThread {
public:
    TFuzzSession()
        : TPop3ServerThread(true, "host.test", std::make_unique<platform::TSocket>(), nullptr) {
        ResetSession();
        FTimeStamp = NewTimeStamp(0x01d9000000000000ULL);
    }
    // Answers one received line; false once the session closes.
    bool Line(std::string_view line, TPop3ServerRequests& window) {
        FLine = line;
        TRequest request =
            MakeRequest(SplitCommandLine(line, TSocketHelper::ModeCommand, FArguments));
        auto reply = window.Handle(request.Code, request.Flag, request.Text, Settings);
        Check(reply.Send);
        TAnswer answer = MakeAnswer(request.Code, reply.Flag, reply.Text);
        CheckFraming((answer.Multi ? pop3server::MultiLine(answer.Text) : answer.Text) + "\r\n");
        return !answer.Close;
    }
    void End(TPop3ServerRequests& window) {
        auto reply = window.Handle(rqDisconnect, true, FLoginName, Settings);
        Check(!reply.Send);
    }

    TPop3ServerRequests::TSettings Settings;

private:
    // One status line, or a status line and lines whose only ".\r\n" line is the last.
    static void CheckFraming(const std::string& sent) {
        bool ok = sent.rfind("+OK", 0) == 0 || sent == "-ERR\r\n";
        Check(ok);
        std::size_t first = sent.find("\r\n");
        if (first + 2 == sent.size()) return;
        Check(sent.size() >= 8 && sent.compare(sent.size() - 5, 5, "\r\n.\r\n") == 0);
        Check(("\r\n" + sent.substr(first + 2)).find("\r\n.\r\n") == sent.size() - first - 5);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzInbox inbox;
    static TPop3ServerRequests window(inbox.Accounts);
    inbox.Restore();
    int bobCount = inbox.Accounts.GetAccounts(1)->Mailbox.GetCount();

    TFuzzSession session;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    window.Handle(TPop3ServerThread::rqConnect, true, "stamp\r\n127.0.0.1\r\nlocalhost",
                  session.Settings);
    bool open = true;
    for (std::size_t lines = 0; open && !input.empty() && lines < MaxLines; ++lines) {
        std::size_t end = input.find("\r\n");
        open = session.Line(input.substr(0, end), window);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 2);
    }
    session.End(window);
    // Nobody logs in as bob without his password.
    std::string_view all(reinterpret_cast<const char*>(data), size);
    if (all.find("with blank") == std::string_view::npos)
        Check(inbox.Accounts.GetAccounts(1)->Mailbox.GetCount() == bobCount);
    return 0;
}
