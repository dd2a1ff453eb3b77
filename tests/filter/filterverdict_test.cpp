#include <gtest/gtest.h>

#include "filter/filterset.h"
#include "filter/filterverdict.h"
#include "filter/messagefilterattach.h"
#include "filter/messagefilterbody.h"
#include "filter/messagefilterheader.h"
#include "filter/messagefilterhost.h"
#include "filter/messagefilterip.h"
#include "filter/messagefiltermailer.h"
#include "filter/messagefiltersender.h"
#include "filter/messagefiltersubject.h"
#include "filtertesthelp.h"
#include "learn/learnfilter.h"
#include "learn/learntesthelp.h"
#include "message/limits.h"

namespace {

// Matches every list below.
const std::string kSpam = WithHops({"relay (bad.example.net [10.1.2.3])"}) +
                          "From: friend@example.jp\n"
                          "Subject: win a prize\n"
                          "X-Mailer: BulkMail 1.0\n"
                          "X-Spam-Flag: YES\n"
                          "Content-Type: multipart/mixed; boundary=b\n\n"
                          "--b\nContent-Type: text/plain\n\ncheap pills\n"
                          "--b\nContent-Type: application/octet-stream; name=\"setup.exe\"\n\n"
                          "MZ\n--b--\n";

template <class T, class... Args>
void AddRule(TMessageFilters& list, Args&&... args) {
    list.Add(std::make_unique<T>(&list, std::forward<Args>(args)...));
}

// Fills the set with one rule per list from list `first` on (in verdict order).
void FillFrom(TMessageFilterSet& set, int first) {
    if (first <= 0)
        AddRule<TMessageFilterSender>(set.MessageFiltersSender1, false, true, "friend", false,
                                      true);
    if (first <= 1)
        AddRule<TMessageFilterSender>(set.MessageFiltersSender2, false, true, "example.jp", false,
                                      false);
    if (first <= 2) AddRule<TMessageFilterSubject>(set.MessageFiltersSubject, false, true, "prize");
    if (first <= 3) AddRule<TMessageFilterIP>(set.MessageFiltersIP, 0x0A000000u, 0xFF000000u);
    if (first <= 4) AddRule<TMessageFilterHost>(set.MessageFiltersHost, false, true, "bad.example");
    if (first <= 5)
        AddRule<TMessageFilterMailer>(set.MessageFiltersMailer, false, true, "bulkmail");
    if (first <= 6)
        AddRule<TMessageFilterHeader>(set.MessageFiltersHeader, "X-Spam-Flag", false, true, "YES");
    if (first <= 7)
        AddRule<TMessageFilterBody>(set.MessageFiltersBody, true, true, "cheap\\s+pills");
    if (first <= 8) AddRule<TMessageFilterAttach>(set.MessageFiltersAttach, "exe");
}

} // namespace

TEST(FilterVerdict, EmptyListsAcceptWithoutComment) {
    TMessageFilterSet set;
    auto message = ParseMessage(kSpam);
    for (bool precheck : {false, true}) {
        std::string comment;
        EXPECT_FALSE(FilterVerdict(set, precheck, comment, message.get()));
        EXPECT_EQ(comment, "");
    }
}

TEST(FilterVerdict, FirstMatchingListDecides) {
    struct Case {
        int first;
        bool reject;
        const char* comment;
    };
    const Case cases[] = {
        {0, false, "\x8D\xB7\x8Fo\x90l1(friend)"},               // 差出人1(friend)
        {1, true, "\x8D\xB7\x8Fo\x90l2(example.jp)"},            // 差出人2(...)
        {2, true, "\x8C\x8F\x96\xBC(prize)"},                    // 件名(prize)
        {3, true, "IP\xB1\xC4\xDE\xDA\xBD(10.0.0.0/255.0.0.0)"}, // IPｱﾄﾞﾚｽ(...)
        {4, true, "\xCE\xBD\xC4\x96\xBC(bad.example)"},          // ﾎｽﾄ名(...)
        {5, true, "\xD2\xB0\xD9\xBF\xCC\xC4(bulkmail)"},         // ﾒｰﾙｿﾌﾄ(...)
        {6, true, "\xCD\xAF\xC0\xDE(X-Spam-Flag:YES)"},          // ﾍｯﾀﾞ(...)
        {7, true, "\x96{\x95\xB6(cheap\\s+pills)"},              // 本文(...)
        {8, true, "\x93Y\x95t\xCC\xA7\xB2\xD9(exe)"},            // 添付ﾌｧｲﾙ(exe)
    };
    auto message = ParseMessage(kSpam);
    for (const Case& c : cases) {
        TMessageFilterSet set;
        FillFrom(set, c.first);
        std::string comment;
        EXPECT_EQ(FilterVerdict(set, false, comment, message.get()), c.reject) << c.first;
        EXPECT_EQ(comment, c.comment) << c.first;
    }
}

