#pragma once
// Plays the main window for the POP3 client threads in tests and benchmarks:
// takes every event from a queue window, records it and answers it from a
// small script, as the real window would.
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/messages.h"

struct TPop3Event {
    int Code = -1;
    bool Flag = false;
    std::string Text;
};

// The answer texts, in order, for the UIDL, LIST and RETR events of a check
// session (an empty text when a queue runs out). An erase session answers
// every UIDL event with the unique id of the reply instead.
struct TPop3WindowScript {
    std::deque<std::string> Uidl, List, Retr;
    bool Erase = false;
    // A RETR refused with "-ERR" is answered to go on with the next message,
    // as the window does; otherwise like every refusal, with a disconnect.
    bool RetrRefusedGoesOn = false;
    // Called for every RETR event that carries a message, with that message.
    std::vector<std::string>* Retrieved = nullptr;
};

// Serves events until event 1 arrives or nothing comes for the time-out;
// returns every event in arrival order.
std::vector<TPop3Event> RunPop3Window(platform::TQueueWindow& window, std::uint32_t windowMessage,
                                      TPop3WindowScript script,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The message in the text of a RETR event: without the command and status
// lines and the terminator, dot-stuffing undone, its last line end kept.
std::string RetrievedMessage(const std::string& eventText);

// The codes of the events, in order.
std::vector<int> EventCodes(const std::vector<TPop3Event>& events);
