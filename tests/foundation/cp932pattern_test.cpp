#include <gtest/gtest.h>

#include <random>

#include "foundation/cp932pattern.h"
#include "foundation/regexpobj.h"

namespace {

// CP932 characters of the cases.
#define A_KATA "\x83\x41"  // ア (second byte "A")
#define I_KATA "\x83\x43"  // イ
#define DI_KATA "\x83\x61" // ヂ (second byte "a")
#define DA_KATA "\x83\x5f" // ダ
#define RU_KATA "\x83\x8b" // ル
#define TO_KATA "\x83\x67" // ト (second byte "g")
#define E_KATA "\x83\x47"  // エ (second byte "G")
#define TE_KATA "\x83\x65" // テ (second byte "e")
#define SO_KATA "\x83\x5c" // ソ (second byte "\")
#define N_KATA "\x83\x93"  // ン
#define HYOU "\x95\x5c"    // 表 (second byte "\")
#define HON "\x96\x7b"     // 本
#define NICHI "\x93\xfa"   // 日
#define HALF_A "\xb1"      // ｱ, a single byte

struct TCase {
    const char* Pattern;
    bool Caseless;
    const char* Subject;
    const char* Match; // the whole match, or null for none
};

// The match of the pattern by characters, or "(none)".
std::string MatchOf(const char* pattern, bool caseless, const char* subject) {
    TRegexpObj regexp(pattern, TRegexpObj::Characters | (caseless ? TRegexpObj::Caseless : 0));
    EXPECT_TRUE(regexp.Compiled()) << pattern << ": " << regexp.ErrorText;
    regexp.Study();
    return regexp.Execute(subject) ? regexp.Capture(0) : "(none)";
}

} // namespace

// Each case once with the pattern studied (the JIT) and once without.
TEST(Cp932Pattern, MatchesByCharacters) {
    const TCase cases[] = {
        // An ASCII letter is never the second byte of a character.
        {"A", false, A_KATA, nullptr},
        {"A", false, A_KATA "A", "A"},
        {"a", true, A_KATA I_KATA DI_KATA TO_KATA, nullptr},
        {"g", true, "x" TO_KATA E_KATA "G", "G"},
        // Case folding never touches a second byte.
        {A_KATA DA_KATA RU_KATA TO_KATA, true, DI_KATA DA_KATA RU_KATA E_KATA, nullptr},
        {A_KATA DA_KATA RU_KATA TO_KATA, true, "x" A_KATA DA_KATA RU_KATA TO_KATA "y",
         A_KATA DA_KATA RU_KATA TO_KATA},
        {A_KATA, true, DI_KATA, nullptr},
        {A_KATA, false, A_KATA, A_KATA},
        {"sale", true, HON NICHI "SALE" HON, "SALE"},
        {HALF_A, true, "x" HALF_A, HALF_A},
        // Items take whole characters.
        {".", false, A_KATA, A_KATA},
        {"^.$", false, A_KATA, A_KATA},
        {"^...$", false, A_KATA "x" HALF_A, A_KATA "x" HALF_A},
        {A_KATA "+", false, A_KATA A_KATA A_KATA "A", A_KATA A_KATA A_KATA},
        {A_KATA "{2}", false, "A" A_KATA A_KATA, A_KATA A_KATA},
        {"\\W", false, A_KATA, A_KATA},
        {"\\S+", false, A_KATA "x" I_KATA " y", A_KATA "x" I_KATA},
        // Classes with characters, ranges and negation.
        {"[" A_KATA I_KATA "]", false, "\x83" DI_KATA I_KATA, I_KATA},
        {"[" A_KATA "x]+", true, "X" A_KATA "x" DI_KATA, "X" A_KATA "x"},
        {"[\x83\x40-" N_KATA "]+", false, "ab" A_KATA TO_KATA "c", A_KATA TO_KATA},
        {"[^" A_KATA "]", false, A_KATA I_KATA, I_KATA},
        {"[^a]", true, "A" A_KATA, A_KATA},
        {"[^\\x00-\\x7f]+", false, "x" A_KATA HALF_A "y", A_KATA HALF_A},
        {"[\\W\\d]+", false, "ab" A_KATA "1" I_KATA "c", A_KATA "1" I_KATA},
        {"[[:^alpha:]]", false, "ab" A_KATA, A_KATA},
        // Word boundaries judge characters: the second byte "e" of テ is no letter.
        {"\\bsex\\b", true, TE_KATA "SEX" TE_KATA, "SEX"},
        {"\\bsex\\b", true, "sexy", nullptr},
        {"\\Bx", false, TE_KATA "x", nullptr},
        {"\\Bx", false, "ax", "x"},
        // Characters whose second byte is a backslash stand for themselves.
        {SO_KATA, false, "x" SO_KATA "y", SO_KATA},
        {"x" HYOU, false, "x" HYOU "y", "x" HYOU},
        {"[" SO_KATA HYOU "]+", false, "a" HYOU SO_KATA "b", HYOU SO_KATA},
        // Bytes written as escapes: a lead and a trail byte name the character.
        {"\\x83\\x41", true, DI_KATA A_KATA, A_KATA},
        {"[\\x83\\x41]", false, "A" A_KATA, A_KATA},
        {"\\Q" A_KATA ".\\E", false, A_KATA "x" A_KATA ".", A_KATA "."},
        // Captures, alternatives, lookaheads and lookbehinds.
        {"(" A_KATA "|x)(y)", false, "\x83xy \x83 xy", "xy"}, // 0x83 0x78 is one character
        {"(?<=" A_KATA ")x", false, A_KATA "x", "x"},
        {"x(?!" A_KATA ")", false, "x" A_KATA "x", "x"},
        // ASCII patterns on ASCII text match as they always did.
        {"(free|cheap)\\s+pills", true, "get FREE  pills now", "FREE  pills"},
        {"^a.*z$", false, "abz", "abz"},
        {"\\bword\\b", false, "a word.", "word"},
    };
    for (bool study : {false, true}) {
        for (const TCase& c : cases) {
            TRegexpObj regexp(c.Pattern,
                              TRegexpObj::Characters | (c.Caseless ? TRegexpObj::Caseless : 0));
            ASSERT_TRUE(regexp.Compiled()) << c.Pattern << ": " << regexp.ErrorText;
            if (study) regexp.Study();
            const bool matched = regexp.Execute(c.Subject);
            EXPECT_EQ(matched, c.Match != nullptr) << c.Pattern << " in " << c.Subject;
            if (matched && c.Match) {
                EXPECT_EQ(regexp.Capture(0), c.Match) << c.Pattern;
            }
        }
    }
}

