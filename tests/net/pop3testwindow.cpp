#include "pop3testwindow.h"

#include "foundation/csvline.h"
#include "net/interthreadmessenger.h"

namespace {

std::string Pop(std::deque<std::string>& queue) {
    if (queue.empty()) return {};
    std::string text = std::move(queue.front());
    queue.pop_front();
    return text;
}

// Word k of the reply line (line 2 of the event text), or empty.
std::string ReplyWord(const std::string& text, std::size_t k) {
    std::size_t start = text.find("\r\n");
    if (start == std::string::npos) return {};
    start += 2;
    std::size_t end = text.find("\r\n", start);
    auto words = CSVLineRead(std::string_view(text).substr(start, end - start));
    return k < words.size() ? words[k] : std::string();
}

struct TAnswer {
    int Code;
    bool Flag;
    std::string Text;
};

TAnswer Answer(const TPop3Event& event, TPop3WindowScript& script) {
    switch (event.Code) {
    case 0:
    case 2:
    case 3:
    case 4:
        return {event.Code, event.Flag, {}};
    default:
        break;
    }
    if (!event.Flag && event.Code == 12 && script.RetrRefusedGoesOn) return {12, true, {}};
    if (!event.Flag) return {101, false, {}};
    switch (event.Code) {
    case 200:
        return {200, true, script.Erase ? ReplyWord(event.Text, 2) : Pop(script.Uidl)};
    case 201:
        return {201, true, Pop(script.List)};
    case 12:
        if (script.Retrieved) script.Retrieved->push_back(RetrievedMessage(event.Text));
        return {12, true, Pop(script.Retr)};
    default:
        return {event.Code, true, {}};
    }
}

} // namespace

std::vector<TPop3Event> RunPop3Window(platform::TQueueWindow& window, std::uint32_t windowMessage,
                                      TPop3WindowScript script, std::chrono::milliseconds timeout) {
    std::vector<TPop3Event> events;
    while (auto message = window.Wait(timeout)) {
        if (message->Msg != windowMessage) continue;
        TInterThreadMessenger messenger(windowMessage, windowMessage + 1, *message, &window, true);
        TPop3Event event{static_cast<int>(message->WParam), messenger.GetFlag(),
                         messenger.GetText()};
        if (event.Code == 1) {
            events.push_back(std::move(event));
            break;
        }
        TAnswer answer = Answer(event, script);
        events.push_back(std::move(event));
        messenger.SendText(answer.Code, answer.Flag, answer.Text);
    }
    return events;
}

std::string RetrievedMessage(const std::string& eventText) {
    std::size_t start = eventText.find("\r\n");
    start = start == std::string::npos ? eventText.size() : eventText.find("\r\n", start + 2);
    if (start == std::string::npos) return {};
    std::string body = eventText.substr(start + 2);
    if (body == ".\r\n") return {};
    std::size_t end = body.find("\r\n.\r\n");
    if (end != std::string::npos) body.resize(end + 2);
    std::string out;
    out.reserve(body.size());
    bool lineStart = true;
    for (char c : body) {
        if (!(lineStart && c == '.')) out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::vector<int> EventCodes(const std::vector<TPop3Event>& events) {
    std::vector<int> codes;
    for (const auto& e : events)
        codes.push_back(e.Code);
    return codes;
}
