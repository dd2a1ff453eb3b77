#pragma once
// The gateway program run without a window on a folder, as a user would
// run it on a server: SIGUSR1 starts a cycle, its log lines arrive on its
// standard output, SIGTERM ends it. For the end-to-end test and the
// benchmark against fetchmail.
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

class TGateway {
public:
    // Starts the program and waits (bounded) until it runs; its standard
    // output and error both arrive as lines.
    TGateway(const std::string& program, const std::string& folder, int port);
    ~TGateway();
    TGateway(const TGateway&) = delete;
    TGateway& operator=(const TGateway&) = delete;

    // Starts a cycle and waits (bounded) for its last line: the time line
    // after the last account's end line. The cycle's lines; ended tells
    // whether that line came.
    std::vector<std::string> Cycle(bool& ended,
                                   std::chrono::seconds timeout = std::chrono::seconds(120));
    // Ends the program with SIGTERM; its exit status, -1 when it did not end.
    int Stop();
    // Sends a signal (SIGUSR1 starts a cycle without waiting for it).
    void Signal(int signal) const;
    // The lines the program writes within the time (read, so it never blocks).
    std::vector<std::string> Lines(std::chrono::milliseconds time);
    // Ends the program at once with SIGKILL, as a crash would.
    void Kill();
    bool Ready() const { return FReady; }
    pid_t Pid() const { return FPid; }
    // The program's peak resident memory in kilobytes (VmHWM), 0 when unknown.
    long PeakKB() const;

private:
    bool ReadLine(std::string& line, std::chrono::steady_clock::time_point deadline);

    pid_t FPid = -1;
    int FOut = -1;
    bool FReady = false;
    std::string FBuffer;
};

// A free TCP port of 127.0.0.1.
int FreePort();
// Runs a program to its end: its exit status, its output (with errors) in out.
int Run(const std::vector<std::string>& args, std::string* out = nullptr);
