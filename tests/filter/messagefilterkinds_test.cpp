#include <gtest/gtest.h>

#include "filter/messagefilterattach.h"
#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterhost.h"
#include "filter/messagefilterhtml.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltermailer.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"
#include "filtertesthelp.h"

namespace {

std::string SenderMessage(bool returnPathHit, bool fromHit, bool withReturnPath = true) {
    std::string text;
    if (withReturnPath)
        text += returnPathHit ? "Return-Path: <sales@example.com>\n" : "Return-Path: <x@y.jp>\n";
    text += fromHit ? "From: SALES Dept <s@example.com>\n" : "From: Someone <s@example.org>\n";
    return text + "Subject: offer\n\nbody\n";
}

} // namespace

TEST(MessageFilterSender, HeaderFlagsCombineBothHeaders) {
    struct Case {
        bool checkReturnPath, checkFrom, returnPathHit, fromHit, expected;
    };
    const Case cases[] = {
        {true, true, true, true, true},    {true, true, true, false, false},
        {true, true, false, true, false},  {true, false, true, false, true},
        {true, false, false, true, false}, {false, true, false, true, true},
        {false, true, true, false, false}, {false, false, true, false, true},
        {false, false, false, true, true}, {false, false, false, false, false},
    };
    for (const Case& c : cases) {
        TMessageFilterSender filter(nullptr, false, true, "sales", c.checkReturnPath, c.checkFrom);
        auto message = ParseMessage(SenderMessage(c.returnPathHit, c.fromHit));
        EXPECT_EQ(filter.Check(message.get()), c.expected)
            << c.checkReturnPath << c.checkFrom << c.returnPathHit << c.fromHit;
    }
}

TEST(MessageFilterSender, MissingReturnPath) {
    auto message = ParseMessage(SenderMessage(false, true, false));
    EXPECT_TRUE(
        TMessageFilterSender(nullptr, false, true, "sales", false, false).Check(message.get()));
    EXPECT_FALSE(
        TMessageFilterSender(nullptr, false, true, "sales", true, true).Check(message.get()));
    EXPECT_FALSE(TMessageFilterSender(nullptr, false, false, "sales", false, false)
                     .Check(message.get())); // case matters: the From says SALES
    EXPECT_FALSE(TMessageFilterSender(nullptr, false, true, "sales", false, false).Check(nullptr));
}

TEST(MessageFilterSender, OnlyTopLevelHeadersCount) {
    auto message = ParseMessage("From: a@b.jp\nContent-Type: message/rfc822\n\n"
                                "From: sales@example.com\n\ninner\n");
    EXPECT_FALSE(
        TMessageFilterSender(nullptr, false, true, "sales", false, false).Check(message.get()));
}

TEST(MessageFilterSender, RuleLines) {
    struct Case {
        const char* line;
        bool loads;
        bool regular = false, caseless = false, checkReturnPath = false, checkFrom = false;
        const char* keyword = "";
        const char* written = "";
    };
    const Case cases[] = {
        {"sales,0,1", true, false, true, false, false, "sales", "sales,0,1,0,0"},
        {"sales,0,1,1,1", true, false, true, true, true, "sales", "sales,0,1,1,1"},
        {"sales,0,1,1", true, false, true, true, false, "sales", "sales,0,1,1,0"},
        {"kw,x,y,z,w", true, true, true, false, true, "kw", "kw,1,1,0,1"},
        {"kw, 0 ,-2,+0,7", true, false, true, false, true, "kw", "kw,0,1,0,1"},
        {"\"a, \"\"b\"\"\",1,0,0,0", true, true, false, false, false, "a, \"b\"",
         "\"a, \"\"b\"\"\",1,0,0,0"},
        {",1,1,0,1", true, true, true, false, true, "", ",1,1,0,1"},
        {"kw,1", false},
        {"", false},
    };
    for (const Case& c : cases) {
        auto filter = TMessageFilterSender::FromLine(nullptr, c.line);
        ASSERT_EQ(filter != nullptr, c.loads) << c.line;
        if (!filter) continue;
        EXPECT_EQ(filter->GetKeyword(), c.keyword) << c.line;
        EXPECT_EQ(filter->GetRegular(), c.regular) << c.line;
        EXPECT_EQ(filter->GetCaseless(), c.caseless) << c.line;
        EXPECT_EQ(filter->GetCheckReturnPath(), c.checkReturnPath) << c.line;
        EXPECT_EQ(filter->GetCheckFrom(), c.checkFrom) << c.line;
        EXPECT_EQ(filter->GetCSV(), c.written) << c.line;
    }
}

