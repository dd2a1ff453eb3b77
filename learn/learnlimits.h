#pragma once
// Bounds of the learning filter. Every downloaded message that the nine lists
// accept is tokenized and scored, so whatever a sender controls is bounded
// here: the work per message is linear in its text and capped, whatever its
// shape (megabytes of one word, thousands of parts).
#include <cstddef>

namespace learnlimits {

// Bytes of decoded text (subject, headers and every text part together) that
// one message contributes; honest mail holds a few KiB, and what follows the
// first half MiB adds nothing a filter needs.
constexpr std::size_t MaxTextBytes = 512 * 1024;

// Distinct tokens of one message: the database is read (and written) once
// per token. A long honest newsletter has a few thousand.
constexpr std::size_t MaxTokens = 8000;

// Bytes of one word. A longer one (base64 left in a body, hashes, long URLs)
// becomes a token telling its first letter and its length in tens.
constexpr std::size_t MaxWordBytes = 24;

// Shortest word worth counting: one letter says nothing.
constexpr std::size_t MinWordBytes = 2;

// Bytes of a host name taken from a URL or a header (RFC 1035: 253).
constexpr std::size_t MaxHostBytes = 253;

} // namespace learnlimits
