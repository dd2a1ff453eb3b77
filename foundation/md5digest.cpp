#include "foundation/md5digest.h"

#include <openssl/evp.h>

std::string TMD5Digest::Digest(std::string_view text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::string hex;
    if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr) != 1) return hex;
    static constexpr char Digits[] = "0123456789abcdef";
    for (unsigned int i = 0; i < length; ++i) {
        hex += Digits[digest[i] >> 4];
        hex += Digits[digest[i] & 0x0F];
    }
    return hex;
}
