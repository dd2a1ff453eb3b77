#pragma once
// Conversion of text in a named MIME charset into CP932, on iconv.
#include <string>
#include <string_view>

namespace platform {

// The iconv name for a MIME charset name after the alias table of names that
// mail uses and glibc rejects or gets wrong; empty when iconv knows no such
// charset.
std::string IconvCharsetName(std::string_view mimeCharset);

// Converts text in the named charset to CP932. Unmappable characters become
// "?". An unknown charset name leaves the text unchanged. A conversion that
// fails yields a text that describes the failure.
std::string CharsetToCp932(std::string_view text, std::string_view mimeCharset);

} // namespace platform
