// The MIME part tree: splitting, kinds, charsets, Keep and rebuilding.
#include <gtest/gtest.h>

#include "message/multipartitem.h"

#include <vector>

namespace {

// "あいう" in ISO-2022-JP and in CP932.
const std::string kJisAiu = "\x1b$B$\"$$$&\x1b(B";
const std::string kSjisAiu = "\x82\xa0\x82\xa2\x82\xa4";

const std::string kMixed = "From: a@example.com\r\n"
                           "Subject: mixed\r\n"
                           "Content-Type: multipart/mixed;\r\n"
                           " boundary=\"=_b1 x\"\r\n"
                           "\r\n"
                           "This is the preamble.\r\n"
                           "--=_b1 x\r\n"
                           "Content-Type: text/plain; charset=\"iso-2022-jp\"\r\n"
                           "\r\n" +
                           kJisAiu +
                           "\nline two\r\n"
                           "--=_B1 X\r\n"
                           "Content-Type: application/octet-stream; name=\"data.bin\"\r\n"
                           "Content-Disposition: attachment;\r\n"
                           " filename=\"data.bin\"\r\n"
                           "Content-Transfer-Encoding: base64\r\n"
                           "\r\n"
                           "AAECAwQF\r\n"
                           "BgcICQ==\r\n"
                           "--=_b1 x--\r\n"
                           "epilogue that is dropped\r\n"
                           "--=_b1 x\r\n"
                           "\r\n"
                           "not a part\r\n";

TEST(MultipartItem, SplitsMixedMessageIntoParts) {
    TMultipartItem root;
    root.SetText(kMixed);
    EXPECT_EQ(root.Kind, TMultipartItem::KindMultipart);
    EXPECT_EQ(root.MimeType, "multipart/mixed");
    EXPECT_EQ(root.Boundary, "=_b1 x");
    EXPECT_EQ(root.Body, "This is the preamble.");
    ASSERT_EQ(root.GetCount(), 2);

    const TMultipartItem& text = *root.GetParts(0);
    EXPECT_EQ(text.Kind, TMultipartItem::KindText);
    EXPECT_EQ(text.MimeType, "text/plain");
    EXPECT_EQ(text.Charset, "iso-2022-jp");
    EXPECT_EQ(text.Body, kSjisAiu + "\r\nline two");
    EXPECT_FALSE(text.Stream.has_value());
    EXPECT_EQ(text.GetDepth(), 1);
    EXPECT_EQ(text.Parent, &root);

    const TMultipartItem& binary = *root.GetParts(1);
    EXPECT_EQ(binary.Kind, TMultipartItem::KindBinary);
    EXPECT_EQ(binary.MimeType, "application/octet-stream");
    EXPECT_EQ(binary.Name, "data.bin");
    EXPECT_EQ(binary.FileName, "data.bin");
    EXPECT_EQ(binary.Body, "");
    ASSERT_TRUE(binary.Stream.has_value());
    EXPECT_EQ(*binary.Stream, std::string("\0\1\2\3\4\5\6\7\x08\x09", 10));
}

TEST(MultipartItem, MessagePartHasOneChild) {
    const std::string inner = "Subject: inner\r\n\r\nHello\r\n";
    TMultipartItem root;
    root.SetText("Content-Type: message/rfc822\r\n\r\n" + inner);
    EXPECT_EQ(root.Kind, TMultipartItem::KindMessage);
    EXPECT_EQ(root.Body, "");
    ASSERT_TRUE(root.Stream.has_value());
    EXPECT_EQ(*root.Stream, inner);
    ASSERT_EQ(root.GetCount(), 1);
    EXPECT_EQ(root.GetParts(0)->Kind, TMultipartItem::KindText);
    EXPECT_EQ(root.GetParts(0)->Body, "Hello\r\n");
}

TEST(MultipartItem, HeaderAndBodySplit) {
    struct Case {
        const char* Name;
        std::string Text, Header, Body;
    } cases[] = {
        {"plain", "A: 1\r\nB: 2\r\n\r\nbody\r\n", "A: 1\r\nB: 2\r\n", "body\r\n"},
        {"no empty line", "A: 1\r\nB: 2", "A: 1\r\nB: 2\r\n", ""},
        {"no header", "\r\nbody\r\n\r\nmore", "", "body\r\n\r\nmore"},
        {"empty", "", "", ""},
        {"lone LF", "A: 1\n\nbody", "A: 1\n\nbody\r\n", ""},
        // Without an empty line the body starts at the first line that is
        // neither a field nor a continuation.
        {"body line without empty line", "A: 1\r\nB: 2\r\nBuy viagra now\r\nC: 3\r\n",
         "A: 1\r\nB: 2\r\n", "Buy viagra now\r\nC: 3\r\n"},
        {"continuation stays in the header", "A: 1\r\n\tmore\r\nnot: a field?\r\n\r\nx",
         "A: 1\r\n\tmore\r\nnot: a field?\r\n", "x"},
        {"blank in the name", "A: 1\r\nBuy now: cheap\r\n", "A: 1\r\n", "Buy now: cheap\r\n"},
        {"no header line at all", "Buy viagra now", "", "Buy viagra now"},
        {"mbox From line", "From a@example.com Mon Jul  5 13:02:03 2004\r\nA: 1\r\n\r\nx",
         "From a@example.com Mon Jul  5 13:02:03 2004\r\nA: 1\r\n", "x"},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText(c.Text);
        EXPECT_EQ(root.Header, c.Header) << c.Name;
        EXPECT_EQ(root.Body, c.Body) << c.Name;
        EXPECT_EQ(root.MimeType, "text/plain") << c.Name;
    }
}

TEST(MultipartItem, LineBreaksOfTextBodiesBecomeCrLf) {
    TMultipartItem root;
    root.SetText(std::string("Subject: x\r\n\r\na\rb\nc\n\rd\r\ne"));
    EXPECT_EQ(root.Body, "a\r\nb\r\nc\r\nd\r\ne");
}

TEST(MultipartItem, CharsetPrecedence) {
    const std::string jisWord = "=?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?=";
    struct Case {
        const char* Name;
        std::string Text;
        std::string RootCharset, PartCharset;
    } cases[] = {
        {"declared wins over subject",
         "Subject: " + jisWord + "\r\nContent-Type: text/plain; charset=euc-jp\r\n\r\nx", "euc-jp",
         ""},
        {"subject word without declaration", "Subject: " + jisWord + "\r\n\r\nx", "ISO-2022-JP",
         ""},
        {"nothing gives US-ASCII", "Subject: plain\r\n\r\nx", "US-ASCII", ""},
        {"part inherits the parent's",
         "Content-Type: multipart/mixed; boundary=b; charset=iso-2022-jp\r\n\r\n--b\r\n"
         "Content-Type: text/plain\r\n\r\n" +
             kJisAiu + "\r\n--b--\r\n",
         "iso-2022-jp", "iso-2022-jp"},
        {"encoded file name is no charset",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
         "Content-Type: text/plain; name=" +
             jisWord + "\r\n\r\nx\r\n--b--\r\n",
         "US-ASCII", "US-ASCII"},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText(c.Text);
        EXPECT_EQ(root.GetDefCharset(), c.RootCharset) << c.Name;
        if (!c.PartCharset.empty()) {
            ASSERT_EQ(root.GetCount(), 1) << c.Name;
            EXPECT_EQ(root.GetParts(0)->GetDefCharset(), c.PartCharset) << c.Name;
        }
    }
}

TEST(MultipartItem, InheritedCharsetConvertsPartBody) {
    TMultipartItem root;
    root.SetText("Subject: =?ISO-2022-JP?B?GyRCJCIkJCQmGyhC?=\r\n"
                 "Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n\r\n" +
                 kJisAiu + "\r\n--b--\r\n");
    ASSERT_EQ(root.GetCount(), 1);
    EXPECT_EQ(root.GetParts(0)->Body, kSjisAiu);
}

TEST(MultipartItem, ReparseStartsFromEmptyCharset) {
    TMultipartItem root;
    root.SetText("Content-Type: text/plain; charset=iso-2022-jp\r\n\r\nx");
    EXPECT_EQ(root.Charset, "iso-2022-jp");
    root.SetText("Subject: plain\r\n\r\nx");
    EXPECT_EQ(root.Charset, "");
    EXPECT_EQ(root.GetDefCharset(), "US-ASCII");
}

TEST(MultipartItem, KeepHoldsRawBodiesAndRebuildsMessage) {
    TMultipartItem root;
    root.Keep = true;
    root.SetText(kMixed);
    EXPECT_EQ(root.RawBody, "This is the preamble.");
    ASSERT_EQ(root.GetCount(), 2);
    EXPECT_TRUE(root.GetParts(0)->GetKeep());
    EXPECT_EQ(root.GetParts(0)->RawBody, kJisAiu + "\nline two");
    EXPECT_EQ(root.GetParts(1)->RawBody, "AAECAwQF\r\nBgcICQ==");

    // The rebuilt text parses to the same tree.
    TMultipartItem again;
    again.Keep = true;
    again.SetText(root.MakeMessage(false));
    ASSERT_EQ(again.GetCount(), 2);
    EXPECT_EQ(again.GetParts(0)->Body, root.GetParts(0)->Body);
    EXPECT_EQ(*again.GetParts(1)->Stream, *root.GetParts(1)->Stream);
    EXPECT_EQ(again.MakeMessage(false), root.MakeMessage(false));

    root.Keep = false;
    root.SetText(kMixed);
    EXPECT_EQ(root.RawBody, "");
    EXPECT_EQ(root.GetParts(0)->RawBody, "");
    EXPECT_EQ(root.GetParts(1)->RawBody, "");
}

TEST(MultipartItem, MakeMessageShowsHtmlAsPlain) {
    TMultipartItem root;
    root.Keep = true;
    root.SetText("Content-Type: TEXT/HTML; charset=us-ascii\r\n\r\n<p>x</p>");
    EXPECT_EQ(root.MakeMessage(true), "Content-Type: text/plain; charset=us-ascii\r\n\r\n<p>x</p>");
    EXPECT_EQ(root.MakeMessage(false), "Content-Type: TEXT/HTML; charset=us-ascii\r\n\r\n<p>x</p>");
}

TEST(MultipartItem, MultipartWithoutMatchingBoundaryHasNoChildren) {
    struct Case {
        const char* Name;
        std::string Text;
        std::size_t Parts;
    } cases[] = {
        {"no boundary parameter", "Content-Type: multipart/mixed\r\n\r\n--b\r\n\r\nx\r\n--b--", 0},
        {"boundary never found", "Content-Type: multipart/mixed; boundary=zz\r\n\r\n--b\r\n", 0},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText(c.Text);
        EXPECT_EQ(root.Kind, TMultipartItem::KindMultipart) << c.Name;
        EXPECT_EQ(root.Parts.size(), c.Parts) << c.Name;
    }
}

TEST(MultipartItem, UnterminatedLastPartIsKept) {
    struct Case {
        const char* Name;
        std::string Tail;
        std::vector<std::string> Bodies;
    } cases[] = {
        {"text after the last delimiter", "--b\r\n\r\ntwo\r\n", {"one", "two\r\n"}},
        {"part without header or empty line", "--b\r\nBuy viagra now", {"one", "Buy viagra now"}},
        {"nothing after the last delimiter", "--b\r\n", {"one"}},
        {"closing delimiter drops the epilogue", "--b--\r\nepilogue\r\n", {"one"}},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\none\r\n" +
                     c.Tail);
        ASSERT_EQ(root.GetCount(), static_cast<int>(c.Bodies.size())) << c.Name;
        for (std::size_t i = 0; i < c.Bodies.size(); ++i)
            EXPECT_EQ(root.Parts[i]->Body, c.Bodies[i]) << c.Name;
        EXPECT_EQ(root.FirstLimitReached(), msglimits::TParseLimit::None) << c.Name;
    }
}

