// orvix-cli downloading from the simulated photo site, as a user runs it: listings read in the
// browser engine, faults of the server, a run killed and resumed, a full disk, pictures saved
// before, and what the exit code and the messages say.

#include "e2e_support.h"

#include "test_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <csignal>
#include <sys/mount.h>

using namespace orvix;
using namespace orvix::test;
using orvix::photosite::ManifestPicture;
using orvix::photosite::parseFaultRule;

namespace {

QList<const ManifestPicture *> picturesOfSetPages(photosite::PhotoSiteServer &site, int lastPage)
{
    QList<const ManifestPicture *> pictures;
    const auto &truth = site.manifest();
    for (const auto &page : truth.listingPages) {
        const bool sampleSet = page.url == truth.sampleSetUrl || page.url.startsWith(truth.sampleSetUrl + QStringLiteral("page"));
        if (sampleSet && page.pageNo <= lastPage)
            for (const auto &entry : page.entries)
                pictures << truth.picture(entry.pictureId);
    }
    return pictures;
}

QList<const ManifestPicture *> publicPictures(photosite::PhotoSiteServer &site, int count)
{
    QList<const ManifestPicture *> pictures;
    for (const auto &p : site.manifest().pictures)
        if (!p.isPrivate && pictures.size() < count)
            pictures << &p;
    return pictures;
}

QStringList pageUrls(const QList<const ManifestPicture *> &pictures)
{
    QStringList urls;
    for (const ManifestPicture *p : pictures)
        urls << p->pageUrl;
    return urls;
}

class CliDownload : public CliSandbox
{
};

TEST_F(CliDownload, ListingOfThreePagesQueuedAsFiveSavesEachPictureOnce)
{
    startSite(smallSite());
    const CliResult r = runCli({QStringLiteral("get"), QStringLiteral("--pages=1-5"), site().manifest().sampleSetUrl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    const auto expected = picturesOfSetPages(site(), 3);
    ASSERT_GE(expected.size(), 11);
    expectSavedOnce(pictures(), expected);
    // Pages 4 and 5 show no pictures: they leave the queue as done, not as failures.
    EXPECT_FALSE(r.err.contains(QStringLiteral("No images found in page: "))) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("failed: ")));
    EXPECT_EQ(itemFiles(), QStringList());
    // Page 4 was read and found empty; page 5 left the queue with it, unread.
    int page4 = 0;
    int page5 = 0;
    for (const auto &request : site().requests()) {
        page4 += request.path.endsWith(QStringLiteral("/page4/"));
        page5 += request.path.endsWith(QStringLiteral("/page5/"));
    }
    EXPECT_GE(page4, 1);
    EXPECT_EQ(page5, 0);
}

TEST_F(CliDownload, ServerFaultsOnFilesAreRetriedUntilEveryFileIsWhole)
{
    startSite(smallSite());
    timing += QStringLiteral(",http=1"); // a stall of 3 seconds is a time-out
    const auto chosen = publicPictures(site(), 6);
    const QStringList faults{QStringLiteral("reset:2000x3"), QStringLiteral("short:500x2"), QStringLiteral("stall:3x1"),
                             QStringLiteral("nolength"), QStringLiteral("500x1")};
    for (int i = 0; i < faults.size(); ++i)
        site().addFault(parseFaultRule(QUrl(chosen[i]->largestFileUrl).path() + u'=' + faults[i]));

    const CliResult r = runCli({QStringLiteral("paste"), writeLines(QStringLiteral("urls.txt"), pageUrls(chosen))});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("6 items have been queued")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("connection reset: url: ")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("ie1.ContentSize <> ie1.ResultMs.Size")));
    // An error page is never taken for the picture.
    EXPECT_TRUE(r.err.contains(QStringLiteral(": HTTP 500")));
    expectSavedOnce(pictures(), chosen);
    EXPECT_EQ(itemFiles(), QStringList());
}

TEST_F(CliDownload, RunKilledMidwayIsResumedWithEveryPictureOnceAndWhole)
{
    photosite::ServerOptions options = smallSite();
    options.site.owners = 4;
    options.site.photosPerOwner = 30;
    startSite(options);
    // Each picture page is slow enough that the kill lands in the middle of the run.
    site().addFault(parseFaultRule(QStringLiteral("re:^/photos/[a-z]+/[0-9]+/$=delay:0.05")));
    const auto chosen = publicPictures(site(), 100);
    ASSERT_EQ(chosen.size(), 100);
    const QString list = writeLines(QStringLiteral("urls.txt"), pageUrls(chosen));

    std::unique_ptr<QProcess> run = startCli({QStringLiteral("paste"), list});
    ASSERT_TRUE(waitUntil([&] { return QDir(pictures()).entryList(QDir::Files).size() >= 30; }, 120000));
    ::kill(pid_t(run->processId()), SIGKILL);
    ASSERT_TRUE(run->waitForFinished(10000));
    const int savedBefore = int(QDir(pictures()).entryList(QDir::Files).size());
    ASSERT_LT(savedBefore, 100);

    const CliResult resumed = runCli({QStringLiteral("resume")});
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err.toStdString();
    EXPECT_TRUE(resumed.err.contains(QStringLiteral("Incomplete session found: orvixsession_1")));
    expectSavedOnce(pictures(), chosen);
    EXPECT_EQ(itemFiles(), QStringList());
}

