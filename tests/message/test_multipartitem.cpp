// The MIME part tree: splitting, kinds, charsets, Keep and rebuilding.
#include <gtest/gtest.h>

#include "message/multipartitem.h"

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
        {"never closed keeps parts before the last delimiter",
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\none\r\n--b\r\n\r\ntwo", 1},
    };
    for (const Case& c : cases) {
        TMultipartItem root;
        root.SetText(c.Text);
        EXPECT_EQ(root.Kind, TMultipartItem::KindMultipart) << c.Name;
        EXPECT_EQ(root.Parts.size(), c.Parts) << c.Name;
    }
}

} // namespace
