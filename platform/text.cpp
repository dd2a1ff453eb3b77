#include "platform/text.h"

#include "platform/iconvert.h"

namespace platform {

std::string Cp932ToUtf8(std::string_view text) {
    return IconvConvert(text, "CP932", TTarget::Utf8).value_or(std::string(text));
}

std::string Utf8ToCp932(std::string_view text) {
    return IconvConvert(text, "UTF-8", TTarget::Cp932).value_or(std::string(text));
}

namespace {

// One character of CP932 text as a comparable code: single bytes as they are,
// double-byte characters as lead * 256 + trail.
unsigned Next(std::string_view s, std::size_t& i) {
    auto b = static_cast<unsigned char>(s[i++]);
    if (IsLeadByte(b) && i < s.size()) return b * 256u + static_cast<unsigned char>(s[i++]);
    return b;
}

// ASCII and full-width Latin capitals fold to their small letters.
unsigned Fold(unsigned c) {
    if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
    if (c >= 0x8260 && c <= 0x8279) return c + (0x8281 - 0x8260);
    return c;
}

int Compare(std::string_view a, std::string_view b, bool fold) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned x = Next(a, i), y = Next(b, j);
        if (fold) {
            x = Fold(x);
            y = Fold(y);
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

} // namespace

int CompareStr(std::string_view a, std::string_view b) {
    return Compare(a, b, false);
}

int CompareText(std::string_view a, std::string_view b) {
    return Compare(a, b, true);
}

std::string LowerCase(std::string_view text) {
    std::string lower;
    lower.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const unsigned c = Next(text, i);
        const unsigned folded = Fold(c);
        if (folded == c)
            lower.append(text.substr(start, i - start));
        else if (folded < 0x100)
            lower += static_cast<char>(folded);
        else
            lower += {static_cast<char>(folded >> 8), static_cast<char>(folded & 0xFF)};
    }
    return lower;
}

} // namespace platform
