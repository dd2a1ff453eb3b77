#pragma once
// A POP3 server for tests that plays a script on 127.0.0.1 with an ephemeral
// port, for one client. Script lines:
//   "S: text"  the server sends text and CR LF
//   "C: text"  the server reads one line from the client (any line: the
//              received lines are compared with these afterwards)
//   "W: ms"    the server pauses (for tests of a slow server)
//   "X:"       the server closes the connection (over TLS without close_notify)
//   "T:"       the server takes the TLS handshake with its certificate; from
//              here on lines go over TLS ("T:" first: POP3S; after the
//              reply to STLS: STLS)
//   "R: hex"   the server sends these bytes as they are ("16 03 03": 3 bytes)
// After the last line the server keeps reading what the client sends until
// the client closes or is silent for the time-out.
#include <chrono>
#include <future>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/listener.h"
#include "platform/testcertificates.h"

// The parts of a script one after another.
std::vector<std::string> JoinScript(std::initializer_list<std::vector<std::string>> parts);
// The "R:" line that sends these bytes as they are.
std::string RawStep(std::string_view bytes);

class TPop3ScriptServer {
public:
    // certificate: the one "T:" serves; the test set's Server when none.
    explicit TPop3ScriptServer(std::vector<std::string> script,
                               std::chrono::milliseconds timeout = std::chrono::seconds(10),
                               std::optional<TTestCertificate> certificate = std::nullopt);
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
    TTestCertificate FCertificate;
    std::promise<std::vector<std::string>> FReceived;
    std::future<std::vector<std::string>> FResult = FReceived.get_future();
    platform::TListener FListener;
};
