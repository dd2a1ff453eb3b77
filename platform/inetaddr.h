#pragma once
// Dotted-quad IPv4 addresses as 32-bit numbers in host order (first octet in
// the most significant byte).
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Parses the text as the C library's inet_addr does (short forms such as
// "10.1", octal with a leading 0, hexadecimal with 0x). A text that does not
// parse gives the all-ones address 255.255.255.255.
std::uint32_t InetAddr(std::string_view text);
// Four decimal octets joined by dots.
std::string InetNtoa(std::uint32_t address);

// The form a user types an address in: four groups of one to three decimal
// digits joined by dots, each group below 256. Leading zeros are decimal
// ("010" is 10), unlike InetAddr.
enum class TDottedQuad { Valid, NotDottedQuad, OctetOutOfRange };
TDottedQuad ReadDottedQuad(std::string_view text, std::uint32_t& address);

} // namespace platform
