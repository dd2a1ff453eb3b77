#include "foundation/base64dec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "foundation/regexpobj.h"
#include "randomtext.h"

using namespace std::string_literals;

namespace {

struct DecodeCase {
    const char* name;
    std::string input;
    std::string expected;
};

std::string Decode(TCustomDecode& decoder, std::string_view text) {
    decoder.Create(text);
    EXPECT_EQ(decoder.Size, static_cast<int>(decoder.Data.size()));
    return decoder.GetAsString();
}

std::string EncodeBase64(std::string_view bytes, std::size_t lineLength) {
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t column = 0;
    auto put = [&](char c) {
        out += c;
        if (++column == lineLength) {
            out += "\r\n";
            column = 0;
        }
    };
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned bits = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) bits |= static_cast<unsigned char>(bytes[i + 2]);
        put(Alphabet[bits >> 18 & 63]);
        put(Alphabet[bits >> 12 & 63]);
        put(i + 1 < bytes.size() ? Alphabet[bits >> 6 & 63] : '=');
        put(i + 2 < bytes.size() ? Alphabet[bits & 63] : '=');
    }
    return out;
}

// The base64 rule written out group by group: group k lands at bit offset 6k,
// and the result ends with the byte of the last group's offset.
std::string ReferenceBase64(std::string_view text) {
    static const std::string Alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out(text.size() + 2, '\0');
    std::size_t k = 0, size = 0;
    for (char c : text) {
        if (c == '=') break;
        std::size_t value = Alphabet.find(c);
        if (value == std::string::npos) continue;
        std::size_t p = 6 * k / 8, r = 6 * k % 8;
        auto v = static_cast<unsigned char>(value);
        auto orInto = [&](std::size_t at, unsigned bits) {
            out[at] = static_cast<char>(static_cast<unsigned char>(out[at]) | (bits & 0xFF));
        };
        if (r == 0) orInto(p, v << 2);
        if (r == 6) orInto(p, v >> 4), orInto(p + 1, v << 4);
        if (r == 4) orInto(p, v >> 2), orInto(p + 1, v << 6);
        if (r == 2) orInto(p, v);
        size = p + 1;
        ++k;
    }
    out.resize(size);
    return out;
}

// Quoted-printable in its two steps: soft line breaks removed in one pass,
// then "=XX" found by the pattern, scanning the remainder after each match.
std::string ReferenceQPrint(std::string_view text) {
    std::string joined;
    std::size_t pos = 0;
    for (std::size_t at; (at = text.find("=\r\n", pos)) != std::string_view::npos; pos = at + 3)
        joined.append(text.substr(pos, at - pos));
    joined.append(text.substr(pos));

    TRegexpObj hex("=([0-9a-f]{2})", TRegexpObj::Caseless);
    std::string out;
    std::string_view rest = joined;
    while (hex.Execute(rest)) {
        out.append(hex.PreMatch());
        out += static_cast<char>(std::stoi(hex.Capture(1), nullptr, 16));
        rest = hex.PostMatch();
    }
    out.append(rest);
    return out;
}

