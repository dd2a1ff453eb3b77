// Verdict throughput: parse a typical message and judge it against the nine
// lists holding 100 rules each (literal and regular-expression rules mixed).
// Most mail matches nothing, so every list is scanned to its end.
//   bench_filter --benchmark_filter=BM_Verdict
//   bench_filter --benchmark_filter=BM_CostlyRule
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

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
#include "message/multipartmessage.h"

namespace {

constexpr int RulesPerList = 100;

std::mt19937& Rng() {
    static std::mt19937 rng(20261210);
    return rng;
}

int Random(int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(Rng());
}

std::string Word(int shortest = 3, int longest = 9) {
    std::string word(static_cast<std::size_t>(Random(shortest, longest)), 'a');
    for (char& c : word)
        c = static_cast<char>(Random('a', 'z'));
    return word;
}

std::string Text(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        for (int w = 0; w < 10; ++w)
            text += Word() + (w < 9 ? " " : "\r\n");
    }
    return text;
}

// Words of rules are longer than most words of the mail, as spam keywords
// are specific: the mail matches no rule and every list is scanned through.
std::string RuleWord() {
    return Word(6, 10);
}

// One rule in four is a regular expression, of the shapes users write.
std::string Keyword(int i, bool& regular) {
    regular = i % 4 == 0;
    std::string first = RuleWord(), second = RuleWord();
    if (!regular) return i % 3 ? first : first + " " + second;
    switch (i % 3) {
    case 0:
        return first + "\\s+" + second;
    case 1:
        return std::string("(").append(first).append("|").append(second).append(")[0-9]+");
    default:
        return std::string("^").append(first).append(".*").append(second);
    }
}

const char* const HeaderNames[] = {"X-Spam-Flag",  "X-Spam-Status",    "Message-ID", "To",
                                   "Cc",           "X-Originating-IP", "Reply-To",   "X-Priority",
                                   "Content-Type", "List-Unsubscribe"};
const char* const Extensions[] = {"exe", "scr", "pif",      "com", "bat",
                                  "vbs", "cmd", "(js|jse)", "hta", "lnk"};

void Fill(TMessageFilterSet& set) {
    for (int i = 0; i < RulesPerList; ++i) {
        bool regular = false;
        auto add = [](TMessageFilters& list, std::unique_ptr<TMessageFilter> filter) {
            list.Add(std::move(filter));
        };
        std::string k = Keyword(i, regular);
        add(set.MessageFiltersSender1, std::make_unique<TMessageFilterSender>(
                                           &set.MessageFiltersSender1, regular, true,
                                           k + "@" + RuleWord() + ".jp", i % 2 == 0, i % 3 == 0));
        k = Keyword(i, regular);
        add(set.MessageFiltersSender2,
            std::make_unique<TMessageFilterSender>(&set.MessageFiltersSender2, regular, true, k,
                                                   false, i % 2 == 0));
        k = Keyword(i, regular);
        add(set.MessageFiltersSubject,
            std::make_unique<TMessageFilterSubject>(&set.MessageFiltersSubject, regular, true, k));
        add(set.MessageFiltersIP,
            std::make_unique<TMessageFilterIP>(&set.MessageFiltersIP,
                                               static_cast<std::uint32_t>(Random(1, 223)) << 24 |
                                                   static_cast<std::uint32_t>(Random(0, 255)) << 16,
                                               i % 2 ? 0xFFFF0000u : 0xFFFFFF00u));
        k = Keyword(i, regular);
        add(set.MessageFiltersHost,
            std::make_unique<TMessageFilterHost>(&set.MessageFiltersHost, regular, true, k));
        k = Keyword(i, regular);
        add(set.MessageFiltersMailer,
            std::make_unique<TMessageFilterMailer>(&set.MessageFiltersMailer, regular, true, k));
        k = Keyword(i, regular);
        add(set.MessageFiltersHeader,
            std::make_unique<TMessageFilterHeader>(&set.MessageFiltersHeader, HeaderNames[i % 10],
                                                   regular, true, k));
        k = Keyword(i, regular);
        add(set.MessageFiltersBody,
            std::make_unique<TMessageFilterBody>(&set.MessageFiltersBody, regular, true, k));
        add(set.MessageFiltersAttach,
            std::make_unique<TMessageFilterAttach>(
                &set.MessageFiltersAttach, i < 10 ? std::string(Extensions[i]) : Word(3, 4)));
    }
}

std::string Headers(const std::string& subject, const std::string& contentType) {
    std::string text;
    for (int hop = 0; hop < 4; ++hop)
        text += "Received: from " + Word() + ".example.net (" + Word() + ".example.net [192.0.2." +
                std::to_string(Random(1, 254)) + "])\r\n\tby mx" + std::to_string(hop) +
                ".example.jp (Postfix) with ESMTP id " + Word() +
                "\r\n\tfor <user@example.jp>; Mon, 5 Jul 2004 13:02:03 +0900\r\n";
    return text + "Return-Path: <" + Word() + "@example.com>\r\nFrom: " + Word() + " <" + Word() +
           "@example.com>\r\nTo: user@example.jp\r\nSubject: " + subject +
           "\r\nDate: Mon, 5 Jul 2004 13:02:00 +0900\r\nMessage-ID: <" + Word() +
           "@example.com>\r\nX-Mailer: " + Word() +
           " Mail 2.1\r\nMIME-Version: 1.0\r\nContent-Type: " + contentType + "\r\n\r\n";
}

