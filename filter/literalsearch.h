#pragma once
// Byte-for-byte search of a literal keyword, with ASCII letters folded when
// caseless: the same answers as the keyword's escaped pattern compiled with
// the matcher's built-in tables, without the matcher's cost per call, which
// dominates on the short texts most rules test (header values, host names).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class TLiteralSearch {
public:
    TLiteralSearch(std::string_view needle, bool caseless);

    // True when the needle occurs in the text (an empty needle occurs everywhere).
    bool Find(std::string_view text) const;

private:
    unsigned char Fold(char c) const {
        auto b = static_cast<unsigned char>(c);
        return FCaseless && b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + 32) : b;
    }

    std::string FNeedle; // folded
    bool FCaseless;
    // Horspool shifts by the folded byte under the window's last position,
    // capped at 255 to keep the table small (a shorter shift is always safe).
    std::array<std::uint8_t, 256> FShift{};
};