TEST(MessageFilterStr, LiteralAndRegularKeywords) {
    struct Case {
        const char* keyword;
        bool regular, caseless;
        const char* subject;
        bool expected;
    };
    const Case cases[] = {
        {"a.b", false, true, "axb", false},
        {"a.b", true, true, "axb", true},
        {"a.b", false, true, "xa.by", true},
        {"(free)", false, true, "get (FREE) now", true},
        {"(free)", false, false, "get (FREE) now", false},
        {"^win", true, true, "You WIN", false},
        {"\x95\x5C", false, true, "\x8A\x4F\x95\x5C", true}, // a CP932 character ending in 0x5C
        {"[unclosed", true, true, "[unclosed", false},       // a bad pattern never matches
    };
    for (const Case& c : cases) {
        TMessageFilterSubject filter(nullptr, c.regular, c.caseless, c.keyword);
        auto message = ParseMessage("Subject: " + std::string(c.subject) + "\n\nbody\n");
        EXPECT_EQ(filter.Check(message.get()), c.expected) << c.keyword << " / " << c.subject;
    }
}

TEST(MessageFilterStr, RuleLines) {
    auto filter = StrFilterFromLine<TMessageFilterSubject>(nullptr, "\"a b\",0,x");
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->GetKeyword(), "a b");
    EXPECT_FALSE(filter->GetRegular());
    EXPECT_TRUE(filter->GetCaseless());
    EXPECT_EQ(filter->GetCSV(), "\"a b\",0,1");
    EXPECT_FALSE(StrFilterFromLine<TMessageFilterBody>(nullptr, "a,1"));
    // The bare kind holds a rule but tests nothing.
    TMessageFilterStr bare(nullptr, false, true, "offer");
    auto message = ParseMessage("Subject: offer\n\noffer\n");
    EXPECT_FALSE(bare.Check(message.get()));
}

TEST(MessageFilterStr, AssignRebuildsThePattern) {
    TMessageFilterSubject target(nullptr, false, true, "old");
    TMessageFilterSubject source(nullptr, true, false, "n.w");
    auto message = ParseMessage("Subject: now\n\n\n");
    EXPECT_FALSE(target.Check(message.get()));
    target.Assign(source);
    EXPECT_EQ(target.GetCSV(), "n.w,1,0");
    EXPECT_TRUE(target.Check(message.get()));
    // A source of another kind changes nothing but the owner.
    target.Assign(TMessageFilterAttach(nullptr, "exe"));
    EXPECT_EQ(target.GetCSV(), "n.w,1,0");
}

TEST(MessageFilterMailer, XMailerOrXLibrary) {
    struct Case {
        const char* header;
        bool expected;
    };
    const Case cases[] = {
        {"X-Mailer: Bulk Sender 2.0\n", true},
        {"X-Library: Bulk Library\n", true},
        {"X-Mailer: Outlook\n", false},
        {"", false},
    };
    TMessageFilterMailer filter(nullptr, false, true, "bulk");
    for (const Case& c : cases) {
        auto message = ParseMessage(std::string("From: a@b.jp\n") + c.header + "\nbody\n");
        EXPECT_EQ(filter.Check(message.get()), c.expected) << c.header;
    }
}

TEST(MessageFilterHost, HostNamesOfTheHops) {
    TMessageFilterHost filter(nullptr, false, true, "spam.example");
    auto hit = ParseMessage(
        WithHops({"mx.good.jp (mx.good.jp [10.0.0.1])", "relay (SPAM.example.net [192.0.2.7])"}) +
        "Subject: x\n\nbody\n");
    auto miss = ParseMessage(WithHops({"spam.example (mx.good.jp [10.0.0.1])"}) + "\nbody\n");
    auto none = ParseMessage("Subject: spam.example\n\nspam.example\n");
    EXPECT_TRUE(filter.Check(hit.get()));
    EXPECT_FALSE(filter.Check(miss.get())); // the computer name is not the host name
    EXPECT_FALSE(filter.Check(none.get()));
}

