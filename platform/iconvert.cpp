#include "platform/iconvert.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <unordered_map>

#include "platform/text.h"

namespace platform {

namespace {

struct Handle {
    iconv_t cd;
    Handle(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Handle() {
        if (Valid()) iconv_close(cd);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

constexpr char32_t kQuestion = U'?';
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

// The decoders to code points by source charset, kept open by each thread
// that converts: opening one looks the charset up and loads its module, and
// closing it may unload the module again, which cost more than a subject's
// whole conversion. A few charsets at a time; the names come from mail.
class TDecoders {
public:
    static constexpr std::size_t MaxOpen = 16;
    TDecoders() = default;
    ~TDecoders() { Clear(); }
    TDecoders(const TDecoders&) = delete;
    TDecoders& operator=(const TDecoders&) = delete;

    // The decoder in its initial state; kInvalid when iconv does not know the charset.
    iconv_t Get(const char* from) {
        if (auto it = FOpen.find(from); it != FOpen.end()) {
            iconv(it->second, nullptr, nullptr, nullptr, nullptr);
            return it->second;
        }
        iconv_t cd = iconv_open("UTF-32LE", from);
        if (cd == kInvalid) return cd;
        if (FOpen.size() >= MaxOpen) Clear();
        FOpen.emplace(from, cd);
        return cd;
    }

private:
    void Clear() {
        for (auto& [name, cd] : FOpen)
            iconv_close(cd);
        FOpen.clear();
    }
    std::unordered_map<std::string, iconv_t> FOpen;
};

thread_local TDecoders Decoders;

// Charsets in which every byte below 0x80 is that ASCII character and no such
// byte is part of a longer sequence: pure ASCII text passes through unchanged.
bool AsciiCompatible(std::string_view name) {
    static constexpr std::string_view kPrefixes[] = {
        "UTF-8", "CP932",  "CP936", "CP949", "CP950",    "CP125", "WINDOWS-125", "ISO-8859", "EUC-",
        "GBK",   "GB2312", "BIG5",  "KOI8-", "US-ASCII", "ASCII", "SHIFT_JIS",   "GB18030"};
    for (std::string_view p : kPrefixes)
        if (name.size() >= p.size() && SameText(name.substr(0, p.size()), p)) return true;
    return false;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Decodes the text to code points; an invalid byte, or a text that ends
// inside a character, gives one "?".
std::optional<std::u32string> Decode(std::string_view text, const char* from) {
    iconv_t cd = Decoders.Get(from);
    if (cd == kInvalid) return std::nullopt;
    std::u32string out(text.size() + 4, U'\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    std::size_t used = 0; // in code points
    while (true) {
        char* dst = reinterpret_cast<char*>(out.data() + used);
        std::size_t dstLeft = (out.size() - used) * sizeof(char32_t);
        std::size_t rc = inLeft ? iconv(cd, &in, &inLeft, &dst, &dstLeft)
                                : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        used = static_cast<std::size_t>(reinterpret_cast<char32_t*>(dst) - out.data());
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        if (errno != EILSEQ && errno != EINVAL) break;
        std::size_t skip = errno == EINVAL ? inLeft : 1;
        in += skip;
        inLeft -= skip;
        if (used == out.size()) out.resize(out.size() * 2);
        out[used++] = kQuestion;
    }
    out.resize(used);
    return out;
}

// CP932 code of every BMP code point (0 where CP932 has none), built once
// from iconv's own mapping so the result is what iconv would give.
using TCp932Table = std::array<std::uint16_t, 0x10000>;

std::unique_ptr<TCp932Table> BuildCp932Table() {
    auto table = std::make_unique<TCp932Table>();
    table->fill(0);
    Handle h("CP932", "UTF-32LE");
    for (char32_t u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        char32_t one = u;
        char* in = reinterpret_cast<char*>(&one);
        std::size_t inLeft = sizeof one;
        unsigned char code[4];
        char* dst = reinterpret_cast<char*>(code);
        std::size_t dstLeft = sizeof code;
        iconv(h.cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(h.cd, &in, &inLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) continue;
        std::size_t n = sizeof code - dstLeft;
        if (n == 1) (*table)[u] = code[0];
        if (n == 2) (*table)[u] = static_cast<std::uint16_t>(code[0] << 8 | code[1]);
    }
    return table;
}

const TCp932Table& Cp932Table() {
    static const std::unique_ptr<TCp932Table> table = BuildCp932Table();
    return *table;
}

std::string EncodeCp932(const std::u32string& text) {
    const TCp932Table& table = Cp932Table();
    std::string out;
    out.reserve(text.size() * 2);
    for (char32_t u : text) {
        std::uint16_t code = u < 0x10000 ? table[u] : 0;
        if (u == 0)
            out += '\0';
        else if (code == 0)
            out += '?';
        else if (code < 0x100)
            out += static_cast<char>(code);
        else {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    }
    return out;
}

std::string EncodeUtf8(const std::u32string& text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t u : text) {
        if (u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) u = kQuestion;
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (u >> 18));
            out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

} // namespace

std::optional<std::string> IconvConvert(std::string_view text, const char* from, TTarget to) {
    if (IsAscii(text) && AsciiCompatible(from)) return std::string(text);
    auto decoded = Decode(text, from);
    if (!decoded) return std::nullopt;
    return to == TTarget::Cp932 ? EncodeCp932(*decoded) : EncodeUtf8(*decoded);
}

bool IconvKnows(const char* from) {
    return Decoders.Get(from) != kInvalid;
}

} // namespace platform
