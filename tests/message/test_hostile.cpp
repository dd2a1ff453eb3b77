// Hostile and broken mail: parsing never crashes, hangs or reads outside a
// buffer, and the bounds of message/limits.h hold. The files in data/crash are
// inputs the fuzz target once failed on; they only have to parse.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "message/limits.h"
#include "message/multipartmessage.h"

namespace {

using msglimits::TParseLimit;

struct TreeShape {
    int Nodes = 0;
    int MaxDepth = 0;
    TParseLimit Limit = TParseLimit::None;
};

void Walk(const TMultipartItem& node, TreeShape& shape) {
    ++shape.Nodes;
    shape.MaxDepth = std::max(shape.MaxDepth, node.GetDepth());
    for (int i = 0; i < node.GetCount(); ++i)
        Walk(*node.GetParts(i), shape);
}

// Parses with Keep set and clear, rebuilds and decodes: all must simply work.
TreeShape ParseEveryWay(const std::string& text) {
    TreeShape shape;
    for (bool keep : {true, false}) {
        TMultipartMessage message;
        message.SetKeep(keep);
        message.Create(text);
        (void)message.GetRoot().MakeMessage(true);
        message.GetRoot().Select("Content-Type|Subject");
        message.GetRoot().DecodeResult(false);
        message.GetRoot().FreeResult();
        shape = TreeShape();
        Walk(message.GetRoot(), shape);
        shape.Limit = message.GetRoot().FirstLimitReached();
    }
    return shape;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string NestedMultipart(int levels) {
    std::string head, tail;
    for (int i = 0; i < levels; ++i) {
        std::string b = std::string("b") + std::to_string(i) + "x"; // no boundary begins another
        head += "Content-Type: multipart/mixed; boundary=" + b + "\r\n\r\n--" + b + "\r\n";
        tail.insert(0, "\r\n--" + b + "--\r\n");
    }
    return head + "Content-Type: text/plain\r\n\r\ndeep" + tail;
}

std::string NestedMessage(int levels) {
    return Repeat("Content-Type: message/rfc822\r\n\r\n", levels) + "Subject: deep\r\n\r\nx";
}

TEST(HostileMail, DeepNestingStopsAtTheDepthBound) {
    for (const std::string& text : {NestedMultipart(300), NestedMessage(300)}) {
        TreeShape shape = ParseEveryWay(text);
        EXPECT_EQ(shape.MaxDepth, msglimits::MaxMimeDepth);
        EXPECT_EQ(shape.Limit, TParseLimit::MimeDepth);
    }
    TreeShape shallow = ParseEveryWay(NestedMultipart(10));
    EXPECT_EQ(shallow.MaxDepth, 10);
    EXPECT_EQ(shallow.Limit, TParseLimit::None);
}

TEST(HostileMail, PartCountIsBounded) {
    std::string text = "Content-Type: multipart/mixed; boundary=\"\"\r\n\r\n" +
                       Repeat("--\r\n", msglimits::MaxParts + 500);
    TreeShape shape = ParseEveryWay(text);
    EXPECT_EQ(shape.Nodes, msglimits::MaxParts);
    EXPECT_EQ(shape.Limit, TParseLimit::Parts);
}

TEST(HostileMail, NestedLargeMessagesAreReadWhole) {
    // Parts are views of the message text, so no level copies the megabyte again.
    const int levels = msglimits::MaxMimeDepth - 1;
    const std::string payload(1 << 20, 'x');
    TMultipartMessage message;
    message.SetKeep(true);
    message.Create(NestedMessage(levels) + payload);
    EXPECT_EQ(message.GetRoot().FirstLimitReached(), TParseLimit::None);
    const TMultipartItem* node = &message.GetRoot();
    while (node->GetCount() > 0)
        node = node->GetParts(0);
    EXPECT_EQ(node->GetDepth(), levels);
    EXPECT_EQ(node->Body, "x" + payload);
    ASSERT_TRUE(message.GetRoot().Stream.has_value());
    EXPECT_TRUE(message.GetRoot().Stream->ends_with(payload));
}

TEST(HostileMail, NestedEncodedMessagesStopAtTheStreamBound) {
    // Each level decodes the rest of the message into its own stream.
    std::string text = Repeat("Content-Type: message/rfc822\r\n"
                              "Content-Transfer-Encoding: quoted-printable\r\n\r\n",
                              10) +
                       "Subject: x\r\n\r\n" + std::string(1 << 20, 'x');
    TreeShape shape = ParseEveryWay(text);
    EXPECT_EQ(shape.MaxDepth, 10) << "the enclosed messages are still parsed";
    EXPECT_EQ(shape.Limit, TParseLimit::MessageStream);
    // One encoded enclosed message is honest.
    EXPECT_EQ(ParseEveryWay(Repeat("Content-Type: message/rfc822\r\n"
                                   "Content-Transfer-Encoding: base64\r\n\r\n",
                                   1) +
                            "U3ViamVjdDogeA0KDQp4")
                  .Limit,
              TParseLimit::None);
}

TEST(HostileMail, OverlongBoundaryStaysUnsplit) {
    std::string boundary(msglimits::MaxBoundaryBytes + 1, 'b');
    TMultipartItem root;
    root.SetText("Content-Type: multipart/mixed; boundary=" + boundary + "\r\n\r\n--" + boundary +
                 "\r\n\r\nx\r\n--" + boundary + "--\r\n");
    EXPECT_EQ(root.GetCount(), 0);
    EXPECT_EQ(root.LimitReached, TParseLimit::BoundaryBytes);
    boundary.pop_back();
    root.SetText("Content-Type: multipart/mixed; boundary=" + boundary + "\r\n\r\n--" + boundary +
                 "\r\n\r\nx\r\n--" + boundary + "--\r\n");
    EXPECT_EQ(root.GetCount(), 1);
}

TEST(HostileMail, HugeHeaderIsCutAtALineEnd) {
    std::string line = "X-Junk: " + std::string(990, 'j') + "\r\n";
    std::string text = "Subject: big\r\n" + Repeat(line, 2000) + "\r\nbody";
    TMultipartMessage message;
    message.Create(text);
    EXPECT_EQ(message.Subject, "big");
    EXPECT_LE(message.GetRoot().Header.size(), msglimits::MaxHeaderBytes);
    EXPECT_TRUE(message.GetRoot().Header.ends_with("\r\n"));
    EXPECT_EQ(message.GetRoot().LimitReached, TParseLimit::HeaderBytes);
    EXPECT_EQ(message.GetRoot().Body, "body");
}

struct BrokenInput {
    const char* Name;
    std::function<std::string()> Make;
};

const BrokenInput kBrokenInputs[] = {
    {"MegabyteLine", [] { return "Subject: " + std::string(1 << 20, 'a') + "\r\n\r\n"; }},
    {"EndlessFolding", [] { return "Subject: x\r\n" + Repeat(" folded\r\n", 100000) + "\r\n"; }},
    {"BlanksWithoutCrLf", [] { return "Subject: " + std::string(100000, ' ') + "x\n\r\n\r\n"; }},
    {"ManyHops", [] { return Repeat("Received: from a by b with c;\r\n", 5000) + "\r\n"; }},
    {"BacktrackingRoute",
     [] {
         return "Received: from " + Repeat("a by b with ", 500) +
                "; Mon, 5 Jul 2004 13:02:03\r\n\r\n";
     }},
    {"BacktrackingDate",
     [] { return "Date: " + Repeat("1:", 20000) + " PM +" + Repeat("0", 5000) + "\r\n\r\n"; }},
    {"BoundaryNeverCloses",
     [] { return "Content-Type: multipart/mixed; boundary=b\r\n\r\n" + Repeat("--b\r\nx", 3000); }},
    {"InvalidCharset",
     [] {
         return std::string(
             "Content-Type: text/plain; charset=\"no-such-charset\"\r\n\r\n\xff\xfe\x80");
     }},
    {"InvalidUtf8",
     [] {
         return std::string("Content-Type: text/plain; charset=utf-8\r\n\r\n\xe3\x81\xff\xc0\xaf");
     }},
    {"InvalidBase64",
     [] {
         return std::string(
             "Content-Transfer-Encoding: base64\r\nContent-Type: image/png\r\n\r\n=====@@@@");
     }},
    {"InvalidQuotedPrintable",
     [] { return std::string("Content-Transfer-Encoding: quoted-printable\r\n\r\n=\r=\n=4=ZZ="); }},
    {"UnclosedEncodedWords",
     [] { return "Subject: " + Repeat("=?utf-8?B?", 20000) + "?=\r\n\r\n"; }},
    {"ManyEncodedWords", [] { return "Subject: " + Repeat("=?x?Q?=?= ", 20000) + "\r\n\r\n"; }},
    {"EmptyMessagePart", [] { return std::string("Content-Type: message/rfc822\r\n\r\n"); }},
    {"UnclosedQuote",
     [] { return std::string("Content-Type: multipart/mixed; boundary=\"b\r\n\r\n--b--"); }},
    {"EmptyTypeAndFileName",
     [] { return std::string("Content-Type: /\r\nContent-Disposition: filename=\r\n\r\n"); }},
    {"OnlyEmptyLines", [] { return std::string("\r\n\r\n\r\n"); }},
    {"LoneCrAndLf", [] { return std::string("\r\r\r\n\n\n\r"); }},
    {"NulBytes", [] { return std::string("Subject: a\0b\r\n\r\n\0", 17); }},
};

void PrintTo(const BrokenInput& input, std::ostream* out) {
    *out << input.Name;
}

class BrokenInputs : public ::testing::TestWithParam<BrokenInput> {};

TEST_P(BrokenInputs, Parse) {
    ParseEveryWay(GetParam().Make());
}

INSTANTIATE_TEST_SUITE_P(HostileMail, BrokenInputs, ::testing::ValuesIn(kBrokenInputs),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(HostileMail, FuzzRegressionInputsParse) {
    std::filesystem::path dir = std::filesystem::path(MESSAGE_TEST_DATA) / "crash";
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        SCOPED_TRACE(entry.path().filename().string());
        ParseEveryWay(bytes.str());
    }
}

} // namespace
