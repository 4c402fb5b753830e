// The media worker against the simulated photo site: names, bytes on disk, faults of the
// server, a full disk, cancel and the remove command.

#include "engine/media_worker.h"
#include "engine/picture_file.h"
#include "foundation/dialogs.h"
#include "foundation/thread_string_list.h"
#include "foundation/run_control.h"
#include "queue/queue_line.h"
#include "local_servers.h"
#include "worker_test_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>

using namespace orvix;
using namespace orvix::test;

namespace {

class MediaWorkerTest : public WorkerSandbox
{
protected:
    void SetUp() override
    {
        WorkerSandbox::SetUp();
        startSite();
    }

    void runWorker(MediaWorkerOptions options = {})
    {
        stop();
        if (options.timing.pollMs == WorkerTiming().pollMs)
            options.timing = fastTiming();
        worker = std::make_unique<TThreadDownloadMediaItems>(*queues, host, options);
        run(*worker);
    }
    QString queuePicture(const photosite::ManifestPicture &p)
    {
        return queueMediaLine(p.largestFileUrl, baseOf(p), p.pageUrl);
    }
    static QString baseOf(const photosite::ManifestPicture &p) { return p.idX + u' ' + p.imageName; }
    void addFault(const photosite::ManifestPicture &p, const QString &kind)
    {
        site().addFault(photosite::parseFaultRule(QUrl(p.largestFileUrl).path() + u'=' + kind));
    }
    static QString sha256(const QString &file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
    }
    // Every file in the pictures folder, hidden ones included.
    QStringList everyFile() const { return QDir(pictures()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    bool mediaQueueDone() { return queues->MediaQueue.Count() == 0; }

    std::unique_ptr<TThreadDownloadMediaItems> worker;
};

TEST_F(MediaWorkerTest, SavesEachLineUnderItsOwnNameWithTheServersBytes)
{
    const auto &p = publicPicture();
    queuePicture(p);
    queuePicture(p);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone() && host.finishedReports() > 0; }));
    stop();

    const QString ext = p.largestFileUrl.endsWith(QStringLiteral(".png")) ? QStringLiteral(".png") : QStringLiteral(".jpg");
    const QStringList names{baseOf(p) + ext, baseOf(p) + QStringLiteral("_00001") + ext};
    EXPECT_EQ(everyFile(), names);
    for (const QString &name : names)
        EXPECT_EQ(sha256(pictures() + name), p.largestSha256) << name.toStdString();
    EXPECT_EQ(host.published(), (QStringList{pictures() + names[0], pictures() + names[1]}));
    EXPECT_EQ(host.statusOf(p.largestFileUrl), QStringLiteral("done"));
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList());
    EXPECT_EQ(host.finishedReports(), 1);
}

TEST_F(MediaWorkerTest, PictureFoundSavedIsNotFetchedAndCountsAsSaved)
{
    const auto &p = publicPicture();
    QDir().mkpath(pictures());
    const QString existing = pictures() + baseOf(p) + QStringLiteral(".jpg");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    queuePicture(p);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();

    EXPECT_EQ(everyFile(), QStringList{baseOf(p) + QStringLiteral(".jpg")});
    EXPECT_EQ(host.published(), QStringList());
    EXPECT_EQ(host.statusOf(p.largestFileUrl), QStringLiteral("done"));
    EXPECT_EQ(records.found(), QStringList{p.idX + u'|' + p.pageUrl + u'|' + existing});
}