std::string Base64(int lines) {
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (int l = 0; l < lines; ++l) {
        for (int i = 0; i < 76; ++i)
            text += Alphabet[Random(0, 63)];
        text += "\r\n";
    }
    return text;
}

// A plain note, a text-and-HTML newsletter, a mail with a PDF attachment and
// a Japanese ISO-2022-JP mail.
std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    messages.push_back(Headers("Re: " + Word() + " " + Word(), "text/plain; charset=us-ascii") +
                       Text(30));
    messages.push_back(Headers(Word() + " newsletter", "multipart/alternative; boundary=\"alt\"") +
                       "--alt\r\nContent-Type: text/plain\r\n\r\n" + Text(40) +
                       "--alt\r\nContent-Type: text/html\r\n\r\n<html><body><p>" + Text(60) +
                       "</p></body></html>\r\n--alt--\r\n");
    messages.push_back(Headers("report " + Word(), "multipart/mixed; boundary=\"mix\"") +
                       "--mix\r\nContent-Type: text/plain\r\n\r\n" + Text(10) +
                       "--mix\r\nContent-Type: application/pdf; name=\"report.pdf\"\r\n"
                       "Content-Disposition: attachment; filename=\"report.pdf\"\r\n"
                       "Content-Transfer-Encoding: base64\r\n\r\n" +
                       Base64(400) + "--mix--\r\n");
    std::string jis = "\x1b$B$3$s$K$A$O!\"$*85$-$G$9$+!)\x1b(B\r\n";
    std::string body;
    for (int i = 0; i < 20; ++i)
        body += jis;
    messages.push_back(
        Headers("=?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=", "text/plain; charset=ISO-2022-JP") +
        body);
    return messages;
}

void BM_Verdict(benchmark::State& state) {
    Rng().seed(20261210);
    TMessageFilterSet set;
    Fill(set);
    std::vector<std::string> messages = Messages();
    TMultipartMessage message;
    std::size_t i = 0, rejected = 0;
    for (auto _ : state) {
        message.Create(messages[i++ % messages.size()]);
        std::string comment;
        rejected += FilterVerdict(set, state.range(0) != 0, comment, &message);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["rejected"] =
        benchmark::Counter(static_cast<double>(rejected), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Verdict)->Arg(1)->Arg(0)->ArgName("precheck");

// One list at a time on messages parsed beforehand, in verdict order.
void BM_ListCheck(benchmark::State& state) {
    Rng().seed(20261210);
    TMessageFilterSet set;
    Fill(set);
    TMessageFilters* lists[] = {
        &set.MessageFiltersSender1, &set.MessageFiltersSender2, &set.MessageFiltersSubject,
        &set.MessageFiltersIP,      &set.MessageFiltersHost,    &set.MessageFiltersMailer,
        &set.MessageFiltersHeader,  &set.MessageFiltersBody,    &set.MessageFiltersAttach};
    TMessageFilters& list = *lists[state.range(0)];
    std::vector<std::unique_ptr<TMultipartMessage>> parsed;
    for (const std::string& text : Messages()) {
        parsed.push_back(std::make_unique<TMultipartMessage>());
        parsed.back()->Create(text);
    }
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(list.Check(parsed[i++ % parsed.size()].get()));
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(list.Name);
}
BENCHMARK(BM_ListCheck)->DenseRange(0, 8);

// A message of 4,000 text parts against the body rule "(a+)+$", whose search
// stops at the matcher's limit on every part: the verdict's budget bounds it.
void BM_CostlyRule(benchmark::State& state) {
    TMessageFilterSet set;
    set.MessageFiltersBody.Add(
        std::make_unique<TMessageFilterBody>(&set.MessageFiltersBody, true, false, "(a+)+$"));
    std::string text = "Subject: x\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < state.range(0); ++i)
        text += "--b\r\nContent-Type: text/plain\r\n\r\n" + std::string(40, 'a') + "b\r\n";
    TMultipartMessage message;
    message.Create(text + "--b--\r\n");
    for (auto _ : state) {
        std::string comment;
        benchmark::DoNotOptimize(FilterVerdict(set, true, comment, &message));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CostlyRule)->Arg(4000)->Unit(benchmark::kMillisecond);

void BM_ParseOnly(benchmark::State& state) {
    std::vector<std::string> messages = Messages();
    TMultipartMessage message;
    std::size_t i = 0;
    for (auto _ : state)
        message.Create(messages[i++ % messages.size()]);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseOnly);

} // namespace
