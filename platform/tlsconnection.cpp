#include "platform/tlsconnection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

#include "platform/tlscertificate.h"

namespace platform {

namespace {

constexpr long long NoDeadline = -1;
// What one receive from the socket may take while reading ahead.
constexpr std::size_t ReadAheadBytes = 64 * 1024;

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

long long DeadlineAfter(int ms) {
    return ms < 0 ? NoDeadline : NowMs() + ms;
}

int PollUntil(pollfd* fds, nfds_t count, long long deadline) {
    for (;;) {
        long long left = deadline == NoDeadline ? -1 : std::max(0LL, deadline - NowMs());
        int rc = poll(fds, count, static_cast<int>(std::min<long long>(left, INT_MAX)));
        if (rc >= 0 || errno != EINTR) return rc;
    }
}

bool WantsIo(int sslError) {
    return sslError == SSL_ERROR_WANT_READ || sslError == SSL_ERROR_WANT_WRITE;
}

// The reason OpenSSL gives for the failure it queued last, or the system's.
std::string FailureReason(int sslError, int savedErrno) {
    if (unsigned long e = ERR_peek_last_error()) {
        const char* reason = ERR_reason_error_string(e);
        ERR_clear_error();
        return reason ? reason : "error " + std::to_string(ERR_GET_REASON(e));
    }
    if (sslError == SSL_ERROR_ZERO_RETURN) return "the server ended TLS";
    if (sslError == SSL_ERROR_SYSCALL && savedErrno != 0) {
        char buffer[256];
        return strerror_r(savedErrno, buffer, sizeof buffer);
    }
    return "the connection was closed";
}

// A BIO on the socket's descriptor that never blocks and never raises
// SIGPIPE: every wait is the connection's own poll with its deadline.
struct TBioState {
    int Handle;
    bool Eof = false;
};

TBioState& StateOf(BIO* bio) {
    return *static_cast<TBioState*>(BIO_get_data(bio));
}

int BioRead(BIO* bio, char* data, std::size_t size, std::size_t* done) {
    BIO_clear_retry_flags(bio);
    for (;;) {
        ssize_t n = recv(StateOf(bio).Handle, data, size, MSG_DONTWAIT);
        if (n > 0) {
            *done = static_cast<std::size_t>(n);
            return 1;
        }
        if (n == 0) {
            StateOf(bio).Eof = true;
            return 0;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) BIO_set_retry_read(bio);
        return 0;
    }
}

int BioWrite(BIO* bio, const char* data, std::size_t size, std::size_t* done) {
    BIO_clear_retry_flags(bio);
    for (;;) {
        ssize_t n = send(StateOf(bio).Handle, data, size, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) {
            *done = static_cast<std::size_t>(n);
            return 1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) BIO_set_retry_write(bio);
        return 0;
    }
}

long BioControl(BIO* bio, int command, long, void*) {
    switch (command) {
    case BIO_CTRL_FLUSH:
        return 1;
    case BIO_CTRL_EOF: // lets OpenSSL tell a cut connection from a failed read
        return StateOf(bio).Eof ? 1 : 0;
    default:
        return 0;
    }
}

int BioDestroy(BIO* bio) {
    delete static_cast<TBioState*>(BIO_get_data(bio));
    BIO_set_data(bio, nullptr);
    return 1;
}

const BIO_METHOD* SocketBioMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "socket");
        BIO_meth_set_read_ex(m, BioRead);
        BIO_meth_set_write_ex(m, BioWrite);
        BIO_meth_set_ctrl(m, BioControl);
        BIO_meth_set_destroy(m, BioDestroy);
        return m;
    }();
    return method;
}

BIO* NewSocketBio(int handle) {
    BIO* bio = BIO_new(SocketBioMethod());
    if (!bio) return nullptr;
    BIO_set_data(bio, new TBioState{handle});
    BIO_set_init(bio, 1);
    return bio;
}

bool IsDottedAddress(const std::string& host) {
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1;
}

struct TContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

} // namespace

TTlsConnection::TTlsConnection(int handle) : FHandle(handle) {}

TTlsConnection::~TTlsConnection() {
    SSL_free(FSsl);
}

