#pragma once
// UTF-8 text as ISO-2022-JP, the way Japanese mail is sent, for test
// messages and screenshot scenes.
#include <iconv.h>

#include <string>

namespace jistext {

// The text in ISO-2022-JP, back in ASCII at its end.
inline std::string Jis(std::string utf8) {
    iconv_t cd = iconv_open("ISO-2022-JP", "UTF-8");
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = utf8.data();
    char* to = out.data();
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv(cd, nullptr, nullptr, &to, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace jistext