TEST(PictureFileNames, ExtensionFollowsTheAddress)
{
    const struct
    {
        const char *url;
        const char *ext;
    } cases[] = {
        {"http://h/1/2_a_o.png", ".png"},
        {"http://h/jpg/2_a_o.png", ".jpg"},
        {"http://h/1/2_a_o.jpeg", ".jpg"},
        {"http://h/1/2_a_o.gif", ".jpg"},
        {"http://h/png/2_a_o", ".png"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(PictureExtension(QString::fromLatin1(c.url)), QString::fromLatin1(c.ext)) << c.url;
}

TEST(PictureFileNames, LongNamesAreCutWithoutLosingExtensionOrCounter)
{
    const QString folder = QStringLiteral("/pictures/sub/");
    const QString longStem = QStringLiteral("123_abc ") + QString(292, u'x'); // 314 characters in all
    const PictureNamer plain(folder, longStem, QStringLiteral(".jpg"));
    EXPECT_TRUE(plain.isTrimmed());
    EXPECT_EQ(plain.candidate(0).size(), kMaxFullNameLength);
    EXPECT_TRUE(plain.candidate(0).startsWith(folder + QStringLiteral("123_abc xxx")));
    EXPECT_TRUE(plain.candidate(0).endsWith(QStringLiteral("x.jpg")));
    EXPECT_EQ(plain.candidate(3).size(), kMaxFullNameLength);
    EXPECT_TRUE(plain.candidate(3).endsWith(QStringLiteral("x_00003.jpg")));

    // A size suffix stays in front of the extension.
    const PictureNamer sized(folder, longStem + QStringLiteral("_o"), QStringLiteral(".png"));
    EXPECT_EQ(sized.candidate(0).size(), kMaxFullNameLength);
    EXPECT_TRUE(sized.candidate(0).endsWith(QStringLiteral("x_o.png")));

    // Letters of two bytes: short enough in characters, too long in bytes for one name.
    const PictureNamer wide(folder, QStringLiteral("123_abc ") + QString(200, QChar(0xE9)), QStringLiteral(".jpg"));
    EXPECT_FALSE(wide.isTrimmed());
    const QString name = wide.candidate(0).mid(folder.size());
    EXPECT_LE(name.toUtf8().size(), kMaxNameBytes);
    EXPECT_GT(name.toUtf8().size(), kMaxNameBytes - 2);
    EXPECT_TRUE(name.endsWith(QStringLiteral(".jpg")));
    EXPECT_TRUE(wide.candidate(7).endsWith(QStringLiteral("_00007.jpg")));
    EXPECT_LE(wide.candidate(7).mid(folder.size()).toUtf8().size(), kMaxNameBytes);

    const PictureNamer shortName(folder, QStringLiteral("123_abc Lake"), QStringLiteral(".jpg"));
    EXPECT_EQ(shortName.candidate(0), folder + QStringLiteral("123_abc Lake.jpg"));
    EXPECT_EQ(shortName.candidate(1), folder + QStringLiteral("123_abc Lake_00001.jpg"));
}

TEST_F(MediaWorkerTest, LongNameIsTrimmedAndSaved)
{
    const auto &p = publicPicture();
    queueMediaLine(p.largestFileUrl, p.idX + u' ' + QString(300, u'y'), p.pageUrl);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    ASSERT_EQ(host.published().size(), 1);
    EXPECT_EQ(host.published()[0].size(), kMaxFullNameLength);
    EXPECT_EQ(sha256(host.published()[0]), p.largestSha256);
    bool reported = false;
    for (const QString &m : takeMessages())
        reported |= m.startsWith(QStringLiteral("msg: trimming long filename: "));
    EXPECT_TRUE(reported);
}

TEST_F(MediaWorkerTest, ServerFaultsAreRetriedAndNeverLeaveAPartialFile)
{
    const struct
    {
        const char *fault;
        bool failsFirst; // the first pass fails, the second saves
        int timeoutSeconds;
    } cases[] = {
        {"short:100x1", true, 5},     // fewer bytes than announced
        {"reset:1000x2", false, 5},   // the next attempts of the same pass succeed
        {"stall:3x1", true, 1},       // silent longer than the time-out
        {"nolength", false, 5},       // no length announced: the body is taken as it came
        {"500x1", true, 5},           // an error page is not the picture
        {"garbagex1", true, 5},       // nor is markup or junk answered with success
        {"bomb:100Mx1", true, 5},     // a small body inflating past any picture
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        const auto &p = publicPicture(n++);
        addFault(p, QString::fromLatin1(c.fault));
        queuePicture(p);
        host.onWorking = nullptr;
        MediaWorkerOptions options;
        options.timing = fastTiming();
        options.timing.httpTimeoutSeconds = c.timeoutSeconds;
        // A failed pass leaves no file behind, not even a hidden one.
        const QStringList before = everyFile();
        std::atomic<int> passes{0};
        std::atomic<bool> cleanAfterFailure{true};
        host.onWorking = [&](const QString &) {
            if (passes++ > 0)
                cleanAfterFailure = cleanAfterFailure && everyFile() == before;
        };
        runWorker(options);
        ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
        stop();
        EXPECT_EQ(passes > 1, c.failsFirst);
        EXPECT_TRUE(cleanAfterFailure);
        EXPECT_EQ(everyFile().filter(p.idX).size(), 1);
        EXPECT_EQ(sha256(host.published().last()), p.largestSha256);
        if (QByteArray(c.fault).startsWith("short")) {
            EXPECT_TRUE(takeMessages().contains(QStringLiteral("ie1.ContentSize <> ie1.ResultMs.Size")));
        }
        site().clearFaults();
    }
    EXPECT_EQ(everyFile().size(), int(std::size(cases)));
}

TEST_F(MediaWorkerTest, PictureStreamsToAHiddenFileAndGetsItsNameOnlyWhenWhole)
{
    const auto &p = publicPicture();
    addFault(p, QStringLiteral("stall:2x1"));
    queuePicture(p);
    runWorker();
    // Half the body has arrived and waits on disk, under a hidden name.
    qint64 partial = 0;
    ASSERT_TRUE(waitFor([&] {
        for (const QString &name : everyFile())
            if (name.endsWith(QStringLiteral(".part")))
                partial = QFileInfo(pictures() + name).size();
        return partial > 0;
    }));
    EXPECT_LT(partial, p.largestBytes);
    EXPECT_TRUE(QDir(pictures()).entryList(QDir::Files).isEmpty());
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    ASSERT_EQ(host.published().size(), 1);
    EXPECT_EQ(sha256(host.published()[0]), p.largestSha256);
    EXPECT_EQ(everyFile().size(), 1);
}

TEST_F(MediaWorkerTest, NearlyFullDiskHoldsTheQueueUntilSpaceIsUnknownOrFree)
{
    const auto &p = publicPicture();
    queuePicture(p);
    host.outputFolder = pictures();
    std::atomic<qint64> freeBytes{10 * 1024 * 1024};
    MediaWorkerOptions options;
    options.timing = fastTiming();
    options.freeSpace = [&](const QString &folder) { return folder == pictures() ? freeBytes.load() : qint64(0); };
    runWorker(options);
    ASSERT_TRUE(waitFor([&] { return host.diskReports() >= 3; }));
    EXPECT_EQ(queues->MediaQueue.Count(), 1);
    EXPECT_EQ(host.statusOf(p.largestFileUrl), QString());

    freeBytes = -1; // a volume whose free space cannot be found out does not stop the queue
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    EXPECT_EQ(everyFile().size(), 1);
}

TEST_F(MediaWorkerTest, CancelStopsTheRunningDownloadAndEmptiesTheQueue)
{
    const auto &slow = publicPicture(0);
    const auto &next = publicPicture(1);
    site().addFault(photosite::parseFaultRule(QUrl(slow.largestFileUrl).path() + QStringLiteral("=stall:30")));
    queuePicture(slow);
    queuePicture(next);
    runWorker();
    // The first progress of the stalled download: the user presses cancel.
    ASSERT_TRUE(waitFor([&] {
        for (const QString &text : host.downloadingTexts())
            if (text.contains(QRegularExpression(QStringLiteral("^Downloading: [\\d,]+KB of [\\d,]+KB \\(\\d+%\\) \\(2 images left\\)$"))))
                return true;
        return false;
    }));
    runControl().CancelMediaQueue = true;
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone() && !runControl().CancelMediaQueue; }));
    stop();

    // The hosts get the progress as numbers: part of the announced size, never more.
    bool partial = false;
    for (const DownloadProgress &progress : host.progressReports())
        if (progress.downloading()) {
            EXPECT_EQ(progress.total, slow.largestBytes);
            EXPECT_LE(progress.bytesRead, progress.total);
            partial = partial || (progress.bytesRead > 0 && progress.bytesRead < progress.total);
        }
    EXPECT_TRUE(partial);
    EXPECT_EQ(host.statusOf(slow.largestFileUrl), QStringLiteral("canceled"));
    EXPECT_EQ(host.statusOf(next.largestFileUrl), QString());
    EXPECT_EQ(everyFile(), QStringList());
}

