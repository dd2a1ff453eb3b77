#pragma once
// Conversion of text in any charset iconv knows into CP932 or UTF-8. The text
// is decoded to code points by iconv (an invalid input byte becomes "?") and
// encoded by the project's own code (a character CP932 lacks becomes "?").
// glibc's iconv rewinds a whole buffer for every character its target lacks,
// which made mail with a few such characters take seconds; the table lookup
// costs the same for every character.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class TTarget { Cp932, Utf8 };

// Nothing when iconv does not know the source charset.
std::optional<std::string> IconvConvert(std::string_view text, const char* from, TTarget to);
// Whether iconv knows the charset as a source.
bool IconvKnows(const char* from);

} // namespace platform
