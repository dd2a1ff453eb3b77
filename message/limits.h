#pragma once
// Bounds of the message parser. Every downloaded message passes through it,
// so whatever a sender controls is bounded here; a parser that reaches a bound
// marks the part (LimitReached) and carries on with the rest of the message.
// Each bound lies where only crafted mail reaches it: the verdict rejects a
// message whose tree reached one, since content past the bound went unread.
#include <cstddef>
#include <cstdint>

namespace msglimits {

// Which bound stopped the parse of a part.
enum class TParseLimit : std::uint8_t {
    None,
    MimeDepth,
    Parts,
    BoundaryBytes,
    HeaderBytes,
    MessageStream,
    Count
};

// Multipart and message levels below the root that are split; deeper parts stay
// unsplit, so hostile nesting cannot exhaust the stack of the recursive parse.
// Honest mail nests a handful of levels.
constexpr int MaxMimeDepth = 64;

// Nodes of one part tree; each node costs a few pattern searches and a header
// copy, so a body of millions of empty parts must not turn into millions of
// nodes. Digests of a mailing list hold some hundred messages.
constexpr int MaxParts = 10000;

// Bytes of a multipart boundary; RFC 2046 allows 70, and each multipart part
// compiles a delimiter pattern from it.
constexpr std::size_t MaxBoundaryBytes = 998;

// Bytes of one header block; lookups scan the whole block, and no honest block
// comes near this (RFC 5322 lines are at most 998 bytes; MTAs refuse larger).
constexpr std::size_t MaxHeaderBytes = 1 << 20;

// Decoded bytes that the streams of encoded message parts of one tree may hold
// beyond the message size. An enclosed message needs no decoding (RFC 2046
// allows only 7bit, 8bit and binary), so its stream is a view of the message;
// nested encoded ones would each decode the rest of the message again.
constexpr std::size_t MessageStreamAllowance = 1 << 20;

// Received hops kept, newest first; RFC 5321 takes a hundred hops for a mail loop.
constexpr int MaxReceivedHops = 100;

// Bytes of the route part of one Received value that the route patterns read;
// their greedy groups backtrack over the whole text (honest routes are < 1 KiB).
constexpr std::size_t MaxReceivedBytes = 2048;

// Bytes of a date text that the date patterns read (RFC 5322 dates are ~40 bytes).
constexpr std::size_t MaxDateBytes = 256;

} // namespace msglimits
