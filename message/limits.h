#pragma once
// Bounds of the message parser. Every downloaded message passes through it,
// so whatever a sender controls is bounded here; a parser that reaches a bound
// marks the part (LimitReached) and carries on with the rest of the message.
#include <cstddef>

namespace msglimits {

// Multipart and message levels below the root that are split; deeper parts stay
// unsplit, so hostile nesting cannot exhaust the stack of the recursive parse.
constexpr int MaxMimeDepth = 64;

// Nodes of one part tree; each node costs a few compiled patterns and copies, so
// a body of millions of empty parts must not turn into millions of nodes.
constexpr int MaxParts = 10000;

// Bytes of a multipart boundary; RFC 2046 allows 70, and each multipart part
// compiles a delimiter pattern from it.
constexpr std::size_t MaxBoundaryBytes = 998;

// Bytes handed down to child parts in one tree, as a multiple of the message
// size plus a fixed allowance: every level of nesting copies its part again,
// so this keeps memory and copying linear in the message size even for deep
// message/rfc822 chains (honest mail nests a few levels).
constexpr std::size_t MaxNestedCopies = 8;
constexpr std::size_t NestedCopyAllowance = 4 << 20;

// Bytes of one header block; lookups scan the whole block, and no honest block
// comes near this (RFC 5322 lines are at most 998 bytes).
constexpr std::size_t MaxHeaderBytes = 1 << 20;

// Received hops kept, newest first; RFC 5321 takes a hundred hops for a mail loop.
constexpr int MaxReceivedHops = 100;

// Bytes of the route part of one Received value that the route patterns read;
// their greedy groups backtrack over the whole text (honest routes are < 1 KiB).
constexpr std::size_t MaxReceivedBytes = 2048;

// Bytes of a date text that the date patterns read (RFC 5322 dates are ~40 bytes).
constexpr std::size_t MaxDateBytes = 256;

} // namespace msglimits
