#include "platform/iconvert.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {

struct Handle {
    iconv_t cd;
    explicit Handle(iconv_t h) : cd(h) {}
    ~Handle() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

constexpr const char* kWide = "UTF-32LE";

// One pass of iconv. On EILSEQ the input is skipped by `unit` bytes and a "?"
// is written: the conversion runs in two passes through UTF-32 so that a pass
// meets either invalid input (skip one byte) or an unmappable character (skip
// one UTF-32 unit), never both.
std::optional<std::string> Pass(std::string_view text, const char* from, const char* to,
                                std::size_t unit, std::string_view question) {
    Handle h(iconv_open(to, from));
    if (!h.Valid()) return std::nullopt;
    std::string out;
    out.resize(text.size() * 2 + 16);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::size_t used = 0;
    while (true) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        std::size_t rc = inLeft ? iconv(h.cd, &in, &inLeft, &dst, &dstLeft)
                                : iconv(h.cd, nullptr, nullptr, &dst, &dstLeft);
        used = static_cast<std::size_t>(dst - out.data());
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (errno == EILSEQ || errno == EINVAL) {
            // EINVAL: the text ends inside a character; drop what is left of it.
            std::size_t skip = errno == EINVAL ? inLeft : std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
            if (out.size() - used < 8) out.resize(out.size() * 2);
            out.replace(used, question.size(), question);
            used += question.size();
        } else {
            break;
        }
    }
    out.resize(used);
    return out;
}

} // namespace

std::optional<std::string> IconvConvert(std::string_view text, const char* from, const char* to) {
    auto wide = Pass(text, from, kWide, 1, std::string_view("?\0\0\0", 4));
    if (!wide) return std::nullopt;
    return Pass(*wide, kWide, to, 4, "?");
}

} // namespace platform
