#pragma once
// Search of a literal keyword in CP932 text by characters: an occurrence
// counts only where it starts and ends on character boundaries, and when
// caseless only ASCII letters that stand as characters of their own are
// folded, never the second byte of a double-byte character. The same answers
// as the keyword's escaped pattern matching by characters, without the
// matcher's cost per call, which dominates on the short texts most rules test
// (header values, host names).
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
    bool Matches(std::string_view text, std::size_t pos) const;

    std::string FNeedle; // letters that stand as characters in small letters
    // 0x20 where FNeedle holds such a letter, else 0: a text byte b matches
    // byte j when (b | FFold[j]) == FNeedle[j].
    std::string FFold;
    // The needle's last character is a lead byte without its trail byte: it
    // must not stand before a trail byte of the text.
    bool FEndsInLead = false;
    // Horspool shifts by the byte under the window's last position, capped
    // at 255 to keep the table small (a shorter shift is always safe).
    std::array<std::uint8_t, 256> FShift{};
};
