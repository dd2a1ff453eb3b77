#pragma once
// Random text for the decoders' property tests.
#include <random>
#include <string>
#include <string_view>

// Up to maxLength bytes drawn from a small alphabet, so that the interesting
// neighbours ("=" and hex digits, "=" CR LF, alphabet and junk, escapes and
// pairs) meet often.
inline std::string RandomText(std::mt19937& rng, std::string_view alphabet, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text(length(rng), '\0');
    for (char& c : text)
        c = alphabet[pick(rng)];
    return text;
}