TEST(MessageFilterIP, NetworkAndMask) {
    struct Case {
        const char* network;
        const char* netmask;
        std::string hops;
        bool expected;
    };
    const Case cases[] = {
        {"10.0.0.0", "255.0.0.0", WithHops({"a (a.jp [10.1.2.3])"}), true},
        {"10.0.0.0", "255.0.0.0", WithHops({"a (a.jp [11.0.0.1])"}), false},
        {"10.0.0.0", "255.0.0.0", WithHops({"a (a.jp [11.0.0.1])", "b (b.jp [10.9.9.9])"}), true},
        {"10.1.2.3", "255.255.255.255", WithHops({"a (a.jp [10.1.2.3])"}), true},
        {"10.1.2.3", "255.255.255.255", WithHops({"a (a.jp [10.1.2.4])"}), false},
        {"1.2.3.4", "0.0.0.0", WithHops({"a (a.jp [10.1.2.4])"}), true},
        {"1.2.3.4", "0.0.0.0", "", false},
        {"10.99.0.0", "255.0.0.0", WithHops({"a (a.jp [10.1.2.3])"}),
         true}, // bits outside the mask
        {"255.255.255.255", "255.255.255.255", WithHops({"unknown (unknown)"}), true},
        {"10.0.0.0", "255.0.0.0", WithHops({"unknown (unknown)"}), false},
    };
    for (const Case& c : cases) {
        TMessageFilterIP filter(nullptr, std::string_view(c.network), std::string_view(c.netmask));
        auto message = ParseMessage(c.hops + "Subject: x\n\nbody\n");
        EXPECT_EQ(filter.Check(message.get()), c.expected)
            << c.network << "/" << c.netmask << " " << c.hops;
    }
}

TEST(MessageFilterIP, AddressTexts) {
    struct Case {
        const char* line;
        bool loads;
        const char* written;
    };
    const Case cases[] = {
        {"192.168.0.0,255.255.0.0", true, "192.168.0.0,255.255.0.0"},
        {"010.0.0.1,255.255.255.0", true, "8.0.0.1,255.255.255.0"}, // a leading 0 reads octal
        {"nonsense,300.1.1.1", true, "255.255.255.255,255.255.255.255"},
        {"10.0.0.0", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        auto filter = TMessageFilterIP::FromLine(nullptr, c.line);
        ASSERT_EQ(filter != nullptr, c.loads) << c.line;
        if (filter) {
            EXPECT_EQ(filter->GetCSV(), c.written) << c.line;
        }
    }
    TMessageFilterIP filter(nullptr, 0x0A000000u, 0xFF000000u);
    EXPECT_EQ(filter.GetNetworkIP(), "10.0.0.0");
    EXPECT_EQ(filter.GetNetmaskIP(), "255.0.0.0");
    filter.SetNetworkIP("172.16.0.0");
    filter.SetNetmaskIP("bad");
    EXPECT_EQ(filter.GetNetwork(), 0xAC100000u);
    EXPECT_EQ(filter.GetNetmask(), 0xFFFFFFFFu);
}

namespace {

std::string AttachmentMessage(std::string_view contentType, std::string_view disposition) {
    return "Subject: files\nContent-Type: multipart/mixed; boundary=\"XX\"\n\n"
           "--XX\nContent-Type: text/plain\n\nsee attached\n"
           "--XX\nContent-Type: " +
           std::string(contentType) + "\n" + std::string(disposition) +
           "Content-Transfer-Encoding: base64\n\nTVqQAAMAAAAEAAAA\n--XX--\n";
}

} // namespace

TEST(MessageFilterAttach, ExtensionAtTheEndOfTheName) {
    struct Case {
        const char* extension;
        std::string message;
        bool expected;
    };
    const Case cases[] = {
        {"exe", AttachmentMessage("application/octet-stream; name=\"SETUP.EXE\"", ""), true},
        {"exe", AttachmentMessage("application/octet-stream; name=\"exe.txt\"", ""), false},
        {"exe", AttachmentMessage("application/octet-stream; name=\"setupexe\"", ""), false},
        {"exe",
         AttachmentMessage("application/octet-stream",
                           "Content-Disposition: attachment; filename=\"Setup.Exe\"\n"),
         true},
        {"exe",
         AttachmentMessage("application/octet-stream; name=\"a.txt\"",
                           "Content-Disposition: attachment; filename=\"a.exe\"\n"),
         true},
        {"(com|scr)", AttachmentMessage("application/x-msdownload; name=\"x.SCR\"", ""), true},
        {"", AttachmentMessage("application/octet-stream; name=\"dotted.\"", ""), true},
        {"", AttachmentMessage("application/octet-stream; name=\"plain\"", ""), false},
    };
    for (const Case& c : cases) {
        TMessageFilterAttach filter(nullptr, c.extension);
        auto message = ParseMessage(c.message);
        EXPECT_EQ(filter.Check(message.get()), c.expected) << c.extension << "\n" << c.message;
    }
    TMessageFilterAttach filter(nullptr, "Exe");
    EXPECT_EQ(filter.GetCSV(), "Exe");
}

namespace {

// A message whose X-Spam-Flag stands only in the headers of its second part,
// with a forwarded message holding text and a base64 binary part.
const char* const kNested = "Subject: nested\n"
                            "Content-Type: multipart/mixed; boundary=\"outer\"\n\n"
                            "--outer\nContent-Type: text/plain\n\nhello\n"
                            "--outer\nContent-Type: multipart/alternative; boundary=\"inner\"\n\n"
                            "--inner\nContent-Type: text/plain\n\nplain words\n"
                            "--inner\nContent-Type: Text/HTML\nX-Spam-Flag: YES\n\n<p>html</p>\n"
                            "--inner--\n"
                            "--outer\nContent-Type: message/rfc822\n\n"
                            "Subject: forwarded\nContent-Type: multipart/mixed; boundary=\"fw\"\n\n"
                            "--fw\nContent-Type: text/plain\n\nthe lottery prize\n"
                            "--fw\nContent-Type: application/octet-stream; name=\"a.bin\"\n"
                            "Content-Transfer-Encoding: base64\n\n"
                            "c2VjcmV0IGphY2twb3Q=\n" // "secret jackpot"
                            "--fw--\n"
                            "--outer--\n";

} // namespace

TEST(MessageFilterParts, WalkOfThePartTree) {
    auto message = ParseMessage(kNested);
    TMultipartItem* root = &message->GetRoot();
    struct Case {
        std::unique_ptr<TMessageFilter> filter;
        bool check, rootAlone;
    };
    Case cases[] = {
        {std::make_unique<TMessageFilterHeader>(nullptr, "X-Spam-Flag", false, true, "YES"), true,
         false},
        {std::make_unique<TMessageFilterHeader>(nullptr, "X-Spam-Flag", false, true, "NO"), false,
         false},
        {std::make_unique<TMessageFilterHeader>(nullptr, "Subject", false, true, "nested"), true,
         true},
        {std::make_unique<TMessageFilterBody>(nullptr, false, true, "lottery"), true, false},
        {std::make_unique<TMessageFilterBody>(nullptr, false, true, "jackpot"), false, false},
        {std::make_unique<TMessageFilterBody>(nullptr, false, true, "secret"), false, false},
        {std::make_unique<TMessageFilterHtml>(nullptr), true, false},
        {std::make_unique<TMessageFilterBinary>(nullptr), true, false},
        {std::make_unique<TMessageFilterMessage>(nullptr), true, false},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.filter->Check(message.get()), c.check) << c.filter->GetCSV();
        EXPECT_EQ(c.filter->CheckPart(root), c.rootAlone) << c.filter->GetCSV();
        EXPECT_EQ(root->Results.GetCount(), 0); // selections are freed
    }
}

