#include "net/pop3capa.h"

#include "foundation/csvline.h"
#include "platform/text.h"

std::optional<std::vector<std::string>> CapaWords(std::string_view capaBlock,
                                                  std::string_view capability) {
    std::size_t start = 0;
    while (start < capaBlock.size()) {
        std::size_t end = capaBlock.find('\n', start);
        std::string_view line = capaBlock.substr(start, end - start);
        start = end == std::string_view::npos ? capaBlock.size() : end + 1;
        std::vector<std::string> words = CSVLineRead(line);
        if (!words.empty() && platform::SameText(words[0], capability)) return words;
    }
    return std::nullopt;
}
