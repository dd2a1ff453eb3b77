// Mailbox index loading and saving at 100,000 entries, and rebuilding an
// index from a folder of 10,000 message files.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "store/messagebox.h"

namespace {

// A private folder removed when the program ends.
const std::string& Folder() {
    static const std::string folder = [] {
        char tmpl[] = "/tmp/mb-bench-store-XXXXXX";
        std::string made = mkdtemp(tmpl);
        std::atexit([] { std::filesystem::remove_all(Folder()); });
        return made + '/';
    }();
    return folder;
}

// Japanese subject in Shift_JIS with a running number: "会議の件 (n) Re: report".
std::string Subject(int n) {
    return "\x89\xEF\x8B\x63\x82\xCC\x8C\x8F (" + std::to_string(n) + ") Re: report, draft";
}

std::string MessageText(int n) {
    std::string text = "Received: from mx" + std::to_string(n % 50) + ".example.net ([192.0.2." +
                       std::to_string(n % 250) +
                       "]) by pop.example.jp; Wed, 01 May 2024 10:00:00 +0900\r\n"
                       "From: Sender " +
                       std::to_string(n) +
                       " <s@example.com>\r\n"
                       "Subject: =?ISO-2022-JP?B?GyRCMnE1RCRON28bKEI=?= " +
                       std::to_string(n) +
                       "\r\nDate: Tue, 30 Apr 2024 09:00:00 +0900\r\n"
                       "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n\r\n";
    for (int line = 0; line < 40; ++line)
        text += "This is line " + std::to_string(line) + " of a plain message body.\r\n";
    return text;
}

// An index of count entries written once per count.
std::string IndexOf(int count) {
    std::string path = Folder() + "index" + std::to_string(count) + ".idx";
    if (platform::FileExists(path)) return path;
    TMessageBox box;
    box.Path = path;
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        TMBXItem item(&box, "");
        item.UID = "1a2b3c4d01d9a1b2." + std::to_string(i) + ".home,s=2048";
        item.FileName = Subject(i) + ".eml";
        item.Size = 2048 + i;
        item.Kind = 2;
        item.MimeType = "text/plain";
        item.Subject = Subject(i);
        item.From = "Sender <s@example.com>";
        item.SentDate = 45412.375 + i / 1440.0;
        item.RecvDate = item.SentDate + 0.001;
        item.StoredDate = item.RecvDate + 0.001;
        item.Comment = i % 3 ? "" : "ok";
        lines.push_back(item.GetCSV());
    }
    platform::WriteFile(path, [&] {
        std::string text;
        for (const auto& l : lines)
            text += l + "\r\n";
        return text;
    }());
    return path;
}

void BM_LoadIndex(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = IndexOf(count);
    for (auto _ : state) {
        TMessageBox box;
        box.LoadFromFile(path);
        benchmark::DoNotOptimize(box.GetCount());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_LoadIndex)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SaveIndex(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TMessageBox box;
    box.LoadFromFile(IndexOf(count));
    box.Path = Folder() + "saved.idx";
    for (auto _ : state)
        if (!box.Save()) state.SkipWithError("save failed");
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SaveIndex)->Arg(100000)->Unit(benchmark::kMillisecond);

// A folder of count message files, written once per count.
std::string MessageFolder(int count) {
    std::string folder = Folder() + "mbx" + std::to_string(count) + "/";
    if (platform::DirectoryExists(folder)) return folder;
    platform::ForceDirectories(folder);
    for (int i = 0; i < count; ++i)
        platform::WriteFile(TMessageBox::MakeMessagePath(folder, Subject(i)), MessageText(i));
    return folder;
}

void BM_Restruct(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    TMessageBox box;
    box.Caption = "home";
    box.Path = MessageFolder(count) + "messages.idx";
    for (auto _ : state) {
        box.Restruct();
        if (box.GetCount() != count) state.SkipWithError("messages missing");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_Restruct)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