TEST_F(MediaWorkerTest, MalformedLineFailsAndKeepsItsItemFile)
{
    const auto &p = publicPicture();
    const QString bad = QStringLiteral("http://h/1/2_a_o.jpg|2_a title||") + p.pageUrl + QStringLiteral("-bad");
    queues->itemFiles().WriteItemFile(QueueKind::Media, kMediaItemSuffix, bad);
    queues->MediaQueue.Add(bad);
    queuePicture(p);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    EXPECT_TRUE(takeMessages().contains(QStringLiteral("malformed line (not processed): ") + bad));
    EXPECT_EQ(host.statusOf(QStringLiteral("http://h/1/2_a_o.jpg")), QStringLiteral("failed"));
    // Its file stays for the user to see (resume names it, discard removes it).
    EXPECT_EQ(itemFiles(QueueKind::Media).size(), 1);
    EXPECT_EQ(everyFile().size(), 1);

    // A folder that climbs out with ".." is malformed too: nothing is saved there.
    const QString climbing = QStringLiteral("http://h/1/3_a_o.jpg|3_a title||") + p.pageUrl
                             + QStringLiteral("x/|") + pictures() + QStringLiteral("../escaped");
    queues->MediaQueue.Add(climbing);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    EXPECT_TRUE(takeMessages().contains(QStringLiteral("malformed line (not processed): ") + climbing));
    EXPECT_FALSE(QFileInfo::exists(pictures() + QStringLiteral("../escaped")));
}

