// Feeds any bytes to the learning filter's tokenizer: as a message (every
// part's text, HTML included, and the headers), as plain CP932 text and as
// HTML. It must never crash, hang or read outside its input, and never keep
// more tokens than its bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "learn/htmltext.h"
#include "learn/learnlimits.h"
#include "learn/messagetokens.h"
#include "learn/texttokens.h"
#include "learn/tokenset.h"
#include "message/multipartmessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    static TMultipartMessage message; // its patterns are compiled once
    message.Create(text);
    if (MessageTokens(message, true).Hashes.size() > learnlimits::MaxTokens) std::abort();
    TTokenSet tokens(true);
    TokenizeText(text, "", tokens);
    TokenizeText(HtmlText(text, tokens), "", tokens);
    if (tokens.Size() > learnlimits::MaxTokens) std::abort();
    return 0;
}
