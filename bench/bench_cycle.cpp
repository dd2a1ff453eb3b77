// One whole check cycle of the gateway against fetchmail, both fetching the
// same mail from the same local dovecot in one run, for two mailboxes: "mix",
// 1,000 messages of a realistic mix, and "bob", the same and 100 of 1 to 5 MB;
// "mix" also over POP3S (TLS from the first byte, the certificate checked
// against a test CA that both trust through SSL_CERT_FILE).
// The gateway runs without a window and is timed from SIGUSR1 to the cycle's
// end line, judging, storing and syncing included; fetchmail delivers every
// message into a file of its own. The floor of both: a client that pipelines
// every RETR and discards the bytes; the serial floors send one command at a
// time, as the gateway does. Wall time is the manual time; peak_rss_kb is
// each program's peak memory, cpu_ms the gateway's CPU time in its cycle.
//
// MB_ATTACH runs a command on the gateway during its cycle, "%d" standing for
// its process id, ended with SIGINT after the cycle: for example
//   MB_ATTACH='strace -f -c -o /tmp/cycle.strace -p %d'   (system calls)
//   MB_ATTACH='perf record -g -o /tmp/cycle.perf -p %d'   (where the time goes)
// MB_BENCH_DIR is where the mail folders of both are made (default /tmp). On
// ext4 without a journal every new file's inode is searched for past the
// inodes any process deleted in the last minute or more: the cost of storing
// then depends on what else runs, and a folder on tmpfs (/dev/shm) compares
// two builds without it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dovecot_fixture.h"
#include "gatewayprocess.h"
#include "platform/socket.h"
#include "receivecorpus.h"
#include "tests/platform/testcertificates.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr int MixCount = 1000;
constexpr int BigCount = 100;
const char* const Fetchmail = "/usr/bin/fetchmail";

// A message of 1 to 5 MB: some text and a base64 attachment.
std::string BigMessage(int n) {
    const std::size_t size = (1 + static_cast<std::size_t>(n % 5)) * 1024 * 1024;
    std::string m = "From: big" + std::to_string(n) + "@example.com\r\nSubject: big " +
                    std::to_string(n) +
                    "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"x\"\r\n"
                    "\r\n--x\r\nContent-Type: text/plain\r\n\r\nAttached.\r\n--x\r\n"
                    "Content-Type: application/zip; name=\"a.zip\"\r\n"
                    "Content-Transfer-Encoding: base64\r\n\r\n";
    const std::string line =
        "UEsDBBQAAAAIAAAAIQBkYXRhZGF0YWRhdGFkYXRhZGF0YWRhdGFkYXRhZGF0YWRhdGFkYXRh\r\n";
    while (m.size() < size)
        m += line;
    return m + "--x--\r\n";
}

struct TBench {
    ~TBench() {
        if (!Folder.empty()) fs::remove_all(Folder);
    }
    TDovecotServer Server;
    fs::path Folder;
    std::string Error;
    bool Ready = false;
};

// One dovecot and one work folder for the whole run.
TBench& Bench() {
    static std::unique_ptr<TBench> bench;
    if (bench) return *bench;
    bench = std::make_unique<TBench>();
    bench->Server.AddUser("bob", "secret");
    bench->Server.AddUser("mix", "secret");
    std::vector<TCorpusMessage> corpus = ReceiveCorpus();
    std::erase_if(corpus, [](const TCorpusMessage& m) { return m.TooLarge || m.Rejected; });
    for (const char* user : {"bob", "mix"})
        for (int n = 0; n < MixCount; ++n)
            bench->Server.AddMessage(user,
                                     corpus[static_cast<std::size_t>(n) % corpus.size()].Text);
    for (int n = 0; n < BigCount; ++n)
        bench->Server.AddMessage("bob", BigMessage(n));
    const char* base = std::getenv("MB_BENCH_DIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/mb-bench-cycle-XXXXXX";
    bench->Folder = mkdtemp(pattern.data());
    try {
        const TTestCertificates& certs = TTestCertificates::Get();
        bench->Server.EnableTls(certs.Server.Cert, certs.Server.Key);
        setenv("SSL_CERT_FILE", certs.TrustFile.c_str(), 1); // for the gateway and fetchmail
    } catch (const std::exception& e) {
        bench->Error = e.what();
        return *bench;
    }
    bench->Ready = bench->Server.Start(bench->Error);
    return *bench;
}

long CountFiles(const fs::path& folder) {
    long count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        count += entry.path().extension() == ".eml";
    return count;
}

// The gateway's folder: the account (mail kept on the server, so fetchmail
// sees the same; over POP3S with tls), the corpus's rule files, a limit that
// lets 5 MB through.
bool PrepareGateway(TBench& bench, const fs::path& folder, const std::string& user, bool tls,
                    std::string& error) {
    fs::create_directories(folder / "cgi");
    fs::create_directories(folder / "config" / "Pellwick");
    fs::create_directories(folder / "run");
    fs::permissions(folder / "run", fs::perms::owner_all);
    for (const auto& [name, content] : RuleFiles())
        std::ofstream(folder / "cgi" / name) << content;
    std::ofstream(folder / "config" / "Pellwick" / "Marrowby.conf")
        << "[Settings]\nlimitsize=10240\n";
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<std::string> args{
        MARROWBY_TOOL, "accounts",
        "--folder",    folder.string(),
        "add",         "home",
        "--host",      "127.0.0.1",
        "--port",      std::to_string(tls ? bench.Server.GetTlsPort() : bench.Server.GetPort()),
        "--user",      user,
        "--password",  "secret",
        "--stay"};
    if (tls) args.push_back("--tls");
    return Run(args, &error) == 0;
}

// CPU time (user and system, all threads) the process has used so far, in
// milliseconds; 0 when unknown.
double CpuMs(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t name = text.rfind(')');
    if (name == std::string::npos) return 0;
    std::istringstream fields(text.substr(name + 2));
    std::string field;
    double ticks = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n) // utime and stime are fields 14 and 15
        if (n >= 14) ticks += std::stod(field);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The MB_ATTACH command on the process, in a process group of its own; -1
// when none is set.
pid_t Attach(pid_t target) {
    const char* command = std::getenv("MB_ATTACH");
    if (!command || !*command) return -1;
    std::string text = command;
    if (const auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(target));
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attr, 0);
    std::string sh = "/bin/sh", dashC = "-c";
    char* argv[] = {sh.data(), dashC.data(), text.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv, environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attr);
    usleep(500 * 1000); // until it is attached
    return pid;
}

