// The web panel's thumbnails and the preview scaler, measured against references in the same
// run (see webpanel_bench.sh):
//  - a listing of 500 pictures of the simulated site shown in the web panel until every
//    thumbnail is displayed, against the same 500 requests made by one curl process with
//    --parallel --parallel-max 10; the main thread's longest stall while thumbnails arrive;
//  - the dispatcher thread's CPU while idle and while all ten download threads are busy;
//  - the Lanczos-3 resampler against QImage::scaled (smooth) on pictures of the site, to the
//    sizes the previews use.
// Prints "name value" lines.

#include "engine/ie_http.h"
#include "engine/thumbnail_fetcher.h"
#include "foundation/run_control.h"
#include "pages/parse_reports.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "ui/web_panel.h"
#include "ui/widgets/image_x.h"
#include "ui/widgets/lanczos_resample.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace orvix;

namespace {

struct QuietHost : IWebPanelHost
{
    TPageNumbering numbering;
    TLogParseReports log;
    QString ensuredPicturesFolder() override { return QDir::tempPath(); }
    void queuePage(const QString &, const QString &) override {}
    bool isQueued(const QString &) override { return false; }
    QString pictureKeyByPageUrl(const QString &) override { return {}; }
    QString findLocalFileByKey(const QString &) override { return {}; }
    bool showQueued(int) override { return false; }
    void debugMsg(const QString &) override {}
    void navigate(const QString &) override {}
    QString addressText() override { return {}; }
    QString currentUrl() override { return {}; }
    TPageNumbering &pageNumbering() override { return numbering; }
    IParseReports &reports() override { return log; }
    void reparse() override {}
    void maximizePanel() override {}
    void closePanel() override {}
    void focusPanel() override {}
    void subfolderChanged(const QString &) override {}
};

// Longest gap between the ticks of a 1 ms timer on the main thread.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return m_longest / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

void waitUntil(const std::function<bool()> &pred, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

void print(const char *name, double value)
{
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

// CPU seconds of the dispatcher thread (named "IeThumbs") so far.
double dispatcherCpuSeconds()
{
    for (const QString &tid : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(tid));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "IeThumbs")
            continue;
        QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
        if (!stat.open(QIODevice::ReadOnly))
            break;
        // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th.
        const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
        return (f.value(11).toDouble() + f.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
    }
    return -1;
}

// CPU of the dispatcher over ms of wall time, in percent of one core.
double dispatcherLoad(int ms)
{
    const double before = dispatcherCpuSeconds();
    QElapsedTimer t;
    t.start();
    waitUntil([] { return false; }, ms);
    return (dispatcherCpuSeconds() - before) / (t.elapsed() / 1000.0) * 100.0;
}

QImage fetchPicture(const QString &url)
{
    TIEHttp http;
    http.ExecuteUrl(url);
    return QImage::fromData(http.ResultMs());
}

// Best fit into box, never enlarged (the previews' rule).
QSize bestFit(QSize picture, QSize box)
{
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    return picture.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5;

    photosite::ServerOptions options;
    options.site.owners = 1;
    options.site.photosPerOwner = 500;
    options.site.perPage = 500;
    options.site.largestFileBytes = 40 * 1024;
    photosite::PhotoSiteServer site(options);
    site.start();
    SetSiteHost(site.host());

    const photosite::ManifestListingPage *listing = nullptr;
    for (const auto &page : site.manifest().listingPages)
        if (!listing || page.entries.size() > listing->entries.size())
            listing = &page;
    if (!listing || listing->entries.size() < 500) {
        std::fprintf(stderr, "no listing of 500 pictures on the site\n");
        return 1;
    }
    TWebFrameEntryList entries;
    QByteArray curlConfig;
    for (int i = 0; i < 500; ++i) {
        const auto &e = listing->entries[i];
        entries.Add(e.PhotoTargetUrl, e.PhotoThumbUrl, e.PhotoTitle);
        curlConfig += "url = \"" + ThumbnailSizeUrl(e.PhotoThumbUrl).toUtf8() + "\"\noutput = \"/dev/null\"\n";
    }
    QTemporaryDir work;
    const QString config = work.filePath(QStringLiteral("curl.cfg"));
    {
        QFile f(config);
        f.open(QIODevice::WriteOnly);
        f.write(curlConfig);
    }
    const auto runCurl = [&] {
        QElapsedTimer t;
        t.start();
        // No progress meter (in parallel mode -s leaves it on), but errors still shown.
        const int status = QProcess::execute(QStringLiteral("curl"),
                                             {QStringLiteral("--no-progress-meter"), QStringLiteral("--fail"),
                                              QStringLiteral("--parallel"), QStringLiteral("--parallel-max"),
                                              QStringLiteral("10"), QStringLiteral("-K"), config});
        const double ms = t.nsecsElapsed() / 1e6;
        if (status != 0) {
            std::fprintf(stderr, "curl failed (exit status %d): its time would mean nothing\n", status);
            std::exit(1);
        }
        return ms;
    };

    RunControl run(work.path());
    QuietHost host;
    TThumbnailRequests requests;
    TFrameWebPanel panel(host, requests, nullptr);
    panel.resize(700, 600);
    TThreadIEThumbs fetcher(requests, run, panel, work.path() + u'/');
    fetcher.Start();
    StallWatch stalls;

    runCurl(); // the site makes each thumbnail once; neither side pays for that
    QList<double> panelMs, curlMs, createMs, stallMs;
    for (int r = 0; r < rounds; ++r) {
        curlMs << runCurl();
        panel.ForgetShownEntries();
        QElapsedTimer t;
        t.start();
        panel.CreateFrames(entries, 1);
        createMs << t.nsecsElapsed() / 1e6;
        stalls.start();
        const QList<TFrameWebFrame *> frames = panel.frames();
        waitUntil([&] {
            return std::all_of(frames.begin(), frames.end(), [](const TFrameWebFrame *f) { return f->edLoading->isHidden(); });
        }, 120000);
        panelMs << t.nsecsElapsed() / 1e6;
        stallMs << stalls.stop();
    }
    print("thumbs_panel_ms", median(panelMs));
    print("thumbs_curl_ms", median(curlMs));
    print("create_frames_ms", median(createMs));
    print("longest_stall_ms", *std::max_element(stallMs.begin(), stallMs.end()));

    print("dispatcher_idle_cpu_pct", dispatcherLoad(2000));
    site.addFault(photosite::parseFaultRule(QStringLiteral("*_t.jpg=delay:3")));
    panel.ClearFramesMiddle();
    for (int i = 0; i < 40; ++i)
        requests.Add(QStringLiteral("frame_thumb_%1").arg(i + 1), entries[i].PhotoThumbUrl);
    waitUntil([&] { return fetcher.busyThreads() == TThreadIEThumbs::kThreads; }, 5000);
    print("dispatcher_waiting_cpu_pct", dispatcherLoad(2000));
    requests.NewBatch();
    site.clearFaults();

    // The scaler on the site's pictures: thumbnails into a frame, large files into previews.
    struct Job
    {
        QImage picture;
        QSize size;
    };
    QList<Job> thumbs, large;
    for (int i = 0; i < 40; ++i) {
        const auto &p = site.manifest().pictures[i];
        for (const auto &s : p.sizes) {
            if (s.letter == u"t")
                thumbs.append({fetchPicture(s.fileUrl), {}});
            if (s.letter == u"l" && large.size() < 12)
                large.append({fetchPicture(s.fileUrl), {}});
        }
    }
    for (Job &j : thumbs)
        j.size = bestFit(j.picture.size(), {79, 79});
    for (int i = 0; i < large.size(); ++i)
        large[i].size = bestFit(large[i].picture.size(), i % 2 ? QSize(360, 360) : QSize(240, 240));
    const auto time = [](const QList<Job> &jobs, bool lanczos) {
        QList<double> v;
        for (int r = 0; r < 7; ++r) {
            QElapsedTimer t;
            t.start();
            for (const Job &j : jobs) {
                const QImage out = lanczos ? ResampleLanczos3(j.picture, j.size)
                                           : j.picture.scaled(j.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                if (out.size() != j.size)
                    std::abort();
            }
            v << t.nsecsElapsed() / 1e6;
        }
        return median(v);
    };
    print("thumb_pictures", thumbs.size());
    print("lanczos_thumbs_ms", time(thumbs, true));
    print("qt_thumbs_ms", time(thumbs, false));
    print("large_pictures", large.size());
    print("large_width", large.isEmpty() ? 0 : large[0].picture.width());
    print("lanczos_large_ms", time(large, true));
    print("qt_large_ms", time(large, false));
    fetcher.Stop();
    return 0;
}
