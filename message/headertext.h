#pragma once
// Small helpers on header text shared by the message units.
#include <string_view>

namespace headertext {

// The text without its leading and trailing bytes 0x20 and below.
constexpr std::string_view TrimControl(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20)
        text.remove_suffix(1);
    return text;
}

// True when the text holds nothing but blanks, tabs, CR and LF.
constexpr bool IsFoldingSpace(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

} // namespace headertext
