#include "foundation/charsetdetect.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DetectCharset, TellsTheCharsetByTheBytes) {
    struct Case {
        const char* Name;
        std::string Text;
        const char* Charset;
    } cases[] = {
        {"empty", "", "US-ASCII"},
        {"ASCII", "plain text\r\n", "US-ASCII"},
        {"JIS double-byte escape", "\x1b$B$\"\x1b(B", "ISO-2022-JP"},
        {"single-byte escape only", "\x1b(Bplain", "US-ASCII"},
        {"UTF-8", "\xe3\x81\x82\xe3\x81\x84", "UTF-8"}, // also valid Shift_JIS
        {"UTF-8 of four bytes", "\xf0\x9f\x98\x80", "UTF-8"},
        {"EUC-JP", "\xa4\xa2\xa4\xa4", "EUC-JP"}, // also valid Shift_JIS
        {"EUC-JP half-width and JIS X 0212", "\x8e\xb1\x8f\xb0\xa1", "EUC-JP"},
        {"Shift_JIS", "\x82\xa0\x82\xa2", "Shift_JIS"},
        {"Shift_JIS NEC and IBM kanji", "\x87\x40\xfb\xfc", "Shift_JIS"},
        {"Shift_JIS half-width katakana", "\xb1\xb2\xb3", "Shift_JIS"},
        {"overlong UTF-8 slash", "\xc0\xaf", "EUC-JP"},
        {"UTF-8 surrogate", "\xed\xa0\x80", "US-ASCII"},
        {"Shift_JIS trail byte 0x7F", "\x82\x7f", "US-ASCII"},
        {"Latin-1", "caf\xe9", "US-ASCII"},
        {"byte 0xFF", "\xff", "US-ASCII"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectCharset(c.Text), c.Charset) << c.Name;
}

} // namespace
