#include "platform/charset.h"
#include "platform/text.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Text, Cp932RoundTripsThroughUtf8) {
    const std::string sjis = "\x82\xa0\x88\x9f\x81\x60\x87\x40\xfb\xfc abc"; // あ亜～①髙 abc
    const std::string utf8 = Cp932ToUtf8(sjis);
    EXPECT_EQ(utf8, "\u3042\u4e9c\uff5e\u2460\u9ad9 abc");
    EXPECT_EQ(Utf8ToCp932(utf8), sjis);
}

TEST(Text, BadBytesBecomeQuestionMarks) {
    EXPECT_EQ(Cp932ToUtf8(std::string("a\x81", 2)), "a?");   // cut double-byte character
    EXPECT_EQ(Cp932ToUtf8(std::string("a\xa0z", 3)), "a?z"); // byte with no character
    EXPECT_EQ(Utf8ToCp932("x\xf0\x9f\x98\x80y"), "x?y");     // emoji lacks CP932
    EXPECT_EQ(Cp932ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Text, Comparisons) {
    EXPECT_LT(CompareStr("abc", "abd"), 0);
    EXPECT_GT(CompareStr("b", "a"), 0);
    EXPECT_NE(CompareStr("ABC", "abc"), 0);
    EXPECT_EQ(CompareText("ABC", "abc"), 0);
    EXPECT_LT(CompareText("ab", "abc"), 0);
    EXPECT_EQ(CompareText("\x82\x60", "\x82\x81"), 0); // full-width A and a
    // The trail byte 0x5A of a double-byte character is not the letter Z.
    EXPECT_NE(CompareText("\x83\x5a", "\x83\x7a"), 0);
    EXPECT_TRUE(SameText("iso-2022-JP", "ISO-2022-jp"));
}

TEST(Text, LowerCaseFoldsWhatCompareTextFolds) {
    EXPECT_EQ(LowerCase("Setup.EXE"), "setup.exe");
    EXPECT_EQ(LowerCase("\x82\x60\x82\x79"), "\x82\x81\x82\x9a"); // full-width A Z
    // Trail bytes 0x5A and 0x41 are no letters; a lone lead byte at the end stays.
    EXPECT_EQ(LowerCase("\x83\x5a\x83\x41Q\x83"), "\x83\x5a\x83\x41q\x83");
}

struct CharsetCase {
    const char* charset;
    std::string input;
    std::string expected;
};

TEST(Charset, ConvertsToCp932) {
    const CharsetCase cases[] = {
        {"utf-8", "\xe3\x81\x82", "\x82\xa0"},
        {"UTF-8", "\xe3\x81\x82", "\x82\xa0"},
        {"shift_jis", "\x81\x60\x87\x40", "\x81\x60\x87\x40"}, // ～ ① kept
        {"x-sjis", "\x82\xa0", "\x82\xa0"},
        // Every name of Shift_JIS keeps the NEC and IBM kanji (①, 髙, 﨑) and
        // the character after them.
        {"sjis", "\x87\x40\xfb\xfc\xfa\xb1\x82\xa0", "\x87\x40\xfb\xfc\xfa\xb1\x82\xa0"},
        {"csShiftJIS", "\x87\x40\x82\xa0", "\x87\x40\x82\xa0"},
        {"MS_Kanji", "\xfb\xfc\x82\xa0", "\xfb\xfc\x82\xa0"},
        {"Shift-JIS", "\xfa\xb1\x82\xa0", "\xfa\xb1\x82\xa0"},
        {"x-shift_jis", "\x87\x40", "\x87\x40"},
        {"euc-jp", "\xa4\xa2", "\x82\xa0"},
        {"iso-8859-1", "caf\xe9", "caf?"}, // é has no CP932 form
        {"utf-8",
         "a\xff"
         "b",
         "a?b"}, // invalid input byte
        {"no-such-charset", "\xe3\x81\x82", "\xe3\x81\x82"},
        {"", "plain", "plain"},
        {"utf-8//IGNORE", "x", "x"},
        // Characters CP932 lacks, one "?" each, between ones it has.
        {"utf-8", "\xe3\x81\x82\xc3\xa9\xe3\x81\x84\xf0\x9f\x98\x80", "\x82\xa0?\x82\xa2?"},
        {"utf-8", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"iso-2022-jp", "\x1b$B$\"\x1b(B", "\x82\xa0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CharsetToCp932(c.input, c.charset), c.expected) << c.charset;
}

// Decoders are kept open between conversions: a text that leaves one in
// another state (ISO-2022-JP shifted to JIS X 0208, or cut inside a
// character) must not change how the next text of that charset reads.
TEST(Charset, EachConversionStartsInTheInitialState) {
    const CharsetCase cases[] = {
        {"iso-2022-jp", "\x1b$B$\"", "\x82\xa0"},
        {"iso-2022-jp", "ab", "ab"},
        {"iso-2022-jp", "\x1b$B$", "?"},
        {"ISO-2022-JP", "ab", "ab"},
        {"utf-8", "a\xe3\x81", "a?"},
        {"utf-8", "\x82\xa0", "??"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CharsetToCp932(c.input, c.charset), c.expected) << c.charset << " " << c.input;
}
