#pragma once
// Bounds of the network sessions. Whatever a peer sends is bounded here, so a
// peer cannot make a session buffer without end.
#include <cstddef>

namespace netlimits {

// Bytes of one buffered command line (CR LF included). RFC 1939 allows 255 for
// a command and 512 for a reply line; this leaves room for odd peers.
constexpr std::size_t MaxCommandLine = 64 * 1024;

// Bytes of one buffered block unless its owner sets another bound: far above
// what a mail server delivers as one message, far below the machine's memory.
constexpr std::size_t DefaultMaxBlock = 128 * 1024 * 1024;

// Bytes taken from the socket by one read: lines are short, while a block
// (a retrieved message) is read in large pieces, so that a megabyte costs a
// few reads instead of hundreds.
constexpr std::size_t ReadChunk = 4096;
constexpr std::size_t BlockReadChunk = 256 * 1024;

// Milliseconds one wait for data lasts in a session loop: the idle tick.
constexpr int SessionWaitTime = 50;

} // namespace netlimits
