#include "pop3testclient.h"

#include <utility>

namespace {
constexpr int TimeoutMs = 5000;
} // namespace

TPop3TestClient::TPop3TestClient(int port, const std::string& localAddress) {
    FSocket.Connect("127.0.0.1", port, TimeoutMs, localAddress);
    FSocket.SetTimeout(TimeoutMs);
}

bool TPop3TestClient::Fill() {
    if (FEnded || FSocket.WaitForData(TimeoutMs) != platform::TSocket::TWait::Data) return false;
    char chunk[65536];
    std::size_t n = 0;
    try {
        n = FSocket.Read(chunk, sizeof chunk);
    } catch (const platform::SocketError&) {
    }
    if (n == 0) FEnded = true;
    FBuffer.append(chunk, n);
    return n > 0;
}

std::string TPop3TestClient::Line() {
    std::size_t end;
    while ((end = FBuffer.find("\r\n")) == std::string::npos)
        if (!Fill()) return {};
    std::string line = FBuffer.substr(0, end);
    FBuffer.erase(0, end + 2);
    return line;
}

void TPop3TestClient::Send(std::string_view bytes) {
    FSocket.Write(bytes.data(), bytes.size());
}

std::string TPop3TestClient::Command(std::string_view line) {
    Send(std::string(line) + "\r\n");
    return Line();
}

std::string TPop3TestClient::MultiLine(std::string_view line) {
    Send(std::string(line) + "\r\n");
    std::string first = Line();
    if (first.rfind("+OK", 0) != 0) return first + "\r\n";
    std::string answer = first + "\r\n";
    FBuffer.insert(0, "\r\n"); // the status line's end, so that ".\r\n" is found first too
    std::size_t end;
    while ((end = FBuffer.find("\r\n.\r\n")) == std::string::npos)
        if (!Fill()) return answer + FBuffer.substr(2);
    answer += FBuffer.substr(2, end + 3);
    FBuffer.erase(0, end + 5);
    return answer;
}

std::string TPop3TestClient::Rest() {
    while (Fill()) {
    }
    return std::exchange(FBuffer, {});
}

bool TPop3TestClient::Closed() {
    while (Fill()) {
    }
    return FEnded;
}

std::string Unstuffed(const std::string& answer) {
    std::size_t start = answer.find("\r\n");
    if (start == std::string::npos || !answer.ends_with("\r\n.\r\n")) return {};
    std::string_view data(answer);
    data = data.substr(start + 2, data.size() - 3 - (start + 2));
    std::string out;
    while (!data.empty()) {
        std::size_t end = data.find("\r\n");
        std::string_view line =
            data.substr(0, end == std::string_view::npos ? data.size() : end + 2);
        if (line.starts_with(".")) line.remove_prefix(1);
        out.append(line);
        data.remove_prefix(
            std::min(data.size(), end == std::string_view::npos ? data.size() : end + 2));
    }
    return out;
}
