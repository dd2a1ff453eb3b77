#pragma once
// The capabilities a POP3 server lists in its reply to CAPA (RFC 2449): one
// line each, the capability's name and its arguments.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The words of the line that names the capability (letter case ignored),
// the name first; nothing when the reply (the whole block, status line to
// ".") does not list it.
std::optional<std::vector<std::string>> CapaWords(std::string_view capaBlock,
                                                  std::string_view capability);
