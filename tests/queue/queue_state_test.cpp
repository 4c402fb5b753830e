#include "queue_fixture.h"

#include "foundation/errors.h"
#include "queue/queue_line.h"
#include "library/picture_db.h"
#include "queue/queue_state.h"

#include <atomic>
#include <memory>
#include <thread>

using namespace orvix;
using namespace orvix::test;

namespace {

const QString kSuffix = QStringLiteral("|id:1|2|cats|/pics/sub");

class QueueStateTest : public QueueSandbox
{
protected:
    void SetUp() override
    {
        QueueSandbox::SetUp();
        queues = std::make_unique<QueueState>(runControl(), folders(), view, pictures);
    }
    SessionFolders folders(const QString &name = QStringLiteral("orvixsession_1")) const
    {
        return {name, q1(), q2()};
    }
    QString site(const QString &path) const { return SiteRoot() + path; }

    RecordingView view;
    RecordingView workerView;
    FakePictures pictures;
    std::unique_ptr<QueueState> queues;
};

} // namespace

TEST_F(QueueStateTest, AddToQ2InsertsRightBehindTheLineBeingWorkedOn)
{
    queues->PageQueue.AddStrings({QStringLiteral("T"), QStringLiteral("X")});
    pictures.onDisk.insert(site("/photos/u/2/")); // already saved: skipped, no gap left
    queues->AddToQ2({site("/photos/u/1/") + "|thumb1|one", site("/photos/u/2/") + "|thumb2|two",
                     QStringLiteral("/photos/u/3/|thumb3|three"), site("/photos/u/4/") + "|thumb4|"},
                    kSuffix);

    const QString a = site("/photos/u/1/") + kSuffix;
    const QString c = site("/photos/u/3/") + kSuffix; // made absolute
    const QString d = site("/photos/u/4/") + kSuffix;
    EXPECT_EQ(lines(queues->PageQueue), QStringList({"T", a, c, d, "X"}));
    EXPECT_EQ(view.rows, QStringList({"Q2: " + site("/photos/u/1/") + " => " + a,
                                      "Q2: " + site("/photos/u/3/") + " => " + c,
                                      "Q2: " + site("/photos/u/4/") + " => " + d}));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_1_q2.txt", "orvixsession_1_q2_00001.txt",
                                          "orvixsession_1_q2_00002.txt"}));
    EXPECT_EQ(readBytes(q2() + "orvixsession_1_q2_00001.txt"), itemBytes(c));
}

TEST_F(QueueStateTest, AddToQ2StopsAtAnEntryWithoutThreeFieldsAndRefusesABadSuffix)
{
    queues->AddToQ2({site("/photos/u/1/") + "|t|a", site("/photos/u/2/") + "|t", site("/photos/u/3/") + "|t|c"},
                    kSuffix);
    EXPECT_EQ(lines(queues->PageQueue), QStringList({site("/photos/u/1/") + kSuffix}));
    EXPECT_EQ(logged(), QStringList({"ar.Length() < 3: " + site("/photos/u/2/") + "|t"}));

    queues->AddToQ2({site("/photos/u/9/") + "|t|a"}, QStringLiteral("|id:1|2|/pics/"));
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Length(synch_queueLine) <> 5: |id:1|2|/pics/"}));
    EXPECT_EQ(queues->PageQueue.Count(), 1);
}

// The remove command may have taken the listing's own line away while the worker waited.
TEST_F(QueueStateTest, AddToQ2IntoAnEmptiedQueueAppends)
{
    queues->AddToQ2({site("/photos/u/1/") + "|t|a", site("/photos/u/2/") + "|t|b"}, kSuffix);
    EXPECT_EQ(lines(queues->PageQueue),
              QStringList({site("/photos/u/1/") + kSuffix, site("/photos/u/2/") + kSuffix}));
}

TEST_F(QueueStateTest, QueuePictureQueuesLogsWritesAndRecords)
{
    ASSERT_TRUE(queues->QueuePicture(QStringLiteral("http://img/1.jpg"), QStringLiteral("123"),
                                     QStringLiteral("abc"), QStringLiteral("a|b"), QString(),
                                     QStringLiteral("http://h/photos/u/123/"), QStringLiteral("/pics/sub"),
                                     QStringLiteral("my_tag"), workerView));
    const QString line = QStringLiteral("http://img/1.jpg|123_abc a_b [tags] my tag||http://h/photos/u/123/|/pics/sub");
    EXPECT_EQ(lines(queues->MediaQueue), QStringList({line}));
    EXPECT_EQ(workerView.rows, QStringList({"http://img/1.jpg => " + line}));
    EXPECT_TRUE(view.rows.isEmpty()); // the worker's own synchronised view, not the window's
    EXPECT_EQ(pictures.records, QStringList({"123_abc|http://h/photos/u/123/"}));
    EXPECT_EQ(readBytes(q1() + "orvixsession_1_1.txt"), itemBytes(line));
    const QByteArray log = readBytes(settings() + "queue1.log");
    EXPECT_TRUE(log.startsWith("\xEF\xBB\xBF")) << log.constData();
    EXPECT_TRUE(log.endsWith(": " + line.toUtf8() + "\r\n")) << log.constData();
}

