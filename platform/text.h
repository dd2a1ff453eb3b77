#pragma once
// Text inside the system is CP932 (Shift_JIS) bytes held in std::string.
// These helpers convert at the boundaries and compare such text.
#include <string>
#include <string_view>

namespace platform {

// True for a byte that starts a double-byte CP932 character (0x81..0x9F, 0xE0..0xFC).
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// True for a byte that may follow a lead byte (0x40..0x7E, 0x80..0xFC). A lead
// byte followed by anything else is a stray byte, not a character.
constexpr bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// True when text[i] starts a double-byte character: a lead byte with a trail byte after it.
constexpr bool IsDoubleByteAt(std::string_view text, std::size_t i) {
    return i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i])) &&
           IsTrailByte(static_cast<unsigned char>(text[i + 1]));
}

// CP932 -> UTF-8 and back. Bytes that do not convert become "?".
std::string Cp932ToUtf8(std::string_view text);
std::string Utf8ToCp932(std::string_view text);

// Locale-aware comparisons of CP932 text: negative, 0 or positive.
// The case-insensitive one folds ASCII and full-width Latin letters, never
// bytes inside a double-byte character.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
inline bool SameText(std::string_view a, std::string_view b) {
    return CompareText(a, b) == 0;
}
// The text with the letters that CompareText folds (ASCII and full-width
// Latin capitals) made small; every other character stays as it is.
std::string LowerCase(std::string_view text);

} // namespace platform
