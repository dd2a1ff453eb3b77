#include "platform/inetaddr.h"

#include <arpa/inet.h>

namespace platform {

std::uint32_t InetAddr(std::string_view text) {
    return ntohl(inet_addr(std::string(text).c_str()));
}

std::string InetNtoa(std::uint32_t address) {
    in_addr a{};
    a.s_addr = htonl(address);
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

TDottedQuad ReadDottedQuad(std::string_view text, std::uint32_t& address) {
    unsigned octets[4] = {};
    std::size_t at = 0;
    for (int k = 0; k < 4; ++k) {
        if (k > 0 && (at >= text.size() || text[at++] != '.')) return TDottedQuad::NotDottedQuad;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits)
            octets[k] = octets[k] * 10 + static_cast<unsigned>(text[at] - '0');
        if (digits < 1 || digits > 3) return TDottedQuad::NotDottedQuad;
    }
    if (at != text.size()) return TDottedQuad::NotDottedQuad;
    std::uint32_t value = 0;
    for (unsigned octet : octets) {
        if (octet > 255) return TDottedQuad::OctetOutOfRange;
        value = value << 8 | octet;
    }
    address = value;
    return TDottedQuad::Valid;
}

} // namespace platform
