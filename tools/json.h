#pragma once
// JSON Lines output: one object per line, built member by member. Texts given
// to it are UTF-8; the caller converts CP932 text before.
#include <cstdint>
#include <string>
#include <string_view>

// The text as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view utf8);

class TJsonObject {
public:
    TJsonObject& Add(std::string_view key, std::string_view text);
    TJsonObject& Add(std::string_view key, const char* text) {
        return Add(key, std::string_view(text));
    }
    TJsonObject& Add(std::string_view key, std::int64_t number);
    // A member whose value is already JSON (an object or an array).
    TJsonObject& AddRaw(std::string_view key, std::string_view json);
    std::string Str() const { return "{" + FMembers + "}"; }

private:
    void Key(std::string_view key);
    std::string FMembers;
};

// Collects JSON values into an array.
class TJsonArray {
public:
    void Append(std::string_view json);
    std::string Str() const { return "[" + FItems + "]"; }

private:
    std::string FItems;
};
