#pragma once
// base64 of RFC 4648 with padding and without line breaks, as SASL sends it.
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);