void TTlsConnection::Connect(const TTlsOptions& options) {
    if (options.ServerName.empty()) throw TlsError("TLS needs the server's name");
    if (!options.Fingerprint.empty()) {
        auto pin = NormalizeFingerprint(options.Fingerprint);
        if (!pin) throw TlsError("The pinned fingerprint is not a SHA-256 fingerprint");
        FPinned = true;
        FPin = *pin;
    }
    ERR_clear_error();
    std::unique_ptr<SSL_CTX, TContextFree> context(SSL_CTX_new(TLS_client_method()));
    if (!context) throw TlsError("TLS is not available: " + FailureReason(SSL_ERROR_SSL, 0));
    SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION);
    // One receive takes whatever has arrived, several records at once, instead
    // of a record's header and then its body: half the receives for the short
    // replies of a session. Wait counts what is buffered that way.
    SSL_CTX_set_read_ahead(context.get(), 1);
    SSL_CTX_set_default_read_buffer_len(context.get(), ReadAheadBytes);
    bool trusted = options.TrustFile.empty()
                       ? SSL_CTX_set_default_verify_paths(context.get()) == 1
                       : SSL_CTX_load_verify_file(context.get(), options.TrustFile.c_str()) == 1;
    if (!trusted)
        throw TlsError("The trusted certificates cannot be loaded: " +
                       FailureReason(SSL_ERROR_SSL, 0));
    FSsl = SSL_new(context.get());
    BIO* bio = FSsl ? NewSocketBio(FHandle) : nullptr;
    if (!bio) throw TlsError("TLS is not available: " + FailureReason(SSL_ERROR_SSL, 0));
    SSL_set_bio(FSsl, bio, bio);
    SSL_set_app_data(FSsl, this);
    X509_VERIFY_PARAM* param = SSL_get0_param(FSsl);
    const std::string& name = options.ServerName;
    if (IsDottedAddress(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str());
    } else {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        X509_VERIFY_PARAM_set1_host(param, name.c_str(), name.size());
        SSL_set_tlsext_host_name(FSsl, name.c_str());
    }
    SSL_set_verify(FSsl, SSL_VERIFY_PEER, Verify);
    Handshake(options.TimeoutMs);
    if (FPinned) CheckPin();
}