TEST(FilterVerdict, PrecheckAttachComesFirst) {
    TMessageFilterSet set;
    FillFrom(set, 0);
    auto message = ParseMessage(kSpam);
    std::string comment;
    EXPECT_TRUE(FilterVerdict(set, true, comment, message.get()));
    EXPECT_EQ(comment, "\x93Y\x95t\xCC\xA7\xB2\xD9(exe)");
    comment.clear();
    EXPECT_FALSE(FilterVerdict(set, false, comment, message.get()));
    EXPECT_EQ(comment, "\x8D\xB7\x8Fo\x90l1(friend)");
}

TEST(FilterVerdict, WhiteListBeatsSubjectWithoutAttachment) {
    TMessageFilterSet set;
    AddRule<TMessageFilterSender>(set.MessageFiltersSender1, false, true, "friend", false, false);
    AddRule<TMessageFilterSubject>(set.MessageFiltersSubject, false, true, "prize");
    AddRule<TMessageFilterAttach>(set.MessageFiltersAttach, "exe");
    auto message = ParseMessage("From: friend@example.jp\nSubject: a prize\n\nhello\n");
    for (bool precheck : {false, true}) {
        std::string comment;
        EXPECT_FALSE(FilterVerdict(set, precheck, comment, message.get()));
        EXPECT_EQ(comment, "\x8D\xB7\x8Fo\x90l1(friend)");
    }
}

TEST(FilterVerdict, EarlierRuleOfAListIsQuoted) {
    TMessageFilterSet set;
    AddRule<TMessageFilterSubject>(set.MessageFiltersSubject, true, true, "w.n");
    AddRule<TMessageFilterSubject>(set.MessageFiltersSubject, false, true, "prize");
    auto message = ParseMessage(kSpam);
    std::string comment;
    EXPECT_TRUE(FilterVerdict(set, true, comment, message.get()));
    EXPECT_EQ(comment, "\x8C\x8F\x96\xBC(w.n)");
}

namespace {

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const std::string kExePart =
    "--b\nContent-Type: application/octet-stream; name=\"evil.exe\"\n\nMZ\n";

} // namespace

// Content the parser used to drop, which the rules now see.
TEST(FilterVerdict, RulesSeeContentOfMalformedMail) {
    struct Case {
        const char* Name;
        std::string Text;
        const char* Comment;
    } cases[] = {
        {"attachment as unterminated last part",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\n\nhello\n" + kExePart,
         "\x93Y\x95t\xCC\xA7\xB2\xD9(exe)"},
        {"Content-Type on the next line",
         "Content-Type:\n multipart/mixed; boundary=b\n\n" + kExePart + "--b--\n",
         "\x93Y\x95t\xCC\xA7\xB2\xD9(exe)"},
        {"body without an empty line", "Subject: hello\nFrom: a@example.com\nBuy viagra now\n",
         "\x96{\x95\xB6(viagra)"},
        {"attachment ten messages deep",
         Repeat("Content-Type: message/rfc822\n\n", 10) +
             "Content-Type: multipart/mixed; boundary=b\n\n" + std::string(1 << 20, 'p') + "\n" +
             kExePart + "--b--\n",
         "\x93Y\x95t\xCC\xA7\xB2\xD9(exe)"},
    };
    TMessageFilterSet set;
    AddRule<TMessageFilterBody>(set.MessageFiltersBody, false, true, "viagra");
    AddRule<TMessageFilterAttach>(set.MessageFiltersAttach, "exe");
    for (const Case& c : cases) {
        auto message = ParseMessage(c.Text);
        std::string comment;
        EXPECT_TRUE(FilterVerdict(set, false, comment, message.get())) << c.Name;
        EXPECT_EQ(comment, c.Comment) << c.Name;
    }
}

// A message read only up to a parser bound is rejected whatever the lists say,
// the white list and empty lists included.
TEST(FilterVerdict, ParserBoundRejectsBeforeAnyList) {
    const std::string label = "\x89\xF0\x90\xCD\x8F\xE3\x8C\xC0"; // 解析上限
    struct Case {
        const char* Name;
        std::string Text;
        std::string Comment;
    } cases[] = {
        {"empty parts before the attachment",
         "From: friend@example.jp\nContent-Type: multipart/mixed; boundary=b\n\n" +
             Repeat("--b\n", msglimits::MaxParts) + kExePart + "--b--\n",
         label + "(\xCA\xDF\xB0\xC4\x90\x94)"}, // ﾊﾟｰﾄ数
        {"padding before the headers",
         Repeat("X-Pad: " + std::string(990, 'p') + "\n", 1200) +
             "From: friend@example.jp\nSubject: win a prize\n\nhello\n",
         label + "(\xCD\xAF\xC0\xDE\x82\xCC\x91\xE5\x82\xAB\x82\xB3)"}, // ﾍｯﾀﾞの大きさ
        {"nesting past the depth bound",
         "From: friend@example.jp\n" +
             Repeat("Content-Type: message/rfc822\n\n", msglimits::MaxMimeDepth + 1) + "x\n",
         label + "(\x93\xFC\x82\xEA\x8E\x71\x82\xCC\x90\x5B\x82\xB3)"}, // 入れ子の深さ
    };
    for (const Case& c : cases) {
        auto message = ParseMessage(c.Text);
        for (bool empty : {true, false}) {
            TMessageFilterSet set;
            if (!empty) FillFrom(set, 0);
            for (bool precheck : {false, true}) {
                std::string comment;
                EXPECT_TRUE(FilterVerdict(set, precheck, comment, message.get())) << c.Name;
                EXPECT_EQ(comment, c.Comment) << c.Name;
            }
        }
    }
}