void Detach(pid_t pid) {
    if (pid <= 0) return;
    kill(-pid, SIGINT);
    waitpid(pid, nullptr, 0);
}

void BM_MarrowbyCycle(benchmark::State& state, const char* user, bool tls) {
    TBench& bench = Bench();
    if (!bench.Ready) return state.SkipWithError(("dovecot: " + bench.Error).c_str());
    long peak = 0;
    long stored = 0;
    double cpu = 0;
    static int round = 0; // a fresh folder for every repetition
    for (auto _ : state) {
        const fs::path folder = bench.Folder / ("gateway-" + std::string(user) +
                                                (tls ? "-tls" : "") + std::to_string(round++));
        std::string error;
        if (!PrepareGateway(bench, folder, user, tls, error))
            return state.SkipWithError(error.c_str());
        TGateway gateway(MARROWBY_PROGRAM, folder.string(), FreePort());
        if (!gateway.Ready()) return state.SkipWithError("the gateway did not start");
        bool ended = false;
        const pid_t attached = Attach(gateway.Pid());
        const double cpuBefore = CpuMs(gateway.Pid());
        const auto start = std::chrono::steady_clock::now();
        gateway.Cycle(ended, std::chrono::seconds(600));
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        cpu = CpuMs(gateway.Pid()) - cpuBefore;
        Detach(attached);
        state.SetIterationTime(took.count());
        if (!ended) return state.SkipWithError("the cycle did not end");
        peak = gateway.PeakKB();
        gateway.Stop();
        stored = CountFiles(folder);
    }
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
    state.counters["messages"] = static_cast<double>(stored);
    state.counters["cpu_ms"] = cpu;
}

// fetchmail fetching every message, kept on the server, each into its own
// file; with tls over POP3S (--ssl), the certificate checked.
void BM_FetchmailFetch(benchmark::State& state, const char* user, bool tls) {
    TBench& bench = Bench();
    if (!bench.Ready) return state.SkipWithError(("dovecot: " + bench.Error).c_str());
    if (access(Fetchmail, X_OK) != 0) return state.SkipWithError("fetchmail is not installed");
    long peak = 0;
    long stored = 0;
    static int round = 0; // a fresh folder for every repetition
    for (auto _ : state) {
        const fs::path folder = bench.Folder / ("fetchmail-" + std::string(user) +
                                                (tls ? "-tls" : "") + std::to_string(round++));
        fs::create_directories(folder / "mail");
        const fs::path rc = folder / "fetchmailrc";
        std::ofstream(rc) << "poll 127.0.0.1 protocol pop3 port "
                          << (tls ? bench.Server.GetTlsPort() : bench.Server.GetPort())
                          << " user \"" << user
                          << "\" there with password \"secret\" options keep fetchall "
                          << (tls ? "ssl sslcertck sslcommonname localhost"
                                  : "sslproto '' no sslcertck")
                          << " mda \"cat > " << (folder / "mail").string() << "/m.$$.eml\"\n";
        fs::permissions(rc, fs::perms::owner_read | fs::perms::owner_write);
        std::vector<std::string> args{Fetchmail,    "--nodetach",
                                      "--nosyslog", "--silent",
                                      "-f",         rc.string(),
                                      "--pidfile",  (folder / "pid").string(),
                                      "--idfile",   (folder / "ids").string()};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const auto start = std::chrono::steady_clock::now();
        pid_t pid = -1;
        if (posix_spawn(&pid, Fetchmail, nullptr, nullptr, argv.data(), environ) != 0)
            return state.SkipWithError("fetchmail did not start");
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return state.SkipWithError("fetchmail failed");
        peak = usage.ru_maxrss;
        stored = CountFiles(folder / "mail");
    }
    state.counters["peak_rss_kb"] = static_cast<double>(peak);
    state.counters["messages"] = static_cast<double>(stored);
}

