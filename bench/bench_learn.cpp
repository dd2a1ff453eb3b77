// Tokenizing against parsing, for honest and hostile shapes of mail: the
// learning filter reads every message the lists accept, so its tokenizer must
// cost no more than the parse it follows (linear in the message, bounded).
// Also the score of a parsed message against a trained database.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "learn/learnfilter.h"
#include "learn/messagetokens.h"
#include "message/multipartmessage.h"

namespace {

std::string Honest() {
    std::string body;
    for (int i = 0; i < 60; ++i)
        body += "The meeting moved to Tuesday, see http://intranet.example/agenda item " +
                std::to_string(i) + ".\r\n";
    return "Received: from mx.example.jp (mx.example.jp [192.0.2.10]) by gw.example.jp with "
           "SMTP; Mon, 5 Jul 2004 13:02:03 +0900\r\nFrom: Alice <alice@example.jp>\r\n"
           "Subject: agenda\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" +
           body;
}

std::string OneWord(std::size_t bytes) {
    return "Subject: x\r\n\r\n" + std::string(bytes, 'a') + "\r\n";
}

std::string ManyParts(int parts) {
    std::string text = "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < parts; ++i)
        text += "--b\r\nContent-Type: text/html\r\n\r\n<p>w" + std::to_string(i) + "</p>\r\n";
    return text + "--b--\r\n";
}

std::string Html(std::size_t bytes) {
    std::string text = "Content-Type: text/html\r\n\r\n";
    while (text.size() < bytes)
        text += "<td><a href=\"http://x.example/\">cheap</a><!-- pad --></td>\r\n";
    return text;
}

std::string Shape(int shape) {
    switch (shape) {
    case 0:
        return Honest();
    case 1:
        return OneWord(4 << 20);
    case 2:
        return ManyParts(5000);
    default:
        return Html(2 << 20);
    }
}

const char* ShapeName(int shape) {
    static const char* names[] = {"honest", "4MiB one word", "5000 parts", "2MiB html"};
    return names[shape];
}

void BM_Parse(benchmark::State& state) {
    std::string text = Shape(static_cast<int>(state.range(0)));
    TMultipartMessage message;
    for (auto _ : state)
        message.Create(text);
    state.SetLabel(ShapeName(static_cast<int>(state.range(0))));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Parse)->DenseRange(0, 3);

void BM_Tokenize(benchmark::State& state) {
    std::string text = Shape(static_cast<int>(state.range(0)));
    TMultipartMessage message;
    message.Create(text);
    for (auto _ : state)
        benchmark::DoNotOptimize(MessageTokens(message));
    state.SetLabel(ShapeName(static_cast<int>(state.range(0))));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Tokenize)->DenseRange(0, 3);

// Scoring an honest message against 200 learned messages.
void BM_Score(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "mblearnXXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    {
        TLearnFilter filter;
        filter.Open(pattern);
        for (int i = 0; i < 100; ++i) {
            filter.Learn(Honest() + "ham " + std::to_string(i) + "\r\n", false);
            filter.Learn(Html(4000) + "spam " + std::to_string(i) + "\r\n", true);
        }
        TMultipartMessage message;
        message.Create(Honest());
        for (auto _ : state)
            benchmark::DoNotOptimize(filter.Score(message));
    }
    std::filesystem::remove_all(pattern);
}
BENCHMARK(BM_Score);

} // namespace
