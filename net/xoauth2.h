#pragma once
// The SASL mechanism XOAUTH2 over POP3 (the form Google's and Microsoft's
// mail servers take): the client sends "AUTH XOAUTH2", answers the server's
// "+" with the base64 of "user=" user ^A "auth=Bearer " token ^A ^A, and gets
// "+OK" or a failure challenge, "+ " and the base64 of a JSON object that
// says why. The client answers a challenge with an empty line, and the
// server then ends the command with "-ERR". Plain functions, so the session
// only sends and receives.
#include <optional>
#include <string>
#include <string_view>

// The client's response line.
std::string XOAuth2Response(std::string_view user, std::string_view token);

// The decoded text of a server continuation ("+", "+ " and base64), fit for
// a log line; nothing when line is not a continuation.
std::optional<std::string> XOAuth2Challenge(std::string_view line);

// What the log shows of a refused sign-in: the final reply line and, after a
// challenge, its decoded text in brackets; every occurrence of the token, of
// the response or of the token's base64 is replaced by "****", whatever the
// server echoes.
std::string XOAuth2Failure(std::string_view reply, const std::optional<std::string>& challenge,
                           std::string_view user, std::string_view token);

// Whether a CAPA reply (the whole block, status line to ".") lists the SASL
// mechanism; names ignore letter case (RFC 5034).
bool CapaOffersSasl(std::string_view capaBlock, std::string_view mechanism);
