#include "foundation/japancode.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/charset.h"
#include "platform/text.h"

namespace {

constexpr char Esc = '\x1b';

unsigned char Byte(char c) {
    return static_cast<unsigned char>(c);
}

// Offset of the first escape sequence ESC "$" or "(" then "@", "B" or "J"
// at or after pos; npos when there is none.
std::size_t FindEscape(std::string_view text, std::size_t pos) {
    const std::size_t n = text.size();
    while (pos < n) {
        const void* found = std::memchr(text.data() + pos, Esc, n - pos);
        if (found == nullptr) break;
        std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (IsJISEscape(text, at)) return at;
        pos = at + 1;
    }
    return std::string_view::npos;
}

// Writes the Shift_JIS bytes of the JIS pair (j1, j2); a pair outside
// 0x21..0x7E becomes the full-width question mark.
void PutSJIS(char* out, unsigned j1, unsigned j2) {
    if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E) {
        out[0] = '\x81';
        out[1] = '\x48';
        return;
    }
    unsigned first = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned second = (j1 & 1) ? j2 + 0x1F + (j2 >= 0x60 ? 1 : 0) : j2 + 0x7E;
    out[0] = static_cast<char>(first);
    out[1] = static_cast<char>(second);
}

// Appends a double-byte stretch converted pair by pair; a trailing odd byte
// is dropped.
void AppendJISPairs(std::string& out, std::string_view pairs) {
    const std::size_t n = pairs.size() & ~std::size_t{1};
    const std::size_t base = out.size();
    out.resize(base + n);
    char* o = out.data() + base;
    for (std::size_t i = 0; i < n; i += 2)
        PutSJIS(o + i, Byte(pairs[i]), Byte(pairs[i + 1]));
}

bool IsEUCByte(char c) {
    return Byte(c) >= 0xA1 && Byte(c) <= 0xFE;
}

bool HasSJISOnlyByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return Byte(c) >= 0x81 && Byte(c) <= 0xA0; });
}

} // namespace

bool IsJISEscape(std::string_view text, std::size_t pos) {
    return pos + 2 < text.size() && text[pos] == Esc &&
           (text[pos + 1] == '$' || text[pos + 1] == '(') &&
           (text[pos + 2] == '@' || text[pos + 2] == 'B' || text[pos + 2] == 'J');
}

std::string TJapanCode::ConvertEncoding(std::string_view text, std::string_view charset) {
    try {
        if (platform::SameText(charset, "iso-2022-jp")) return JIS2SJIS(text);
        if (platform::SameText(charset, "euc-jp")) return EUC2SJIS(text);
        return platform::CharsetToCp932(text, charset);
    } catch (const std::exception&) {
        return std::string(text);
    }
}

std::string TJapanCode::JIS2SJIS(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool doubleByte = false;
    std::size_t pos = 0;
    for (std::size_t esc; (esc = FindEscape(text, pos)) != std::string_view::npos; pos = esc + 3) {
        std::string_view stretch = text.substr(pos, esc - pos);
        if (doubleByte)
            AppendJISPairs(out, stretch);
        else
            out.append(stretch);
        doubleByte = text[esc + 1] == '$';
    }
    // The text after the last escape sequence stays as it is, whatever the mode.
    out.append(text.substr(pos));
    return out;
}

std::string TJapanCode::EUC2SJIS(std::string_view text) {
    // Every pair becomes a pair, so the bytes convert in place.
    std::string out(text);
    for (std::size_t i = 0; i + 1 < out.size();) {
        if (IsEUCByte(out[i]) && IsEUCByte(out[i + 1])) {
            PutSJIS(out.data() + i, Byte(out[i]) - 0x80, Byte(out[i + 1]) - 0x80);
            i += 2;
        } else {
            ++i;
        }
    }
    return out;
}

std::string TJapanCode::Convert(std::string_view text) {
    if (FindEscape(text, 0) != std::string_view::npos) return JIS2SJIS(text);
    if (HasSJISOnlyByte(text)) return std::string(text);
    return EUC2SJIS(text);
}
