#pragma once
// What the log says about a server's certificate.
#include <string>

struct x509_st;

namespace platform {

// The SHA-256 fingerprint in the stored form of NormalizeFingerprint.
std::string CertificateFingerprint(x509_st* certificate);
// "subject CN=...; issuer CN=...; SHA-256 AB:..." with the names as RFC 2253
// text, control and 8-bit bytes escaped, each name cut to a bounded length.
std::string CertificateText(x509_st* certificate);

} // namespace platform
