// Queueing page lines with their item files, then finishing every one of them the way the page
// worker does (remove index 0, delete the line's item file by its key). Arguments: the number
// of lines and whether the key index is used (0: every key is looked for by reading the
// session's files, the reference).

#include "foundation/run_control.h"
#include "queue/picture_records.h"
#include "queue/queue_state.h"
#include "queue/queue_view.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace orvix;

namespace {

struct NoPictures : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &) override { return false; }
    void RecordQueuedPicture(const TImageData &) override {}
    void RecordFoundPicture(const TImageData &, const QString &) override {}
};

void QueueAndFinishPages(benchmark::State &state)
{
    const int count = int(state.range(0));
    const bool indexed = state.range(1) != 0;
    double queueMs = 0;
    double finishMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        NullQueueView view;
        NoPictures pictures;
        RunControl run(dir.path());
        QueueState queues(run, {QStringLiteral("orvixsession_1"), dir.path() + QStringLiteral("/q1/"),
                           dir.path() + QStringLiteral("/q2/")},
                          view, pictures);
        queues.itemFiles().setIndexEnabled(indexed);
        state.ResumeTiming();

        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < count; ++i) {
            const QString url = QStringLiteral("http://www.photosite.example/photos/user/%1/").arg(i);
            queues.QueuePage(url, url + QStringLiteral("|id:1|2|holiday|/home/user/Pictures/trip"));
        }
        queueMs += double(timer.restart());
        for (;;) {
            const QString line = FirstQueueLine(queues.PageQueue);
            if (line.isEmpty())
                break;
            RemoveFirstIfStill(queues.PageQueue, line);
            queues.DeleteQueueItemFile(QueueKind::Page, line);
        }
        finishMs += double(timer.elapsed());
    }
    state.counters["queue_ms"] = queueMs / double(state.iterations());
    state.counters["finish_ms"] = finishMs / double(state.iterations());
    state.counters["us_per_line"] = (queueMs + finishMs) * 1000.0 / double(state.iterations()) / count;
}

} // namespace

BENCHMARK(QueueAndFinishPages)
    ->ArgsProduct({{10000}, {1}})
    ->Args({1000, 1})
    ->Args({1000, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
