// Throughput of the foundation's text codecs on 1 MB inputs shaped like mail.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/base64dec.h"
#include "foundation/csvline.h"
#include "foundation/japancode.h"
#include "platform/charset.h"

namespace {

constexpr std::size_t InputSize = 1 << 20;

std::mt19937& Rng() {
    static std::mt19937 rng(20240611);
    return rng;
}

int Random(int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(Rng());
}

std::string AsciiWord() {
    std::string word(static_cast<std::size_t>(Random(2, 9)), 'a');
    for (char& c : word)
        c = static_cast<char>(Random('a', 'z'));
    return word;
}

// An attachment: random bytes in base64 with CR LF after every 76 characters.
std::string Base64Attachment() {
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    while (text.size() < InputSize) {
        for (int i = 0; i < 76; ++i)
            text += Alphabet[Random(0, 63)];
        text += "\r\n";
    }
    return text + "AA==\r\n";
}

// UTF-8 Japanese prose with ASCII words, quoted-printable with soft line
// breaks at 76 columns.
std::string QPrintJapaneseBody() {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string text, line;
    auto flush = [&](const std::string& piece) {
        if (line.size() + piece.size() > 75) {
            text += line + "=\r\n";
            line.clear();
        }
        line += piece;
    };
    while (text.size() < InputSize) {
        if (Random(0, 2) == 0) {
            for (char c : AsciiWord() + " ")
                flush(std::string(1, c));
        } else {
            for (int k = Random(3, 12); k > 0; --k) {
                unsigned char utf8[3] = {0xE3, static_cast<unsigned char>(Random(0x81, 0x83)),
                                         static_cast<unsigned char>(Random(0x80, 0xBF))};
                std::string encoded;
                for (unsigned char b : utf8)
                    encoded += {'=', Hex[b >> 4], Hex[b & 15]};
                flush(encoded);
            }
        }
        if (Random(0, 15) == 0) {
            text += line + "\r\n";
            line.clear();
        }
    }
    return text;
}

// ISO-2022-JP prose: runs of hiragana and kanji between escape sequences,
// with ASCII words and CR LF lines of about 70 bytes.
std::string JISJapaneseBody() {
    std::string text;
    std::size_t lineStart = 0;
    while (text.size() < InputSize) {
        text += "\x1b$B";
        for (int k = Random(4, 20); k > 0; --k) {
            bool kana = Random(0, 1) == 0;
            text += static_cast<char>(kana ? 0x24 : Random(0x30, 0x4F));
            text += static_cast<char>(kana ? Random(0x21, 0x73) : Random(0x21, 0x7E));
        }
        text += "\x1b(B";
        if (Random(0, 2) == 0) text += AsciiWord() + " ";
        if (text.size() - lineStart > 70) {
            text += "\r\n";
            lineStart = text.size();
        }
    }
    return text;
}

// Index lines as a mailbox keeps them: quoted subject and sender with
// Shift_JIS text, dates, sizes and flags.
std::vector<std::string> IndexLines() {
    std::vector<std::string> lines;
    std::size_t total = 0;
    for (int n = 0; total < InputSize; ++n) {
        std::string subject =
            "\x82\xA8\x92\x6D\x82\xE7\x82\xB9 " + AsciiWord() + ", " + AsciiWord();
        std::string line = std::string("\"") + std::to_string(n) + " " + subject + ".eml\",\"" +
                           subject + "\",\"" + AsciiWord() + "@" + AsciiWord() +
                           ".example.jp\",\"2024/06/11 09:15:3" + std::to_string(n % 10) + "\"," +
                           std::to_string(Random(1000, 90000)) + ",0,1,\"" + std::to_string(n) +
                           "." + AsciiWord() + "\"";
        total += line.size() + 2;
        lines.push_back(std::move(line));
    }
    return lines;
}

template <typename Decoder>
void Decode(benchmark::State& state, const std::string& input) {
    Decoder decoder;
    for (auto _ : state) {
        decoder.Create(input);
        benchmark::DoNotOptimize(decoder.Data.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_Base64Decode(benchmark::State& state) {
    static const std::string input = Base64Attachment();
    Decode<TBase64Decode>(state, input);
}
BENCHMARK(BM_Base64Decode)->Unit(benchmark::kMicrosecond);

void BM_QPrintDecode(benchmark::State& state) {
    static const std::string input = QPrintJapaneseBody();
    Decode<TQPrintDecode>(state, input);
}
BENCHMARK(BM_QPrintDecode)->Unit(benchmark::kMicrosecond);

void BM_JIS2SJIS(benchmark::State& state) {
    static const std::string input = JISJapaneseBody();
    TJapanCode code;
    for (auto _ : state)
        benchmark::DoNotOptimize(code.JIS2SJIS(input));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
    state.counters["escapes"] = static_cast<double>(std::count(input.begin(), input.end(), '\x1b'));
}
BENCHMARK(BM_JIS2SJIS)->Unit(benchmark::kMicrosecond);

void BM_CSVLineRead(benchmark::State& state) {
    static const std::vector<std::string> lines = IndexLines();
    std::size_t bytes = 0;
    for (const auto& line : lines)
        bytes += line.size();
    for (auto _ : state)
        for (const auto& line : lines)
            benchmark::DoNotOptimize(CSVLineRead(line));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_CSVLineRead)->Unit(benchmark::kMicrosecond);

// A text body in another charset: UTF-8 Japanese (the decoded QP body) and
// plain ASCII, each converted to CP932.
void Convert(benchmark::State& state, const std::string& input, const char* charset) {
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::CharsetToCp932(input, charset));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void BM_CharsetUtf8Japanese(benchmark::State& state) {
    static const std::string input = [] {
        TQPrintDecode qp;
        qp.Create(QPrintJapaneseBody());
        return qp.Data;
    }();
    Convert(state, input, "utf-8");
}
BENCHMARK(BM_CharsetUtf8Japanese)->Unit(benchmark::kMicrosecond);

void BM_CharsetAscii(benchmark::State& state) {
    static const std::string input = [] {
        std::string text;
        while (text.size() < InputSize)
            text += AsciiWord() + (Random(0, 9) ? " " : "\r\n");
        return text;
    }();
    Convert(state, input, "us-ascii");
}
BENCHMARK(BM_CharsetAscii)->Unit(benchmark::kMicrosecond);

} // namespace
