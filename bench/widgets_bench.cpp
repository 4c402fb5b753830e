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

void BM_ListViewExInsertsLookupsAndStatus(benchmark::State &state)
{
    const int rows = int(state.range(0));
    double slowestMs = 0;
    double slowestCpuMs = 0;
    int slowestCall = -1;
    double insertMs = 0;
    double lookupMs = 0;
    auto timed = [&](int callNo, const auto &fn) {
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
    };
    for (auto _ : state) {
        TListViewEx lv;
        lv.LoadColumns(kSpecs);
        lv.AddToTop = true;
        lv.resize(600, 400);
        lv.show();
        QApplication::processEvents();
        QElapsedTimer phase;
        phase.start();
        for (int i = 0; i < rows; ++i)
            timed(i, [&] { lv.AddRange({url(i), QStringLiteral("queued"), QString()}); });
        insertMs += phase.restart() / 1.0;
        for (int i = 0; i < rows; ++i)
            timed(rows + i, [&] { lv.Model()->SetText(lv.IndexOf_CI(url(i)), 1, QStringLiteral("done")); });
        lookupMs += phase.elapsed() / 1.0;
        QApplication::processEvents();
        if (lv.Model()->Text(0, 1) != QStringLiteral("done") || lv.Model()->Text(0, 0) != url(rows - 1))
            state.SkipWithError("rows were not updated");
    }
    state.counters["slowest_call_ms"] = slowestMs;
    state.counters["slowest_call_cpu_ms"] = slowestCpuMs;
    // Where the time goes, per iteration.
    state.counters["insert_ms"] = insertMs / double(state.iterations());
    state.counters["lookup_and_status_ms"] = lookupMs / double(state.iterations());
    state.counters["slowest_call_no"] = slowestCall; // below rows: an insert; from rows on: a look-up
    state.SetItemsProcessed(state.iterations() * rows);
}

} // namespace

BENCHMARK(BM_BareTreeWidgetInserts)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ListViewExInsertsLookupsAndStatus)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
