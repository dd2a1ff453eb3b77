#pragma once
// Reporting of the local server's listening socket.
#include <string>

// The text shown when listening on the port failed: the port, the reason
// the system gave and the remedy (--port), as CP932 lines joined by CR LF.
std::string ListenFailureText(int port, const std::string& reason);
