// The desktop program's download workers through the window: lines queued in the window are
// fetched, listing pages read in the hidden browser, pictures saved, rows and the picture
// database kept, and a private picture waits on its panel. Each case starts the browser engine,
// so each runs in a process of its own.

#include "test_support.h"

#include "ui/main_window.h"
#include "ui/private_picture_panel.h"
#include "ui/thread_status_bar.h"
#include "ui/worker_host_window.h"

#include "app/program_context.h"
#include "engine/picture_file.h"
#include "foundation/command_line.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "queue/download_session.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

} // namespace
