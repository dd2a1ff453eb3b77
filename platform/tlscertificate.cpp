#include "platform/tlscertificate.h"

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace platform {

namespace {

// A server chooses its names: a longer one is cut, so it cannot flood the log.
constexpr std::size_t MaxNameText = 256;

std::string NameText(const X509_NAME* name) {
    BIO* memory = BIO_new(BIO_s_mem());
    if (!memory) return "?";
    X509_NAME_print_ex(memory, name, 0, XN_FLAG_RFC2253);
    char* data = nullptr;
    long length = BIO_get_mem_data(memory, &data);
    std::string text(data ? data : "", length > 0 ? static_cast<std::size_t>(length) : 0);
    BIO_free(memory);
    for (char& c : text) // the escapes leave none; a guard all the same
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '?';
    if (text.size() > MaxNameText) text = text.substr(0, MaxNameText) + "...";
    return text;
}

} // namespace

std::string CertificateFingerprint(X509* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (X509_digest(certificate, EVP_sha256(), digest, &length) != 1) return {};
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i) text += ':';
        text += Hex[digest[i] >> 4];
        text += Hex[digest[i] & 15];
    }
    return text;
}

std::string CertificateText(X509* certificate) {
    return "subject " + NameText(X509_get_subject_name(certificate)) + "; issuer " +
           NameText(X509_get_issuer_name(certificate)) + "; SHA-256 " +
           CertificateFingerprint(certificate);
}

} // namespace platform
