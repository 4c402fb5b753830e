// The picture database at the size of a large library: "pd_images.db" with 1,000,000 records
// and "pd_files.db" with 200,000 paths, generated into a temporary folder before the runs.
// Measured: loading and sorting the records (with the page-address index), the "already
// downloaded" test for 500 page addresses, recording 500 queued pictures, and the reload after
// another instance recorded 500; each beside a reference of the same run (reading the file with QFile::readAll and splitting it; one
// unindexed scan of the records; 500 plain appends). bench/library_bench.sh prints the figures.

#include "library/picture_db.h"
#include "library/picture_match.h"

#include "foundation/dialogs.h"
#include "foundation/text_codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace orvix;

namespace {

constexpr int kRecords = 1000000;
constexpr int kFiles = 200000;
constexpr int kLookups = 500;

struct Library {
    QTemporaryDir dir;
    QString folder;
    QStringList lookupAddresses; // half saved, a quarter queued only, a quarter unknown
    std::unique_ptr<PictureDatabase> loaded;
};

Library *lib = nullptr;

QString pageUrl(qint64 id, int variant)
{
    QString u = QStringLiteral("http://www.photosite.example/photos/owner%1/%2/").arg(id % 5003).arg(id);
    if (variant == 1)
        u += QStringLiteral("in/photostream/");
    else if (variant == 2)
        u += QStringLiteral("in/set-72157%1/").arg(id % 977);
    return u;
}

QString secret(qint64 id)
{
    return QString::number(quint32(id * 2654435761u), 16);
}

void writeText(const QString &path, const QStringList &lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(EncodeLinesUtf8(lines));
}

void generate(Library &l)
{
    l.folder = l.dir.path() + QLatin1Char('/');
    QRandomGenerator rng(12345);
    QStringList records;
    records.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) {
        const qint64 id = 5000000000LL + qint64(rng.bounded(2000000000));
        records.append(QString::number(id) + QLatin1Char('_') + secret(id) + QLatin1Char('|')
                       + pageUrl(id, rng.bounded(3)) + QStringLiteral("|2024-05-0") + QString::number(1 + i % 9)
                       + QStringLiteral(" 12:34:56.") + QString::number(100 + i % 900));
    }

    // Look-ups: ids taken from the records, so each address is found, plus unknown ones.
    QStringList files;
    files.reserve(kFiles);
    const QString pictures = l.folder + QStringLiteral("pictures/");
    QDir().mkpath(pictures);
    for (int i = 0; i < kLookups; ++i) {
        const QString &record = records.at(rng.bounded(kRecords));
        const QString key = record.section(QLatin1Char('|'), 0, 0);
        const QString id = key.section(QLatin1Char('_'), 0, 0);
        if (i % 4 == 3) {
            l.lookupAddresses.append(pageUrl(9000000000LL + i, 0)); // never queued
            continue;
        }
        l.lookupAddresses.append(record.section(QLatin1Char('|'), 1, 1));
        if (i % 2 == 0) {
            const QString file = pictures + key + QStringLiteral(" Picture number ") + id + QStringLiteral("_o.jpg");
            QFile f(file);
            if (f.open(QIODevice::WriteOnly))
                f.write("jpg");
            files.append(file);
        }
    }
    while (files.size() < kFiles) {
        const qint64 id = 5000000000LL + qint64(rng.bounded(2000000000));
        files.append(pictures + QStringLiteral("sub%1/").arg(id % 50) + QString::number(id) + QLatin1Char('_')
                         + secret(id) + QStringLiteral(" Some title [tags] sea_o.jpg"));
    }
    // The saved pictures lie among the others, not at the start of the list.
    for (qsizetype i = files.size() - 1; i > 0; --i)
        files.swapItemsAt(i, rng.bounded(i + 1));
    writeText(l.folder + QStringLiteral("pd_images.db"), records);
    writeText(l.folder + QStringLiteral("pd_files.db"), files);

