#include "tools/json.h"

#include <cstdio>

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    for (char c : utf8) {
        unsigned char b = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (b < 0x20 || b == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", b);
                out += buf;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

void TJsonObject::Key(std::string_view key) {
    if (!FMembers.empty()) FMembers += ',';
    FMembers += JsonQuote(key);
    FMembers += ':';
}

TJsonObject& TJsonObject::Add(std::string_view key, std::string_view text) {
    return AddRaw(key, JsonQuote(text));
}

TJsonObject& TJsonObject::Add(std::string_view key, std::int64_t number) {
    return AddRaw(key, std::to_string(number));
}

TJsonObject& TJsonObject::AddRaw(std::string_view key, std::string_view json) {
    Key(key);
    FMembers += json;
    return *this;
}

void TJsonArray::Append(std::string_view json) {
    if (!FItems.empty()) FItems += ',';
    FItems += json;
}
