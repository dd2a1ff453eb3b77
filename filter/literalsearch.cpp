#include "filter/literalsearch.h"

#include <algorithm>

#include "platform/text.h"

TLiteralSearch::TLiteralSearch(std::string_view needle, bool caseless)
    : FNeedle(needle), FFold(needle.size(), '\0') {
    for (std::size_t i = 0; i < needle.size(); ++i) {
        const auto b = static_cast<unsigned char>(needle[i]);
        if (platform::IsDoubleByteAt(needle, i)) {
            ++i;
            continue;
        }
        FEndsInLead = i + 1 == needle.size() && platform::IsLeadByte(b);
        if (caseless && ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))) {
            FFold[i] = 0x20;
            FNeedle[i] = static_cast<char>(b | 0x20);
        }
    }
    const std::size_t m = FNeedle.size();
    FShift.fill(static_cast<std::uint8_t>(std::min<std::size_t>(m, 255)));
    for (std::size_t i = 0; i + 1 < m; ++i) {
        const auto shift = static_cast<std::uint8_t>(std::min<std::size_t>(m - 1 - i, 255));
        const auto b = static_cast<unsigned char>(FNeedle[i]);
        FShift[b] = shift;
        if (FFold[i]) FShift[b & ~0x20u] = shift;
    }
}

bool TLiteralSearch::Matches(std::string_view text, std::size_t pos) const {
    for (std::size_t j = FNeedle.size(); j-- > 0;)
        if ((text[pos + j] | FFold[j]) != FNeedle[j]) return false;
    return true;
}

bool TLiteralSearch::Find(std::string_view text) const {
    const std::size_t m = FNeedle.size();
    if (m == 0) return true;
    std::size_t boundary = 0; // a character boundary at or before pos
    for (std::size_t pos = 0; pos + m <= text.size();) {
        if (Matches(text, pos)) {
            while (boundary < pos)
                boundary += platform::IsDoubleByteAt(text, boundary) ? 2 : 1;
            // Starting on a boundary, the needle's characters are the text's;
            // only a lead byte at its end could be half of one.
            if (boundary == pos &&
                !(FEndsInLead && pos + m < text.size() &&
                  platform::IsTrailByte(static_cast<unsigned char>(text[pos + m]))))
                return true;
        }
        pos += FShift[static_cast<unsigned char>(text[pos + m - 1])];
    }
    return false;
}
