#pragma once
// The TLS state of one client connection (OpenSSL), on the descriptor of a
// TSocket, which stays the socket's. Every wait is a poll of the descriptor
// with a deadline, so the descriptor keeps its blocking mode and a shutdown
// by another thread ends a wait at once. Only the socket's owner thread uses it.
#include <cstddef>
#include <optional>
#include <string>

#include "platform/socket.h"
#include "platform/tls.h"

struct ssl_st;
struct x509_store_ctx_st;

namespace platform {

class TTlsConnection {
public:
    explicit TTlsConnection(int handle);
    ~TTlsConnection();
    TTlsConnection(const TTlsConnection&) = delete;
    TTlsConnection& operator=(const TTlsConnection&) = delete;

    // The client handshake with the certificate checks of the options;
    // TlsError when it fails or the certificate is refused.
    void Connect(const TTlsOptions& options);
    // The protocol and the cipher ("TLSv1.3 TLS_AES_256_GCM_SHA384").
    std::string Description() const;

    // At most size decrypted bytes, waiting up to waitMs for the first one.
    // Nothing when none came in time; 0 once the peer has ended TLS with its
    // close_notify. An end without close_notify (a cut connection, which could
    // be a truncation) or a TLS error raises SocketError, again at every call.
    std::optional<std::size_t> Read(void* buffer, std::size_t size, int waitMs);
    // Waits up to timeoutMs (negative: no bound) until decrypted bytes or the
    // end can be read (Data) or wakeHandle is readable (Message). Bytes of a
    // record that has not fully arrived are no data yet.
    TSocket::TWait Wait(int timeoutMs, int wakeHandle);
    // All bytes, each wait for the peer bounded by timeoutMs; SocketError.
    void Write(const void* data, std::size_t size, int timeoutMs);
    // Sends close_notify when that is possible without waiting.
    void Close();

private:
    static int Verify(int preverifyOk, x509_store_ctx_st* context);
    bool WaitFor(int sslError, long long deadline) const;
    void Handshake(int timeoutMs);
    void CheckPin();
    bool Readable();
    void NoteEnd(int result);
    std::size_t EndResult() const;
    [[noreturn]] void Refuse(const std::string& reason) const;

    int FHandle;
    ssl_st* FSsl = nullptr;
    bool FPinned = false;
    std::string FPin;
    // The server's certificate as the verification saw it, and its first error.
    std::string FCertificateText;
    int FVerifyError = 0;
    // Set once the peer ended TLS: clean (close_notify) or with FEndError.
    bool FEnded = false;
    std::string FEndError;
};

} // namespace platform