TEST(MultipartItem, MediaTypeEndsAtParametersBlanksAndLineEnds) {
    struct Case {
        std::string ContentType, MimeType;
        std::uint8_t Kind;
    } cases[] = {
        {"text; charset=us-ascii", "text", TMultipartItem::KindText},
        {";\r\n\tname=\"\"", "text/plain", TMultipartItem::KindText},
        {"; name=\"evil/x.exe\"", "text/plain", TMultipartItem::KindText},
        {"application/octet-stream ; name=a.bin", "application/octet-stream",
         TMultipartItem::KindBinary},
        {"text/html\r\n\tcharset=us-ascii", "text/html", TMultipartItem::KindText},
        {"image/png;name=a.png", "image/png", TMultipartItem::KindBinary},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText("Content-Type: " + c.ContentType + "\r\n\r\nx");
        EXPECT_EQ(root.MimeType, c.MimeType) << c.ContentType;
        EXPECT_EQ(root.Kind, c.Kind) << c.ContentType;
    }
}

TEST(MultipartItem, DigestPartsWithoutTypeAreMessages) {
    const std::string parts = "\r\n\r\n--d\r\n\r\nSubject: first\r\n\r\none\r\n"
                              "--d\r\nContent-Type: text/plain\r\n\r\nplain\r\n--d--\r\n";
    TMultipartItem root;
    root.SetText("Content-Type: Multipart/Digest; boundary=d" + parts);
    ASSERT_EQ(root.GetCount(), 2);
    const TMultipartItem& first = *root.GetParts(0);
    EXPECT_EQ(first.Kind, TMultipartItem::KindMessage);
    EXPECT_EQ(first.MimeType, "message/rfc822");
    ASSERT_EQ(first.GetCount(), 1);
    EXPECT_EQ(first.GetParts(0)->Body, "one");
    EXPECT_EQ(root.GetParts(1)->Kind, TMultipartItem::KindText);

    root.SetText("Content-Type: multipart/mixed; boundary=d" + parts);
    ASSERT_EQ(root.GetCount(), 2);
    EXPECT_EQ(root.GetParts(0)->MimeType, "text/plain");
}

