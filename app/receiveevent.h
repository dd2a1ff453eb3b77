#pragma once
// One event of a POP3 client thread as the window reads it: the code, the
// flag, the text (every byte the thread sent, zero bytes of a message
// included, less the terminating zero), its first two lines (the command as
// sent, or the host for the greeting; then the first reply line) and the
// words of the reply line. The text is a view of the posted block, which the
// event keeps: a message of megabytes is not copied. The answer goes back
// through the event's own messenger to the thread that posted it.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "net/interthreadmessenger.h"

class TReceiveEvent {
public:
    TReceiveEvent(platform::TMessage& message, platform::TWindowHandle window,
                  std::uint32_t windowMessage, std::uint32_t threadMessage);

    int Code() const { return FCode; }
    bool Flag() const { return FFlag; }
    // Valid while the event lives.
    std::string_view Text() const { return FText; }
    // The bytes of the text from offset on, to be rewritten in place (a
    // message undone of its dot-stuffing is never longer); Text() then no
    // longer reads as sent.
    std::span<char> Rewrite(std::size_t offset);
    // Lines 1 and 2 (1-based); an empty text when the event has no such line.
    const std::string& Line(int n) const;
    int LineCount() const { return FLineCount; }
    // Word k of line 2 (0: the status word); an empty text when absent.
    const std::string& Word(std::size_t k) const;
    std::size_t WordCount() const { return FWords.size(); }

    bool Answer(int code, bool flag, std::string_view text = {});

private:
    platform::TDataBlock FBlock;
    platform::TThreadId FThread = 0;
    bool FFlag = false;
    std::string_view FText;
    TInterThreadMessenger FMessenger;
    int FCode;
    std::string FLines[2];
    int FLineCount = 0;
    std::vector<std::string> FWords;
};

// The leading line of the text: up to the first CR or LF. rest receives the
// offset after the line end (CR LF, CR or LF); npos when there is none.
std::string_view FirstLine(std::string_view text, std::size_t& rest);

// A line from a peer made fit for the log: control bytes shown as "?", cut
// to a sane length on a character boundary.
std::string LogText(std::string_view line);