class Base64Cases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Base64Cases, Decodes) {
    TBase64Decode decoder;
    EXPECT_EQ(Decode(decoder, GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Base64, Base64Cases,
    ::testing::Values(DecodeCase{"Empty", "", ""},
                      DecodeCase{"FourCharactersThreeBytes", "QUJD", "ABC"},
                      DecodeCase{"TwoPaddedGivesOneByte", "QQ==", "A"},
                      DecodeCase{"OnePaddedGivesTwoBytes", "QUI=", "AB"},
                      DecodeCase{"UnpaddedTwoCharacters", "QQ", "A"},
                      DecodeCase{"FiveCharactersFourBytes", "QUJDR", "ABC\x44"},
                      DecodeCase{"OneCharacterOneByte", "/", "\xFC"},
                      DecodeCase{"OnlyFirstPaddedBlock", "QQ==QkI=", "A"},
                      DecodeCase{"EqualsFirstGivesNothing", "=QUJD", ""},
                      DecodeCase{"LineBreaksAndBlanksSkipped", "Q\r\nU J\tD", "ABC"},
                      DecodeCase{"JunkSkipped", "Q!U\x81J*D-", "ABC"},
                      DecodeCase{"NulBytesSkipped", "Q\0U\0J\0D"s, "ABC"},
                      DecodeCase{"OnlyJunk", "!!\r\n\x80\xFF", ""},
                      DecodeCase{"FullRangeBytes", "AP8A/w==", "\x00\xFF\x00\xFF"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Base64, LineBreaksEvery76DecodeAsWithout) {
    std::mt19937 rng(7);
    std::string bytes(5000, '\0');
    for (char& c : bytes)
        c = static_cast<char>(rng());
    TBase64Decode wrapped, plain;
    EXPECT_EQ(Decode(wrapped, EncodeBase64(bytes, 76)), bytes);
    EXPECT_EQ(Decode(plain, EncodeBase64(bytes, 0)), bytes);
}

TEST(Base64, MatchesGroupRuleOnMixedInput) {
    std::mt19937 rng(11);
    TBase64Decode decoder;
    const std::string alphabet = "AQZaz09+/\r\n =!\x80\xFF"s + '\0';
    for (int i = 0; i < 3000; ++i) {
        std::string text = RandomText(rng, alphabet, 40);
        ASSERT_EQ(Decode(decoder, text), ReferenceBase64(text)) << "input: " << text;
    }
}

TEST(Base64, CreateReplacesEarlierResult) {
    TBase64Decode decoder;
    Decode(decoder, "QUJDREVG");
    EXPECT_EQ(Decode(decoder, "QQ=="), "A");
    EXPECT_EQ(Decode(decoder, ""), "");
    EXPECT_EQ(decoder.Size, 0);
}

TEST(Base64, HostileInputStaysLenient) {
    TBase64Decode decoder;
    EXPECT_EQ(Decode(decoder, std::string(4 << 20, '=')), "");
    std::string junk(4 << 20, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 131 % 256);
    std::string_view beforePad(junk.data(), junk.find('='));
    EXPECT_EQ(Decode(decoder, junk), ReferenceBase64(beforePad));
}

class QPrintCases : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(QPrintCases, Decodes) {
    TQPrintDecode decoder;
    EXPECT_EQ(Decode(decoder, GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    QPrint, QPrintCases,
    ::testing::Values(
        DecodeCase{"Empty", "", ""}, DecodeCase{"UpperHex", "a=3Db", "a=b"},
        DecodeCase{"LowerHex", "a=3db", "a=b"}, DecodeCase{"HighByte", "=82=A0", "\x82\xA0"},
        DecodeCase{"NulByteEncoded", "x=00y", "x\0y"s}, DecodeCase{"EqualsAtEnd", "abc=", "abc="},
        DecodeCase{"EqualsOneDigitAtEnd", "abc=4", "abc=4"},
        DecodeCase{"EqualsNonHex", "=G1=4g", "=G1=4g"},
        DecodeCase{"SoftBreakJoins", "ab=\r\ncd", "abcd"},
        DecodeCase{"EqualsBareLFStays", "ab=\ncd", "ab=\ncd"},
        DecodeCase{"EqualsBareCRStays", "ab=\rcd", "ab=\rcd"},
        DecodeCase{"HardBreakStays", "ab\r\ncd  \r\n", "ab\r\ncd  \r\n"},
        DecodeCase{"UnderscoreStays", "a_b", "a_b"}, DecodeCase{"EqualsBeforeEscape", "==41", "=A"},
        DecodeCase{"SoftBreakMakesEscape", "==\r\n41", "A"},
        DecodeCase{"SoftBreakSplitsEscape", "=4=\r\n1", "A"},
        DecodeCase{"SoftBreakRemovedOnce", "==\r\n\r\n", "=\r\n"},
        DecodeCase{"SoftBreakChainInsideEscape", "==\r\n=\r\n4=\r\n1", "A"},
        DecodeCase{"SoftBreakAfterOneDigitAtEnd", "=4=\r\n", "=4"},
        DecodeCase{"DecodedEqualsNotReread", "=3D41", "=41"},
        DecodeCase{"NulBytesKept", "a\0=41\0"s, "a\0A\0"s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QPrint, MatchesTwoStepRuleOnMixedInput) {
    std::mt19937 rng(5);
    TQPrintDecode decoder;
    const std::string alphabet = "====\r\n09aAfFgG_ \x82"s + '\0';
    for (int i = 0; i < 5000; ++i) {
        std::string text = RandomText(rng, alphabet, 40);
        ASSERT_EQ(Decode(decoder, text), ReferenceQPrint(text)) << "input: " << text;
    }
}

TEST(QPrint, HostileInputStaysLenient) {
    TQPrintDecode decoder;
    std::string equals(4 << 20, '=');
    EXPECT_EQ(Decode(decoder, equals), equals);
    std::string breaks;
    for (int i = 0; i < 1 << 20; ++i)
        breaks += "=\r\n";
    EXPECT_EQ(Decode(decoder, breaks), "");
}

TEST(Identity, ReturnsInputByteForByte) {
    TCustomDecode decoder;
    const std::string text = "a\0=41\r\n\xFF"s;
    EXPECT_EQ(Decode(decoder, text), text);
    EXPECT_EQ(decoder.Size, 8);
}

} // namespace
