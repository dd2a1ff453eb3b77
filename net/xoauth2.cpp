#include "net/xoauth2.h"

#include <algorithm>
#include <vector>

#include "foundation/base64dec.h"
#include "foundation/base64enc.h"
#include "net/pop3capa.h"
#include "platform/text.h"

namespace {

// Bytes of a decoded challenge kept for the log: a provider's JSON is short.
constexpr std::size_t kMaxChallenge = 400;

void Redact(std::string& text, std::string_view secret) {
    if (secret.empty()) return;
    for (std::size_t at; (at = text.find(secret)) != std::string::npos;)
        text.replace(at, secret.size(), "****");
}

// Control bytes become blanks, so the text stays on one log line.
std::string OneLine(std::string_view text, std::size_t limit) {
    std::string out(text.substr(0, limit));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    if (text.size() > limit) out += "...";
    return out;
}

} // namespace

std::string XOAuth2Response(std::string_view user, std::string_view token) {
    std::string text = "user=";
    text.append(user)
        .append("\x01"
                "auth=Bearer ")
        .append(token)
        .append("\x01\x01");
    return Base64Encode(text);
}

std::optional<std::string> XOAuth2Challenge(std::string_view line) {
    if (line.empty() || line[0] != '+' || line.substr(0, 3) == "+OK") return std::nullopt;
    std::string_view data = line.substr(1);
    while (!data.empty() && (data.front() == ' ' || data.back() == ' ' || data.back() == '\r'))
        data = data.front() == ' ' ? data.substr(1) : data.substr(0, data.size() - 1);
    TBase64Decode decoded;
    decoded.Create(data);
    return OneLine(decoded.Data, kMaxChallenge);
}

std::string XOAuth2Failure(std::string_view reply, const std::optional<std::string>& challenge,
                           std::string_view user, std::string_view token) {
    std::string text = OneLine(reply, kMaxChallenge);
    if (challenge && !challenge->empty()) text += " (" + *challenge + ")";
    Redact(text, XOAuth2Response(user, token));
    Redact(text, Base64Encode(token));
    Redact(text, token);
    return text;
}

bool CapaOffersSasl(std::string_view capaBlock, std::string_view mechanism) {
    const auto words = CapaWords(capaBlock, "SASL");
    return words && std::any_of(words->begin() + 1, words->end(), [&](const std::string& word) {
               return platform::SameText(word, mechanism);
           });
}