TEST(Cp932Pattern, CapturesAndRemaindersStayThoseOfTheWrittenPattern) {
    TRegexpObj regexp("(" A_KATA ")(x)?", TRegexpObj::Characters);
    ASSERT_TRUE(regexp.Execute("A" A_KATA "y"));
    ASSERT_EQ(regexp.Captures().size(), 3u);
    EXPECT_EQ(regexp.Capture(1), A_KATA);
    EXPECT_EQ(regexp.Capture(2), "");
    EXPECT_EQ(regexp.PreMatch(), "A");
    EXPECT_EQ(regexp.PostMatch(), "y");
}

// A faulty pattern is reported as the matcher reports it written byte-wise;
// one whose rewriting the matcher refuses matches bytes as written.
TEST(Cp932Pattern, FaultsAreTheWrittenPatterns) {
    for (const char* pattern : {"ab(", "a)(b", "a)b", "[a", "a{2,1}", "\\", "(?<n>a)(?<n>b)"}) {
        TRegexpObj bytes(pattern);
        TRegexpObj characters(pattern, TRegexpObj::Characters);
        EXPECT_FALSE(characters.Compiled()) << pattern;
        EXPECT_EQ(characters.ErrorOffset, bytes.ErrorOffset) << pattern;
        EXPECT_EQ(characters.ErrorText, bytes.ErrorText) << pattern;
    }
    // A variable-length item in a lookbehind: the class stays byte-wise there.
    EXPECT_EQ(MatchOf("(?<=[" A_KATA "b])x", false, "bx"), "x");
    // A character ending in a backslash at the end is no lone backslash.
    EXPECT_EQ(MatchOf("x" HYOU, false, "x" HYOU), "x" HYOU);
}

// The escaped text, by characters, matches the text and only where it stands
// whole: the escape's second-byte backslashes are read as characters.
TEST(Cp932Pattern, EscapedTextMatchesItself) {
    const std::string texts[] = {A_KATA "." SO_KATA "(" HYOU ")", "a+b " HALF_A RU_KATA "*",
                                 "\\" SO_KATA "\\E" N_KATA};
    for (const std::string& text : texts) {
        for (bool caseless : {false, true}) {
            TRegexpObj regexp(TRegexpObj::escape(text),
                              TRegexpObj::Characters | (caseless ? TRegexpObj::Caseless : 0));
            ASSERT_TRUE(regexp.Compiled()) << text << ": " << regexp.ErrorText;
            const std::string around = "<" + text + ">", behindLead = "\x83" + text;
            EXPECT_TRUE(regexp.Execute(around)) << text;
            EXPECT_EQ(regexp.Capture(0), text);
            EXPECT_FALSE(regexp.Execute(behindLead)) << text;
        }
    }
}

// On text without bytes of 0x80 and above, a pattern that matches by
// characters answers as the byte matcher does.
TEST(Cp932Pattern, AsciiTextAsBefore) {
    const char* patterns[] = {"a.c",    "[^x]+y",   "\\w+\\b", "\\Bb",  "(a|b)*c", "[\\W]",
                              "x\\S?",  "^$",       "a{2}",    ".*z$",  "\\D\\d",  "[a-c-]+",
                              "(?i)Ab", "\\Qa.\\E", "[]x]",    "a(?=b)"};
    std::mt19937 rng(3);
    const std::string alphabet = "abcxyzAB09 .-_\n";
    for (int round = 0; round < 300; ++round) {
        std::string text(rng() % 12, ' ');
        for (char& ch : text)
            ch = alphabet[rng() % alphabet.size()];
        for (const char* pattern : patterns) {
            for (int options : {0, TRegexpObj::Caseless, TRegexpObj::Multiline}) {
                TRegexpObj bytes(pattern, options);
                TRegexpObj characters(pattern, options | TRegexpObj::Characters);
                const bool expected = bytes.Execute(text);
                ASSERT_EQ(characters.Execute(text), expected) << pattern << " in [" << text << "]";
                if (expected) {
                    ASSERT_EQ(characters.Capture(0), bytes.Capture(0)) << pattern;
                }
            }
        }
    }
}
