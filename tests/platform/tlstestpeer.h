#pragma once
// The server end of a TLS connection for tests, on a connected TSocket (an
// accepted one): blocking OpenSSL on the socket's descriptor, bounded by the
// socket's time-outs. SIGPIPE is blocked on the thread that makes the peer,
// which must be a thread of the peer's own (the tested code runs elsewhere
// and must never need that).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"

struct ssl_st;

class TTlsTestPeer {
public:
    // maxVersion: the highest protocol offered (an OpenSSL version number such
    // as TLS1_1_VERSION), 0 for the library's own.
    TTlsTestPeer(platform::TSocket& socket, const std::string& cert, const std::string& key,
                 int maxVersion = 0);
    ~TTlsTestPeer();
    TTlsTestPeer(const TTlsTestPeer&) = delete;
    TTlsTestPeer& operator=(const TTlsTestPeer&) = delete;

    // The handshake; false with OpenSSL's reason when it fails.
    bool Accept(std::string* error = nullptr);
    // The server name the client sent (SNI); empty when none.
    std::string ServerName() const;
    // False when the connection failed.
    bool Write(std::string_view bytes);
    // At most size bytes within timeoutMs: nothing on a time-out, 0 at the end.
    std::optional<std::size_t> Read(char* buffer, std::size_t size, int timeoutMs);
    // Sends close_notify; the socket stays open.
    void CloseNotify();

private:
    platform::TSocket& FSocket;
    ssl_st* FSsl = nullptr;
};
