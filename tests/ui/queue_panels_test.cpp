// The queue's panels driven as a user drives them: the queue status panel over real queues,
// item files and rows (no workers), the paste panel and the queue message panel.

#include "queue/queue_fixture.h"
#include "test_support.h"

#include "ui/paste_urls_panel.h"
#include "ui/queue_message_panel.h"
#include "ui/queue_status_panel.h"
#include "ui/subfolder_edit.h"
#include "ui/widgets/list_view_ex.h"

#include "app/queue_commands.h"
#include "app/queue_rows.h"
#include "pages/site.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

class QueuePanelTest : public test::QueueSandbox
{
protected:
    void SetUp() override
    {
        QueueSandbox::SetUp();
        QDir().mkpath(q1());
        QDir().mkpath(q2());
        window.resize(900, 700);
        rows = std::make_unique<TQueueRows>(runControl());
        queues = std::make_unique<QueueState>(runControl(), SessionFolders{QStringLiteral("orvixsession_1"), q1(), q2()},
                                              *rows, pictures);
        commands = std::make_unique<TQueueCommands>(*queues, *rows);
        panel = new TQueueStatusPanel(&window, *rows, *commands, *queues, [this](const QString &url) { opened << url; });
        window.show();
    }
    void TearDown() override
    {
        delete panel;
        QueueSandbox::TearDown();
    }

    // What the view shows once it caught up with the rows, top first, as "caption=status".
    QStringList shown() const
    {
        panel->ApplyRowChanges();
        QStringList list;
        for (int row = 0; row < panel->lvQueue()->RowCount(); ++row)
            list << panel->lvQueue()->Model()->Text(row, 0) + u'=' + panel->lvQueue()->Model()->Text(row, 1);
        return list;
    }
    QStringList modelRows() const
    {
        QStringList list;
        for (const TQueueRow &row : rows->rows())
            list << row.caption + u'=' + RowStatusText(row.status);
        return list;
    }
    void queueMedia(const QString &file, const QString &page)
    {
        const QString line = MediaLine{file, QStringLiteral("1_a t"), QString(), page, QStringLiteral("/pics")}.line();
        queues->itemFiles().WriteItemFile(QueueKind::Media, kMediaItemSuffix, line);
        queues->MediaQueue.Add(line);
        rows->AddToListViewQueue(file, line);
    }
    int itemFileCount() const
    {
        return int(QDir(q1()).entryList(QDir::Files).size() + QDir(q2()).entryList(QDir::Files).size());
    }

    QWidget window;
    test::FakePictures pictures;
    std::unique_ptr<TQueueRows> rows;
    std::unique_ptr<QueueState> queues;
    std::unique_ptr<TQueueCommands> commands;
    TQueueStatusPanel *panel = nullptr;
    QStringList opened;
};

TEST_F(QueuePanelTest, ViewFollowsEveryChangeOfTheRows)
{
    // A random run of everything that changes rows, in both modes; the view, catching up on a
    // few changes at a time, must match the rows each time.
    QRandomGenerator random(11);
    for (int step = 0; step < 1500; ++step) {
        runControl().debugMode = step < 750;
        const int count = rows->count();
        const int pick = int(random.bounded(10));
        if (pick < 4 || count == 0) {
            rows->AddToListViewQueue(QStringLiteral("u%1").arg(random.bounded(400)), QStringLiteral("line"));
        } else if (pick < 8) {
            const RowStatus statuses[] = {RowStatus::Working, RowStatus::Done, RowStatus::Failed, RowStatus::Canceled};
            rows->SetListViewQueueStatus(rows->rowAt(int(random.bounded(count))).caption, statuses[random.bounded(4)]);
        } else if (pick == 8) {
            rows->TakeRowsToRequeue();
        } else {
            commands->CleanupFailedAndCanceled();
        }
        if (step % 7 == 0)
            ASSERT_EQ(shown(), modelRows()) << "step " << step;
    }
    EXPECT_EQ(shown(), modelRows());
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->bPauseQueue()->isVisible());
}

TEST_F(QueuePanelTest, TwoHundredAndOneWaitingRowsAllStay)
{
    for (int i = 0; i <= TQueueRows::kMaxRows; ++i)
        rows->AddToListViewQueue(QStringLiteral("http://h/%1.jpg").arg(i), QStringLiteral("line"));
    EXPECT_TRUE(test::waitUntil([&] { return panel->lvQueue()->RowCount() == TQueueRows::kMaxRows + 1; }, 2000));
    EXPECT_EQ(panel->lvQueue()->Model()->Text(0, 0), QStringLiteral("http://h/200.jpg"));
}

