#include "foundation/japancode.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>

#include "foundation/regexpobj.h"
#include "randomtext.h"

using namespace std::string_literals;

namespace {

struct ConvertCase {
    const char* name;
    std::string input;
    std::string expected;
};

std::string CaseName(const ::testing::TestParamInfo<ConvertCase>& info) {
    return info.param.name;
}

std::string Pair(char j1, char j2) {
    return "\x1b$B"s + j1 + j2 + "\x1b(B";
}

class JapanCodeTest : public ::testing::Test {
protected:
    // The Shift_JIS bytes of one JIS pair, as JIS2SJIS gives them.
    std::string SJISOfPair(char j1, char j2) { return Code.JIS2SJIS(Pair(j1, j2)); }

    // JIS2SJIS with the escape pattern and the scanning idiom.
    std::string ReferenceJIS(std::string_view text) {
        TRegexpObj escape("\\x1b([$(])[@BJ]");
        std::string out;
        bool doubleByte = false;
        std::string_view rest = text;
        while (escape.Execute(rest)) {
            std::string_view before = escape.PreMatch();
            if (!doubleByte) out.append(before);
            for (std::size_t i = 0; doubleByte && i + 1 < before.size(); i += 2)
                out += SJISOfPair(before[i], before[i + 1]);
            doubleByte = escape.Capture(1) == "$";
            rest = escape.PostMatch();
        }
        return out.append(rest);
    }

    // EUC2SJIS with the pair pattern: a pair is the JIS pair plus 0x80.
    std::string ReferenceEUC(std::string_view text) {
        TRegexpObj pair("([\\xa1-\\xfe][\\xa1-\\xfe])");
        std::string out;
        std::string_view rest = text;
        while (pair.Execute(rest)) {
            out.append(pair.PreMatch());
            out += SJISOfPair(static_cast<char>(pair.Capture(1)[0] - 0x80),
                              static_cast<char>(pair.Capture(1)[1] - 0x80));
            rest = pair.PostMatch();
        }
        return out.append(rest);
    }