// Notes what the chain and name checks found. Without a pin the first error
// ends the handshake; with one the handshake goes on and the pin decides.
int TTlsConnection::Verify(int preverifyOk, X509_STORE_CTX* context) {
    auto* ssl = static_cast<SSL*>(
        X509_STORE_CTX_get_ex_data(context, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* self = static_cast<TTlsConnection*>(SSL_get_app_data(ssl));
    if (self->FCertificateText.empty())
        if (X509* leaf = X509_STORE_CTX_get0_cert(context))
            self->FCertificateText = CertificateText(leaf);
    if (!preverifyOk && self->FVerifyError == X509_V_OK)
        self->FVerifyError = X509_STORE_CTX_get_error(context);
    return self->FPinned ? 1 : preverifyOk;
}

void TTlsConnection::Handshake(int timeoutMs) {
    const long long deadline = DeadlineAfter(timeoutMs);
    for (;;) {
        ERR_clear_error();
        int rc = SSL_connect(FSsl);
        if (rc == 1) return;
        int savedErrno = errno;
        int error = SSL_get_error(FSsl, rc);
        if (WantsIo(error)) {
            if (WaitFor(error, deadline)) continue;
            char text[96];
            std::snprintf(text, sizeof text,
                          "TLS handshake: the server did not finish it within %.1f s",
                          timeoutMs / 1000.0);
            throw TlsError(text);
        }
        if (!FPinned && FVerifyError != X509_V_OK) {
            ERR_clear_error();
            Refuse(X509_verify_cert_error_string(FVerifyError));
        }
        throw TlsError("TLS handshake failed: " + FailureReason(error, savedErrno));
    }
}

void TTlsConnection::CheckPin() {
    X509* peer = SSL_get0_peer_certificate(FSsl);
    if (!peer) Refuse("the server sent no certificate");
    if (FCertificateText.empty()) FCertificateText = CertificateText(peer);
    if (CertificateFingerprint(peer) != FPin) Refuse("its fingerprint is not the pinned one");
}

void TTlsConnection::Refuse(const std::string& reason) const {
    throw TlsError("The server's certificate was refused: " + reason + " (" + FCertificateText +
                   ")");
}

bool TTlsConnection::WaitFor(int sslError, long long deadline) const {
    pollfd fd{FHandle, static_cast<short>(sslError == SSL_ERROR_WANT_WRITE ? POLLOUT : POLLIN), 0};
    return PollUntil(&fd, 1, deadline) > 0;
}

std::string TTlsConnection::Description() const {
    return std::string(SSL_get_version(FSsl)) + " " + SSL_get_cipher_name(FSsl);
}

void TTlsConnection::NoteEnd(int result) {
    int savedErrno = errno;
    FEnded = true;
    if (result != SSL_ERROR_ZERO_RETURN)
        FEndError = "TLS read failed: " + FailureReason(result, savedErrno);
    ERR_clear_error();
}

std::size_t TTlsConnection::EndResult() const {
    if (!FEndError.empty()) throw SocketError(FEndError);
    return 0;
}

// Whether a read would return at once: decrypted bytes are waiting, or the
// bytes that have arrived complete a record (or end the connection).
bool TTlsConnection::Readable() {
    if (FEnded || SSL_pending(FSsl) > 0) return true;
    unsigned char byte;
    std::size_t n = 0;
    ERR_clear_error();
    int rc = SSL_peek_ex(FSsl, &byte, 1, &n);
    if (rc == 1) return true;
    int error = SSL_get_error(FSsl, rc);
    if (WantsIo(error)) return false;
    NoteEnd(error);
    return true;
}

std::optional<std::size_t> TTlsConnection::Read(void* buffer, std::size_t size, int waitMs) {
    if (FEnded) return EndResult();
    auto* into = static_cast<unsigned char*>(buffer);
    std::size_t total = 0;
    const long long deadline = DeadlineAfter(waitMs);
    while (total < size) { // takes every record that is complete, up to size
        ERR_clear_error();
        std::size_t n = 0;
        int rc = SSL_read_ex(FSsl, into + total, size - total, &n);
        if (rc == 1) {
            total += n;
            continue;
        }
        int error = SSL_get_error(FSsl, rc);
        if (!WantsIo(error)) {
            NoteEnd(error);
            break;
        }
        if (total > 0 || !WaitFor(error, deadline)) break;
    }
    if (total > 0) return total;
    if (FEnded) return EndResult();
    return std::nullopt;
}

TSocket::TWait TTlsConnection::Wait(int timeoutMs, int wakeHandle) {
    const long long deadline = DeadlineAfter(timeoutMs);
    bool ready = FEnded || SSL_pending(FSsl) > 0 || (SSL_has_pending(FSsl) && Readable());
    for (;;) {
        pollfd fds[2] = {{FHandle, POLLIN, 0}, {wakeHandle, POLLIN, 0}};
        nfds_t count = wakeHandle >= 0 ? 2 : 1;
        int rc = PollUntil(fds, count, ready ? NowMs() : deadline);
        if (rc > 0 && count == 2 && (fds[1].revents & POLLIN)) return TSocket::TWait::Message;
        if (ready) return TSocket::TWait::Data;
        if (rc <= 0) return TSocket::TWait::Timeout;
        ready = fds[0].revents != 0 && Readable(); // else a record is still arriving
    }
}

void TTlsConnection::Write(const void* data, std::size_t size, int timeoutMs) {
    auto* from = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ERR_clear_error();
        std::size_t n = 0;
        int rc = SSL_write_ex(FSsl, from, size, &n);
        if (rc == 1) {
            from += n;
            size -= n;
            continue;
        }
        int savedErrno = errno;
        int error = SSL_get_error(FSsl, rc);
        if (!WantsIo(error)) throw SocketError("Write failed: " + FailureReason(error, savedErrno));
        if (!WaitFor(error, DeadlineAfter(timeoutMs))) throw SocketError("Write timed out");
    }
}

void TTlsConnection::Close() {
    if (FSsl && SSL_is_init_finished(FSsl) && FEndError.empty()) {
        ERR_clear_error();
        SSL_shutdown(FSsl);
    }
    ERR_clear_error();
}

} // namespace platform
