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

} // namespace platform
