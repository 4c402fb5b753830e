// The queue commands on real queues, item files and rows, without workers: what each command
// does to the lines, their files and the rows.

#include "app/queue_commands.h"
#include "app/queue_rows.h"
#include "queue/queue_fixture.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

class QueueCommandsTest : public test::QueueSandbox
{
protected:
    void SetUp() override
    {
        QueueSandbox::SetUp();
        QDir().mkpath(q1());
        QDir().mkpath(q2());
        rows = std::make_unique<TQueueRows>(runControl());
        queues = std::make_unique<QueueState>(runControl(), SessionFolders{QStringLiteral("orvixsession_1"), q1(), q2()},
                                              *rows, pictures);
        commands = std::make_unique<TQueueCommands>(*queues, *rows);
    }

    static QString pageLine(const QString &url) { return url + QStringLiteral("|id:1|2||/pics"); }
    static QString mediaLine(const QString &file, const QString &page)
    {
        return MediaLine{file, QStringLiteral("1_a t"), QString(), page, QStringLiteral("/pics")}.line();
    }
    // A media line as the page worker queues it: row, line and item file.
    void queueMedia(const QString &line)
    {
        queues->itemFiles().WriteItemFile(QueueKind::Media, kMediaItemSuffix, line);
        queues->MediaQueue.Add(line);
        rows->AddToListViewQueue(FirstLineField(line), line);
    }
    QStringList rowTexts() const
    {
        QStringList list;
        for (const TQueueRow &row : rows->rows())
            list << row.caption + u'=' + RowStatusText(row.status);
        return list;
    }
    QStringList itemLines(const QString &folder) const
    {
        QStringList lines;
        for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name))
            lines << ReadItemFileText(folder + name);
        lines.sort();
        return lines;
    }

    test::FakePictures pictures;
    std::unique_ptr<TQueueRows> rows;
    std::unique_ptr<QueueState> queues;
    std::unique_ptr<TQueueCommands> commands;
};

TEST(QueueCommandsQuestion, CountsMediaLinesAndPendingPages)
{
    const struct { int media, pages; const char *question; } cases[] = {
        {5, 2, "Are you sure you want to stop downloading 5 images? (+2 pending pages)"},
        {3, 0, "Are you sure you want to stop downloading 3 images?"},
        {0, 1, "Are you sure you want to stop downloading 0 images? (+1 pending pages)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TQueueCommands::CancelQuestion(c.media, c.pages), QLatin1String(c.question));
}

TEST_F(QueueCommandsTest, CancelAsksThenStopsBothQueuesDeletesItemFilesAndCancelsWaitingRows)
{
    for (int i = 0; i < 5; ++i)
        queueMedia(mediaLine(QStringLiteral("http://h/f%1.jpg").arg(i), QStringLiteral("http://h/p/%1/").arg(i)));
    queues->QueuePage(QStringLiteral("http://h/p/8/"), pageLine(QStringLiteral("http://h/p/8/")));
    queues->QueuePage(QStringLiteral("http://h/p/9/"), pageLine(QStringLiteral("http://h/p/9/")));
    rows->SetListViewQueueStatus(QStringLiteral("http://h/f0.jpg"), RowStatus::Working);
    rows->SetListViewQueueStatus(QStringLiteral("http://h/f1.jpg"), RowStatus::Failed);

    dialogs.answerOk = false;
    EXPECT_FALSE(commands->Cancel());
    EXPECT_EQ(dialogs.shown(),
              QStringList{QStringLiteral("question: Are you sure you want to stop downloading 5 images? (+2 pending pages)")});
    EXPECT_FALSE(runControl().Canceling());
    EXPECT_EQ(itemLines(q1()).size() + itemLines(q2()).size(), 7);

    dialogs.answerOk = true;
    EXPECT_TRUE(commands->Cancel());
    EXPECT_TRUE(runControl().CancelMediaQueue);
    EXPECT_TRUE(runControl().CancelPageQueue);
    EXPECT_EQ(itemLines(q1()), QStringList());
    EXPECT_EQ(itemLines(q2()), QStringList());
    // The rows of lines under way keep their status until their worker says otherwise.
    EXPECT_EQ(rowTexts(), (QStringList{
        QStringLiteral("Q2: http://h/p/9/=canceled"), QStringLiteral("Q2: http://h/p/8/=canceled"),
        QStringLiteral("http://h/f4.jpg=canceled"), QStringLiteral("http://h/f3.jpg=canceled"),
        QStringLiteral("http://h/f2.jpg=canceled"), QStringLiteral("http://h/f1.jpg=failed"),
        QStringLiteral("http://h/f0.jpg=<working>")}));
}

TEST_F(QueueCommandsTest, RequeueTakesFailedAndCanceledRowsBottomFirstWithOneItemFileEach)
{
    const QString a = pageLine(QStringLiteral("http://h/p/a/"));
    const QString b = pageLine(QStringLiteral("http://h/p/b/"));
    const QString cFile = QStringLiteral("http://h/c.jpg");
    const QString c = mediaLine(cFile, QStringLiteral("http://h/p/c/"));
    queueMedia(c);
    queues->QueuePage(QStringLiteral("http://h/p/b/"), b);
    queues->QueuePage(QStringLiteral("http://h/p/a/"), a);
    // The workers: a failed (its item file stays), b done, c removed by the user.
    queues->PageQueue.Clear();
    queues->MediaQueue.Clear();
    queues->DeleteQueueItemFile(QueueKind::Page, b);
    queues->DeleteQueueItemFile(QueueKind::Media, MediaLineKey(c));
    runControl().debugMode = true; // "done" rows stay in view
    rows->SetListViewQueueStatus(QStringLiteral("Q2: http://h/p/a/"), RowStatus::Failed);
    rows->SetListViewQueueStatus(QStringLiteral("Q2: http://h/p/b/"), RowStatus::Done);
    rows->SetListViewQueueStatus(cFile, RowStatus::Canceled);

    EXPECT_EQ(commands->RequeueFailed(), 2);
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("Q2: http://h/p/a/="), cFile + u'=',
                                       QStringLiteral("Q2: http://h/p/a/=requeued"),
                                       QStringLiteral("Q2: http://h/p/b/=done"), cFile + QStringLiteral("=requeued")}));
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{c});
    EXPECT_EQ(lines(queues->PageQueue), QStringList{a});
    // One file per queued line: the failed line's kept file is not doubled, the canceled
    // line's deleted one comes back.
    EXPECT_EQ(itemLines(q1()), QStringList{c});
    EXPECT_EQ(itemLines(q2()), QStringList{a});

    // Again while both lines are still queued: rows are marked, no line is queued twice.
    rows->SetListViewQueueStatus(QStringLiteral("Q2: http://h/p/a/"), RowStatus::Failed);
    rows->SetListViewQueueStatus(cFile, RowStatus::Failed);
    EXPECT_EQ(commands->RequeueFailed(), 0);
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{c});
    EXPECT_EQ(lines(queues->PageQueue), QStringList{a});
    EXPECT_EQ(itemLines(q1()), QStringList{c});
    EXPECT_EQ(itemLines(q2()), QStringList{a});
}

