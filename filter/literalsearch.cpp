#include "filter/literalsearch.h"

#include <algorithm>

TLiteralSearch::TLiteralSearch(std::string_view needle, bool caseless) : FCaseless(caseless) {
    FNeedle.reserve(needle.size());
    for (char c : needle)
        FNeedle += static_cast<char>(Fold(c));
    const std::size_t m = FNeedle.size();
    FShift.fill(static_cast<std::uint8_t>(std::min<std::size_t>(m, 255)));
    for (std::size_t i = 0; i + 1 < m; ++i)
        FShift[static_cast<unsigned char>(FNeedle[i])] =
            static_cast<std::uint8_t>(std::min<std::size_t>(m - 1 - i, 255));
}

bool TLiteralSearch::Find(std::string_view text) const {
    const std::size_t m = FNeedle.size();
    if (m == 0) return true;
    for (std::size_t pos = 0; pos + m <= text.size();) {
        std::size_t j = m - 1;
        while (Fold(text[pos + j]) == static_cast<unsigned char>(FNeedle[j])) {
            if (j == 0) return true;
            --j;
        }
        pos += FShift[Fold(text[pos + m - 1])];
    }
    return false;
}
