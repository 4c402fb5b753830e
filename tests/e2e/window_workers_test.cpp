// The desktop program's download workers through the window: lines queued in the window are
// fetched, listing pages read in the hidden browser, pictures saved, rows and the picture
// database kept, and a private picture waits on its panel; saved pictures reach the last-picture
// box and the session strip, a tagged one keeps counting as downloaded, and "Locate in Orvix"
// leads from a strip picture back to its page. Each case starts the browser engine,
// so each runs in a process of its own.

#include "test_support.h"

#include "ui/main_window.h"
#include "ui/web_browser_k.h"
#include "ui/widgets/image_x.h"
#include "ui/strip_frame.h"
#include "ui/picture_strips.h"
#include "ui/edit_tags_panel.h"
#include "ui/private_picture_panel.h"
#include "ui/thread_status_bar.h"
#include "ui/worker_host_window.h"
#include "ui/paste_urls_panel.h"
#include "ui/queue_status_panel.h"
#include "ui/widgets/list_view_ex.h"

#include "app/program_context.h"
#include "app/queue_commands.h"
#include "app/queue_rows.h"
#include "foundation/dialogs.h"
#include "engine/picture_file.h"
#include "foundation/command_line.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "library/tags.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "queue/download_session.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QMenu>
#include <QGroupBox>
#include <QAction>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

using namespace orvix;

namespace {

constexpr int kWaitMs = 120000;

class WindowWorkers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        photosite::ServerOptions options;
        options.site.owners = 2;
        options.site.photosPerOwner = 12;
        options.site.perPage = 5;
        options.site.largestFileBytes = 48 * 1024;
        m_site = std::make_unique<photosite::PhotoSiteServer>(options);
        m_site->start();
        SetSiteHost(m_site->host());
        // Nothing of this run may reach the real home, session slots or settings.
        qputenv("HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
        QDir().mkpath(m_dir.filePath(QStringLiteral("runtime")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.filePath(QStringLiteral("runtime"))));
        qputenv("ORVIX_WORKER_TIMING", "poll=20,pause=100,browser=2500,check=20,fetchpause=100");
        SetSettingsFolder(m_dir.filePath(QStringLiteral("settings")) + u'/');
        QDir().mkpath(m_dir.filePath(QStringLiteral("settings")));
        QFile ini(m_dir.filePath(QStringLiteral("settings/OrvixDownloader.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[edOutputPath.Text]\r\n>" + QFile::encodeName(pictures()) + "\r\n");
    }
    void TearDown() override
    {
        m_window.reset();
        SetCommandLineArgs({});
        SetSiteHost(QString());
    }

    TFormMain &open()
    {
        m_window = std::make_unique<TFormMain>();
        m_window->show();
        return *m_window;
    }
    QString pictures() const { return m_dir.filePath(QStringLiteral("pictures")); }
    static QString sha256(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly)
                   ? QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex())
                   : QString();
    }