TEST_F(QueuePanelTest, RequeueButtonQueuesCanceledThenFailedAsNewTopRows)
{
    runControl().debugMode = true;
    for (const char *name : {"c", "b", "a"})
        queueMedia(QStringLiteral("http://h/%1.jpg").arg(QLatin1String(name)), QStringLiteral("http://h/p/%1/").arg(QLatin1String(name)));
    queues->MediaQueue.Clear();
    rows->SetListViewQueueStatus(QStringLiteral("http://h/a.jpg"), RowStatus::Failed);
    rows->SetListViewQueueStatus(QStringLiteral("http://h/b.jpg"), RowStatus::Done);
    rows->SetListViewQueueStatus(QStringLiteral("http://h/c.jpg"), RowStatus::Canceled);
    QTest::mouseClick(panel->bReQueue(), Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("http://h/a.jpg="), QStringLiteral("http://h/c.jpg="),
                                    QStringLiteral("http://h/a.jpg=requeued"), QStringLiteral("http://h/b.jpg=done"),
                                    QStringLiteral("http://h/c.jpg=requeued")}));
    EXPECT_EQ(lines(queues->MediaQueue).size(), 2);
    EXPECT_TRUE(lines(queues->MediaQueue).constFirst().startsWith(QStringLiteral("http://h/c.jpg|")));
    EXPECT_EQ(panel->bReQueue()->toolTip(), QStringLiteral("Requeue failed"));

    QTest::mouseClick(panel->bCleanupQueue(), Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("http://h/a.jpg="), QStringLiteral("http://h/c.jpg=")}));
}

TEST_F(QueuePanelTest, CancelButtonAsksWithTheCountsAndLeavesNoItemFile)
{
    for (int i = 0; i < 5; ++i)
        queueMedia(QStringLiteral("http://h/%1.jpg").arg(i), QStringLiteral("http://h/p/%1/").arg(i));
    for (int i = 0; i < 2; ++i) {
        const QString url = QStringLiteral("http://h/s?page=%1").arg(i);
        queues->QueuePage(url, url + QStringLiteral("|id:2|2||/pics"));
    }
    panel->ShowDownloadStatus();
    ASSERT_TRUE(panel->bCancelDownload()->isVisible());
    dialogs.answerOk = true;
    QTest::mouseClick(panel->bCancelDownload(), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown(),
              QStringList{QStringLiteral("question: Are you sure you want to stop downloading 5 images? (+2 pending pages)")});
    EXPECT_EQ(itemFileCount(), 0);
    EXPECT_EQ(shown().filter(QStringLiteral("=canceled")).size(), 7);
}

TEST_F(QueuePanelTest, RemoveButtonTakesThePagesWithTheText)
{
    for (int i = 1; i <= 4; ++i) {
        const QString url = QStringLiteral("http://h/s?page=%1").arg(i);
        queues->QueuePage(url, url + QStringLiteral("|id:2|2||/pics"));
    }
    dialogs.answerOk = true;
    dialogs.inputAnswer = QStringLiteral("page=3");
    QTest::mouseClick(panel->bRemoveFromQueue(), Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{QStringLiteral("Q2: http://h/s?page=4="), QStringLiteral("Q2: http://h/s?page=3=canceled"),
                                    QStringLiteral("Q2: http://h/s?page=2="), QStringLiteral("Q2: http://h/s?page=1=")}));
    EXPECT_EQ(queues->PageQueue.Count(), 3);
    EXPECT_EQ(itemFileCount(), 3);
}

TEST_F(QueuePanelTest, PauseCopyAndDoubleClickOnARow)
{
    rows->AddToListViewQueue(QStringLiteral("Q2: http://h/p/1/"), QStringLiteral("http://h/p/1/|id:1|2||/pics"));
    rows->SetListViewQueueStatus(QStringLiteral("Q2: http://h/p/1/"), RowStatus::Working);
    panel->ApplyRowChanges();
    TListViewEx *lv = panel->lvQueue();
    lv->SelectRowsQuietly({0});
    lv->setFocus();
    QTest::keyClick(lv, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Q2: http://h/p/1/\n<working>\nhttp://h/p/1/|id:1|2||/pics"));
    const QPoint onRow = lv->visualRect(lv->Model()->index(0, 0)).center();
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, onRow);
    QTest::mouseDClick(lv->viewport(), Qt::LeftButton, Qt::NoModifier, onRow);
    EXPECT_EQ(opened, QStringList{QStringLiteral("http://h/p/1/")});

    QTest::mouseClick(panel->bPauseQueue(), Qt::LeftButton);
    EXPECT_TRUE(runControl().QueuePaused);
    EXPECT_EQ(panel->bPauseQueue()->text(), QStringLiteral("resume"));
    QTest::mouseClick(panel->bPauseQueue(), Qt::LeftButton);
    EXPECT_FALSE(runControl().QueuePaused);
    EXPECT_EQ(panel->bPauseQueue()->text(), QStringLiteral("pause"));

    // Both queues empty: cancel, pause and the status line go.
    panel->ShowStatusLine(QStringLiteral("Downloading: x"));
    panel->ShowDownloadStatus();
    EXPECT_FALSE(panel->bCancelDownload()->isVisible());
    EXPECT_FALSE(panel->bPauseQueue()->isVisible());
    EXPECT_FALSE(panel->labelDownloading()->isVisible());
}

