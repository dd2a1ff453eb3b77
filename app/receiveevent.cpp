#include "app/receiveevent.h"

#include <algorithm>

#include "foundation/csvline.h"
#include "platform/text.h"

namespace {

// Longer reply lines are cut in the log; the conversation itself is whole.
constexpr std::size_t MaxLogLine = 512;

const std::string Empty;

} // namespace

std::string_view FirstLine(std::string_view text, std::size_t& rest) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        rest = std::string_view::npos;
        return text;
    }
    rest = end + 1;
    if (text[end] == '\r' && rest < text.size() && text[rest] == '\n') ++rest;
    return text.substr(0, end);
}

TReceiveEvent::TReceiveEvent(platform::TMessage& message, platform::TWindowHandle window,
                             std::uint32_t windowMessage, std::uint32_t threadMessage)
    : FBlock(std::move(message.Data)),
      FMessenger(windowMessage, threadMessage,
                 TInterThreadMessenger::ReadBlock(FBlock, FThread, FFlag, FText) ? FThread : 0,
                 window, true),
      FCode(static_cast<int>(message.WParam)) {
    // The thread ends every text with one zero byte; any other is content.
    if (FText.ends_with('\0')) FText.remove_suffix(1);
    // Only the first two lines are read: a retrieved message may be megabytes.
    std::string_view rest = FText;
    while (FLineCount < 2 && !rest.empty()) {
        std::size_t next;
        FLines[FLineCount++] = std::string(FirstLine(rest, next));
        rest = next == std::string_view::npos ? std::string_view() : rest.substr(next);
    }
    if (FLineCount >= 2) FWords = CSVLineRead(FLines[1]);
}

std::span<char> TReceiveEvent::Rewrite(std::size_t offset) {
    offset = std::min(offset, FText.size());
    const std::size_t start =
        static_cast<std::size_t>(FText.data() - reinterpret_cast<const char*>(FBlock.data()));
    return {reinterpret_cast<char*>(FBlock.data()) + start + offset, FText.size() - offset};
}

const std::string& TReceiveEvent::Line(int n) const {
    return n >= 1 && n <= FLineCount ? FLines[n - 1] : Empty;
}

const std::string& TReceiveEvent::Word(std::size_t k) const {
    return k < FWords.size() ? FWords[k] : Empty;
}

bool TReceiveEvent::Answer(int code, bool flag, std::string_view text) {
    return FMessenger.SendText(code, flag, text);
}

std::string LogText(std::string_view line) {
    std::string out;
    out.reserve(std::min(line.size(), MaxLogLine));
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool pair = platform::IsDoubleByteAt(line, i);
        if (out.size() + (pair ? 2 : 1) > MaxLogLine) break;
        if (pair) {
            out.append(line.substr(i, 2));
            ++i;
            continue;
        }
        const auto c = static_cast<unsigned char>(line[i]);
        out.push_back(c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c));
    }
    return out;
}