    const photosite::ManifestListingPage &firstSetPage() const
    {
        const auto &truth = m_site->manifest();
        for (const auto &page : truth.listingPages)
            if (page.url == truth.sampleSetUrl)
                return page;
        ADD_FAILURE() << "no sample set";
        return truth.listingPages.first();
    }
    // Queues a line and waits until both queues are empty and the folder holds count files.
    static void runLineUntilSaved(TFormMain &w, const QString &url, const QString &line, const QString &folder,
                                  int count)
    {
        QueueState &queues = w.context().queues();
        queues.QueuePage(url, line);
        ASSERT_TRUE(test::waitUntil([&] {
            return queues.PageQueue.Count() == 0 && queues.MediaQueue.Count() == 0
                   && QDir(folder).entryList(QDir::Files).size() == count;
        }, kWaitMs)) << QDir(folder).entryList(QDir::Files).join(u'\n').toStdString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<photosite::PhotoSiteServer> m_site;
    std::unique_ptr<TFormMain> m_window;
};

TEST_F(WindowWorkers, ListingLineIsReadInTheHiddenBrowserAndItsPicturesSaved)
{
    TFormMain &w = open();
    const auto &truth = m_site->manifest();
    const photosite::ManifestListingPage *first = nullptr;
    for (const auto &page : truth.listingPages)
        if (page.url == truth.sampleSetUrl)
            first = &page;
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(w.context().outputFolder(), pictures());

    const QString folder = IncludeTrailingBackslash(pictures()) + QStringLiteral("set");
    QueueState &queues = w.context().queues();
    queues.QueuePage(first->url, first->url + QStringLiteral("|id:2|2||") + folder);

    ASSERT_TRUE(test::waitUntil([&] {
        return queues.PageQueue.Count() == 0 && queues.MediaQueue.Count() == 0
               && QDir(folder).entryList(QDir::Files).size() == first->entries.size();
    }, kWaitMs)) << QDir(folder).entryList(QDir::Files).join(u'\n').toStdString();

    const QStringList listed = w.context().pictures().filesSnapshot();
    for (const auto &entry : first->entries) {
        const photosite::ManifestPicture &p = *truth.picture(entry.pictureId);
        const QString path = folder + u'/' + PictureFileStem(p.idX + u' ' + p.imageName) + PictureExtension(p.largestFileUrl);
        EXPECT_EQ(sha256(path), p.largestSha256) << path.toStdString();
        EXPECT_TRUE(listed.contains(path)) << path.toStdString();
    }
    // Done rows leave the view; nothing failed.
    EXPECT_TRUE(w.context().queueRows().rows().isEmpty());
    EXPECT_TRUE(QDir(w.context().session().PageQueueFolder).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(w.context().session().MediaQueueFolder).entryList(QDir::Files).isEmpty());
}

TEST_F(WindowWorkers, PrivatePictureWaitsOnItsPanelUntilSkipped)
{
    TFormMain &w = open();
    const photosite::ManifestPicture *hidden = nullptr;
    for (const auto &p : m_site->manifest().pictures)
        if (p.isPrivate)
            hidden = &p;
    ASSERT_NE(hidden, nullptr);
    QueueState &queues = w.context().queues();
    queues.QueuePage(hidden->pageUrl, hidden->pageUrl + QStringLiteral("|id:1|2||") + pictures());

    TPrivatePicturePanel *panel = w.workerHost()->privatePanel();
    ASSERT_TRUE(test::waitUntil([&] { return panel->isVisible(); }, kWaitMs));
    EXPECT_EQ(panel->Edit1()->text(), hidden->pageUrl);
    EXPECT_EQ(queues.PageQueue.Count(), 1); // waiting for the user

    panel->Button4()->click();
    ASSERT_TRUE(test::waitUntil([&] { return queues.PageQueue.Count() == 0 && !panel->isVisible(); }, kWaitMs));
    EXPECT_EQ(queues.MediaQueue.Count(), 0);
    EXPECT_TRUE(QDir(w.context().session().PageQueueFolder).entryList(QDir::Files).isEmpty());
}

// A worker waiting on a message box must not hold up closing: the box goes with the window and
// the workers end, instead of the main thread waiting for a worker that waits for the box.
TEST_F(WindowWorkers, ClosingWhileAWorkerWaitsOnABoxEndsTheWorkers)
{
    // The media worker asks for a box when the fake download's sample picture is missing.
    SetCommandLineArgs({QStringLiteral("fake_download")});
    TFormMain &w = open();
    const auto &p = m_site->manifest().pictures.first();
    w.context().queues().QueueResumedMedia(
        MediaLine{p.largestFileUrl, p.idX, QString(), p.pageUrl, pictures()}.line());

    QElapsedTimer sinceClose;
    bool boxSeen = false;
    bool boxOutlivedClose = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QMessageBox *box = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<QMessageBox *>(top); b && b->isVisible() && b->text().contains(QStringLiteral("fake_download")))
                box = b;
        if (box && !boxSeen) {
            boxSeen = true;
            sinceClose.start();
            w.close(); // runs inside the box's own event loop, as a close from the desktop would
        } else if (box && sinceClose.isValid() && sinceClose.elapsed() > 10000) {
            boxOutlivedClose = true; // the fault: only the user could end this wait
            box->reject();
        }
    });
    watch.start(20);
    ASSERT_TRUE(test::waitUntil([&] { return boxSeen && !w.context().workersRunning(); }, kWaitMs));
    watch.stop();
    EXPECT_FALSE(boxOutlivedClose);
    EXPECT_LT(sinceClose.elapsed(), 10000);
    // The line was not lost: its item file waits for the next start.
    EXPECT_EQ(QDir(w.context().session().MediaQueueFolder).entryList(QDir::Files).size(), 1);
}

