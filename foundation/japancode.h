#pragma once
// Converts text in other charsets into CP932: ISO-2022-JP and EUC-JP by byte
// arithmetic, everything else through platform::CharsetToCp932.
//
// The scanners walk the bytes directly; their results are those of scanning
// with the patterns "\x1b([$(])[@BJ]" (escape), "[\x81-\xA0]" (Shift_JIS only)
// and "([\xa1-\xfe][\xa1-\xfe])" (EUC pair), leftmost match first.
#include <cstddef>
#include <string>
#include <string_view>

// True when an escape sequence ESC "$" or "(" then "@", "B" or "J" starts at
// pos; one with "$" switches to double-byte mode, the others back to single.
bool IsJISEscape(std::string_view text, std::size_t pos);

class TJapanCode {
public:
    std::string ConvertEncoding(std::string_view text, std::string_view charset);
    std::string JIS2SJIS(std::string_view text);
    std::string EUC2SJIS(std::string_view text);
    // Guesses the charset from the bytes.
    std::string Convert(std::string_view text);
};
