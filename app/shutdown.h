#pragma once
// The question asked when the window is closed while work is going on.
#include <string>

enum class TCloseReason { ClientsConnected, Working };

// The whole question as CP932, its lines separated by CR LF.
std::string CloseQuestionText(TCloseReason reason);