TEST(MessageFilterParts, HtmlIsATextPartNotTheContainer) {
    auto message = ParseMessage(kNested);
    TMultipartItem* alternative = message->GetRoot().GetParts(1);
    ASSERT_EQ(alternative->Kind, TMultipartItem::KindMultipart);
    TMessageFilterHtml html(nullptr);
    EXPECT_FALSE(html.CheckPart(alternative));
    EXPECT_TRUE(html.CheckParts(alternative));
    EXPECT_TRUE(html.CheckPart(alternative->GetParts(1)));
    EXPECT_FALSE(html.CheckPart(alternative->GetParts(0)));
}

TEST(MessageFilterHeader, RuleLines) {
    auto filter = TMessageFilterHeader::FromLine(nullptr, "X-Spam-Flag,YES,0,1");
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter->GetHeaderName(), "X-Spam-Flag");
    EXPECT_EQ(filter->GetKeyword(), "YES");
    EXPECT_FALSE(filter->GetRegular());
    EXPECT_TRUE(filter->GetCaseless());
    EXPECT_EQ(filter->GetCSV(), "X-Spam-Flag,YES,0,1");
    EXPECT_FALSE(TMessageFilterHeader::FromLine(nullptr, "X-Spam-Flag,YES,0"));
    // The name is a pattern fragment compared without regard to case.
    TMessageFilterHeader either(nullptr, "x-spam-flag|X-Virus", false, true, "yes");
    auto message = ParseMessage("X-Virus: yes\n\nbody\n");
    EXPECT_TRUE(either.Check(message.get()));
}

