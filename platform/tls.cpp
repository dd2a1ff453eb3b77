#include "platform/tls.h"

#include <cctype>

namespace platform {

std::optional<std::string> NormalizeFingerprint(std::string_view text) {
    std::string digits;
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (std::isxdigit(b))
            digits += static_cast<char>(std::toupper(b));
        else if (c != ':' && c != ' ' && c != '\t')
            return std::nullopt;
    }
    if (digits.size() != 64) return std::nullopt;
    std::string pairs;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        if (i) pairs += ':';
        pairs.append(digits, i, 2);
    }
    return pairs;
}

} // namespace platform
