#include "platform/charset.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/iconvert.h"
#include "platform/text.h"

namespace platform {

namespace {

struct Alias {
    const char* Mime;
    const char* Iconv;
};

// Names mail uses that glibc rejects or maps wrongly. glibc's SHIFT_JIS (and
// its aliases SJIS, MS_KANJI, CSSHIFTJIS) is strict and lacks characters such
// as the wave dash, circled digits and the NEC and IBM kanji that Japanese
// mailers send under those names, so every name of Shift_JIS goes to CP932:
// the labels the WHATWG Encoding Standard gives it, and x-shift_jis.
constexpr std::array<Alias, 14> kAliases{{
    {"shift_jis", "CP932"},
    {"shift-jis", "CP932"},
    {"x-shift_jis", "CP932"},
    {"sjis", "CP932"},
    {"x-sjis", "CP932"},
    {"ms_kanji", "CP932"},
    {"csshiftjis", "CP932"},
    {"windows-31j", "CP932"},
    {"ms932", "CP932"},
    {"x-euc-jp", "EUC-JP"},
    {"ks_c_5601-1987", "CP949"},
    {"iso-8859-8-i", "ISO-8859-8"},
    {"x-gbk", "GBK"},
    {"x-big5", "BIG5"},
}};

} // namespace

std::string IconvCharsetName(std::string_view mimeCharset) {
    if (mimeCharset.empty() || mimeCharset.size() > 64) return {};
    for (const Alias& a : kAliases)
        if (SameText(mimeCharset, a.Mime)) return a.Iconv;
    std::string name(mimeCharset);
    // iconv treats "//" as option markers and a NUL would cut the name.
    if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos) return {};
    return IconvKnows(name.c_str()) ? name : std::string();
}

std::string CharsetToCp932(std::string_view text, std::string_view mimeCharset) {
    std::string name = IconvCharsetName(mimeCharset);
    if (name.empty()) return std::string(text);
    auto converted = IconvConvert(text, name.c_str(), TTarget::Cp932);
    if (!converted) return "charset conversion failed: " + std::string(std::strerror(errno));
    return *converted;
}

} // namespace platform