TEST(QueuePanelPlace, SavedPlaceIsRestoredWithinLimits)
{
    const QSize screen(1280, 800);
    const QRect current(10, 20, 386, 220);
    const struct { QRect saved, expected; } cases[] = {
        {{0, 0, 0, 0}, current},                          // never saved
        {{300, 200, 500, 300}, {300, 200, 500, 300}},     // as saved
        {{300, 200, 20, 30}, {300, 200, 386, 110}},       // too small
        {{1250, 200, 500, 300}, {1, 160, 500, 300}},      // off the right edge
        {{300, 760, 500, 300}, {1, 160, 500, 300}},       // off the bottom
        {{300, -5, 500, 300}, {1, 160, 500, 300}},        // above the top
    };
    for (const auto &c : cases)
        EXPECT_EQ(RestoredQueuePanelGeometry(c.saved, current, screen), c.expected) << c.saved.x() << ',' << c.saved.y();
}

class PastePanelTest : public test::QueueSandbox
{
protected:
    void SetUp() override
    {
        QueueSandbox::SetUp();
        SetSiteHost(QStringLiteral("photos.test"));
        window.resize(900, 700);
        TPasteUrlsPanel::Host host;
        host.ensuredPicturesFolder = [this] { return path(QStringLiteral("pictures")); };
        host.queuePage = [this](const QString &url, const QString &line) { queued << url + QStringLiteral(" => ") + line; };
        panel = new TPasteUrlsPanel(&window, std::move(host));
        window.show();
    }
    void TearDown() override
    {
        SetSiteHost(QString());
        QueueSandbox::TearDown();
    }
    QWidget window;
    TPasteUrlsPanel *panel = nullptr;
    QStringList queued;
};

TEST_F(PastePanelTest, QueuesOnlyPicturePagesOfTheSiteOverHttp)
{
    panel->Open();
    EXPECT_EQ(panel->size(), QSize(600, 250));
    EXPECT_EQ(panel->cbbMultiPasteImageSize()->currentText(), QStringLiteral("Original"));
    panel->edMultipleUrls()->setPlainText(QStringLiteral("https://photos.test/photos/a/1/\n\n  http://photos.test/photos/a/2/  \n"
                                                         "http://elsewhere.test/x/\nhttp://photos.test/a|b/"));
    panel->cbbMultiPasteImageSize()->setCurrentIndex(1);
    QTest::keyClicks(panel->edMultiPasteSubFolder(), QStringLiteral("my/set:1"));
    EXPECT_EQ(panel->edMultiPasteSubFolder()->text(), QStringLiteral("myset1"));
    QTest::mouseClick(panel->panelPasteUrlsOK(), Qt::LeftButton);
    EXPECT_EQ(queued, QStringList{QStringLiteral("http://photos.test/photos/a/2/ => http://photos.test/photos/a/2/|id:1|1||")
                                  + path(QStringLiteral("pictures")) + QStringLiteral("/myset1")});
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: 1 items have been queued")});
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(panel->edMultipleUrls()->toPlainText().isEmpty());
}

TEST_F(PastePanelTest, ClearListAsksFirst)
{
    panel->Open();
    panel->edMultipleUrls()->setPlainText(QStringLiteral("http://photos.test/photos/a/2/"));
    dialogs.answerOk = false;
    panel->btnMultiPasteClearClick();
    EXPECT_FALSE(panel->edMultipleUrls()->toPlainText().isEmpty());
    dialogs.answerOk = true;
    panel->btnMultiPasteClearClick();
    EXPECT_TRUE(panel->edMultipleUrls()->toPlainText().isEmpty());
    EXPECT_EQ(dialogs.shown(), (QStringList{QStringLiteral("confirm: Clear list"), QStringLiteral("confirm: Clear list")}));
}

TEST(QueueMessagePanel, GoesAwayTwoSecondsAfterTheLastMessage)
{
    QWidget window;
    window.resize(600, 400);
    auto *panel = new TQueueMessagePanel(&window);
    window.show();
    panel->ShowQueueMessage(QStringLiteral("3 images added to download queue."));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->labelQueueMessage()->text(), QStringLiteral("3 images added to download queue."));
    QTest::qWait(1200);
    panel->ShowQueueMessage(QStringLiteral("4 images added to download queue."));
    QTest::qWait(1200);
    EXPECT_TRUE(panel->isVisible()); // the second message restarted the wait
    EXPECT_TRUE(test::waitUntil([&] { return !panel->isVisible(); }, 3000));
}

} // namespace
