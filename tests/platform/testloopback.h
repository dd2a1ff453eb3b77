#pragma once
// A connected pair of sockets on 127.0.0.1 for tests: Server is the accepted
// end, Client the connecting one.
#include <future>
#include <memory>

#include "platform/listener.h"
#include "platform/socket.h"

struct TLoopback {
    std::promise<std::unique_ptr<platform::TSocket>> Accepted;
    // Closing the listener would shut its accepted connection down, so it stays.
    std::unique_ptr<platform::TListener> Listener = std::make_unique<platform::TListener>(
        [this](std::unique_ptr<platform::TSocket> s) { Accepted.set_value(std::move(s)); });
    std::unique_ptr<platform::TSocket> Server;
    std::unique_ptr<platform::TSocket> Client = std::make_unique<platform::TSocket>();
};

inline std::unique_ptr<TLoopback> MakeLoopback(const std::string& from = {}) {
    auto pair = std::make_unique<TLoopback>();
    std::string error;
    if (!pair->Listener->Open("127.0.0.1", 0, &error)) throw std::runtime_error(error);
    pair->Client->Connect("127.0.0.1", pair->Listener->GetPort(), 2000, from);
    pair->Server = pair->Accepted.get_future().get();
    return pair;
}

// Reads from the socket until want bytes have arrived or the peer is silent for 10 s.
inline std::string ReadBytes(platform::TSocket& s, std::size_t want) {
    std::string data;
    char chunk[4096];
    while (data.size() < want && s.WaitForData(10000) == platform::TSocket::TWait::Data) {
        std::size_t n = s.Read(chunk, std::min(sizeof chunk, want - data.size()));
        if (n == 0) break;
        data.append(chunk, n);
    }
    return data;
}

inline void WriteText(platform::TSocket& s, std::string_view text) {
    s.Write(text.data(), text.size());
}