TEST_F(QueueStateTest, QueuePictureIsRefusedWhileAQueueIsBeingCanceled)
{
    for (std::atomic<bool> *flag : {&runControl().CancelMediaQueue, &runControl().CancelPageQueue}) {
        *flag = true;
        EXPECT_FALSE(queues->QueuePicture(QStringLiteral("http://img/1.jpg"), QStringLiteral("1"),
                                          QStringLiteral("s"), QStringLiteral("t"), QString(),
                                          QStringLiteral("http://h/photos/u/1/"), QStringLiteral("/pics/"),
                                          QString(), workerView));
        *flag = false;
    }
    EXPECT_EQ(dialogs.shown(), QStringList(2, "info: queue is being canceled. please try again in 5 seconds."));
    EXPECT_EQ(queues->MediaQueue.Count(), 0);
    EXPECT_TRUE(workerView.rows.isEmpty());
    EXPECT_TRUE(pictures.records.isEmpty());
    EXPECT_TRUE(namesIn(q1()).isEmpty());
}

TEST_F(QueueStateTest, TheSamePageTwiceGivesTwoLinesAndTwoFiles)
{
    const QString line = site("/photos/u/1/") + kSuffix;
    queues->QueuePage(site("/photos/u/1/"), line);
    queues->QueuePage(site("/photos/u/1/"), line);
    EXPECT_EQ(lines(queues->PageQueue), QStringList({line, line}));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_1_q2.txt", "orvixsession_1_q2_00001.txt"}));
    EXPECT_EQ(readBytes(q2() + "orvixsession_1_q2_00001.txt"), itemBytes(line));

    // Finishing one and queueing again takes the first free name back.
    queues->DeleteQueueItemFile(QueueKind::Page, line);
    queues->QueuePage(site("/photos/u/1/"), line);
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_1_q2.txt", "orvixsession_1_q2_00001.txt"}));
}

TEST_F(QueueStateTest, NewNamesStepOverFilesLeftByAnEarlierRun)
{
    writeBytes(q2() + "orvixsession_1_q2.txt", itemBytes("old"));
    writeBytes(q2() + "orvixsession_1_q2_00002.txt", itemBytes("old"));
    for (int i = 0; i < 3; ++i)
        queues->QueuePage(QStringLiteral("u"), QStringLiteral("new %1").arg(i));
    EXPECT_EQ(namesIn(q2()), QStringList({"orvixsession_1_q2.txt", "orvixsession_1_q2_00001.txt",
                                          "orvixsession_1_q2_00002.txt", "orvixsession_1_q2_00003.txt",
                                          "orvixsession_1_q2_00004.txt"}));
    EXPECT_EQ(readBytes(q2() + "orvixsession_1_q2_00001.txt"), itemBytes("new 0"));
    EXPECT_EQ(readBytes(q2() + "orvixsession_1_q2_00004.txt"), itemBytes("new 2"));
}

// A failed write still queues the line (without a file, so it is not resumable) and says so.
TEST_F(QueueStateTest, AnItemFileThatCannotBeWrittenRaisesAfterQueueing)
{
    writeBytes(settings() + "not-a-folder", "x");
    QueueState broken(runControl(), {QStringLiteral("orvixsession_1"), settings() + "not-a-folder/q1/",
                       settings() + "not-a-folder/q2/"},
                      view, pictures);
    EXPECT_THROW(broken.QueuePage(QStringLiteral("u"), QStringLiteral("line")), EOrvix);
    EXPECT_EQ(lines(broken.PageQueue), QStringList({"line"}));
}

TEST_F(QueueStateTest, IsQueuedLooksAtAllThreeLists)
{
    queues->MediaQueue.Add(QStringLiteral("http://img/1.jpg|b||http://h/photos/u/1/|/p/"));
    queues->PageQueue.Add(QStringLiteral("http://h/photos/u/2/|id:1|2||/p/"));
    QueueTempEntry working(*queues, QStringLiteral("http://h/photos/u/3/"));
    for (const char *text : {"/photos/u/1/", "/photos/u/2/", "/photos/u/3/"})
        EXPECT_TRUE(queues->IsQueued(QString::fromUtf8(text))) << text;
    EXPECT_FALSE(queues->IsQueued(QStringLiteral("/photos/u/4/")));
    EXPECT_FALSE(queues->IsQueued(QStringLiteral("/PHOTOS/u/1/")));
    EXPECT_FALSE(queues->IsQueued(QString()));
}

