#pragma once
// A POP3 client for tests of the local server: sends command lines and reads
// single-line and multi-line answers with short time-outs.
#include <memory>
#include <string>
#include <string_view>

#include "platform/socket.h"

class TPop3TestClient {
public:
    // Connects to 127.0.0.1:port, from localAddress when given.
    explicit TPop3TestClient(int port, const std::string& localAddress = {});

    // One line without its CR LF; empty when none came within the time-out
    // (then Closed tells whether the server has closed the connection).
    std::string Line();
    // Sends the line with CR LF and reads one answer line.
    std::string Command(std::string_view line);
    // Sends the line and reads a multi-line answer: every byte up to and
    // including the terminating ".\r\n" line (or what came until the time-out).
    std::string MultiLine(std::string_view line);
    void Send(std::string_view bytes);
    // Everything until the server closes the connection or stays silent.
    std::string Rest();
    bool Closed();
    void Close() { FSocket.Close(); }
    platform::TSocket& GetSocket() { return FSocket; }

private:
    bool Fill();

    platform::TSocket FSocket;
    std::string FBuffer;
    bool FEnded = false;
};

// The data of a multi-line answer as a client takes it: everything between
// the status line and the terminating ".\r\n" line, dot-stuffing undone.
std::string Unstuffed(const std::string& answer);