TEST_F(QueueCommandsTest, RequeueIsRefusedWhileTheQueuesAreBeingCanceled)
{
    const QString c = mediaLine(QStringLiteral("http://h/c.jpg"), QStringLiteral("http://h/p/c/"));
    queueMedia(c);
    queues->MediaQueue.Clear();
    rows->SetListViewQueueStatus(QStringLiteral("http://h/c.jpg"), RowStatus::Failed);
    runControl().CancelPageQueue = true;
    EXPECT_EQ(commands->RequeueFailed(), 0);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: queue is being canceled. please try again in 5 seconds.")});
    EXPECT_EQ(rows->captionsWithStatus(RowStatus::Failed), QStringList{QStringLiteral("http://h/c.jpg")});
    EXPECT_EQ(queues->MediaQueue.Count(), 0);
}

TEST_F(QueueCommandsTest, RemoveByTextTakesMatchingLinesTheirFilesAndCancelsTheirRows)
{
    const QStringList pages{QStringLiteral("http://h/s?page=2"), QStringLiteral("http://h/s?page=3"),
                            QStringLiteral("http://h/t?page=3"), QStringLiteral("http://h/s?page=4")};
    for (const QString &url : pages)
        queues->QueuePage(url, pageLine(url).replace(QStringLiteral("id:1"), QStringLiteral("id:2")));
    const QString kept = mediaLine(QStringLiteral("http://h/k.jpg"), QStringLiteral("http://h/p/k/"));
    const QString gone = mediaLine(QStringLiteral("http://h/g.jpg"), QStringLiteral("http://h/x?page=3"));
    queueMedia(kept);
    queueMedia(gone);

    dialogs.answerOk = true;
    dialogs.inputAnswer = QStringLiteral("page=3");
    EXPECT_EQ(commands->AskRemoveByText(), 3);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("input: items containing:")});
    EXPECT_EQ(lines(queues->PageQueue), (QStringList{pageLine(pages[0]).replace(QStringLiteral("id:1"), QStringLiteral("id:2")),
                                                     pageLine(pages[3]).replace(QStringLiteral("id:1"), QStringLiteral("id:2"))}));
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{kept});
    EXPECT_EQ(itemLines(q1()), QStringList{kept});
    EXPECT_EQ(itemLines(q2()).size(), 2);
    EXPECT_TRUE(itemLines(q2()).filter(QStringLiteral("page=3")).isEmpty());
    EXPECT_EQ(rows->captionsWithStatus(RowStatus::Canceled),
              (QStringList{QStringLiteral("http://h/g.jpg"), QStringLiteral("Q2: http://h/t?page=3"),
                           QStringLiteral("Q2: http://h/s?page=3")}));

    // An empty text, or no answer, matches nothing.
    EXPECT_EQ(commands->RemoveByText(QString()), 0);
    dialogs.answerOk = false;
    EXPECT_EQ(commands->AskRemoveByText(), 0);
    EXPECT_EQ(queues->PageQueue.Count() + queues->MediaQueue.Count(), 3);
}

TEST_F(QueueCommandsTest, CleanupsRemoveOnlyTheirRowsAndPauseToggles)
{
    runControl().debugMode = true;
    const RowStatus statuses[] = {RowStatus::Waiting, RowStatus::Working, RowStatus::Done,
                                  RowStatus::Failed, RowStatus::Canceled, RowStatus::Requeued};
    for (const RowStatus status : statuses) {
        rows->AddToListViewQueue(RowStatusText(status) + u'!', QStringLiteral("line"));
        rows->SetListViewQueueStatus(RowStatusText(status) + u'!', status);
    }
    EXPECT_EQ(commands->CleanupCompleted(), 2);
    EXPECT_EQ(commands->CleanupFailedAndCanceled(), 2);
    EXPECT_EQ(rowTexts(), (QStringList{QStringLiteral("<working>!=<working>"), QStringLiteral("!=")}));

    EXPECT_TRUE(commands->TogglePause());
    EXPECT_TRUE(runControl().QueuePaused);
    EXPECT_FALSE(commands->TogglePause());
    EXPECT_FALSE(runControl().QueuePaused);
}

} // namespace
