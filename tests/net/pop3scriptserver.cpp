#include "pop3scriptserver.h"

#include <stdexcept>
#include <thread>

namespace {

// Reads CR LF lines from a socket; empty when the client has closed or stayed
// silent for the time-out.
class TLineReader {
public:
    TLineReader(platform::TSocket& socket, std::chrono::milliseconds timeout)
        : FSocket(socket), FTimeout(static_cast<int>(timeout.count())) {}

    std::optional<std::string> Next() {
        for (;;) {
            std::size_t end = FBuffer.find("\r\n");
            if (end != std::string::npos) {
                std::string line = FBuffer.substr(0, end);
                FBuffer.erase(0, end + 2);
                return line;
            }
            if (FSocket.WaitForData(FTimeout) != platform::TSocket::TWait::Data) return {};
            char chunk[4096];
            std::size_t n = 0;
            try {
                n = FSocket.Read(chunk, sizeof chunk);
            } catch (const platform::SocketError&) {
            }
            if (n == 0) return {};
            FBuffer.append(chunk, n);
        }
    }

private:
    platform::TSocket& FSocket;
    int FTimeout;
    std::string FBuffer;
};

} // namespace

TPop3ScriptServer::TPop3ScriptServer(std::vector<std::string> script,
                                     std::chrono::milliseconds timeout)
    : FScript(std::move(script)), FTimeout(timeout),
      FListener([this](std::unique_ptr<platform::TSocket> socket) { Play(*socket); }) {
    std::string error;
    if (!FListener.Open("127.0.0.1", 0, &error)) throw std::runtime_error(error);
}

TPop3ScriptServer::~TPop3ScriptServer() {
    FListener.Close();
}

void TPop3ScriptServer::Play(platform::TSocket& socket) {
    std::vector<std::string> received;
    TLineReader reader(socket, FTimeout);
    try {
        for (const auto& step : FScript) {
            if (step.starts_with("S: ")) {
                std::string line = step.substr(3) + "\r\n";
                socket.Write(line.data(), line.size());
            } else if (step.starts_with("C:")) {
                auto line = reader.Next();
                if (!line) break;
                received.push_back(*line);
            } else if (step.starts_with("W: ")) {
                std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.substr(3))));
            } else if (step == "X:") {
                socket.Close();
                break;
            }
        }
        while (socket.GetConnected()) {
            auto line = reader.Next();
            if (!line) break;
            received.push_back(*line);
        }
    } catch (const platform::SocketError&) {
    }
    socket.Close();
    FReceived.set_value(std::move(received));
}

std::vector<std::string> TPop3ScriptServer::Received() {
    if (FResult.wait_for(FTimeout * 3) != std::future_status::ready) return {"(no session)"};
    return FResult.get();
}

std::vector<std::string> TPop3ScriptServer::Expected() const {
    std::vector<std::string> lines;
    for (const auto& step : FScript)
        if (step.starts_with("C: ")) lines.push_back(step.substr(3));
    return lines;
}
