#include "dovecot_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/listener.h"
#include "platform/socket.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;
constexpr auto StartLimit = 15s; // dovecot normally greets within a second

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

// A port of 127.0.0.1 that nothing listens on right now.
int FreePort() {
    platform::TListener probe([](std::unique_ptr<platform::TSocket>) {});
    std::string error;
    if (!probe.Open("127.0.0.1", 0, &error)) throw std::runtime_error(error);
    return probe.GetPort();
}

std::string UserName(uid_t uid) {
    const passwd* entry = getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

} // namespace

bool TDovecotServer::Available() {
    return access(Binary, X_OK) == 0;
}

TDovecotServer::TDovecotServer() {
    bool root = geteuid() == 0;
    FUid = root ? Nobody : geteuid();
    FGid = root ? NoGroup : getegid();
    std::string pattern = (fs::temp_directory_path() / "marrowby-dovecot-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    FFolder = pattern;
    // The mail processes run as FUid and must reach the maildirs inside.
    fs::permissions(FFolder, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::create_directories(FFolder + "/run");
    fs::create_directories(FFolder + "/state");
    fs::create_directories(FFolder + "/mail");
    Own(FFolder + "/mail");
}

TDovecotServer::~TDovecotServer() {
    Stop();
    std::error_code ignored;
    fs::remove_all(FFolder, ignored);
}

void TDovecotServer::Own(const std::string& path) const {
    if (geteuid() == 0 && chown(path.c_str(), FUid, FGid) != 0)
        throw std::runtime_error("cannot give " + path + " to the mail user");
}

std::string TDovecotServer::MailDir(const std::string& user) const {
    return FFolder + "/mail/" + user;
}

void TDovecotServer::EnableTls(const std::string& cert, const std::string& key) {
    FCert = cert;
    FKey = key;
}

void TDovecotServer::AddUser(const std::string& user, const std::string& password) {
    FUsers.emplace_back(user, password);
    fs::create_directories(MailDir(user));
    Own(MailDir(user));
    for (const char* sub : {"/cur", "/new", "/tmp"}) {
        fs::create_directories(MailDir(user) + sub);
        Own(MailDir(user) + sub);
    }
}

void TDovecotServer::AddMessage(const std::string& user, const std::string& text) {
    // Dovecot numbers new messages in the order of the time in their names.
    char name[64];
    std::snprintf(name, sizeof name, "%010d.M%dP1.marrowby", 1000000000 + FNextMessage,
                  FNextMessage);
    ++FNextMessage;
    std::string temp = MailDir(user) + "/tmp/" + name;
    WriteText(temp, text);
    Own(temp);
    fs::rename(temp, MailDir(user) + "/new/" + name);
}

std::vector<std::string> TDovecotServer::Messages(const std::string& user) const {
    std::vector<fs::path> files;
    for (const char* sub : {"/cur", "/new"})
        for (const auto& entry : fs::directory_iterator(MailDir(user) + sub))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    std::vector<std::string> messages;
    for (const auto& f : files)
        messages.push_back(ReadText(f));
    return messages;
}

std::string TDovecotServer::TlsConfig() const {
    if (FCert.empty()) return "ssl = no\n";
    return "ssl = yes\nssl_cert = <" + FCert + "\nssl_key = <" + FKey + "\n";
}

void TDovecotServer::WriteConfig() const {
    std::string users;
    for (const auto& [user, password] : FUsers)
        users += user + ":{PLAIN}" + password + ":" + std::to_string(FUid) + ":" +
                 std::to_string(FGid) + "::" + MailDir(user) + "::\n";
    WriteText(FFolder + "/passwd", users);
    std::string self = UserName(geteuid());
    std::string config = "base_dir = " + FFolder +
                         "/run\n"
                         "state_dir = " +
                         FFolder +
                         "/state\n"
                         "log_path = " +
                         FFolder +
                         "/dovecot.log\n"
                         "protocols = pop3\n"
                         "listen = 127.0.0.1\n" +
                         TlsConfig() +
                         "disable_plaintext_auth = no\n"
                         "auth_mechanisms = plain apop\n"
                         "first_valid_uid = " +
                         std::to_string(FUid) +
                         "\n"
                         "last_valid_uid = " +
                         std::to_string(FUid) +
                         "\n"
                         "mail_location = maildir:~\n"
                         "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " +
                         FFolder +
                         "/passwd\n}\n"
                         "userdb {\n  driver = passwd-file\n  args = " +
                         FFolder +
                         "/passwd\n}\n"
                         "service pop3-login {\n  chroot =\n"
                         "  inet_listener pop3 {\n    address = 127.0.0.1\n    port = " +
                         std::to_string(FPort) +
                         "\n  }\n  inet_listener pop3s {\n    address = 127.0.0.1\n    port = " +
                         std::to_string(FTlsPort) +
                         "\n  }\n}\n"
                         "service anvil {\n  chroot =\n}\n";
    if (geteuid() != 0) // an ordinary user runs every dovecot process as itself
        config += "default_internal_user = " + self + "\ndefault_login_user = " + self + "\n";
    WriteText(FFolder + "/dovecot.conf", config);
}

bool TDovecotServer::Start(std::string& error) {
    if (!Available()) {
        error = std::string(Binary) + " is not installed";
        return false;
    }
    for (int attempt = 0; attempt < 3; ++attempt) { // another program may take the port first
        FPort = FreePort();
        if (!FCert.empty()) do
                FTlsPort = FreePort();
            while (FTlsPort == FPort);
        WriteConfig();
        if (Launch(error) && WaitUntilGreeting(error)) return true;
        Stop();
    }
    return false;
}

// Dovecot runs in the foreground as a child that is stopped with its parent,
// so a test that dies leaves no server behind.
bool TDovecotServer::Launch(std::string& error) {
    std::string config = FFolder + "/dovecot.conf";
    std::string output = FFolder + "/stderr.log";
    const char* argv[] = {Binary, "-F", "-c", config.c_str(), nullptr};
    pid_t parent = getpid();
    FPid = fork();
    if (FPid == 0) { // only async-signal-safe calls until exec
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || dup2(fd, 1) < 0 || dup2(fd, 2) < 0) _exit(1);
        execv(Binary, const_cast<char**>(argv));
        _exit(127);
    }
    if (FPid < 0) {
        error = std::string("cannot start dovecot: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool TDovecotServer::WaitUntilGreeting(std::string& error) {
    auto deadline = std::chrono::steady_clock::now() + StartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status;
        if (waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            error = "dovecot ended at start:\n" + Logs();
            return false;
        }
        try {
            platform::TSocket probe;
            probe.Connect("127.0.0.1", FPort, 500);
            char greeting[3] = {};
            if (probe.WaitForData(2000) == platform::TSocket::TWait::Data &&
                probe.Read(greeting, sizeof greeting) == 3 && std::string(greeting, 3) == "+OK")
                return true;
        } catch (const platform::SocketError&) {
        }
        std::this_thread::sleep_for(50ms);
    }
    error = "dovecot did not greet within 15 s:\n" + Logs();
    return false;
}

std::string TDovecotServer::Logs() const {
    return ReadText(FFolder + "/stderr.log") + ReadText(FFolder + "/dovecot.log");
}

void TDovecotServer::Stop() {
    if (FPid < 0) return;
    kill(FPid, SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + 10s;
    int status;
    while (waitpid(FPid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(FPid, SIGKILL);
            waitpid(FPid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    FPid = -1;
}
