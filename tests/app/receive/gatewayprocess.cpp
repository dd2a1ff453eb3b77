#include "gatewayprocess.h"

#include <csignal>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using Clock = std::chrono::steady_clock;

int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size);
    close(fd);
    return ntohs(addr.sin_port);
}

int Run(const std::vector<std::string>& args, std::string* out) {
    std::string command;
    for (const std::string& a : args)
        command += "'" + a + "' ";
    FILE* pipe = popen((command + "2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::string text;
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, n);
    if (out) *out = text;
    return pclose(pipe);
}

TGateway::TGateway(const std::string& program, const std::string& folder, int port) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<std::string> args{program, "--headless", "--folder",
                                  folder,  "--port",     std::to_string(port)};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&FPid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        FPid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    FOut = fds[0];
    // Until its handlers are installed a signal would end the program.
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    std::string line;
    while (!FReady && ReadLine(line, deadline))
        FReady = line.find("running without a window") != std::string::npos;
}

TGateway::~TGateway() {
    if (FPid > 0) {
        kill(FPid, SIGKILL);
        waitpid(FPid, nullptr, 0);
    }
    if (FOut >= 0) close(FOut);
}

std::vector<std::string> TGateway::Cycle(bool& ended, std::chrono::seconds timeout) {
    ended = false;
    std::vector<std::string> lines;
    if (FPid <= 0 || !FReady) return lines;
    kill(FPid, SIGUSR1);
    bool last = false;
    const auto deadline = Clock::now() + timeout;
    std::string line;
    while (ReadLine(line, deadline)) {
        lines.push_back(line);
        if (line.starts_with("== END ")) last = true;
        if (last && line.size() == 8 && line[2] == ':' && line[5] == ':') {
            ended = true;
            break;
        }
    }
    return lines;
}

int TGateway::Stop() {
    if (FPid <= 0) return -1;
    kill(FPid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200; ++i) {
        if (waitpid(FPid, &status, WNOHANG) == FPid) {
            FPid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        usleep(50 * 1000);
    }
    return -1;
}

void TGateway::Signal(int signal) const {
    if (FPid > 0) kill(FPid, signal);
}

std::vector<std::string> TGateway::Lines(std::chrono::milliseconds time) {
    std::vector<std::string> lines;
    const auto deadline = Clock::now() + time;
    std::string line;
    while (ReadLine(line, deadline))
        lines.push_back(line);
    return lines;
}

void TGateway::Kill() {
    if (FPid <= 0) return;
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
    FPid = -1;
}

long TGateway::PeakKB() const {
    std::ifstream status("/proc/" + std::to_string(FPid) + "/status");
    std::string word;
    while (status >> word)
        if (word == "VmHWM:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    return 0;
}

bool TGateway::ReadLine(std::string& line, Clock::time_point deadline) {
    for (;;) {
        const std::size_t end = FBuffer.find('\n');
        if (end != std::string::npos) {
            line = FBuffer.substr(0, end);
            FBuffer.erase(0, end + 1);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{FOut, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buffer[65536];
        const ssize_t n = read(FOut, buffer, sizeof buffer);
        if (n <= 0) return false;
        FBuffer.append(buffer, static_cast<std::size_t>(n));
    }
}