TEST_F(QueueStateTest, QueueTempEntryLeavesWhenTheMediaLineIsBuilt)
{
    {
        QueueTempEntry working(*queues, QStringLiteral("http://h/photos/u/3/"));
        EXPECT_EQ(queues->QueueTemp.Count(), 1);
    }
    EXPECT_EQ(queues->QueueTemp.Count(), 0);
}

TEST_F(QueueStateTest, RemoveFirstIfStillRemovesOnlyTheLineTaken)
{
    TThreadStringList &q = queues->PageQueue;
    const auto pageLine = [] { return QStringLiteral("http://h/photos/u/1/") + kSuffix; }; // a new text each time

    q.AddStrings({pageLine(), QStringLiteral("next")});
    QString taken = FirstQueueLine(q);
    EXPECT_TRUE(RemoveFirstIfStill(q, taken));
    EXPECT_EQ(lines(q), QStringList({"next"}));

    // The remove command took the line away and the same page was queued again: that is
    // another request and stays.
    q.Clear();
    q.Add(pageLine());
    taken = FirstQueueLine(q);
    q.Delete(0);
    q.Add(pageLine());
    EXPECT_FALSE(RemoveFirstIfStill(q, taken));
    EXPECT_EQ(q.Count(), 1);

    q.Clear(); // a cancel emptied the queue
    EXPECT_FALSE(RemoveFirstIfStill(q, taken));
}

// With the program's picture database: a picture queued and saved once is not queued again
// from a listing, one queued but never saved is.
TEST_F(QueueStateTest, ThePictureDatabaseKeepsSavedPicturesOutOfAListing)
{
    PictureDatabase db(settings());
    db.LoadImagesDb();
    PictureDbRecords records(db);
    QueueState real(runControl(), folders(QStringLiteral("orvixsession_2")), view, records);
    const QString saved = site("/photos/u/123/");
    const QString unsaved = site("/photos/u/456/");
    real.QueuePicture(QStringLiteral("http://img/123.jpg"), QStringLiteral("123"), QStringLiteral("abc"),
                      QStringLiteral("t"), QString(), saved, settings(), QString(), workerView);
    real.QueuePicture(QStringLiteral("http://img/456.jpg"), QStringLiteral("456"), QStringLiteral("def"),
                      QStringLiteral("t"), QString(), unsaved, settings(), QString(), workerView);
    writeBytes(settings() + "123_abc t.jpg", "jpeg");
    db.RegisterSavedFile(settings() + "123_abc t.jpg");

    real.PageQueue.Add(QStringLiteral("T"));
    real.AddToQ2({saved + "|thumb|t", unsaved + "|thumb|t"}, kSuffix);
    EXPECT_EQ(lines(real.PageQueue), QStringList({"T", unsaved + kSuffix}));
}

// The page worker queues media lines while the media worker finishes each the moment it shows
// up and the main thread queues pages: every finished line's file is gone, none is left over.
TEST_F(QueueStateTest, WorkersFinishingLinesAsSoonAsTheyAreQueuedLeaveNoFiles)
{
    constexpr int kLines = 1000;
    std::atomic<bool> producing{true};
    std::thread pageWorker([&] {
        for (int i = 0; i < kLines; ++i)
            queues->QueuePicture(QStringLiteral("http://img/%1.jpg").arg(i), QString::number(i), QStringLiteral("s"),
                                 QStringLiteral("t"), QString(), QStringLiteral("http://h/photos/u/%1/").arg(i),
                                 QStringLiteral("/pics/"), QString(), workerView);
        producing = false;
    });
    int finished = 0;
    std::thread mediaWorker([&] {
        while (producing || queues->MediaQueue.Count() > 0) {
            const QString line = FirstQueueLine(queues->MediaQueue);
            if (line.isEmpty())
                continue;
            if (RemoveFirstIfStill(queues->MediaQueue, line))
                ++finished;
            queues->DeleteQueueItemFile(QueueKind::Media, MediaLineKey(line));
        }
    });
    for (int i = 0; i < 50; ++i)
        queues->QueuePage(QStringLiteral("u"), QStringLiteral("http://h/photos/u/%1/|id:1|2||/p/").arg(i));
    pageWorker.join();
    mediaWorker.join();

    EXPECT_EQ(finished, kLines);
    EXPECT_TRUE(namesIn(q1()).isEmpty()) << namesIn(q1()).size() << " files left";
    EXPECT_EQ(namesIn(q2()).size(), 50);
}