// The queue view of the window once it caught up with the rows: what lvQueue shows, top
// first, as "caption=status".
QStringList viewRows(TFormMain &w)
{
    w.queueStatusPanel()->ApplyRowChanges();
    TListViewEx *lv = w.queueStatusPanel()->lvQueue();
    QStringList list;
    for (int row = 0; row < lv->RowCount(); ++row)
        list << lv->Model()->Text(row, 0) + u'=' + lv->Model()->Text(row, 1);
    return list;
}

QStringList modelRows(TFormMain &w)
{
    QStringList list;
    for (const TQueueRow &row : w.context().queueRows().rows())
        list << row.caption + u'=' + RowStatusText(row.status);
    return list;
}

int itemFileCount(TFormMain &w)
{
    return int(QDir(w.context().session().PageQueueFolder).entryList(QDir::Files).size()
               + QDir(w.context().session().MediaQueueFolder).entryList(QDir::Files).size());
}

class WindowQueueRows : public WindowWorkers, public ::testing::WithParamInterface<bool>
{
};

// A listing's pictures come in as rows at the top; finished, they leave the view, or stay as
// "done" in debug mode.
TEST_P(WindowQueueRows, ListingPicturesComeOnTopAndLeaveOrStayWhenDone)
{
    const bool debug = GetParam();
    TFormMain &w = open();
    w.context().run().debugMode = debug;
    const auto &truth = m_site->manifest();
    const photosite::ManifestListingPage *first = nullptr;
    for (const auto &page : truth.listingPages)
        if (page.url == truth.sampleSetUrl)
            first = &page;
    ASSERT_NE(first, nullptr);
    QueueState &queues = w.context().queues();
    queues.QueuePage(first->url, first->url + QStringLiteral("|id:2|2||") + pictures());
    ASSERT_TRUE(w.queueStatusPanel()->isVisible());

    QStringList topRows; // each caption seen at the top of the view
    bool mirrored = true;
    ASSERT_TRUE(test::waitUntil([&] {
        const QStringList view = viewRows(w);
        mirrored = mirrored && view == modelRows(w);
        if (!view.isEmpty() && !topRows.contains(view.first().section(u'=', 0, 0)))
            topRows << view.first().section(u'=', 0, 0);
        return queues.PageQueue.Count() == 0 && queues.MediaQueue.Count() == 0
               && QDir(pictures()).entryList(QDir::Files).size() == first->entries.size();
    }, kWaitMs));
    EXPECT_TRUE(mirrored);
    int picturesOnTop = 0;
    for (const auto &entry : first->entries)
        picturesOnTop += topRows.contains(truth.picture(entry.pictureId)->largestFileUrl) ? 1 : 0;
    EXPECT_GE(picturesOnTop, 1) << topRows.join(u'\n').toStdString();
    if (!debug) {
        EXPECT_EQ(viewRows(w), QStringList());
    } else {
        EXPECT_EQ(viewRows(w).size(), first->entries.size() * 2 + 1); // page rows, picture rows, the listing
        EXPECT_EQ(viewRows(w).filter(QStringLiteral("=done")).size(), viewRows(w).size());
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, WindowQueueRows, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Debug" : "Normal"; });

TEST_F(WindowWorkers, RemoveTakesAListingPageWhileTheWorkersRun)
{
    TFormMain &w = open();
    const auto &truth = m_site->manifest();
    // A listing of three pages whose third is numbered "page=3" (or "page3/" where the site
    // writes its numbers so).
    const auto allPublic = [&](const photosite::ManifestListingPage &page) {
        for (const auto *other : truth.pagesOf(page.layout))
            if (other->listingKey == page.listingKey)
                for (const auto &entry : other->entries)
                    if (truth.picture(entry.pictureId)->isPrivate)
                        return false;
        return true;
    };
    const photosite::ManifestListingPage *third = nullptr;
    for (const auto &page : truth.listingPages)
        if (page.pageNo == 3 && page.pageCount == 3 && allPublic(page)
            && (!third || page.url.contains(QStringLiteral("page=3"))))
            third = &page;
    ASSERT_NE(third, nullptr);
    const QString text = third->url.contains(QStringLiteral("page=3")) ? QStringLiteral("page=3") : QStringLiteral("page3");
    QList<const photosite::ManifestListingPage *> set;
    for (const auto &page : truth.listingPages)
        if (page.listingKey == third->listingKey && page.layout == third->layout)
            set << &page;
    ASSERT_EQ(set.size(), 3);
    std::sort(set.begin(), set.end(), [](const auto *a, const auto *b) { return a->pageNo < b->pageNo; });
    QueueState &queues = w.context().queues();
    for (const auto *page : set)
        queues.QueuePage(page->url, page->url + QStringLiteral("|id:2|2||") + pictures());
    ASSERT_EQ(itemFileCount(w), 3);
    // The page worker is on the first page (its browser wait is long enough) when the user removes.
    ASSERT_TRUE(test::waitUntil([&] { return viewRows(w).contains(PageRowCaption(set[0]->url) + QStringLiteral("=<working>")); }, kWaitMs));
    ScriptedDialogs dialogs;
    dialogs.answerOk = true;
    dialogs.inputAnswer = text;
    const ScopedDialogs scoped(dialogs);
    QTest::mouseClick(w.queueStatusPanel()->bRemoveFromQueue(), Qt::LeftButton);
    EXPECT_TRUE(viewRows(w).contains(PageRowCaption(third->url) + QStringLiteral("=canceled")));
    EXPECT_EQ(itemFileCount(w), 2);

    ASSERT_TRUE(test::waitUntil([&] { return queues.PageQueue.Count() == 0 && queues.MediaQueue.Count() == 0; }, kWaitMs));
    const QStringList saved = QDir(pictures()).entryList(QDir::Files);
    for (const auto &entry : third->entries)
        EXPECT_TRUE(saved.filter(entry.pictureId + u'_').isEmpty()) << entry.pictureId.toStdString();
    EXPECT_EQ(saved.size(), set[0]->entries.size() + set[1]->entries.size());
    EXPECT_EQ(itemFileCount(w), 0);
}

TEST_F(WindowWorkers, CancelAsksWithTheCountsAndLeavesNoItemFile)
{
    TFormMain &w = open();
    QueueState &queues = w.context().queues();
    const auto &all = m_site->manifest().pictures;
    // The first picture and both pages take long: the lines wait behind them, as in real use.
    for (const QString &path : {QUrl(all[0].largestFileUrl).path(), QUrl(all[5].pageUrl).path()}) {
        photosite::FaultRule slow;
        slow.pattern = path;
        slow.kind = photosite::FaultKind::Delay;
        slow.arg = QStringLiteral("8");
        m_site->addFault(slow);
    }
    for (int i = 0; i < 5; ++i)
        queues.QueueResumedMedia(MediaLine{all[i].largestFileUrl, all[i].idX, QString(), all[i].pageUrl, pictures()}.line());
    for (int i = 5; i < 7; ++i)
        queues.QueuePage(all[i].pageUrl, all[i].pageUrl + QStringLiteral("|id:1|2||") + pictures());
    ASSERT_EQ(itemFileCount(w), 7);
    ASSERT_TRUE(test::waitUntil([&] {
        return w.queueStatusPanel()->bCancelDownload()->isVisible()
               && viewRows(w).contains(all[0].largestFileUrl + QStringLiteral("=<working>"))
               && viewRows(w).contains(PageRowCaption(all[5].pageUrl) + QStringLiteral("=<working>"));
    }, kWaitMs));

    ScriptedDialogs dialogs;
    dialogs.answerOk = true;
    const ScopedDialogs scoped(dialogs);
    QTest::mouseClick(w.queueStatusPanel()->bCancelDownload(), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown(),
              QStringList{QStringLiteral("question: Are you sure you want to stop downloading 5 images? (+2 pending pages)")});
    ASSERT_TRUE(test::waitUntil([&] { return !w.context().run().Canceling(); }, kWaitMs));
    EXPECT_EQ(queues.PageQueue.Count() + queues.MediaQueue.Count(), 0);
    EXPECT_EQ(itemFileCount(w), 0);
    EXPECT_TRUE(test::waitUntil([&] { return viewRows(w).filter(QStringLiteral("=canceled")).size() == 7; }, kWaitMs))
        << viewRows(w).join(u'\n').toStdString();
    EXPECT_TRUE(QDir(pictures()).entryList(QDir::Files).isEmpty());
}

TEST_F(WindowWorkers, RequeueQueuesCanceledThenFailedWhileTheWorkersRun)
{
    TFormMain &w = open();
    w.context().run().debugMode = true; // the "done" row stays in view
    const auto &all = m_site->manifest().pictures;
    QList<const photosite::ManifestPicture *> visible;
    for (const auto &p : all)
        if (!p.isPrivate)
            visible << &p;
    const auto &a = *visible[0], &b = *visible[1], &c = *visible[2];
    photosite::FaultRule broken;
    broken.pattern = QUrl(a.pageUrl).path();
    broken.kind = photosite::FaultKind::Status;
    broken.arg = QStringLiteral("404");
    m_site->addFault(broken);
    QueueState &queues = w.context().queues();
    const auto line = [&](const photosite::ManifestPicture &p) { return p.pageUrl + QStringLiteral("|id:1|2||") + pictures(); };
    // Top to bottom: A failed, B done, C canceled.
    w.context().run().QueuePaused = true;
    queues.QueuePage(c.pageUrl, line(c));
    w.context().queueCommands().RemoveByText(c.pageUrl);
    w.context().run().QueuePaused = false;
    queues.QueuePage(b.pageUrl, line(b));
    ASSERT_TRUE(test::waitUntil([&] { return queues.PageQueue.Count() == 0 && queues.MediaQueue.Count() == 0; }, kWaitMs));
    queues.QueuePage(a.pageUrl, line(a));
    ASSERT_TRUE(test::waitUntil([&] { return viewRows(w).contains(PageRowCaption(a.pageUrl) + QStringLiteral("=failed")); }, kWaitMs));
    QStringList rows = viewRows(w).filter(QStringLiteral("Q2: "));
    ASSERT_EQ(rows, (QStringList{PageRowCaption(a.pageUrl) + QStringLiteral("=failed"),
                                 PageRowCaption(b.pageUrl) + QStringLiteral("=done"),
                                 PageRowCaption(c.pageUrl) + QStringLiteral("=canceled")}));

    w.context().run().QueuePaused = true;
    QTest::mouseClick(w.queueStatusPanel()->bReQueue(), Qt::LeftButton);
    {
        TThreadStringList::Locker lock(queues.PageQueue);
        EXPECT_EQ(lock.list(), (QStringList{line(c), line(a)}));
    }
    EXPECT_EQ(viewRows(w).filter(QStringLiteral("Q2: ")).mid(0, 2),
              (QStringList{PageRowCaption(a.pageUrl) + u'=', PageRowCaption(c.pageUrl) + u'='}));
    EXPECT_EQ(viewRows(w).filter(QStringLiteral("=requeued")).size(), 2);
    EXPECT_EQ(itemFileCount(w), 2); // one file per requeued line, the failed line's kept one reused
    w.context().run().QueuePaused = false;
    ASSERT_TRUE(test::waitUntil([&] {
        return QDir(pictures()).entryList(QDir::Files).filter(c.idX).size() == 1 && queues.PageQueue.Count() == 0;
    }, kWaitMs));
}

TEST_F(WindowWorkers, PastePanelQueuesOnlyTheSitesPicturePages)
{
    TFormMain &w = open();
    w.context().run().QueuePaused = true;
    const auto &p = m_site->manifest().pictures.first();
    ScriptedDialogs dialogs;
    const ScopedDialogs scoped(dialogs);
    TPasteUrlsPanel *panel = w.pasteUrlsPanel();
    panel->Open();
    ASSERT_TRUE(panel->isVisible());
    QString https = p.pageUrl;
    https.replace(QStringLiteral("http://"), QStringLiteral("https://"));
    panel->edMultipleUrls()->setPlainText(https + QStringLiteral("\n\n") + p.pageUrl);
    QTest::mouseClick(panel->panelPasteUrlsOK(), Qt::LeftButton);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: 1 items have been queued")});
    TThreadStringList::Locker lock(w.context().queues().PageQueue);
    EXPECT_EQ(lock.list(), QStringList{p.pageUrl + QStringLiteral("|id:1|2||") + pictures() + u'/'});
    EXPECT_EQ(viewRows(w), QStringList{PageRowCaption(p.pageUrl) + u'='});
}

// The thread-status squares: shown only with the "debug" switch; the first blinks with the idle
// media worker's heartbeat (white, blue, white...).
TEST_F(WindowWorkers, ThreadStatusBlinksWithTheMediaWorkerOnlyInDebugMode)
{
    for (const bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug" : "plain");
        SetCommandLineArgs(debug ? QStringList{QStringLiteral("debug")} : QStringList{});
        TFormMain &w = open();
        TThreadStatusBar *bar = w.threadStatus();
        EXPECT_EQ(bar->isVisible(), debug);
        int toggles = 0;
        bool last = bar->heartbeatBlue();
        EXPECT_TRUE(test::waitUntil(
            [&] {
                if (bar->heartbeatBlue() != last) {
                    last = !last;
                    ++toggles;
                }
                return toggles >= 2;
            },
            kWaitMs));
        m_window.reset();
    }
}

TEST_F(WindowWorkers, SavedPicturesFillTheStripAndATaggedOneIsNotSavedAgain)
{
    TFormMain &w = open();
    const photosite::ManifestListingPage &page = firstSetPage();
    const int count = int(page.entries.size());
    const QString folder = IncludeTrailingBackslash(pictures()) + QStringLiteral("set");
    runLineUntilSaved(w, page.url, page.url + QStringLiteral("|id:2|2||") + folder, folder, count);

    ASSERT_TRUE(test::waitUntil([&] { return w.strips()->sessionStrip().FramesXAr.size() == count; }, kWaitMs));
    const QString last = w.lastSavedFn();
    EXPECT_TRUE(QFile::exists(last)) << last.toStdString();
    EXPECT_TRUE(w.gbImageLast()->isVisible());
    EXPECT_FALSE(w.imageLast()->bitmap().isNull());
    EXPECT_LE(w.imageLast()->bitmap().width(), TFormMain::kLastPictureWidth);
    EXPECT_EQ(w.strips()->sessionStrip().FramesXAr.last()->frameFn(), last);
    EXPECT_GE(w.strips()->bottomHeight(), TPictureStrips::kBottomHeight);

    // Tagged from the strip's menu: renamed, the frame follows, the picture is still on disk.
    TFrameX *frame = w.strips()->sessionStrip().FramesXAr.first();
    const QString old = frame->frameFn();
    w.strips()->setSelectedStripFile(old);
    w.strips()->popupImage()->findChild<QAction *>(QStringLiteral("piAddTag"))->trigger();
    ASSERT_TRUE(w.editTagsPanel()->isVisible());
    EXPECT_EQ(w.editTagsPanel()->edEditingTagsFilename()->text(), old);
    w.editTagsPanel()->ed_NewTags()->setText(QStringLiteral("lake"));
    w.editTagsPanel()->bUpdateTags()->click();
    const QString renamed = PathWithNewTags(old, QStringLiteral("lake"));
    EXPECT_FALSE(w.editTagsPanel()->isVisible());
    EXPECT_TRUE(QFile::exists(renamed)) << renamed.toStdString();
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_EQ(frame->frameFn(), renamed);
    EXPECT_EQ(frame->comment(), QStringLiteral("lake"));

    // The listing again: nothing is queued or saved a second time, the tagged picture included.
    runLineUntilSaved(w, page.url, page.url + QStringLiteral("|id:2|2||") + folder, folder, count);
    EXPECT_TRUE(QFile::exists(renamed));
    EXPECT_EQ(w.strips()->sessionStrip().FramesXAr.size(), count);
}

TEST_F(WindowWorkers, LocateInOrvixOpensThePageOfAStripPicture)
{
    TFormMain &w = open();
    // Not one of the first pictures: the start page must not show it already.
    const photosite::ManifestPicture *picture = nullptr;
    int publicSeen = 0;
    for (const auto &p : m_site->manifest().pictures)
        if (!p.isPrivate && ++publicSeen == 4)
            picture = &p;
    ASSERT_NE(picture, nullptr);
    runLineUntilSaved(w, picture->pageUrl, picture->pageUrl + QStringLiteral("|id:1|2||") + pictures(), pictures(), 1);
    ASSERT_TRUE(test::waitUntil([&] { return w.strips()->sessionStrip().FramesXAr.size() == 1; }, kWaitMs));

    w.strips()->setSelectedStripFile(w.strips()->sessionStrip().FramesXAr.first()->frameFn());
    w.strips()->popupImage()->findChild<QAction *>(QStringLiteral("piLocateInOrvix"))->trigger();
    // The page opened is the picture's own: once read, the panel shows its id and its saved copy.
    ASSERT_TRUE(test::waitUntil([&] { return w.picturePanel()->shownImageId() == picture->id; }, kWaitMs))
        << w.wbMainBrowser()->LocationURL().toStdString();
    EXPECT_TRUE(w.wbMainBrowser()->LocationURL().startsWith(picture->pageUrl.section(u'/', 0, -2)))
        << w.wbMainBrowser()->LocationURL().toStdString();
    EXPECT_EQ(w.picturePanel()->LocalPicturePath(), w.lastSavedFn());
}

} // namespace
