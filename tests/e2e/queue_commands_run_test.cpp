// The queue commands while both workers run against the simulated site: a picture that never
// comes, and remove and cancel fired at busy queues.

#include "program_run.h"

#include "app/queue_commands.h"
#include "foundation/dialogs.h"
#include "foundation/run_control.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "queue/queue_state.h"
#include "test_support.h"

#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvix;
using orvix::test::ProgramRun;

namespace {

constexpr int kWaitMs = 120000;

QStringList queuedLines(QueueState &queues)
{
    QStringList lines;
    for (TThreadStringList *queue : {&queues.MediaQueue, &queues.PageQueue}) {
        TThreadStringList::Locker lock(*queue);
        lines << lock.list();
    }
    lines.sort();
    return lines;
}

class QueueCommandsRun : public ::testing::Test
{
protected:
    void startSite(int owners, int photosPerOwner)
    {
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        photosite::ServerOptions o;
        o.site.owners = owners;
        o.site.photosPerOwner = photosPerOwner;
        o.site.largestFileBytes = 4 * 1024;
        m_site = std::make_unique<photosite::PhotoSiteServer>(o);
        m_site->start();
        SetSiteHost(m_site->host());
    }
    void TearDown() override
    {
        SetSiteHost(QString());
        if (m_site)
            qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
    }
    QList<photosite::ManifestPicture> publicPictures() const
    {
        QList<photosite::ManifestPicture> list;
        for (const auto &p : m_site->manifest().pictures)
            if (!p.isPrivate)
                list << p;
        return list;
    }
    // GET requests per path.
    QHash<QString, int> requestCounts() const
    {
        QHash<QString, int> counts;
        for (const auto &r : m_site->requests())
            ++counts[r.path];
        return counts;
    }
    static QString pathOf(const QString &url) { return QUrl(url).path(); }

