// The POP3 check session against a local dovecot, and Debian's fetchmail
// fetching the same messages from the same server in the same run:
// 1,000 messages of about 5 KB (messages per second), and one 20 MB message
// (bytes per second). The window side answers every event at once.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dovecot_fixture.h"
#include "net/pop3mailcheckthread.h"
#include "platform/thread.h"
#include "pop3testwindow.h"

namespace {

constexpr int ManyCount = 1000;
constexpr std::size_t BigSize = 20 * 1024 * 1024;
const char* const Fetchmail = "/usr/bin/fetchmail";

// About 5 KB of ordinary mail: headers, text lines, a line that starts with a dot.
std::string SmallMessage(int n) {
    const std::string id = std::to_string(n);
    std::string m = "From: sender" + id + "@example.com\r\nTo: bench@example.net\r\n";
    m.append("Subject: message ").append(id).append("\r\nMessage-ID: <").append(id);
    m.append("@example.com>\r\nDate: Thu, 10 Dec 2026 09:00:00 +0900\r\n\r\n");
    for (int line = 0; m.size() < 5000; ++line) {
        if (line % 20 == 19) m += '.';
        m.append("Line ").append(std::to_string(line)).append(" of message ").append(id);
        m.append(": the quick brown fox jumps over the lazy dog\r\n");
    }
    return m;
}

std::string BigMessage() {
    std::string m = "Subject: big\r\n\r\n";
    while (m.size() < BigSize)
        m += "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdef\r\n";
    return m;
}

// One dovecot for the whole run: user "many" with the small messages, user
// "big" with the large one.
TDovecotServer* Server(std::string& error) {
    static std::unique_ptr<TDovecotServer> server;
    static std::string startError;
    if (!server && startError.empty()) {
        auto s = std::make_unique<TDovecotServer>();
        s->AddUser("many", "secret");
        s->AddUser("big", "secret");
        for (int n = 0; n < ManyCount; ++n)
            s->AddMessage("many", SmallMessage(n));
        s->AddMessage("big", BigMessage());
        if (s->Start(startError)) server = std::move(s);
    }
    error = startError;
    return server.get();
}

// One check session that fetches every message and keeps it on the server;
// the number of messages retrieved.
int CheckSession(int port, const std::string& user) {
    platform::TQueueWindow window;
    new TPop3MailCheckThread(false, &window, port, "127.0.0.1", false, "secret", user, "");
    auto events = RunPop3Window(window, TPop3MailCheckThread::WindowMessage, {});
    platform::WaitForWorkerThreads();
    int retrieved = 0;
    for (const auto& e : events)
        retrieved += e.Code == 12 && e.Flag;
    return retrieved;
}

// fetchmail fetching every message of the user, kept on the server, each
// delivered to a program that reads and drops it. Its exit code.
int FetchmailSession(int port, const std::string& user, const std::string& folder) {
    std::string rc = folder + "/fetchmailrc-" + user;
    {
        std::ofstream out(rc);
        out << "poll 127.0.0.1 protocol pop3 port " << port << " user \"" << user
            << "\" there with password \"secret\" options keep fetchall sslproto '' "
               "no sslcertck mda \"cat >/dev/null\"\n";
    }
    std::filesystem::permissions(rc, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::owner_write);
    std::string command = std::string(Fetchmail) + " --nodetach --nosyslog --silent -f " + rc +
                          " --pidfile " + folder + "/fetchmail.pid --idfile " + folder +
                          "/fetchids >/dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// CPU seconds used so far by this process (every thread), or by its
// finished children (fetchmail and its delivery programs; dovecot runs on).
double CpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunClient(benchmark::State& state, const std::string& user, bool fetchmail) {
    std::string error;
    TDovecotServer* server = Server(error);
    if (!server) {
        state.SkipWithError(("dovecot: " + error).c_str());
        return;
    }
    if (fetchmail && access(Fetchmail, X_OK) != 0) {
        state.SkipWithError("fetchmail is not installed");
        return;
    }
    int expected = user == "many" ? ManyCount : 1;
    int who = fetchmail ? RUSAGE_CHILDREN : RUSAGE_SELF;
    double cpuStart = CpuSeconds(who);
    for (auto _ : state) {
        if (fetchmail) {
            int code = FetchmailSession(server->GetPort(), user, server->GetFolder());
            if (code != 0)
                state.SkipWithError(("fetchmail ended with " + std::to_string(code)).c_str());
        } else if (CheckSession(server->GetPort(), user) != expected) {
            state.SkipWithError("the check session did not retrieve every message");
        }
    }
    // The client's own CPU time: on a busy machine the wall time also holds
    // the time the client waited for a processor.
    state.counters["client_cpu_ms"] =
        benchmark::Counter((CpuSeconds(who) - cpuStart) * 1000, benchmark::Counter::kAvgIterations);
    state.SetItemsProcessed(state.iterations() * expected);
    if (user == "big") state.SetBytesProcessed(state.iterations() * BigSize);
}

void BM_CheckSession_1000x5KB(benchmark::State& state) {
    RunClient(state, "many", false);
}
void BM_Fetchmail_1000x5KB(benchmark::State& state) {
    RunClient(state, "many", true);
}
void BM_CheckSession_20MB(benchmark::State& state) {
    RunClient(state, "big", false);
}
void BM_Fetchmail_20MB(benchmark::State& state) {
    RunClient(state, "big", true);
}

} // namespace

BENCHMARK(BM_CheckSession_1000x5KB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Fetchmail_1000x5KB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CheckSession_20MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Fetchmail_20MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
