#pragma once
#include <string>
#include <string_view>

// MD5 (RFC 1321) of a text as 32 lower-case hexadecimal digits.
class TMD5Digest {
public:
    static std::string Digest(std::string_view text);
};