// Backtracking that would take ages ends at the matcher's bounds as no match.
TEST(MessageFilterRegexp, CatastrophicPatternsEndAsNoMatch) {
    std::string as(30000, 'a');
    auto message = ParseMessage("Subject: x\nX-" + as + "!: 1\n\n" + as + "!\n");
    TMessageFilterBody body(nullptr, true, true, "(a+)+$");
    EXPECT_FALSE(body.Check(message.get()));
    TMessageFilterBody honest(nullptr, true, true, "a{100}!");
    EXPECT_TRUE(honest.Check(message.get()));
    TMessageFilterHeader header(nullptr, "X-(a|aa)+", true, true, "1");
    EXPECT_FALSE(header.Check(message.get()));
    TMessageFilterSubject subject(nullptr, true, true, "(x+x+)+y");
    auto xs = ParseMessage("Subject: " + std::string(5000, 'x') + "\n\n\n");
    EXPECT_FALSE(subject.Check(xs.get()));
}

namespace {

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
        for (std::size_t k = 0; k < 4; ++k)
            out += i + k <= bytes.size() ? kDigits[(n >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

// A message whose From name, Subject, X-Mailer, X-Note and text body hold the
// CP932 text (sent as Shift_JIS); the body has `padding` blanks after it.
std::unique_ptr<TMultipartMessage> JapaneseMessage(const std::string& text, std::size_t padding) {
    const std::string word = "=?Shift_JIS?B?" + Base64(text) + "?=";
    return ParseMessage("From: " + word + " <z@z.jp>\nSubject: " + word + "\nX-Mailer: " + word +
                        "\nX-Note: " + word +
                        "\nContent-Type: text/plain; charset=Shift_JIS\n"
                        "Content-Transfer-Encoding: base64\n\n" +
                        Base64(text + std::string(padding, ' ')) + "\n");
}

} // namespace

// Every keyword kind matches Japanese text by characters: never the second
// byte of a character, never with its case folded.
TEST(MessageFilterKinds, JapaneseTextByCharacters) {
    const std::string a = "\x83\x41", i = "\x83\x43", u = "\x83\x45", e = "\x83\x47",
                      o = "\x83\x49";
    const std::string ka = "\x83\x4a", di = "\x83\x61";
    const std::string adult = a + "\x83\x5f\x83\x8b\x83\x67"; // アダルト
    const std::string diduru =
        di + "\x83\x5f\x83\x8b" + e; // ヂダルエ (second bytes differ in case)
    const std::string sale = "\x96\x7b\x93\xfaSALE\x8a\x4a\x8d\xc3"; // 本日SALE開催
    struct Case {
        std::string Keyword;
        bool Regular, Caseless;
        std::string Text;
        bool Expected;
    } cases[] = {
        {"A", false, false, a + i + u + e + o, false}, // ア is 0x83 0x41
        {"a", false, true, a + i + u + e + o, false},
        {adult, false, true, diduru, false},
        {adult, false, true, "x" + adult, true},
        {a, false, true, di, false},
        {a, false, true, a, true},
        {"sale", false, true, sale, true},
        {"[" + a + i + "]", true, false, ka, false}, // not the lead byte of カ
        {"[" + a + i + "]", true, false, ka + i, true},
        {a + "+" + i, true, true, di + a + a + i, true},
    };
    for (std::size_t padding :
         {0, 600}) { // short texts are searched directly, long ones by the matcher
        for (const Case& c : cases) {
            auto message = JapaneseMessage(c.Text, padding);
            std::vector<std::unique_ptr<TMessageFilter>> filters;
            filters.push_back(
                std::make_unique<TMessageFilterSubject>(nullptr, c.Regular, c.Caseless, c.Keyword));
            filters.push_back(
                std::make_unique<TMessageFilterMailer>(nullptr, c.Regular, c.Caseless, c.Keyword));
            filters.push_back(std::make_unique<TMessageFilterSender>(nullptr, c.Regular, c.Caseless,
                                                                     c.Keyword, false, true));
            filters.push_back(std::make_unique<TMessageFilterHeader>(nullptr, "X-Note", c.Regular,
                                                                     c.Caseless, c.Keyword));
            filters.push_back(
                std::make_unique<TMessageFilterBody>(nullptr, c.Regular, c.Caseless, c.Keyword));
            for (const auto& filter : filters)
                EXPECT_EQ(filter->Check(message.get()), c.Expected)
                    << typeid(*filter).name() << " [" << c.Keyword << "] in [" << c.Text
                    << "] padding " << padding;
        }
    }
}
