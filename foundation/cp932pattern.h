#pragma once
// Patterns that match CP932 text by characters. The byte matcher sees a
// double-byte character as two bytes: "." takes half of it, a class such as
// "[アイ]" takes single bytes, "ア+" repeats the second byte only, and an
// ASCII letter matches the second byte of a character ("A" in "ア", 0x83
// 0x41), with case folding on top ("アダルト" matching "ヂダルエ").
//
// The pattern is rewritten so that every item takes whole characters:
// double-byte characters become groups whose bytes are compared without case
// folding; ".", the negated escapes ("\W", "\S", "\D", ...) and classes that
// name double-byte characters or are negated take a double-byte character
// whole; "\b" and "\B" judge the characters on both sides. Callouts, served
// by the matcher, then accept a match only where it starts and ends on a
// character boundary. On ASCII text the result is the pattern's own.
//
// Explicit byte escapes keep their bytes ("\x83\x41" is still "ア", and
// "[\x81-\x9f]" a class of bytes), and lookbehinds keep their contents
// byte-wise apart from the double-byte characters written in them, since a
// lookbehind must have a fixed length.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Callout numbers the rewritten pattern uses; the matcher answers them.
namespace cp932callout {
constexpr std::uint32_t Start = 251;       // the match starts on a boundary
constexpr std::uint32_t End = 252;         // the match ends on a boundary
constexpr std::uint32_t WordBound = 253;   // "\b" by characters
constexpr std::uint32_t NoWordBound = 254; // "\B" by characters
} // namespace cp932callout

// The pattern rewritten for the byte matcher; nothing when it is plainly
// faulty (groups that do not balance, a lone backslash at its end). The
// matcher then compiles the pattern as written, and reports the fault where
// the user made it; so it does too when the rewriting does not compile.
std::optional<std::string> TranslateCp932Pattern(std::string_view pattern);
