#include "foundation/charsetdetect.h"

#include <algorithm>
#include <cstddef>

#include "foundation/japancode.h"

namespace {

unsigned Byte(std::string_view text, std::size_t i) {
    return static_cast<unsigned char>(text[i]);
}

bool InRange(std::string_view text, std::size_t i, unsigned low, unsigned high) {
    return i < text.size() && Byte(text, i) >= low && Byte(text, i) <= high;
}

// Well-formed UTF-8 (RFC 3629): no overlong forms, surrogates or code points
// above U+10FFFF.
bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned b = Byte(text, i);
        std::size_t tail = 0;
        unsigned low = 0x80, high = 0xBF; // range of the first continuation byte
        if (b < 0x80) {
        } else if (b >= 0xC2 && b <= 0xDF) {
            tail = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            tail = 2;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            tail = 3;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        ++i;
        for (std::size_t k = 0; k < tail; ++k, ++i)
            if (!InRange(text, i, k == 0 ? low : 0x80, k == 0 ? high : 0xBF)) return false;
    }
    return true;
}

// EUC-JP: ASCII, JIS X 0208 pairs, SS2 half-width katakana, SS3 JIS X 0212.
bool IsEucJp(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned b = Byte(text, i);
        if (b < 0x80) {
            ++i;
        } else if (b == 0x8E) {
            if (!InRange(text, i + 1, 0xA1, 0xDF)) return false;
            i += 2;
        } else if (b == 0x8F) {
            if (!InRange(text, i + 1, 0xA1, 0xFE) || !InRange(text, i + 2, 0xA1, 0xFE))
                return false;
            i += 3;
        } else if (b >= 0xA1 && b <= 0xFE) {
            if (!InRange(text, i + 1, 0xA1, 0xFE)) return false;
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

// Shift_JIS as Windows writes it (CP932): ASCII, half-width katakana, and
// lead bytes 0x81-0x9F and 0xE0-0xFC with trail bytes 0x40-0x7E, 0x80-0xFC.
bool IsShiftJis(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        unsigned b = Byte(text, i);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
            ++i;
        } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            if (!InRange(text, i + 1, 0x40, 0xFC) || Byte(text, i + 1) == 0x7F) return false;
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

bool HasDoubleByteEscape(std::string_view text) {
    for (std::size_t i = text.find('\x1b'); i != std::string_view::npos;
         i = text.find('\x1b', i + 1))
        if (IsJISEscape(text, i) && text[i + 1] == '$') return true;
    return false;
}

} // namespace

std::string_view DetectCharset(std::string_view text) {
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return HasDoubleByteEscape(text) ? "ISO-2022-JP" : "US-ASCII";
    if (IsUtf8(text)) return "UTF-8";
    if (IsEucJp(text)) return "EUC-JP";
    if (IsShiftJis(text)) return "Shift_JIS";
    return "US-ASCII";
}
