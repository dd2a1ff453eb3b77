#pragma once
// The charset of text that declares none, told by its bytes alone. Japanese
// mail often comes without a charset, in any of the three encodings below.
#include <string_view>

// "US-ASCII" for 7-bit text, or "ISO-2022-JP" when it holds an escape into
// double-byte mode. Text with 8-bit bytes: the first of "UTF-8", "EUC-JP" and
// "Shift_JIS" whose byte rules the whole text keeps, in that order (UTF-8 is
// the strictest; Shift_JIS takes most EUC-JP text too, EUC-JP hardly any
// Shift_JIS); "US-ASCII" when it keeps none of them.
std::string_view DetectCharset(std::string_view text);
