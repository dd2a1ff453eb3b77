#include <gtest/gtest.h>

#include <random>

#include "filter/literalsearch.h"
#include "foundation/regexpobj.h"

namespace {

// Bytes that matter: letters of both cases, pattern syntax, CP932 lead and
// trail bytes (0x5C and letters can be trail bytes), blanks, line ends, NUL.
const std::string kAlphabet =
    std::string("aAbBzZ09._\\*?()[]^$|+ \r\n\x82\xA0\x95\x5C\x8A\x41\xFF") + std::string(1, '\0');

std::string RandomText(std::mt19937& rng, int longest) {
    std::string text(std::uniform_int_distribution<std::size_t>(0, longest)(rng), ' ');
    for (char& c : text)
        c = kAlphabet[std::uniform_int_distribution<std::size_t>(0, kAlphabet.size() - 1)(rng)];
    return text;
}

} // namespace

// The literal search answers as the escaped keyword's pattern matching by
// characters does.
TEST(LiteralSearch, AgreesWithTheEscapedPattern) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20000; ++round) {
        std::string text = RandomText(rng, 40);
        std::string needle;
        if (round % 2 && !text.empty()) {
            std::size_t from = std::uniform_int_distribution<std::size_t>(0, text.size() - 1)(rng);
            needle = text.substr(from, std::uniform_int_distribution<std::size_t>(0, 6)(rng));
            for (char& c : needle)
                if (rng() % 2 && std::isalpha(static_cast<unsigned char>(c))) c ^= 0x20;
        } else {
            needle = RandomText(rng, 4);
        }
        for (bool caseless : {false, true}) {
            TRegexpObj pattern(TRegexpObj::escape(needle),
                               TRegexpObj::Characters | (caseless ? TRegexpObj::Caseless : 0));
            ASSERT_EQ(TLiteralSearch(needle, caseless).Find(text), pattern.Execute(text))
                << "needle [" << needle << "] text [" << text << "] caseless " << caseless;
        }
    }
}

TEST(LiteralSearch, LongNeedlesAndTexts) {
    std::string needle(300, 'q');
    needle[0] = 'Q';
    std::string text = std::string(1000, 'q') + "x";
    EXPECT_TRUE(TLiteralSearch(needle, true).Find(text));
    EXPECT_FALSE(TLiteralSearch(needle, false).Find(text));
    EXPECT_TRUE(TLiteralSearch("", false).Find(""));
    EXPECT_FALSE(TLiteralSearch("abc", true).Find("ab"));
}

TEST(LiteralSearch, ByCharacters) {
    struct Case {
        const char *Needle, *Text;
        bool Caseless, Found;
    } cases[] = {
        {"A", "\x83\x41", false, false}, // the second byte of ア
        {"A",
         "\x83\x41"
         "A",
         false, true},
        {"a", "\x83\x41\x83\x43", true, false},                // アイ
        {"\x83\x41", "\x83\x61", true, false},                 // ア is not ヂ
        {"\x83\x41\x83\x5f", "x\x83\x41\x83\x5f", true, true}, // アダ
        {"\x83", "\x83\x41", false, false},                    // half of ア
        {"\x83", "\x83 ", false, true},                        // a lead byte standing alone
        {"sale", "\x96\x7bSALE", true, true},                  // 本SALE
    };
    for (const Case& c : cases)
        EXPECT_EQ(TLiteralSearch(c.Needle, c.Caseless).Find(c.Text), c.Found)
            << c.Needle << " in " << c.Text;
}
