#include "platform/commandrun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

using TClock = std::chrono::steady_clock;

// How often a running command is looked at while it prints nothing.
constexpr int kTickMs = 20;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string ErrorText(int error) {
    char buffer[256];
    return strerror_r(error, buffer, sizeof buffer);
}

// One end of a pipe the parent reads, with what came through it.
struct TPipe {
    int Read = -1;
    int Write = -1;
    std::string Text;
    bool Open = false;
    std::size_t Limit = 0;

    ~TPipe() {
        if (Read >= 0) close(Read);
        if (Write >= 0) close(Write);
    }
    bool Make(std::size_t limit) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        Read = fds[0];
        Write = fds[1];
        Open = true;
        Limit = limit;
        return true;
    }
    void CloseWrite() {
        close(Write);
        Write = -1;
    }
    // Takes what is there without waiting; past the limit bytes are dropped,
    // so a command that prints on cannot fill the pipe and stall.
    void Drain() {
        char buffer[4096];
        while (Open) {
            ssize_t n = read(Read, buffer, sizeof buffer);
            if (n > 0) {
                std::size_t room = Limit > Text.size() ? Limit - Text.size() : 0;
                Text.append(buffer, std::min(room, static_cast<std::size_t>(n)));
            } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
                Open = false;
            } else if (errno == EAGAIN) {
                return;
            }
        }
    }
};

// The child: the program of words with /dev/null as input, the two pipes as
// its output, in a process group of its own with default signal handling.
int Spawn(const std::vector<std::string>& words, TPipe& out, TPipe& err, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.Write, 1);
    posix_spawn_file_actions_adddup2(&actions, err.Write, 2);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETPGROUP);
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    int rc = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return rc;
}

std::string StatusText(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return "ended abnormally";
}

// The first line of the error output, made fit for a log line: control bytes
// become blanks, the text is cut, and nothing of secret (what the command
// printed on its standard output) is left in it.
std::string ErrorExcerpt(const std::string& text, const std::string& secret) {
    std::string line = text.substr(0, text.find('\n'));
    if (!secret.empty())
        for (std::size_t at; (at = line.find(secret)) != std::string::npos;)
            line.replace(at, secret.size(), "****");
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (line.size() > MaxCommandErrorText) line = line.substr(0, MaxCommandErrorText) + "...";
    return line;
}

// The command's first line; an error text when it is not one to use.
std::optional<std::string> FirstLine(const std::string& out, std::string& line) {
    std::size_t end = out.find('\n');
    if (end == std::string::npos && out.size() >= MaxCommandOutput)
        return "its first output line is longer than " + std::to_string(MaxCommandOutput) +
               " bytes";
    line = out.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) return std::string("it printed nothing on its first line");
    for (char c : line)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f)
            return std::string("its first output line holds a control character");
    return std::nullopt;
}

// Watches the running child until it ends, runs past the deadline or the
// hang-up handle sees its connection end. The wait status, or an error text
// after the child's group was killed.
std::optional<std::string> Watch(pid_t pid, TPipe& out, TPipe& err, int hangupHandle,
                                 TClock::time_point deadline, std::chrono::milliseconds timeout,
                                 int& status) {
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            out.Drain(); // what it printed before it ended; a child it left
            err.Drain(); // holding the pipes open is not waited for
            return std::nullopt;
        }
        std::optional<std::string> stop;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
        if (left.count() <= 0) {
            char text[80];
            std::snprintf(text, sizeof text, "it did not end within %.1f seconds and was stopped",
                          static_cast<double>(timeout.count()) / 1000);
            stop = text;
        }
        pollfd fds[3] = {{out.Open ? out.Read : -1, POLLIN, 0},
                         {err.Open ? err.Read : -1, POLLIN, 0},
                         {hangupHandle, POLLRDHUP, 0}};
        if (!stop &&
            poll(fds, 3, static_cast<int>(std::min<long long>(left.count(), kTickMs))) > 0) {
            if (fds[0].revents) out.Drain();
            if (fds[1].revents) err.Drain();
            if (fds[2].revents) stop = std::string("the session ended while it ran");
        }
        if (stop) {
            kill(-pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return stop;
        }
    }
}

TCommandResult Failure(std::string why) {
    return {false, {}, std::move(why)};
}

} // namespace

std::optional<std::vector<std::string>> SplitCommandWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (++i == line.size()) return std::nullopt;
            word += line[i];
        } else if (c == '\'') {
            std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(line.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) return std::nullopt;
                if (line[i] == '"') break;
                if (line[i] == '\\' && i + 1 < line.size() &&
                    std::string_view("\\\"$`").find(line[i + 1]) != std::string_view::npos)
                    ++i;
                word += line[i];
            }
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    if (words.empty()) return std::nullopt;
    return words;
}

TCommandResult RunFirstLine(std::string_view commandLine, std::chrono::milliseconds timeout,
                            int hangupHandle) {
    auto words = SplitCommandWords(commandLine);
    if (!words) return Failure("the command line is empty or has an open quote");
    TPipe out, err;
    if (!out.Make(MaxCommandOutput) || !err.Make(4096))
        return Failure("no pipe for the command: " + ErrorText(errno));
    const auto deadline = TClock::now() + timeout;
    pid_t pid = -1;
    if (int rc = Spawn(*words, out, err, pid); rc != 0)
        return Failure("the command " + (*words)[0] + " could not be started: " + ErrorText(rc));
    out.CloseWrite();
    err.CloseWrite();
    fcntl(out.Read, F_SETFL, O_NONBLOCK);
    fcntl(err.Read, F_SETFL, O_NONBLOCK);
    int status = 0;
    std::optional<std::string> why = Watch(pid, out, err, hangupHandle, deadline, timeout, status);
    std::string line;
    if (!why && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        why = "it ended with " + StatusText(status);
    if (!why) why = FirstLine(out.Text, line);
    if (!why) return {true, std::move(line), {}};
    std::string firstOut = out.Text.substr(0, out.Text.find('\n'));
    if (!firstOut.empty() && firstOut.back() == '\r') firstOut.pop_back();
    std::string excerpt = ErrorExcerpt(err.Text, firstOut);
    return Failure("the command " + (*words)[0] + " failed: " + *why +
                   (excerpt.empty() ? std::string() : " (" + excerpt + ")"));
}

} // namespace platform