    l.loaded = std::make_unique<PictureDatabase>(l.folder);
    l.loaded->LoadImagesDb();
    l.loaded->LoadOrRebuildFilesDb(pictures);
}

void BM_LoadAndSort(benchmark::State &state)
{
    for (auto _ : state) {
        auto db = std::make_unique<PictureDatabase>(lib->folder);
        db->LoadImagesDb();
        benchmark::DoNotOptimize(db->FindImageRecordByKey(QStringLiteral("5")));
        state.PauseTiming(); // freeing the lists is not part of a start-up
        db.reset();
        state.ResumeTiming();
    }
}

void BM_ReferenceReadAllSplit(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(lib->folder + QStringLiteral("pd_images.db"));
        f.open(QIODevice::ReadOnly);
        const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        benchmark::DoNotOptimize(lines.size());
    }
}

void BM_IsAlreadyDownloaded500(benchmark::State &state)
{
    int downloaded = 0;
    for (auto _ : state) {
        downloaded = 0;
        for (const QString &address : lib->lookupAddresses)
            downloaded += lib->loaded->IsAlreadyDownloaded(address);
    }
    state.counters["downloaded"] = downloaded;
}

// What one look-up cost before the index: a containment scan of every record.
void BM_ReferenceOneUnindexedScan(benchmark::State &state)
{
    const QStringList records = lib->loaded->imagesSnapshot();
    const QString cut = CutPageUrlForLookup(lib->lookupAddresses.at(0));
    for (auto _ : state) {
        QString found;
        for (const QString &r : records) {
            if (RecordMatchesPageUrl(r, cut)) {
                found = r;
                break;
            }
        }
        benchmark::DoNotOptimize(found);
    }
}

void BM_RecordQueued500(benchmark::State &state)
{
    static qint64 next = 9500000000LL;
    for (auto _ : state) {
        for (int i = 0; i < kLookups; ++i) {
            TImageData d;
            d.ImageId = QString::number(++next);
            d.ImageSecretID = secret(next);
            d.PageUrl = pageUrl(next, 0);
            lib->loaded->RecordQueuedPicture(d);
        }
    }
}

// Another instance recorded 500 pictures: the activation reload reads only what was added.
void BM_ReloadAfterOther500(benchmark::State &state)
{
    static qint64 next = 9800000000LL; // new pictures in every repetition
    bool appendedOnly = true;
    for (auto _ : state) {
        state.PauseTiming();
        QFile f(lib->folder + QStringLiteral("pd_images.db"));
        f.open(QIODevice::WriteOnly | QIODevice::Append);
        for (int i = 0; i < kLookups; ++i) {
            ++next;
            f.write((QString::number(next) + QLatin1Char('_') + secret(next) + QLatin1Char('|') + pageUrl(next, 0)
                     + QStringLiteral("|2024-05-01 12:34:56.789\r\n"))
                        .toUtf8());
        }
        f.close();
        state.ResumeTiming();
        appendedOnly &= lib->loaded->ReloadImagesDbIfChanged().appendedOnly;
    }
    state.counters["appendedOnly"] = appendedOnly;
}

void BM_ReferenceAppend500(benchmark::State &state)
{
    const QString path = lib->folder + QStringLiteral("plain_append.db");
    for (auto _ : state) {
        for (int i = 0; i < kLookups; ++i) {
            QFile f(path);
            f.open(QIODevice::WriteOnly | QIODevice::Append);
            f.write(QByteArrayLiteral("9500000001_abcdef|http://www.photosite.example/photos/owner1/9500000001/|"
                                      "2024-05-01 12:34:56.789\r\n"));
        }
    }
}

} // namespace

BENCHMARK(BM_LoadAndSort)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReferenceReadAllSplit)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_IsAlreadyDownloaded500)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReferenceOneUnindexedScan)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_RecordQueued500)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReloadAfterOther500)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReferenceAppend500)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Library library;
    lib = &library;
    generate(library);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    lib = nullptr;
    return 0;
}
