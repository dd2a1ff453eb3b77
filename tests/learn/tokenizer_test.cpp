#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "learn/htmltext.h"
#include "learn/learnlimits.h"
#include "learn/messagetokens.h"
#include "learn/texttokens.h"
#include "learn/tokenset.h"
#include "learntesthelp.h"
#include "message/multipartmessage.h"
#include "platform/text.h"

namespace {

std::vector<std::string> Sorted(std::vector<std::string> tokens) {
    std::sort(tokens.begin(), tokens.end());
    return tokens;
}

// The tokens of a UTF-8 text (turned into CP932), back in UTF-8, sorted.
std::vector<std::string> TextTokens(std::string_view utf8) {
    TTokenSet set(true);
    TokenizeText(platform::Utf8ToCp932(utf8), "", set);
    std::vector<std::string> tokens;
    for (std::string& token : set.Take().Texts)
        tokens.push_back(platform::Cp932ToUtf8(token));
    return Sorted(tokens);
}

std::vector<std::string> Tokens(const TMultipartMessage& message) {
    std::vector<std::string> tokens;
    for (std::string& token : MessageTokens(message, true).Texts)
        tokens.push_back(platform::Cp932ToUtf8(token));
    return tokens;
}

bool Has(const std::vector<std::string>& tokens, std::string_view token) {
    return std::find(tokens.begin(), tokens.end(), token) != tokens.end();
}

} // namespace

TEST(TokenizeText, WordsBigramsAndUrls) {
    struct Case {
        const char* Name;
        const char* Text;
        std::vector<std::string> Tokens;
    } cases[] = {
        {"words keep their capitals, lose the marks at their ends",
         "Dear FREE money... it's e-mail 'quoted'",
         {"Dear", "e-mail", "free", "it's", "money", "quoted"}},
        {"numbers alone and single letters say nothing", "a 2002 10.5 x9 $20", {"$20", "x9"}},
        {"a long word is its first letter and length",
         "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo0123456789",
         {"skip:Q40"}},
        {"URLs are their hosts",
         "see HTTP://User:pw@WWW.Example.COM:8080/path?q=1 or https://b.example/x",
         {"or", "see", "url:b.example", "url:www.example.com"}},
        {"Japanese in bigrams, punctuation parts runs",
         "激安販売。今すぐ",
         {"すぐ", "今す", "安販", "激安", "販売"}},
        {"a Japanese letter alone is a token", "安 い", {"い", "安"}},
        {"Japanese and ASCII part each other",
         "ｱﾀﾞﾙﾄDVD見放題",
         {"dvd", "ﾀﾞ", "ｱﾀ", "ﾙﾄ", "ﾞﾙ", "放題", "見放"}},
        {"full-width Latin letters and digits are ASCII",
         "ＦＲＥＥ　ｍｏｎｅｙ１０",
         {"free", "money10"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TextTokens(c.Text), Sorted(c.Tokens)) << c.Name;
}

TEST(HtmlText, TextAsItsReaderSeesIt) {
    TTokenSet set(true);
    std::string text =
        HtmlText("<html><head><style>p {color: red}</style><script>var hidden;</script></head>"
                 "<!-- comment words --><body><p>fr<b></b>ee &amp; easy<br>cash"
                 "<a href=\"http://Click.Example/win\">here</a></p><img src=https://img.example/"
                 "a.gif><!-- never closed",
                 set);
    EXPECT_EQ(text, " free & easy cashhere ");
    EXPECT_EQ(Sorted(set.Take().Texts),
              (std::vector<std::string>{"url:click.example", "url:img.example"}));
}

TEST(MessageTokens, HeadersAndPartsArePrefixed) {
    TMultipartMessage message;
    message.Create(
        learntest::Crlf("Received: from relay.bad.example (relay.bad.example [203.0.113.9])\n"
                        "\tby mx.example.jp with SMTP; Mon, 5 Jul 2004 13:02:03 +0900\n"
                        "From: Deals <deals@Bulk.Example>\n"
                        "Subject: =?ISO-2022-JP?B?GyRCN2MwQhsoQg==?= offer\n"
                        "X-Mailer: MassMail 2.0\n"
                        "Content-Type: multipart/mixed; boundary=b\n\n"
                        "--b\nContent-Type: text/html; charset=us-ascii\n\n<p>Win <a "
                        "href=http://win.example/>now</a>\n"
                        "--b\nContent-Type: application/zip; name=\"prize.zip\"\n"
                        "Content-Disposition: attachment; filename=\"prize.zip\"\n\nPK\n--b--\n"));
    std::vector<std::string> tokens = Tokens(message);
    for (const char* token : {"s:激安",
                              "s:offer",
                              "f:Deals",
                              "fd:bulk.example",
                              "rh:relay.bad.example",
                              "ra:203.0.113.9",
                              "ra:203.0.113",
                              "xm:MassMail",
                              "ct:multipart/mixed",
                              "ct:text/html",
                              "cs:us-ascii",
                              "ct:application/zip",
                              "fn:prize.zip",
                              "Win",
                              "now",
                              "url:win.example",
                              "h:x-mailer",
                              "h:received",
                              "rc:mx.example.jp",
                              "rc:smtp"})
        EXPECT_TRUE(Has(tokens, token)) << token;
    EXPECT_FALSE(Has(tokens, "ra:203.0")); // a /16 is no sender's network
}

// Hostile shapes cost no more than their parse: the text read and the tokens
// kept are bounded, whatever the size of one word or the number of parts.
TEST(MessageTokens, BoundedWhateverTheShape) {
    TMultipartMessage oneWord;
    oneWord.Create("Subject: x\r\n\r\n" + std::string(4 << 20, 'a') + "\r\n");
    EXPECT_EQ(Sorted(Tokens(oneWord)),
              (std::vector<std::string>{"ct:text/plain", "h:subject", "skip:a524280"}));

    std::string words = "Subject: x\r\n\r\n";
    for (int i = 0; words.size() < 3 * learnlimits::MaxTextBytes; ++i)
        words.append("w").append(std::to_string(i)).append(" ");
    words += "\r\nlastword\r\n";
    TMultipartMessage many;
    many.Create(words);
    std::vector<std::string> tokens = Tokens(many);
    EXPECT_EQ(tokens.size(), learnlimits::MaxTokens);
    EXPECT_FALSE(Has(tokens, "lastword"));

    std::string parts = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < 5000; ++i)
        parts += "--b\r\nContent-Type: text/plain\r\n\r\n" + std::string(200, 'z') + " p" +
                 std::to_string(i) + "\r\n";
    parts += "--b--\r\n";
    TMultipartMessage split;
    split.Create(parts);
    tokens = Tokens(split);
    EXPECT_LT(tokens.size(), 5000u);
    EXPECT_TRUE(Has(tokens, "p0"));
    EXPECT_FALSE(Has(tokens, "p4999")); // past the text budget
}
