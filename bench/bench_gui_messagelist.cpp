// The message list at 50,000 rows: filling it from five inboxes as the
// start-up does, and sorting it by each column, with a view attached.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <cstdlib>
#include <random>

#include "app/messagelistmodel.h"
#include "app/messagesorter.h"
#include "foundation/csvline.h"
#include "store/pop3accountlist.h"

namespace {

constexpr int kAccounts = 5;

std::mt19937& Rng() {
    static std::mt19937 rng(20240611);
    return rng;
}

int Random(int from, int to) {
    return std::uniform_int_distribution<int>(from, to)(Rng());
}

// Subjects that share prefixes, as replies and mailing lists do.
std::string Subject() {
    static const char* const heads[] = {"Re: ", "Fwd: ", "[list:", "\x89\xEF\x8B\x63 ", ""};
    return std::string(heads[Random(0, 4)]) + "report " + std::to_string(Random(0, 5000)) +
           (Random(0, 1) ? " \x82\xA8\x92\x6D\x82\xE7\x82\xB9" : " status");
}

std::string IndexLine(int i, const std::string& account) {
    TDateTimeFields f{
        2024, Random(1, 12), Random(1, 28), Random(0, 23), Random(0, 59), Random(0, 59), 0};
    std::string date = DateTimeToStr(*EncodeDateTime(f));
    std::string uid = std::to_string(Random(100000000, 199999999));
    uid.append(".").append(std::to_string(i)).append(".").append(account).append(",s=1");
    return CSVLineWrite({uid, std::to_string(i) + ".eml", std::to_string(Random(500, 900000)), "2",
                         "text/plain", Subject(), "a@example.com", date, date, date, "",
                         Random(0, 3) ? "" : "ok"});
}

// Five accounts with 10,000 inbox entries each.
TPop3AccountList& Accounts() {
    static TPop3AccountList list;
    if (list.GetCount() == 0)
        for (int a = 0; a < kAccounts; ++a) {
            std::string name = "account" + std::to_string(a);
            TPop3AccountItem* account = list.Add(name, "u", "p", "h", 110, false, false);
            std::vector<std::string> lines;
            for (int i = 0; i < 50000 / kAccounts; ++i)
                lines.push_back(IndexLine(i, name));
            account->Mailbox.LoadFromStrings(lines);
        }
    return list;
}

struct TListView {
    TMessageListModel model;
    QTreeView view;
    TListView() {
        view.setUniformRowHeights(true);
        view.setRootIsDecorated(false);
        view.setModel(&model);
        view.resize(900, 400);
        view.show();
    }
    void Fill() {
        model.Clear();
        for (int a = 0; a < Accounts().GetCount(); ++a)
            model.AppendMailbox(Accounts().GetAccounts(a)->Mailbox);
    }
};

void BM_ShowMailbox(benchmark::State& state) {
    TListView list;
    for (auto _ : state) {
        list.Fill();
        list.model.Sort(TMessageSorter(TMessageListModel::ColRecvDate, true, Accounts()));
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * list.model.rowCount());
}
BENCHMARK(BM_ShowMailbox)->Unit(benchmark::kMillisecond);

void BM_SortByColumn(benchmark::State& state) {
    TListView list;
    list.Fill();
    list.view.setCurrentIndex(list.model.index(100, 0));
    const int column = static_cast<int>(state.range(0));
    bool descend = false;
    for (auto _ : state) {
        descend = !descend; // each sort reverses the previous one
        list.model.Sort(TMessageSorter(column, descend, Accounts()));
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * list.model.rowCount());
}
BENCHMARK(BM_SortByColumn)
    ->DenseRange(0, TMessageListModel::ColumnCount - 1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
