#pragma once
// Numbers in data-file items: decimal with an optional sign, nothing else.
// An item that is not such a number, or does not fit 32 bits, gives the default.
#include <charconv>
#include <cstdint>
#include <string_view>

inline std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return def;
    return value;
}