namespace {

// A message of `parts` text parts on which "(a+)+$" stops at the matcher's
// limits every time, and an .exe attachment after them.
std::string CostlyParts(int parts) {
    std::string text = "Subject: x\nContent-Type: multipart/mixed; boundary=b\n\n";
    for (int i = 0; i < parts; ++i)
        text += "--b\nContent-Type: text/plain\n\n" + std::string(40, 'a') + "b\n";
    return text + "--b\nContent-Type: application/octet-stream; name=\"evil.exe\"\n\nMZ\n--b--\n";
}

} // namespace

// All rules of all lists draw on one budget per message: once a rule has
// spent it, the rules after it do not run, and the verdict names that rule.
TEST(FilterVerdict, RulesShareOneBudgetPerMessage) {
    TMessageFilterSet set;
    AddRule<TMessageFilterBody>(set.MessageFiltersBody, false, true, "viagra");
    AddRule<TMessageFilterBody>(set.MessageFiltersBody, true, false, "(a+)+$");
    AddRule<TMessageFilterAttach>(set.MessageFiltersAttach, "exe");
    auto message = ParseMessage(CostlyParts(40));

    TVerdictBudget budget; // 16 searches at the limits
    std::string comment;
    EXPECT_FALSE(FilterVerdict(set, false, comment, message.get(), &budget));
    EXPECT_EQ(comment, "");
    EXPECT_TRUE(budget.Spent);
    EXPECT_EQ(budget.RanOut, "\x96{\x95\xB6((a+)+$)"); // 本文((a+)+$)

    // With room for every search, the attachment rule is reached.
    budget.LimitSearches = 1000;
    budget.Allowance = std::chrono::hours(1);
    EXPECT_TRUE(FilterVerdict(set, false, comment, message.get(), &budget));
    EXPECT_EQ(comment, "\x93Y\x95t\xCC\xA7\xB2\xD9(exe)");
    EXPECT_FALSE(budget.Spent);
    EXPECT_EQ(budget.RanOut, "");

    // A budget of no time is spent before any rule runs.
    TVerdictBudget none;
    none.Allowance = std::chrono::milliseconds(0);
    auto spam = ParseMessage(kSpam);
    FillFrom(set, 1);
    comment.clear();
    EXPECT_FALSE(FilterVerdict(set, true, comment, spam.get(), &none));
    EXPECT_TRUE(none.Spent);
    EXPECT_EQ(none.RanOut, "");
    EXPECT_EQ(comment, "");
}

// The learning filter is the last step: the white list, the parser bound and
// every list decide before it, and it scores only what they all let pass.
TEST(FilterVerdict, LearningStepComesLast) {
    TTempFolder folder;
    TLearnFilter learn;
    ASSERT_TRUE(learn.Open(folder.Path));
    learntest::Train(learn);
    const std::string learned = "\x8A\x77\x8F\x4B(1.000)"; // 学習(1.000)
    struct Case {
        const char* Name;
        std::string Text;
        bool Reject;
        std::string Comment;
    } cases[] = {
        {"no list matches: the score decides", learntest::SpamText(500), true, learned},
        {"ham passes unmarked", learntest::HamText(500), false, ""},
        {"white list wins", learntest::SpamText(501) + "\r\n", false,
         "\x8D\xB7\x8Fo\x90l1(promo501)"},
        {"a list decides first",
         learntest::Crlf("From: x@y.example\nSubject: win a prize\n\n") + learntest::SpamText(502),
         true, "\x8C\x8F\x96\xBC(prize)"},
        {"the parser bound comes before everything",
         learntest::Crlf("From: promo503@bulk.example\n" +
                         Repeat("Content-Type: message/rfc822\n\n", msglimits::MaxMimeDepth + 1) +
                         "x\n"),
         true,
         "\x89\xF0\x90\xCD\x8F\xE3\x8C\xC0(\x93\xFC\x82\xEA\x8E\x71\x82\xCC\x90\x5B\x82\xB3)"},
    };
    TMessageFilterSet set;
    AddRule<TMessageFilterSender>(set.MessageFiltersSender1, false, true, "promo501", false, true);
    AddRule<TMessageFilterSubject>(set.MessageFiltersSubject, false, true, "prize");
    for (const Case& c : cases) {
        TMultipartMessage message;
        message.Create(c.Text);
        for (bool precheck : {false, true}) {
            std::string comment;
            EXPECT_EQ(FilterVerdict(set, precheck, comment, &message, nullptr, &learn), c.Reject)
                << c.Name;
            EXPECT_EQ(comment, c.Comment) << c.Name;
        }
    }
}
