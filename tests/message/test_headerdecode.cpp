// Header lookup and decoding: Select, unfolding, encoded words, quotes.
#include <gtest/gtest.h>

#include "message/multipartitem.h"

namespace {

TEST(HeaderSelect, FindsEveryValueInOrderAndAppends) {
    TMultipartItem root;
    root.SetText("Received: from a\r\n\tby b; Mon, 5 Jul 2004 13:02:03 +0900\r\n"
                 "X-Mailer: Tool 1.0\r\n"
                 "received: R2\r\n"
                 "Empty:\r\n"
                 "RECEIVED: R3\r\n"
                 "X-Library: Lib 2\r\n"
                 "\r\nReceived: in the body\r\n");
    ASSERT_EQ(root.Select("Received"), 3);
    EXPECT_EQ(root.Results[0], " from a\r\n\tby b; Mon, 5 Jul 2004 13:02:03 +0900\r\n");
    EXPECT_EQ(root.Results[1], " R2\r\n");
    EXPECT_EQ(root.Results[2], " R3\r\n");
    EXPECT_EQ(root.Select("Subject"), 3) << "a second Select appends";
    root.FreeResult();

    // The name is a pattern fragment: the colon belongs to the last alternative.
    ASSERT_EQ(root.Select("X-Mailer|X-Library"), 2);
    EXPECT_EQ(root.Results[0], ": Tool 1.0\r\n");
    EXPECT_EQ(root.Results[1], " Lib 2\r\n");
    root.FreeResult();

    EXPECT_EQ(root.Select("Empty"), 0) << "an empty value is not found";
    root.FreeResult();
    // A fragment that lets the pattern match nothing still ends the scan.
    EXPECT_LE(root.Select(")|("), static_cast<int>(root.Header.size()) + 1);
}

TEST(HeaderSelect, FindsValuesThatStartOnTheNextLine) {
    TMultipartItem root;
    root.SetText("Subject:\r\n =?UTF-8?B?44OG44K544OI?=\r\n"
                 "Content-Type:\r\n multipart/mixed;\r\n boundary=b\r\n"
                 "Empty:\r\n"
                 "X-Blank:\r\n \r\n"
                 "\r\n--b\r\n\r\npart\r\n--b--\r\n");
    ASSERT_EQ(root.Select("Subject"), 1);
    EXPECT_EQ(root.Results[0], "\r\n =?UTF-8?B?44OG44K544OI?=\r\n");
    root.DecodeResult(true);
    EXPECT_EQ(root.Results[0], "\x83\x65\x83\x58\x83\x67"); // テスト
    root.FreeResult();
    EXPECT_EQ(root.Select("Empty"), 0) << "an empty value is still not found";
    EXPECT_EQ(root.Select("X-Blank"), 0) << "nor is a value of blanks";
    EXPECT_EQ(root.MimeType, "multipart/mixed");
    ASSERT_EQ(root.GetCount(), 1);
    EXPECT_EQ(root.GetParts(0)->Body, "part");
}

TEST(HeaderDecode, UnwrapHeaderItem) {
    struct Case {
        std::string In, Out;
    } cases[] = {
        {"Your invoice for\r\n December", "Your invoice for December"},
        {" \t value \r\n", "value"},
        {"a\r\n\tb\r\n c", "a\tb c"},
        {"a\n b", "a b"},
        {"\r\n \r\n ", ""},
        // Raw ISO-2022-JP folded in double-byte mode: the fold's blanks go too.
        {"\x1b$B0!0\"\r\n 0#\x1b(B", "\x1b$B0!0\"0#\x1b(B"},
        {"\x1b$B0!\r\n\t \t0\"\x1b(B\r\n \x1b$B0#\x1b(B", "\x1b$B0!0\"\x1b(B \x1b$B0#\x1b(B"},
        {"\x1b(Bplain\r\n text", "\x1b(Bplain text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMultipartItem::UnwrapHeaderItem(c.In), c.Out) << c.In;
}

TEST(HeaderDecode, StripQuote) {
    struct Case {
        std::string In, Out;
    } cases[] = {
        {"\"abc\"", "abc"},
        {"'abc'", "abc"},
        {"\"a\"\"b\" rest", "a\"b"},
        {"\"open", "open"},
        {"plain \"x\"", "plain \"x\""},
        {"", ""},
        {"'it''s'", "it's"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMultipartItem::StripQuote(c.In), c.Out) << c.In;
}

TEST(HeaderDecode, DecodeHeaderItem) {
    const std::string aiu = "\x82\xa0\x82\xa2\x82\xa4";     // あいう
    const std::string nihongo = "\x93\xfa\x96\x7b\x8c\xea"; // 日本語
    struct Case {
        const char* Name;
        std::string In, Out, Charset;
    } cases[] = {
        {"plain ASCII", "Hello, world", "Hello, world", ""},
        {"one word", "=?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?=", aiu, "ISO-2022-JP"},
        {"two words on two lines",
         "=?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?=\r\n =?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", aiu + nihongo,
         "ISO-2022-JP"},
        {"two words on one line",
         "=?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?= \t=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", aiu + nihongo,
         "ISO-2022-JP"},
        {"text between words stays", "=?us-ascii?Q?a?= and =?us-ascii?Q?b?=", "a and b",
         "us-ascii"},
        {"text around words stays", "Re: =?us-ascii?q?x?= (fwd)", "Re: x (fwd)", "us-ascii"},
        {"Q underscore is a blank", "=?iso-8859-1?Q?Hello_World=21?=", "Hello World!",
         "iso-8859-1"},
        {"UTF-8 word", "=?utf-8?b?5pel5pys6Kqe?=", nihongo, "utf-8"},
        {"language suffix", "=?utf-8*ja?b?5pel5pys6Kqe?=", nihongo, "utf-8"},
        {"raw ISO-2022-JP", "\x1b$B$\"$$$&\x1b(B", aiu, ""},
        {"broken word stays", "=?utf-8?X?abc?=", "=?utf-8?X?abc?=", ""},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        EXPECT_EQ(root.DecodeHeaderItem(c.In), c.Out) << c.Name;
        EXPECT_EQ(root.Charset, c.Charset) << c.Name;
    }
}

TEST(HeaderDecode, FoldedJisSubjectKeepsItsKanji) {
    TMultipartItem root;
    root.SetText("Subject: \x1b$B0!0\"\r\n 0#\x1b(B\r\n\r\n");
    ASSERT_EQ(root.Select("Subject"), 1);
    root.DecodeResult(true);
    EXPECT_EQ(root.Results[0], "\x88\x9f\x88\xa0\x88\xa1"); // 亜唖娃
}

TEST(HeaderDecode, DecodeResultUnwrapsFirstWhenAsked) {
    TMultipartItem root;
    root.SetText("Subject: Your invoice for\r\n December\r\n\r\n");
    ASSERT_EQ(root.Select("Subject"), 1);
    root.DecodeResult(false);
    EXPECT_EQ(root.Results[0], " Your invoice for\r\n December\r\n");
    root.DecodeResult(true);
    EXPECT_EQ(root.Results[0], "Your invoice for December");
}

} // namespace
