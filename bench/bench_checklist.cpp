// One download session over an account whose server keeps every message
// already fetched: each UIDL is looked up in the checklist and kept.
//   bench_checklist    (per_1000: the bookkeeping time per 1,000 messages)
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "store/pop3accountitem.h"
#include "store/pop3accountlist.h"

namespace {

void BM_KeptSession(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::vector<std::string> uidls;
    for (int i = 0; i < count; ++i)
        uidls.push_back("UID" + std::to_string(1000000 + i * 7919 % 1000003) + "aB.x");
    TPop3AccountList list;
    TPop3AccountItem account(&list, "n,u,p,h,110,0,1");
    for (const std::string& uidl : uidls)
        account.Checklist.Add(uidl);
    for (auto _ : state) {
        account.PrepareDownload();
        for (const std::string& uidl : uidls) {
            if (account.BeginDownload(uidl)) state.SkipWithError("a kept message counts as new");
            account.EndDownload();
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["per_1000"] =
        benchmark::Counter(count / 1000.0, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeptSession)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

} // namespace
