#include "pop3scriptserver.h"

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "platform/tlstestpeer.h"

namespace {

// The server's end of the connection: plain, or TLS once the script starts
// it. Lines are CR LF lines; a line is nothing when the client has closed or
// stayed silent for the time-out.
class TScriptConnection {
public:
    TScriptConnection(platform::TSocket& socket, std::chrono::milliseconds timeout)
        : FSocket(socket), FTimeout(static_cast<int>(timeout.count())) {}

    bool StartTls(const TTestCertificate& certificate) {
        FTls = std::make_unique<TTlsTestPeer>(FSocket, certificate.Cert, certificate.Key);
        return FTls->Accept();
    }

    void Send(const std::string& bytes) {
        if (!FTls)
            FSocket.Write(bytes.data(), bytes.size());
        else if (!FTls->Write(bytes))
            throw platform::SocketError("TLS write failed");
    }

    std::optional<std::string> Next() {
        for (;;) {
            std::size_t end = FBuffer.find("\r\n");
            if (end != std::string::npos) {
                std::string line = FBuffer.substr(0, end);
                FBuffer.erase(0, end + 2);
                return line;
            }
            char chunk[4096];
            std::optional<std::size_t> n = Read(chunk, sizeof chunk);
            if (!n || *n == 0) return {};
            FBuffer.append(chunk, *n);
        }
    }

private:
    std::optional<std::size_t> Read(char* chunk, std::size_t size) {
        if (FTls) return FTls->Read(chunk, size, FTimeout);
        if (FSocket.WaitForData(FTimeout) != platform::TSocket::TWait::Data) return {};
        try {
            return FSocket.Read(chunk, size);
        } catch (const platform::SocketError&) {
            return 0;
        }
    }

    platform::TSocket& FSocket;
    int FTimeout;
    std::string FBuffer;
    std::unique_ptr<TTlsTestPeer> FTls;
};

// "16 03 03" as three bytes.
std::string HexBytes(const std::string& hex) {
    std::string digits;
    std::copy_if(hex.begin(), hex.end(), std::back_inserter(digits),
                 [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
    std::string bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

bool StartsTls(const std::vector<std::string>& script) {
    return std::find(script.begin(), script.end(), "T:") != script.end();
}

} // namespace

std::string RawStep(std::string_view bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string step = "R: ";
    step.reserve(step.size() + bytes.size() * 2);
    for (unsigned char c : bytes) {
        step += Digits[c >> 4];
        step += Digits[c & 15];
    }
    return step;
}

std::vector<std::string> JoinScript(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TPop3ScriptServer::TPop3ScriptServer(std::vector<std::string> script,
                                     std::chrono::milliseconds timeout,
                                     std::optional<TTestCertificate> certificate)
    : FScript(std::move(script)), FTimeout(timeout),
      FCertificate(certificate          ? *certificate
                   : StartsTls(FScript) ? TTestCertificates::Get().Server
                                        : TTestCertificate{}),
      FListener([this](std::unique_ptr<platform::TSocket> socket) { Play(*socket); }) {
    std::string error;
    if (!FListener.Open("127.0.0.1", 0, &error)) throw std::runtime_error(error);
}

TPop3ScriptServer::~TPop3ScriptServer() {
    FListener.Close();
}

void TPop3ScriptServer::Play(platform::TSocket& socket) {
    std::vector<std::string> received;
    TScriptConnection connection(socket, FTimeout);
    try {
        for (const auto& step : FScript) {
            if (step.starts_with("S: ")) {
                connection.Send(step.substr(3) + "\r\n");
            } else if (step.starts_with("R: ")) {
                connection.Send(HexBytes(step.substr(3)));
            } else if (step.starts_with("C:")) {
                auto line = connection.Next();
                if (!line) break;
                received.push_back(*line);
            } else if (step.starts_with("W: ")) {
                std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(step.substr(3))));
            } else if (step == "T:") {
                if (!connection.StartTls(FCertificate)) break;
            } else if (step == "X:") {
                socket.Close();
                break;
            }
        }
        while (socket.GetConnected()) {
            auto line = connection.Next();
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
