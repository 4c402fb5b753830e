// The queue view's load on its list: 10,000 rows added at the top, then each looked up by its
// caption and given a status, against the same inserts into a bare QTreeWidget of the same kind
// (report style with a header, shown). Counters: the slowest single call, in wall time and in
// the thread's own CPU time (on a shared machine a call's wall time includes waiting for a core),
// and which call it was.
#include "ui/widgets/list_view_ex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>

using namespace orvix;

namespace {

const QStringList kSpecs = {QStringLiteral("url:300:L:0"), QStringLiteral("status:70:L:1"),
                            QStringLiteral("size:60:R:2")};

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

QString url(int i) { return QStringLiteral("http://127.0.0.1:8080/photos/user%1/%2/").arg(i % 97).arg(100000 + i); }

void BM_BareTreeWidgetInserts(benchmark::State &state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        QTreeWidget tree;
        tree.setColumnCount(3);
        tree.setHeaderLabels({QStringLiteral("url"), QStringLiteral("status"), QStringLiteral("size")});
        tree.setRootIsDecorated(false);
        tree.setUniformRowHeights(true);
        tree.resize(600, 400);
        tree.show();
        QApplication::processEvents();
        for (int i = 0; i < rows; ++i)
            tree.insertTopLevelItem(0, new QTreeWidgetItem(QStringList{url(i), QStringLiteral("queued"), QString()}));
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The queue view's work on a shown list: inserts at the top, then a look-up by caption and a
// status per row.
void fillAndMark(TListViewEx &lv, int rows, const std::function<void(int, const std::function<void()> &)> &call)
{
    for (int i = 0; i < rows; ++i)
        call(i, [&] { lv.AddRange({url(i), QStringLiteral("queued"), QString()}); });
    for (int i = 0; i < rows; ++i)
        call(rows + i, [&] { lv.Model()->SetText(lv.IndexOf_CI(url(i)), 1, QStringLiteral("done")); });
}

bool rowsUpdated(TListViewEx &lv, int rows)
{
    return lv.Model()->Text(0, 1) == QStringLiteral("done") && lv.Model()->Text(0, 0) == url(rows - 1);
}

void showList(TListViewEx &lv)
{
    lv.LoadColumns(kSpecs);
    lv.AddToTop = true;
    lv.resize(600, 400);
    lv.show();
    QApplication::processEvents();
}

// The total, compared with the bare inserts: no per-call clocks here, their reads would be
// charged to the list view.
void BM_ListViewExInsertsLookupsAndStatus(benchmark::State &state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        TListViewEx lv;
        showList(lv);
        fillAndMark(lv, rows, [](int, const std::function<void()> &fn) { fn(); });
        QApplication::processEvents();
        if (!rowsUpdated(lv, rows))
            state.SkipWithError("rows were not updated");
    }
    state.SetItemsProcessed(state.iterations() * rows);
}

// The same work with every call clocked: the slowest single call, in wall time and in the
// thread's own CPU time, and which call it was (below rows: an insert; from rows on: a look-up).
void BM_ListViewExSlowestCall(benchmark::State &state)
{
    const int rows = int(state.range(0));
    double slowestMs = 0;
    double slowestCpuMs = 0;
    int slowestCall = -1;
    for (auto _ : state) {
        TListViewEx lv;
        showList(lv);
        fillAndMark(lv, rows, [&](int callNo, const std::function<void()> &fn) {
            QElapsedTimer wall;
            const double cpu0 = threadCpuMs();
            wall.start();
            fn();
            const double ms = wall.nsecsElapsed() / 1e6;
            slowestCpuMs = std::max(slowestCpuMs, threadCpuMs() - cpu0);
            if (ms > slowestMs) {
                slowestMs = ms;
                slowestCall = callNo;
            }
        });
        QApplication::processEvents();
        if (!rowsUpdated(lv, rows))
            state.SkipWithError("rows were not updated");
    }
    state.counters["slowest_call_ms"] = slowestMs;
    state.counters["slowest_call_cpu_ms"] = slowestCpuMs;
    state.counters["slowest_call_no"] = slowestCall;
}

} // namespace

BENCHMARK(BM_BareTreeWidgetInserts)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ListViewExInsertsLookupsAndStatus)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ListViewExSlowestCall)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(2);
