// The library search on a large library: a files database of 1,000,000 paths, 250 of them real
// pictures whose names hold the term. Measured: the search's collection step against one plain
// case-insensitive containment scan of the same list; and the search strip showing its 101
// previews with an empty thumbnail cache against showing them again from the cache. Counter:
// the main thread's longest stall during a search (the longest gap between two runs of a 1 ms
// timer, which only runs when the window handles its events). A search counts as done when
// every preview shows its picture (they are prepared off the main thread).
#include "ui/picture_strips.h"

#include "foundation/run_control.h"
#include "library/library_search.h"
#include "library/picture_db.h"
#include "library/thumbnail_cache.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

using namespace orvix;

namespace {

constexpr int kPaths = 1000000;
constexpr int kPictures = 250;
const QString kTerm = QStringLiteral("Lake View");

struct Library
{
    QTemporaryDir dir;
    QString pictures;
    QStringList files;
    std::unique_ptr<PictureDatabase> db;

    Library()
    {
        pictures = dir.filePath(QStringLiteral("Pictures"));
        QDir().mkpath(pictures + QStringLiteral("/sets"));
        // Camera-sized pictures with detail, so decoding and scaling cost what they do for real.
        QImage image(1024, 768, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x * 3 + y) % 256, (y * 2) % 256, int(random.bounded(64)) + (x % 128)));
        files.reserve(kPaths);
        const int every = kPaths / kPictures;
        int real = 0;
        for (int i = 0; i < kPaths; ++i) {
            if (i % every == every / 2 && real < kPictures) {
                const QString path = pictures + QStringLiteral("/sets/%1_ab%2 lake view %1_o.jpg").arg(40000 + real).arg(real);
                image.setPixel(real, 0, qRgb(real, 0, 0)); // each file its own
                image.save(path, "JPEG", 90);
                files << path;
                ++real;
            } else {
                files << pictures + QStringLiteral("/set%1/%2_cd%3 Sea and mountains at dawn %2_o.jpg")
                                        .arg(i % 300).arg(1000000 + i).arg(i % 977);
            }
        }
        // Written as the program writes it, read as at start-up.
        db = std::make_unique<PictureDatabase>(dir.path() + u'/');
        QFile list(db->filesDbPath());
        list.open(QIODevice::WriteOnly);
        list.write("\xEF\xBB\xBF" + files.join(QStringLiteral("\r\n")).toUtf8() + "\r\n");
        list.close();
        db->LoadOrRebuildFilesDb(QString());
    }
};

Library &library()
{
    static Library lib;
    return lib;
}

void BM_PlainContainmentScan(benchmark::State &state)
{
    const QStringList &files = library().files;
    for (auto _ : state) {
        qsizetype n = 0;
        for (const QString &path : files)
            n += path.contains(kTerm, Qt::CaseInsensitive) ? 1 : 0;
        benchmark::DoNotOptimize(n);
        if (n != kPictures)
            state.SkipWithError("wrong count");
    }
}

void BM_LibrarySearchCollection(benchmark::State &state)
{
    const QStringList &files = library().files;
    for (auto _ : state) {
        const QStringList found = CollectLibraryMatches(files, kTerm, -1);
        if (found.size() != kPictures)
            state.SkipWithError("wrong count");
    }
}

// One search in a shown strip; the longest stall of the main thread goes to maxStallMs.
double searchOnce(TPictureStrips &strips, double &maxStallMs)
{
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        maxStallMs = std::max(maxStallMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    tick.start();
    QApplication::processEvents();
    QElapsedTimer wall;
    wall.start();
    sinceTick.start();
    strips.LibrarySearch(*library().db, kTerm);
    // Done when every preview shows its picture.
    while (strips.thumbnailsPending() > 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = wall.nsecsElapsed() / 1e6;
    maxStallMs = std::max(maxStallMs, sinceTick.nsecsElapsed() / 1e6);
    tick.stop();
    return ms;
}

void showPreviews(benchmark::State &state, bool cached)
{
    Library &lib = library();
    QSplitter splitter(Qt::Vertical);
    splitter.addWidget(new QWidget);
    splitter.resize(1200, 700);
    RunControl run(lib.dir.path());
    TPictureStripsHost host;
    host.run = &run;
    host.picturesFolder = [&] { return lib.pictures; };
    host.cacheThumbnails = [] { return true; };
    TPictureStrips strips(&splitter, std::move(host), nullptr);
    splitter.show();
    double maxStallMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QDir(ThumbnailCacheFolder(lib.pictures)).removeRecursively();
        if (cached) {
            double ignored = 0;
            searchOnce(strips, ignored); // fills the cache
        }
        strips.ClearStrip(QStringLiteral("search"));
        QApplication::processEvents();
        state.ResumeTiming();
        const double ms = searchOnce(strips, maxStallMs);
        state.SetIterationTime(ms / 1e3);
        if (strips.searchStrip().FramesXAr.size() != kLibrarySearchShown)
            state.SkipWithError("not 101 previews");
    }
    state.counters["max_stall_ms"] = maxStallMs;
}

void BM_SearchPreviewsFirstTime(benchmark::State &state) { showPreviews(state, false); }
void BM_SearchPreviewsCached(benchmark::State &state) { showPreviews(state, true); }

} // namespace

BENCHMARK(BM_PlainContainmentScan)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LibrarySearchCollection)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SearchPreviewsFirstTime)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_SearchPreviewsCached)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