// Reads and discards until count multi-line replies have ended.
bool DiscardReplies(platform::TSocket& socket, int count) {
    static constexpr std::string_view End = "\r\n.\r\n";
    std::string tail; // the last bytes of the previous read, for an end that straddles
    std::vector<char> buffer(1 << 20);
    while (count > 0) {
        const std::size_t n = socket.Read(buffer.data(), buffer.size());
        if (n == 0) return false;
        tail.append(buffer.data(), n);
        for (std::size_t at = tail.find(End); at != std::string::npos; at = tail.find(End, at + 3))
            --count;
        tail.erase(0, tail.size() > End.size() ? tail.size() - (End.size() - 1) : 0);
    }
    return true;
}

// Connects and logs in; the greeting and the three replies are read.
void LogIn(platform::TSocket& socket, int port, const char* user) {
    socket.Connect("127.0.0.1", port, 5000);
    socket.SetTimeout(60000);
    const std::string login = "USER " + std::string(user) + "\r\nPASS secret\r\nSTAT\r\n";
    socket.Write(login.data(), login.size());
    char c;
    for (int lines = 0; lines < 4 && socket.Read(&c, 1) == 1;)
        lines += c == '\n';
}

// The floor: login, then every RETR in one write, the bytes read and dropped.
void BM_PipelinedRetr(benchmark::State& state, const char* user) {
    TBench& bench = Bench();
    if (!bench.Ready) return state.SkipWithError(("dovecot: " + bench.Error).c_str());
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        platform::TSocket socket;
        LogIn(socket, bench.Server.GetPort(), user);
        const int count = bench.Server.Messages(user).size();
        std::string retr;
        for (int n = 1; n <= count; ++n)
            retr += "RETR " + std::to_string(n) + "\r\n";
        retr += "QUIT\r\n";
        socket.Write(retr.data(), retr.size());
        if (!DiscardReplies(socket, count)) return state.SkipWithError("the replies stopped");
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        state.counters["messages"] = count;
    }
}

// Sends one command and reads its reply to the end, discarding it: the
// reply ends with end, and nothing follows it since nothing else was asked.
bool Ask(platform::TSocket& socket, const std::string& command, std::string_view end,
         std::vector<char>& buffer) {
    socket.Write(command.data(), command.size());
    std::string tail;
    for (;;) {
        const std::size_t n = socket.Read(buffer.data(), buffer.size());
        if (n == 0) return false;
        tail.append(buffer.data() + (n > end.size() ? n - end.size() : 0), std::min(n, end.size()));
        tail.erase(0, tail.size() > end.size() ? tail.size() - end.size() : 0);
        if (tail == end) return true;
    }
}

// The serial floors: one command at a time, each reply read whole before
// the next command goes out, as the gateway's sessions talk. "retr" sends
// RETR alone; "walk" sends UIDL, LIST and RETR for every message, the
// gateway's own conversation without any of its work.
void BM_SerialFloor(benchmark::State& state, const char* user, bool walk) {
    TBench& bench = Bench();
    if (!bench.Ready) return state.SkipWithError(("dovecot: " + bench.Error).c_str());
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        platform::TSocket socket;
        LogIn(socket, bench.Server.GetPort(), user);
        const int count = bench.Server.Messages(user).size();
        for (int n = 1; n <= count; ++n) {
            const std::string number = std::to_string(n) + "\r\n";
            const bool ok = (!walk || (Ask(socket, "UIDL " + number, "\r\n", buffer) &&
                                       Ask(socket, "LIST " + number, "\r\n", buffer))) &&
                            Ask(socket, "RETR " + number, "\r\n.\r\n", buffer);
            if (!ok) return state.SkipWithError("the replies stopped");
        }
        Ask(socket, "QUIT\r\n", "\r\n", buffer);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        state.counters["messages"] = count;
    }
}

// fetchmail first: the gateway deletes what its rules reject.
BENCHMARK_CAPTURE(BM_PipelinedRetr, mix, "mix")
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SerialFloor, retr_mix, "mix", false)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SerialFloor, walk_mix, "mix", true)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FetchmailFetch, mix, "mix", false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MarrowbyCycle, mix, "mix", false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FetchmailFetch, mix_pop3s, "mix", true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MarrowbyCycle, mix_pop3s, "mix", true)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PipelinedRetr, mix_and_big, "bob")
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FetchmailFetch, mix_and_big, "bob", false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MarrowbyCycle, mix_and_big, "bob", false)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
