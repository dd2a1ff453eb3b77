#pragma once
// One iconv conversion with an explicit EILSEQ loop: an input sequence that
// the target cannot take, or that is invalid in the source, becomes "?".
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Nothing when iconv does not know one of the two charsets.
std::optional<std::string> IconvConvert(std::string_view text, const char* from, const char* to);

} // namespace platform