    QTemporaryDir m_runtime, m_folder;
    std::unique_ptr<photosite::PhotoSiteServer> m_site;
    QByteArray m_savedRuntime;
    ScriptedDialogs m_dialogs;
};

TEST_F(QueueCommandsRun, PictureThatAlwaysFailsLeavesAfterThreePassesAndRequeueTriesItOnceMore)
{
    startSite(1, 30);
    const auto pictures = publicPictures();
    ASSERT_GE(pictures.size(), 21);
    const auto &bad = pictures[3];
    photosite::FaultRule notFound;
    notFound.pattern = pathOf(bad.largestFileUrl);
    notFound.kind = photosite::FaultKind::Status;
    notFound.arg = QStringLiteral("404");
    m_site->addFault(notFound);

    const ScopedDialogs dialogs(m_dialogs);
    ProgramRun run(m_folder.path());
    ASSERT_EQ(run.context.run().CancelMediaQueue.load(), false);
    run.context.StartPageWorker();
    run.context.StartMediaWorker();
    for (int i = 0; i < 21; ++i)
        run.queuePicture(pictures[i]);
    ASSERT_TRUE(test::waitUntil([&] { return run.idle() && run.saved().size() == 20; }, kWaitMs));

    // The 20 are saved, each once; the bad one was asked for in 3 passes and left.
    EXPECT_EQ(run.saved().filter(bad.idX), QStringList());
    for (int i = 0; i < 21; ++i) {
        if (i != 3)
            EXPECT_EQ(run.saved().filter(pictures[i].idX).size(), 1) << pictures[i].idX.toStdString();
    }
    EXPECT_EQ(requestCounts().value(pathOf(bad.largestFileUrl)), 3);
    TQueueRows &rows = run.context.queueRows();
    EXPECT_EQ(rows.captionsWithStatus(RowStatus::Failed).filter(bad.idX).size(), 1);
    // Its item file stays for resume; nothing else is left.
    ASSERT_EQ(run.itemLines().size(), 1);
    EXPECT_TRUE(run.itemLines().constFirst().contains(bad.pageUrl));

    // Requeue takes it up once: three more passes, one file still, one failed row.
    EXPECT_EQ(run.context.queueCommands().RequeueFailed(), 1);
    EXPECT_EQ(run.context.queueCommands().RequeueFailed(), 0); // still queued: not twice
    ASSERT_TRUE(test::waitUntil([&] { return run.idle() && requestCounts().value(pathOf(bad.largestFileUrl)) == 6; },
                                kWaitMs));
    QThread::msleep(100);
    EXPECT_EQ(requestCounts().value(pathOf(bad.largestFileUrl)), 6);
    EXPECT_EQ(rows.captionsWithStatus(RowStatus::Failed).filter(bad.idX).size(), 1);
    EXPECT_EQ(rows.captionsWithStatus(RowStatus::Requeued).filter(bad.idX).size(), 1);
    EXPECT_EQ(run.itemLines().size(), 1);
    EXPECT_EQ(run.saved().size(), 20);
}

TEST_F(QueueCommandsRun, RemoveAndCancelFiredWhileBothWorkersRunKeepLinesAndItemFilesInStep)
{
    startSite(4, 50);
    const auto pictures = publicPictures();
    ASSERT_GE(pictures.size(), 150);
    // Each picture file takes a moment, so the commands meet lines under way.
    photosite::FaultRule slow;
    slow.pattern = QStringLiteral("re:_o\\.(jpg|png)$");
    slow.kind = photosite::FaultKind::Delay;
    slow.arg = QStringLiteral("0.01");
    m_site->addFault(slow);

    const ScopedDialogs dialogs(m_dialogs);
    ProgramRun run(m_folder.path());
    TQueueCommands &commands = run.context.queueCommands();
    run.context.StartPageWorker();
    run.context.StartMediaWorker();
    int next = 0;
    const auto queueBatch = [&](int n) {
        for (int i = 0; i < n && next < pictures.size(); ++i)
            run.queuePicture(pictures[next++]);
    };
    queueBatch(100);
    QRandomGenerator random(7);
    for (int round = 0; round < 40; ++round) {
        if (round % 10 == 9) {
            commands.CancelQueues();
            ASSERT_TRUE(test::waitUntil([&] { return !run.context.run().Canceling(); }, kWaitMs));
            queueBatch(25);
        } else {
            // A picture's id is in its page line and, through the page address, in its media line.
            commands.RemoveByText(pictures[random.bounded(next)].id);
        }
        QThread::msleep(20);
    }

    // Held still: every queued line has exactly one item file and every item file a line.
    run.context.run().QueuePaused = true;
    QStringList before;
    ASSERT_TRUE(test::waitUntil(
        [&] {
            const QStringList now = queuedLines(run.context.queues());
            const bool still = now == before && run.context.queues().QueueTemp.Count() == 0;
            before = now;
            QThread::msleep(300);
            return still;
        },
        kWaitMs));
    EXPECT_EQ(run.itemLines(), queuedLines(run.context.queues()));
    EXPECT_FALSE(before.isEmpty()); // the check saw queued lines

    run.context.run().QueuePaused = false;
    ASSERT_TRUE(test::waitUntil([&] { return run.idle(); }, kWaitMs));
    run.context.StopWorkers();
    EXPECT_EQ(run.itemFiles(), QStringList());
    // No line was processed twice: each page and picture file asked for at most once, saved once.
    const QHash<QString, int> counts = requestCounts();
    for (int i = 0; i < next; ++i) {
        EXPECT_LE(counts.value(pathOf(pictures[i].pageUrl)), 1) << pictures[i].pageUrl.toStdString();
        EXPECT_LE(counts.value(pathOf(pictures[i].largestFileUrl)), 1) << pictures[i].largestFileUrl.toStdString();
        EXPECT_LE(run.saved().filter(pictures[i].idX).size(), 1) << pictures[i].idX.toStdString();
    }
    EXPECT_TRUE(m_dialogs.shown().filter(QStringLiteral("error")).isEmpty());
}

} // namespace
