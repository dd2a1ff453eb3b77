#include "foundation/base64enc.h"

#include <openssl/evp.h>

std::string Base64Encode(std::string_view bytes) {
    std::string out((bytes.size() + 2) / 3 * 4 + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                 reinterpret_cast<const unsigned char*>(bytes.data()),
                                 static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(length));
    return out;
}
