#pragma once
// Converts text in other charsets into CP932: ISO-2022-JP and EUC-JP by byte
// arithmetic, everything else through platform::CharsetToCp932.
#include <string>
#include <string_view>

#include "foundation/regexpobj.h"

class TJapanCode {
public:
    TJapanCode();

    std::string ConvertEncoding(std::string_view text, std::string_view charset);
    std::string JIS2SJIS(std::string_view text);
    std::string EUC2SJIS(std::string_view text);
    // Guesses the charset from the bytes.
    std::string Convert(std::string_view text);

private:
    TRegexpObj FEscape;   // "\x1b([$(])[@BJ]"
    TRegexpObj FSJISOnly; // "[\x81-\xA0]"
    TRegexpObj FEUCPair;  // "([\xa1-\xfe][\xa1-\xfe])"
};
