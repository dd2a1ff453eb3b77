#include "tlstestpeer.h"

#include <csignal>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>

TTlsTestPeer::TTlsTestPeer(platform::TSocket& socket, const std::string& cert,
                           const std::string& key, int maxVersion)
    : FSocket(socket) {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (maxVersion != 0) {
        SSL_CTX_set_security_level(context, 0); // old protocols need the lowest level
        SSL_CTX_set_min_proto_version(context, TLS1_VERSION);
        SSL_CTX_set_max_proto_version(context, maxVersion);
    }
    bool loaded = SSL_CTX_use_certificate_chain_file(context, cert.c_str()) == 1 &&
                  SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) == 1;
    FSsl = loaded ? SSL_new(context) : nullptr;
    SSL_CTX_free(context);
    if (!FSsl) throw std::runtime_error("the test peer cannot use " + cert);
    SSL_set_fd(FSsl, socket.GetHandle());
}

TTlsTestPeer::~TTlsTestPeer() {
    SSL_free(FSsl);
}

bool TTlsTestPeer::Accept(std::string* error) {
    ERR_clear_error();
    if (SSL_accept(FSsl) == 1) return true;
    if (error) {
        const char* reason = ERR_reason_error_string(ERR_peek_last_error());
        *error = reason ? reason : "the connection ended";
    }
    ERR_clear_error();
    return false;
}

std::string TTlsTestPeer::ServerName() const {
    const char* name = SSL_get_servername(FSsl, TLSEXT_NAMETYPE_host_name);
    return name ? name : "";
}

bool TTlsTestPeer::Write(std::string_view bytes) {
    ERR_clear_error();
    std::size_t written = 0;
    bool ok = bytes.empty() || SSL_write_ex(FSsl, bytes.data(), bytes.size(), &written) == 1;
    ERR_clear_error();
    return ok;
}

std::optional<std::size_t> TTlsTestPeer::Read(char* buffer, std::size_t size, int timeoutMs) {
    if (SSL_pending(FSsl) == 0) {
        pollfd fd{FSocket.GetHandle(), POLLIN, 0};
        if (poll(&fd, 1, timeoutMs) <= 0) return std::nullopt;
    }
    ERR_clear_error();
    std::size_t n = 0;
    int rc = SSL_read_ex(FSsl, buffer, size, &n);
    ERR_clear_error();
    return rc == 1 ? n : 0;
}

void TTlsTestPeer::CloseNotify() {
    SSL_shutdown(FSsl);
    ERR_clear_error();
}
