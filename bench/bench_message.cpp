// Parse throughput of the message model: a 10 MB message with one base64
// attachment, and a mix of typical 4 KB Japanese messages; Keep is set as
// in the gateway's download path.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "message/multipartmessage.h"
#include "platform/text.h"

namespace {

std::string Base64Lines(std::string_view bytes) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(bytes.size() * 4 / 3 + bytes.size() / 38 + 8);
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
        if ((column += 4) == 76) {
            out += "\r\n";
            column = 0;
        }
    }
    return out + "\r\n";
}

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// JIS X 0208 kanji pairs (rows 0x30..0x4F) as ISO-2022-JP and as Shift_JIS lines.
struct JapaneseText {
    std::string Jis, Sjis;
};

JapaneseText MakeJapanese(std::size_t characters, unsigned seed) {
    std::mt19937 random(seed);
    JapaneseText text;
    text.Jis = "\x1b$B";
    for (std::size_t i = 1; i <= characters; ++i) {
        unsigned j1 = 0x30 + random() % 0x20, j2 = 0x21 + random() % 0x5E;
        text.Jis += static_cast<char>(j1);
        text.Jis += static_cast<char>(j2);
        unsigned s1 = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
        unsigned s2 = j1 % 2 ? j2 + 0x1F + (j2 >= 0x60) : j2 + 0x7E;
        text.Sjis += static_cast<char>(s1);
        text.Sjis += static_cast<char>(s2);
        if (i % 36 == 0) {
            text.Jis += "\x1b(B\r\n\x1b$B";
            text.Sjis += "\r\n";
        }
    }
    text.Jis += "\x1b(B\r\n";
    text.Sjis += "\r\n";
    return text;
}

std::string Trace(int hops) {
    std::string trace;
    for (int i = 0; i < hops; ++i)
        trace += "Received: from relay" + std::to_string(i) + ".example.jp (relay" +
                 std::to_string(i) + ".example.jp [192.0.2." + std::to_string(10 + i) +
                 "])\r\n\tby mx.example.jp (Postfix) with ESMTP id 4F1A2B" + std::to_string(i) +
                 "\r\n\tfor <hanako@example.jp>; Mon, 5 Jul 2004 13:02:0" + std::to_string(i) +
                 " +0900 (JST)\r\n";
    return trace;
}

const char* kCommon = "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <taro@example.jp>\r\n"
                      "To: hanako@example.jp\r\n"
                      "Date: Mon, 5 Jul 2004 13:02:00 +0900\r\n"
                      "Message-ID: <20040705130200.4F1A2B@example.jp>\r\n"
                      "X-Mailer: Example Mailer 1.0\r\n"
                      "MIME-Version: 1.0\r\n";

// Four kinds of everyday Japanese mail of about 4 KB each.
std::vector<std::string> JapaneseMix() {
    std::vector<std::string> mix;
    JapaneseText a = MakeJapanese(1700, 1), b = MakeJapanese(900, 2), c = MakeJapanese(1100, 3);
    std::string subject = "Subject: =?ISO-2022-JP?B?GyRCMnFEajtxTkEbKEI=?=\r\n"
                          " =?ISO-2022-JP?B?GyRCJE4kKkNOJGkkOxsoQg==?=\r\n";
    mix.push_back(Trace(4) + kCommon + subject +
                  "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
                  "Content-Transfer-Encoding: 7bit\r\n\r\n" +
                  a.Jis);
    mix.push_back(Trace(3) + kCommon + subject +
                  "Content-Type: multipart/alternative; boundary=\"alt-1\"\r\n\r\n"
                  "--alt-1\r\nContent-Type: text/plain; charset=Shift_JIS\r\n"
                  "Content-Transfer-Encoding: 8bit\r\n\r\n" +
                  b.Sjis +
                  "--alt-1\r\nContent-Type: text/html; charset=Shift_JIS\r\n"
                  "Content-Transfer-Encoding: base64\r\n\r\n" +
                  Base64Lines("<html><body><p>" + b.Sjis.substr(0, 900) + "</p></body></html>") +
                  "--alt-1--\r\n");
    mix.push_back(Trace(5) + kCommon + subject +
                  "Content-Type: text/plain; charset=UTF-8\r\n"
                  "Content-Transfer-Encoding: base64\r\n\r\n" +
                  Base64Lines(platform::Cp932ToUtf8(c.Sjis.substr(0, 2200))));
    mix.push_back(Trace(3) + kCommon + subject +
                  "Content-Type: multipart/mixed; boundary=\"mix-2\"\r\n\r\n"
                  "--mix-2\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
                  MakeJapanese(500, 4).Jis +
                  "--mix-2\r\nContent-Type: application/pdf; "
                  "name=\"=?ISO-2022-JP?B?GyRCOy1OQRsoQg==?=.pdf\"\r\n"
                  "Content-Disposition: attachment; "
                  "filename=\"=?ISO-2022-JP?B?GyRCOy1OQRsoQg==?=.pdf\"\r\n"
                  "Content-Transfer-Encoding: base64\r\n\r\n" +
                  Base64Lines(RandomBytes(1200, 5)) + "--mix-2--\r\n");
    return mix;
}

std::string LargeAttachmentMessage() {
    std::string attachment = Base64Lines(RandomBytes(7'600'000, 7));
    return Trace(3) + kCommon + "Subject: =?ISO-2022-JP?B?GyRCRTpJVRsoQg==?=\r\n" +
           "Content-Type: multipart/mixed; boundary=\"big-1\"\r\n\r\n"
           "--big-1\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
           MakeJapanese(200, 8).Jis +
           "--big-1\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           attachment + "--big-1--\r\n";
}

void BM_ParseLargeAttachment(benchmark::State& state) {
    const std::string text = LargeAttachmentMessage();
    TMultipartMessage message;
    message.SetKeep(true);
    for (auto _ : state) {
        message.Create(text);
        benchmark::DoNotOptimize(message.GetRoot().GetCount());
    }
    if (message.GetRoot().GetCount() != 2 ||
        message.GetRoot().GetParts(1)->Stream->size() != 7'600'000)
        state.SkipWithError("the attachment was not parsed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["message_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseLargeAttachment)->Unit(benchmark::kMillisecond);

void BM_ParseJapaneseMix(benchmark::State& state) {
    const std::vector<std::string> mix = JapaneseMix();
    std::size_t bytes = 0;
    for (const std::string& text : mix)
        bytes += text.size();
    TMultipartMessage message;
    message.SetKeep(true);
    std::size_t next = 0;
    for (auto _ : state) {
        message.Create(mix[next]);
        if (message.Subject.empty() || message.GetCountReceived() < 3)
            state.SkipWithError("not parsed");
        next = (next + 1) % mix.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["mean_message_bytes"] = static_cast<double>(bytes) / mix.size();
}
BENCHMARK(BM_ParseJapaneseMix);

} // namespace