TEST(MultipartItem, UndeclaredEightBitTextIsReadByItsBytes) {
    const std::string sjis = "\x93\xfa\x96\x7b\x87\x40"; // 日本①
    struct Case {
        const char* Name;
        std::string Header, Body, Expected;
    } cases[] = {
        {"UTF-8", "", "\xe6\x97\xa5\xe6\x9c\xac\xe2\x91\xa0", sjis},
        {"EUC-JP", "", "\xc6\xfc\xcb\xdc\xad\xa1", sjis},
        {"Shift_JIS", "", sjis, sjis},
        {"ISO-2022-JP without 8-bit bytes", "", "\x1b$BF|K\\-!\x1b(B", sjis},
        {"base64 Shift_JIS", "Content-Transfer-Encoding: base64\r\n", "k/qWe4dA", sjis},
        {"no Japanese charset fits", "", "caf\xe9 \xff", "caf? ?"},
        {"ASCII", "", "plain", "plain"},
        {"declared charset is not second-guessed", "Content-Type: text/plain; charset=us-ascii\r\n",
         sjis, "???{?@"},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText(c.Header + "\r\n" + c.Body);
        EXPECT_EQ(root.Body, c.Expected) << c.Name;
        if (c.Header.find("charset") == std::string::npos) {
            EXPECT_EQ(root.Charset, "") << c.Name << ": a guess is no declaration";
        }
    }
    // A part that inherits a charset is read with it.
    TMultipartItem root;
    root.SetText("Content-Type: multipart/mixed; boundary=b; charset=shift_jis\r\n\r\n--b\r\n\r\n" +
                 sjis + "\r\n--b--\r\n");
    ASSERT_EQ(root.GetCount(), 1);
    EXPECT_EQ(root.GetParts(0)->Body, sjis);
}

} // namespace