TEST_F(MediaWorkerTest, LineRemovedDuringItsDownloadIsNotReplacedByTheNext)
{
    const auto &first = publicPicture(0);
    const auto &second = publicPicture(1);
    const QString firstLine = queuePicture(first);
    queuePicture(second);
    host.onWorking = [&](const QString &caption) {
        if (caption == first.largestFileUrl) {
            queues->MediaQueue.DeleteFirstExact(firstLine);
            queues->DeleteQueueItemFile(QueueKind::Media, first.largestFileUrl);
        }
    };
    runWorker();
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    EXPECT_EQ(host.statusOf(second.largestFileUrl), QStringLiteral("done"));
    EXPECT_EQ(everyFile().filter(second.idX).size(), 1);
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList());
}

TEST_F(MediaWorkerTest, BoundedRetriesLeaveTheLineForResume)
{
    const QString url = QStringLiteral("http://127.0.0.1:%1/9/1_a_o.jpg").arg(UnusedPort());
    const QString line = queueMediaLine(url, QStringLiteral("1_a gone"), QStringLiteral("http://h/photos/x/1/"));
    MediaWorkerOptions options;
    options.maxFailedPasses = 2;
    runWorker(options);
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    EXPECT_EQ(host.statusOf(url), QStringLiteral("failed"));
    EXPECT_EQ(host.statusEvents().filter(url + QStringLiteral(" = failed")).size(), 2);
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList{line});
    EXPECT_EQ(everyFile(), QStringList());
}

TEST_F(MediaWorkerTest, FailedLineWaitsBehindTheOthersUntilItsLastPass)
{
    const QString bad = QStringLiteral("http://127.0.0.1:%1/9/1_a_o.jpg").arg(UnusedPort());
    const QString badLine = queueMediaLine(bad, QStringLiteral("1_a gone"), QStringLiteral("http://h/photos/x/1/"));
    const auto &first = publicPicture(0);
    const auto &second = publicPicture(1);
    queuePicture(first);
    queuePicture(second);
    MediaWorkerOptions options;
    options.maxFailedPasses = 3;
    runWorker(options);
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    // Its first failure sends it behind both good pictures; they do not wait for its retries.
    const QStringList order = host.statusEvents();
    const auto at = [&](const QString &event, int from = 0) { return order.indexOf(event, from); };
    const int firstFailure = at(bad + QStringLiteral(" = failed"));
    ASSERT_GE(firstFailure, 0);
    EXPECT_GT(at(first.largestFileUrl + QStringLiteral(" = done")), firstFailure);
    EXPECT_LT(at(second.largestFileUrl + QStringLiteral(" = done")), at(bad + QStringLiteral(" = failed"), firstFailure + 1));
    EXPECT_EQ(order.filter(bad + QStringLiteral(" = failed")).size(), 3);
    EXPECT_EQ(order.filter(QStringLiteral(" = done")).size(), 2);
    // Only the failed line keeps its item file, for resume and "Requeue failed".
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList{badLine});
}

TEST_F(MediaWorkerTest, FakeDownloadCopiesTheSamplePicture)
{
    const auto &p = publicPicture();
    const QString sample = m_settings.filePath(QStringLiteral("sample.jpg"));
    ScriptedDialogs dialogs;
    const ScopedDialogs scoped(dialogs);
    queuePicture(p);
    MediaWorkerOptions options;
    options.fakeDownloadSample = sample;
    options.maxFailedPasses = 1;
    runWorker(options);
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    EXPECT_EQ(everyFile(), QStringList()); // no sample yet: the attempt fails
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: The sample picture for fake_download is missing: ") + sample});

    QFile f(sample);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not really a picture");
    f.close();
    queuePicture(p);
    runWorker(options);
    ASSERT_TRUE(waitFor([&] { return mediaQueueDone(); }));
    stop();
    ASSERT_EQ(host.published().size(), 1);
    EXPECT_EQ(sha256(host.published()[0]), sha256(sample));
    EXPECT_TRUE(site().requests().isEmpty());
}

} // namespace
