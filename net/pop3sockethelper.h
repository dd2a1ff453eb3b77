#pragma once
// TPop3SocketHelper: the line and block helper in its POP3 flavour. Blocks
// pass through unchanged (the reader undoes the dot-stuffing itself), and a
// refusal where a multi-line reply was expected is a whole reply.
#include <string>
#include <string_view>

#include "net/sockethelper.h"

class TPop3SocketHelper : public TSocketHelper {
public:
    TPop3SocketHelper(platform::TSocket* socket, int waitTime) : TSocketHelper(socket, waitTime) {}

    // Log ">" or "<" followed by the text; the text stays as it is.
    void EncodeBlock(std::string& out, std::string_view in) override;
    void DecodeBlock(std::string& out, std::string_view in) override;

protected:
    // A server that refuses RETR answers one "-ERR" line and no terminator:
    // that line ends the block, instead of a wait for a terminator that never comes.
    std::size_t EarlyBlockEnd(std::string_view pending) const override;
    // A reply cut off before its terminator is no reply: a message taken from
    // it would be stored truncated.
    bool TakesUnterminatedBlock() const override { return false; }
    void LogBlock(std::string_view in) override;
};
