// The parts the workers' hosts are made of: the queue rows, the bridge to the main thread and
// the host without a window.

#include "app/headless_host.h"
#include "foundation/run_control.h"
#include "foundation/main_thread_call.h"
#include "app/queue_rows.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "queue/picture_records.h"
#include "queue/queue_state.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

using namespace orvix;

namespace {

QStringList drained()
{
    QStringList messages;
    DrainLogMessages([&](const QString &m) { messages << m; });
    return messages;
}

QStringList captions(const TQueueRows &rows)
{
    QStringList list;
    for (const TQueueRow &row : rows.rows())
        list << row.caption + u'=' + RowStatusText(row.status);
    return list;
}

TEST(QueueRows, NewestFirstCompletedRowsMakeRoomAndDoneCleansUp)
{
    drained();
    RunControl run(QStringLiteral("/unused/"));
    run.debugMode = true; // "done" rows stay, as in debug mode
    TQueueRows rows(run);
    for (int i = 0; i < TQueueRows::kMaxRows; ++i)
        rows.AddToListViewQueue(QString::number(i), QStringLiteral("line"));
    rows.AddToListViewQueue(QStringLiteral("extra"), QStringLiteral("line"));
    EXPECT_EQ(rows.rows().size(), TQueueRows::kMaxRows + 1); // nothing completed: all kept
    EXPECT_EQ(rows.rows().first().caption, QStringLiteral("extra"));

    for (const char *caption : {"0", "1", "2"})
        rows.SetListViewQueueStatus(QLatin1String(caption), RowStatus::Done);
    rows.AddToListViewQueue(QStringLiteral("newest"), QStringLiteral("line"));
    // Completed rows go from the bottom up, only as many as needed.
    EXPECT_EQ(rows.rows().size(), TQueueRows::kMaxRows);
    EXPECT_EQ(captions(rows).mid(TQueueRows::kMaxRows - 2), (QStringList{QStringLiteral("3="), QStringLiteral("2=done")}));

    run.debugMode = false;
    rows.SetListViewQueueStatus(QStringLiteral("5"), RowStatus::Failed);
    rows.SetListViewQueueStatus(QStringLiteral("7"), RowStatus::Done);
    EXPECT_TRUE(rows.captionsWithStatus(RowStatus::Done).isEmpty());
    EXPECT_EQ(rows.captionsWithStatus(RowStatus::Failed), QStringList{QStringLiteral("5")});

    rows.SetListViewQueueStatus(QStringLiteral("gone"), RowStatus::Done);
    EXPECT_EQ(drained(), QStringList{QStringLiteral("Item not found in queue: gone")});
}

TEST(MainThreadBridge, RunsOnTheMainThreadAndGivesUpWhenDetached)
{
    TMainThreadBridge bridge;
    std::thread::id ranOn;
    std::atomic<bool> rethrown{false};
    std::thread worker([&] {
        bridge.call([&] { ranOn = std::this_thread::get_id(); });
        try {
            bridge.call([] { throw std::runtime_error("in the window"); });
        } catch (const std::runtime_error &) {
            rethrown = true;
        }
    });
    ASSERT_TRUE(test::waitUntil([&] { return rethrown.load(); }, 10000));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // The main thread waits for the worker without running events: the call must let go.
    std::atomic<bool> ran{false};
    std::atomic<bool> answered{true};
    std::thread waiting([&] { answered = bridge.call([&] { ran = true; }); });
    QThread::msleep(100);
    bridge.detach();
    waiting.join();
    EXPECT_FALSE(answered.load());
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran.load());
}

struct NoRecords : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &) override { return false; }
    void RecordQueuedPicture(const TImageData &) override {}
    void RecordFoundPicture(const TImageData &, const QString &) override {}
};

TEST(HeadlessHost, FullDiskIsReportedOnceUntilAnotherMessage)
{
    QTemporaryDir dir;
    SetSettingsFolder(dir.path());
    drained();
    const QString sessions = dir.filePath(QStringLiteral("orvix_sessions")) + u'/';
    QDir().mkpath(sessions + QStringLiteral("q1"));
    QDir().mkpath(sessions + QStringLiteral("q2"));
    RunControl run(dir.path());
    TQueueRows rows(run);
    NoRecords records;
    QueueState queues(run, {QStringLiteral("orvixsession_1"), sessions + QStringLiteral("q1/"), sessions + QStringLiteral("q2/")},
                      rows, records);
    PictureDatabase db(dir.path() + u'/');
    TMainThreadBridge bridge;
    THeadlessHost host(queues, rows, db, bridge);
    host.setFolders(dir.path(), QString());

    const QString message = QStringLiteral("There is not enough disk space on drive ") + DriveRoot(dir.path());
    host.NotEnoughDiskSpace();
    host.NotEnoughDiskSpace(); // still waiting to be shown
    QStringList shown;
    host.DrainMessages([&](const QString &m) { shown << m; });
    host.NotEnoughDiskSpace(); // shown and still the newest
    EXPECT_EQ(shown, QStringList{message});
    EXPECT_TRUE(drained().isEmpty());

    LogMessage(QStringLiteral("something else"));
    host.DrainMessages([](const QString &) {});
    host.NotEnoughDiskSpace();
    EXPECT_EQ(drained(), QStringList{message});
    SetSettingsFolder(QString());
}

} // namespace
