#pragma once
// A POP3 server for tests that plays a script on 127.0.0.1 with an ephemeral
// port, for one client. Script lines:
//   "S: text"  the server sends text and CR LF
//   "C: text"  the server reads one line from the client (any line: the
//              received lines are compared with these afterwards)
//   "W: ms"    the server pauses (for tests of a slow server)
//   "X:"       the server closes the connection
// After the last line the server keeps reading what the client sends until
// the client closes or is silent for the time-out.
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/listener.h"

class TPop3ScriptServer {
public:
    explicit TPop3ScriptServer(std::vector<std::string> script,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10));
    ~TPop3ScriptServer();

    int GetPort() const { return FListener.GetPort(); }
    // Waits for the session to end; the lines the client sent, without CR LF.
    std::vector<std::string> Received();
    // The lines the script expects from the client.
    std::vector<std::string> Expected() const;

private:
    void Play(platform::TSocket& socket);

    std::vector<std::string> FScript;
    std::chrono::milliseconds FTimeout;
    std::promise<std::vector<std::string>> FReceived;
    std::future<std::vector<std::string>> FResult = FReceived.get_future();
    platform::TListener FListener;
};