    TJapanCode Code;
};

class JISCases : public JapanCodeTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(JISCases, Converts) {
    EXPECT_EQ(Code.JIS2SJIS(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    JIS2SJIS, JISCases,
    ::testing::Values(ConvertCase{"Kanji", Pair(0x30, 0x21), "\x88\x9F"},
                      ConvertCase{"Hiragana", Pair(0x24, 0x22), "\x82\xA0"},
                      ConvertCase{"FullWidthSpace", Pair(0x21, 0x21), "\x81\x40"},
                      ConvertCase{"OddRowHighCell", Pair(0x21, 0x60), "\x81\x80"},
                      ConvertCase{"EvenRow", Pair(0x22, 0x21), "\x81\x9F"},
                      ConvertCase{"UpperBlockStart", Pair(0x5F, 0x21), "\xE0\x40"},
                      ConvertCase{"LastPair", Pair(0x7E, 0x7E), "\xEF\xFC"},
                      ConvertCase{"FirstByteTooHigh", Pair(0x7F, 0x21), "\x81\x48"},
                      ConvertCase{"FirstByteTooLow", Pair(0x20, 0x21), "\x81\x48"},
                      ConvertCase{"SecondByteTooHigh", Pair(0x21, 0x7F), "\x81\x48"},
                      ConvertCase{"NulPair", Pair('\0', '\0'), "\x81\x48"},
                      ConvertCase{"AsciiAround", "a\x1b$B\x30\x21\x1b(Bb",
                                  "a\x88\x9F"
                                  "b"},
                      ConvertCase{"OldJISEscape", "\x1b$@\x24\x22\x1b(J!", "\x82\xA0!"},
                      ConvertCase{"OddByteDropped", "\x1b$B\x30\x21\x30\x1b(B", "\x88\x9F"},
                      ConvertCase{"NeverSwitchedBack", "a\x1b$B\x30\x21", "a\x30\x21"},
                      ConvertCase{"LastStretchKeptInSingleMode", "\x1b$B\x30\x21\x1b(Bxy",
                                  "\x88\x9Fxy"},
                      ConvertCase{"EmptyDoubleStretch", "\x1b$B\x1b(B", ""},
                      ConvertCase{"KatakanaEscapeStays", "\x1b(I\x31\x32", "\x1b(I\x31\x32"},
                      ConvertCase{"UnknownEscapeInDoubleMode", "\x1b$B\x1b(I\x1b(B", "\x81\x48"},
                      ConvertCase{"CutOffEscape", "abc\x1b$", "abc\x1b$"},
                      ConvertCase{"LoneEscape", "\x1b", "\x1b"},
                      ConvertCase{"EscapeBeforeEscape", "\x1b\x1b$B\x30\x21\x1b(B", "\x1b\x88\x9F"},
                      ConvertCase{"Ascii", "Subject: hello\r\n", "Subject: hello\r\n"},
                      ConvertCase{"Empty", "", ""}),
    CaseName);

class EUCCases : public JapanCodeTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(EUCCases, Converts) {
    EXPECT_EQ(Code.EUC2SJIS(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EUC2SJIS, EUCCases,
    ::testing::Values(ConvertCase{"Hiragana", "\xA4\xA2", "\x82\xA0"},
                      ConvertCase{"AsciiAround",
                                  "a\xA4\xA2"
                                  "b",
                                  "a\x82\xA0"
                                  "b"},
                      ConvertCase{"LoneByte", "\xA4", "\xA4"},
                      ConvertCase{"OddTrailingByte", "\xA4\xA2\xA4", "\x82\xA0\xA4"},
                      ConvertCase{"SingleShiftNotSpecial", "\x8E\xB1\xB1", "\x8E\x89\x50"},
                      ConvertCase{"PairAfterOutOfRangeByte", "\xA0\xA1\xA1", "\xA0\x81\x40"},
                      ConvertCase{"NulBytesKept", "\0\xA4\xA2\0"s, "\0\x82\xA0\0"s},
                      ConvertCase{"Ascii", "plain text\r\n", "plain text\r\n"}),
    CaseName);

class GuessCases : public JapanCodeTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(GuessCases, Converts) {
    EXPECT_EQ(Code.Convert(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Convert, GuessCases,
    ::testing::Values(ConvertCase{"JIS", std::string("a") + Pair(0x24, 0x22), "a\x82\xA0"},
                      ConvertCase{"JISWinsOverSJISBytes",
                                  std::string("\x82\xA0") + Pair(0x24, 0x22), "\x82\xA0\x82\xA0"},
                      ConvertCase{"SJISUnchanged", "\x88\x9F\xA4\xA2", "\x88\x9F\xA4\xA2"},
                      ConvertCase{"EUC", "\xA4\xA2", "\x82\xA0"},
                      ConvertCase{"Ascii", "hello", "hello"}),
    CaseName);

TEST_F(JapanCodeTest, JISMatchesPatternScanOnMixedInput) {
    std::mt19937 rng(3);
    const std::string alphabet = "a\x1b\x1b\x1b$$((@BJI\x21\x30\x7E\x7F\xA1\x81"s + '\0';
    for (int i = 0; i < 3000; ++i) {
        std::string text = RandomText(rng, alphabet, 30);
        ASSERT_EQ(Code.JIS2SJIS(text), ReferenceJIS(text)) << "input: " << text;
    }
}

TEST_F(JapanCodeTest, EUCMatchesPatternScanOnMixedInput) {
    std::mt19937 rng(4);
    const std::string alphabet = "a\xA1\xB0\xFE\xFF\xA0\x8E\x81"s + '\0';
    for (int i = 0; i < 3000; ++i) {
        std::string text = RandomText(rng, alphabet, 30);
        ASSERT_EQ(Code.EUC2SJIS(text), ReferenceEUC(text)) << "input: " << text;
    }
}

TEST_F(JapanCodeTest, ConvertGuessMatchesPatterns) {
    std::mt19937 rng(6);
    const std::string alphabet = "a\x1b$(B\x24\x22\x80\x81\xA0\xA1\xA4\xFE"s;
    TRegexpObj escape("\\x1b([$(])[@BJ]");
    TRegexpObj sjisOnly("[\\x81-\\xA0]");
    for (int i = 0; i < 3000; ++i) {
        std::string text = RandomText(rng, alphabet, 12);
        std::string expected = escape.Execute(text)     ? Code.JIS2SJIS(text)
                               : sjisOnly.Execute(text) ? text
                                                        : Code.EUC2SJIS(text);
        ASSERT_EQ(Code.Convert(text), expected) << "input: " << text;
    }
}

// Every character that JIS X 0208 defines converts as the C library's
// ISO-2022-JP to Shift_JIS converter does.
TEST_F(JapanCodeTest, JISPairsAgreeWithCLibrary) {
    iconv_t cd = iconv_open("SHIFT_JIS", "ISO-2022-JP");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    int compared = 0;
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            std::string in = Pair(static_cast<char>(j1), static_cast<char>(j2));
            char out[8];
            char* inPtr = in.data();
            char* outPtr = out;
            std::size_t inLeft = in.size(), outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1))
                continue; // not a character of the set
            ++compared;
            ASSERT_EQ(SJISOfPair(static_cast<char>(j1), static_cast<char>(j2)),
                      std::string(out, outPtr))
                << std::hex << j1 << ' ' << j2;
        }
    }
    iconv_close(cd);
    EXPECT_GT(compared, 6000);
}

TEST_F(JapanCodeTest, HostileInputStaysLenient) {
    std::string escapes(2 << 20, '\x1b');
    EXPECT_EQ(Code.JIS2SJIS(escapes), escapes);
    std::string cutOff;
    for (int i = 0; i < 1 << 19; ++i)
        cutOff += "\x1b$";
    EXPECT_EQ(Code.JIS2SJIS(cutOff), cutOff);
    std::string switches;
    for (int i = 0; i < 1 << 18; ++i)
        switches += "\x1b$B\x1b(B";
    EXPECT_EQ(Code.JIS2SJIS(switches), "");
    EXPECT_EQ(Code.Convert(escapes), escapes);
}

class ConvertEncodingCases : public JapanCodeTest,
                             public ::testing::WithParamInterface<const char*> {};

TEST_P(ConvertEncodingCases, PlainAsciiPassesUnchanged) {
    EXPECT_EQ(Code.ConvertEncoding("Hello, world\r\n", GetParam()), "Hello, world\r\n");
}

INSTANTIATE_TEST_SUITE_P(EveryRoute, ConvertEncodingCases,
                         ::testing::Values("iso-2022-jp", "euc-jp", "utf-8", "shift_jis",
                                           "iso-8859-1", "x-no-such-charset", ""));

TEST_F(JapanCodeTest, ConvertEncodingRoutesByCharset) {
    const std::string jis = Pair(0x24, 0x22);
    EXPECT_EQ(Code.ConvertEncoding(jis, "iso-2022-jp"), "\x82\xA0");
    EXPECT_EQ(Code.ConvertEncoding(jis, "ISO-2022-JP"), "\x82\xA0");
    EXPECT_EQ(Code.ConvertEncoding("\xA4\xA2", "EUC-JP"), "\x82\xA0");
    EXPECT_EQ(Code.ConvertEncoding("\xE3\x81\x82", "UTF-8"), "\x82\xA0");
    EXPECT_EQ(Code.ConvertEncoding("\x82\xA0", "shift_jis"), "\x82\xA0");
    EXPECT_EQ(Code.ConvertEncoding("\xA4\xA2", "x-no-such-charset"), "\xA4\xA2");
}

} // namespace