TEST_F(CliDownload, NearlyFullDiskHoldsTheQueueWithOneMessage)
{
    QDir().mkpath(pictures());
    const QByteArray target = QFile::encodeName(pictures());
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=10m") != 0)
        GTEST_SKIP() << "mounting a 10 MiB tmpfs is not permitted here (" << std::strerror(errno)
                     << "); the full-disk run needs it";
    struct Unmount
    {
        QByteArray target;
        ~Unmount() { ::umount2(target.constData(), MNT_DETACH); }
    } unmount{target};

    startSite(smallSite());
    const auto chosen = publicPictures(site(), 3);
    std::unique_ptr<QProcess> run = startCli({QStringLiteral("paste"), writeLines(QStringLiteral("urls.txt"), pageUrls(chosen))});
    QString err;
    const QString message = QStringLiteral("There is not enough disk space on drive ") + pictures();
    ASSERT_TRUE(waitUntil([&] {
        err += QString::fromUtf8(run->readAllStandardError());
        return err.contains(message);
    }, 60000)) << err.toStdString();
    // Many disk checks later the queue still waits, and the message stands once.
    QThread::msleep(2000);
    ::kill(pid_t(run->processId()), SIGTERM);
    ASSERT_TRUE(run->waitForFinished(30000));
    err += QString::fromUtf8(run->readAllStandardError());

    EXPECT_EQ(run->exitCode(), 1);
    EXPECT_EQ(err.count(message), 1) << err.toStdString();
    EXPECT_EQ(filesBelow(pictures()), QStringList());
    // The pictures wait in the session for a resume.
    EXPECT_EQ(itemFiles().filter(QStringLiteral("q1/")).size(), 3) << itemFiles().join(u' ').toStdString();
}

TEST_F(CliDownload, PictureSavedBeforeIsNotQueuedAgainFromItsListing)
{
    startSite(smallSite());
    const auto firstPage = picturesOfSetPages(site(), 1);
    ASSERT_FALSE(firstPage.isEmpty());
    const ManifestPicture &known = *firstPage.first();
    ASSERT_EQ(runCli({QStringLiteral("get"), known.pageUrl}).exitCode, 0);

    const CliResult r = runCli({QStringLiteral("get"), site().manifest().sampleSetUrl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectSavedOnce(pictures(), firstPage);
    int requests = 0;
    for (const auto &request : site().requests())
        requests += request.path == QUrl(known.largestFileUrl).path();
    EXPECT_EQ(requests, 1);
}

TEST_F(CliDownload, FailuresAndSkipsEndWithExitOneAndStayForResume)
{
    startSite(smallSite());
    const QString missing = site().baseUrl() + QStringLiteral("/photos/nobody/1/");
    const ManifestPicture *hidden = nullptr;
    for (const auto &p : site().manifest().pictures)
        if (p.isPrivate)
            hidden = &p;
    ASSERT_NE(hidden, nullptr);

    const CliResult r = runCli({QStringLiteral("get"), missing, hidden->pageUrl});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("URL failed (M): ") + missing + QStringLiteral(", error=TIEHttp error: HTTP 404")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("failed: ") + missing));
    EXPECT_TRUE(r.err.contains(QStringLiteral("private picture skipped (approve it in the browser): ") + hidden->pageUrl));
    // The failed line stays for resume; the skipped one does not.
    EXPECT_EQ(itemFiles().size(), 1);

    // pending shows it, slot by slot, and changes nothing.
    const QStringList before = itemFiles();
    withOut = false;
    const CliResult pending = runCli({QStringLiteral("pending")});
    withOut = true;
    EXPECT_EQ(pending.exitCode, 0) << pending.err.toStdString();
    const QStringList listed = pending.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 1) << pending.out.toStdString();
    EXPECT_TRUE(listed[0].startsWith(QStringLiteral("orvixsession_1\tpage\t") + missing + u'|')) << listed[0].toStdString();
    EXPECT_EQ(itemFiles(), before);

    const CliResult discarded = runCli({QStringLiteral("discard")});
    EXPECT_EQ(discarded.exitCode, 0) << discarded.err.toStdString();
    EXPECT_EQ(itemFiles(), QStringList());
    const CliResult nothing = runCli({QStringLiteral("resume")});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_TRUE(nothing.err.contains(QStringLiteral("No incomplete session found.")));
}

