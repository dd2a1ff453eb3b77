#pragma once
// TLS towards remote servers: how a connection reaches TLS, how the server's
// certificate is checked, and the SHA-256 fingerprints a user pins. The
// connection itself is TSocket::StartTls.
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"

namespace platform {

// How a connection reaches TLS. The numbers are those of the account file.
enum class TTlsMode : int {
    None = 0,     // plain text throughout
    Implicit = 1, // TLS from the first byte (POP3S, port 995)
    StartTls = 2, // a plain greeting, then the protocol's own upgrade (POP3 STLS)
};

struct TTlsOptions {
    // The host name (or dotted IPv4 address) the certificate must be issued
    // for; a name is also sent as the server name indication (SNI).
    std::string ServerName;
    // A pinned SHA-256 fingerprint. When set, exactly the certificate with
    // this fingerprint is accepted, in place of the chain and name checks,
    // and every other certificate is refused.
    std::string Fingerprint;
    // PEM certificates trusted in place of the system's store. Empty: the
    // system's store (which SSL_CERT_FILE and SSL_CERT_DIR may redirect).
    std::string TrustFile;
    // Bound of the whole handshake, as the connect time-out bounds a connect.
    int TimeoutMs = TClientSocket::ConnectTimeout;
};

// A handshake that failed or a certificate that was refused; the text says
// why, with the certificate's subject, issuer and fingerprint when the
// certificate was the reason.
class TlsError : public SocketError {
public:
    using SocketError::SocketError;
};

// The fingerprint in the form that is stored and shown: 32 bytes as upper-case
// hexadecimal pairs joined by colons ("AB:01:..."), as `openssl x509
// -fingerprint -sha256` prints it. Accepts the 64 digits in either case, with
// or without colons or blanks between them; nothing for any other text.
std::optional<std::string> NormalizeFingerprint(std::string_view text);

} // namespace platform
