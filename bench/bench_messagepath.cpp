// Naming message files: many messages with the same subject in one folder
// (empty subjects are common in spam), and a file name from a long subject.
//   bench_messagepath --benchmark_filter=SameSubject
//   bench_messagepath --benchmark_filter=LongSubject
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "store/messagebox.h"

namespace {

std::string NewFolder() {
    char tmpl[] = "/tmp/mb-bench-path-XXXXXX";
    return std::string(mkdtemp(tmpl)) + '/';
}

// Stores count messages with the same subject (empty, or a Japanese one) in
// a new folder; only the naming is timed, not the writing of the files.
void BM_SameSubject(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string subject =
        state.range(1) ? "\x89\xEF\x8B\x63\x82\xCC\x8C\x8F" : ""; // 会議の件
    for (auto _ : state) {
        state.PauseTiming();
        const std::string folder = NewFolder();
        std::chrono::steady_clock::duration naming{};
        for (int i = 0; i < count; ++i) {
            const auto start = std::chrono::steady_clock::now();
            std::string path = TMessageBox::MakeMessagePath(folder, subject);
            naming += std::chrono::steady_clock::now() - start;
            platform::WriteFile(path, "x");
        }
        state.SetIterationTime(std::chrono::duration<double>(naming).count());
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_SameSubject)
    ->ArgsProduct({{1000, 10000}, {0, 1}})
    ->ArgNames({"messages", "japanese"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// A subject of Japanese characters whose only break is near its end, so the
// whole subject is the first line and must be cut to fit the file system.
void BM_LongSubject(benchmark::State& state) {
    std::string subject;
    while (subject.size() + 4 < static_cast<std::size_t>(state.range(0)))
        subject += "\x88\xa0"; // 亜
    subject += " re";
    const std::string folder = NewFolder();
    for (auto _ : state)
        benchmark::DoNotOptimize(TMessageBox::MakeMessagePath(folder, subject));
    std::filesystem::remove_all(folder);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LongSubject)->Arg(16000)->Arg(64000)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

} // namespace