TEST_F(CliDownload, TwoRunsOfOneListOnOneSettingsFolderSaveEachPictureOnce)
{
    startSite(smallSite());
    // Slow files keep both runs busy with the same pictures at the same time.
    site().addFault(parseFaultRule(QStringLiteral("*.jpg=delay:0.2")));
    site().addFault(parseFaultRule(QStringLiteral("*.png=delay:0.2")));
    const auto chosen = publicPictures(site(), 12);
    const QString list = writeLines(QStringLiteral("urls.txt"), pageUrls(chosen));

    std::unique_ptr<QProcess> first = startCli({QStringLiteral("paste"), list});
    std::unique_ptr<QProcess> second = startCli({QStringLiteral("paste"), list});
    for (QProcess *run : {first.get(), second.get()}) {
        ASSERT_TRUE(run->waitForFinished(180000));
        EXPECT_EQ(run->exitCode(), 0) << run->readAllStandardError().toStdString();
    }
    expectSavedOnce(pictures(), chosen);
    EXPECT_EQ(itemFiles(), QStringList());
}

TEST_F(CliDownload, InterruptStopsATricklingDownloadAtOnceAndKeepsItsLine)
{
    startSite(smallSite());
    const auto chosen = publicPictures(site(), 1);
    const QString path = QUrl(chosen[0]->largestFileUrl).path();
    site().addFault(parseFaultRule(path + QStringLiteral("=trickle:0.5x1")));

    std::unique_ptr<QProcess> run = startCli({QStringLiteral("get"), chosen[0]->pageUrl});
    ASSERT_TRUE(waitUntil([&] {
        for (const auto &request : site().requests())
            if (request.path == path)
                return true;
        return false;
    }, 60000));
    QThread::msleep(500);
    QElapsedTimer stopping;
    stopping.start();
    ::kill(pid_t(run->processId()), SIGINT);
    ASSERT_TRUE(run->waitForFinished(10000));
    EXPECT_LT(stopping.elapsed(), 3000);
    EXPECT_EQ(run->exitCode(), 1);
    EXPECT_TRUE(QDir(pictures()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_EQ(itemFiles().size(), 1);

    // The line left behind is the picture, and the next run saves it.
    const CliResult resumed = runCli({QStringLiteral("resume")});
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err.toStdString();
    expectSavedOnce(pictures(), chosen);
}

TEST_F(CliDownload, TricklingFileFailsBelowTheSpeedLimit)
{
    startSite(smallSite());
    timing += QStringLiteral(",lowspeed=2");
    const auto chosen = publicPictures(site(), 1);
    site().addFault(parseFaultRule(QUrl(chosen[0]->largestFileUrl).path() + QStringLiteral("=trickle:0.2x1")));
    const CliResult r = runCli({QStringLiteral("get"), chosen[0]->pageUrl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Wininet error # 12002 : (Timeout)"))) << r.err.toStdString();
    expectSavedOnce(pictures(), chosen);
}

TEST_F(CliDownload, BadArgumentsExitTwoWithAReason)
{
    startSite(smallSite());
    const struct
    {
        QStringList args;
        const char *reason;
    } cases[] = {
        {{QStringLiteral("get"), QStringLiteral("--size=7"), QStringLiteral("http://x/")}, "--size is 0"},
        {{QStringLiteral("get")}, "usage: orvix-cli get"},
        {{QStringLiteral("get"), QStringLiteral("--pages=5-2"), QStringLiteral("http://x/")}, "--pages is"},
        {{QStringLiteral("get"), QStringLiteral("photos/x/1/")}, "not a web address"},
        {{QStringLiteral("get"), QStringLiteral("--subfolder=a/b"), QStringLiteral("http://x/")}, "--subfolder may hold"},
        {{QStringLiteral("paste"), file(QStringLiteral("missing.txt"))}, "cannot read"},
        {{QStringLiteral("paste"), QStringLiteral("--tags=x"), QStringLiteral("-")}, "unknown option --tags=x"},
        {{QStringLiteral("resume"), QStringLiteral("--retries=0")}, "--retries needs"},
    };
    for (const auto &c : cases) {
        const CliResult r = runCli(c.args, 30000);
        EXPECT_EQ(r.exitCode, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.reason))) << r.err.toStdString();
    }
    EXPECT_FALSE(QDir(settings()).exists(QStringLiteral("orvix_sessions")));
}

} // namespace
