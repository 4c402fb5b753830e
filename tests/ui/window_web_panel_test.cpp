// The web panel in the main window against the simulated photo site: frames and thumbnails of
// a set page, saved and queued pictures, "Save selected", "Save pages", and thumbnails of a page
// left behind. Each case starts the browser engine, so each runs in a process of its own.
#include "test_support.h"
#include "window_site_fixture.h"

#include "ui/main_window.h"
#include "ui/page_type_area.h"
#include "ui/picture_strips.h"
#include "ui/settings_panel.h"
#include "ui/queue_message_panel.h"
#include "ui/subfolder_edit.h"
#include "ui/web_browser_k.h"
#include "ui/web_panel_host.h"
#include "ui/widgets/image_x.h"
#include "ui/widgets/varnel_page_control_x.h"

#include "app/program_context.h"
#include "engine/ie_http.h"
#include "engine/thumbnail_fetcher.h"
#include "foundation/command_line.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "pages/image_data.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "queue/queue_state.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// Shift held or not, as the test says.
struct ShiftDesktop : IDesktop
{
    bool shift = false;
    int openTarget(const QString &, const QString &, const QString &) override { return 0; }
    int openFolder(const QString &) override { return 0; }
    bool locateFile(const QString &) override { return true; }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return shift; }
    bool isControlDown() override { return false; }
};

// The first widget of the window that shows in front of part of panel, or of panel reaching
// out of the window; empty when the whole panel can be seen.
std::string coveringPanel(const QWidget *panel)
{
    const QWidget *window = panel->parentWidget();
    if (!window->rect().contains(panel->geometry()))
        return "(the window's edge)";
    const QObjectList siblings = window->children(); // back to front
    for (qsizetype i = siblings.indexOf(panel) + 1; i < siblings.size(); ++i) {
        const auto *w = qobject_cast<const QWidget *>(siblings[i]);
        if (w && !w->isWindow() && w->isVisible() && w->geometry().intersects(panel->geometry()))
            return w->objectName().toStdString();
    }
    return {};
}

class WindowWebPanel : public test::WindowOnSite
{
protected:
    TFrameWebPanel *panel() { return m_window->webPanel()->frame(); }
    QList<TFrameWebFrame *> frames() { return panel()->frames(); }

    static bool thumbnailShown(const TFrameWebFrame *f) { return !f->WebImage->bitmap().isNull() && f->edLoading->isHidden(); }

    // The frames of page, every thumbnail shown.
    bool waitForPage(const photosite::ManifestListingPage &page)
    {
        return test::waitUntil(
            [&] {
                const QList<TFrameWebFrame *> f = frames();
                if (f.size() != page.entries.size())
                    return false;
                for (int i = 0; i < f.size(); ++i)
                    if (f[i]->PhotoThumbUrl != page.entries[i].PhotoThumbUrl || !thumbnailShown(f[i]))
                        return false;
                return true;
            },
            kPageWaitMs);
    }

    const photosite::ManifestListingPage &setPage(int pageNo)
    {
        const QString first = m_site.manifest().sampleSetUrl;
        for (const auto &page : m_site.manifest().listingPages)
            if (page.listingKey == listingOf(first) && page.pageNo == pageNo)
                return page;
        throw std::runtime_error("no such page of the sample set");
    }

    QString listingOf(const QString &url)
    {
        for (const auto &page : m_site.manifest().listingPages)
            if (page.url == url)
                return page.listingKey;
        return QString();
    }

    QStringList thumbnailFilesLeft() const
    {
        return QDir(TempPath(QString())).entryList({QStringLiteral("IeThumb_*")}, QDir::Files);
    }

    int thumbnailRequests() const
    {
        int n = 0;
        for (const auto &r : m_site.requests())
            n += r.path.endsWith(QLatin1String("_t.jpg"));
        return n;
    }

    // The picture of frame f saved in the pictures folder, as the media worker leaves it.
    void markSaved(TFormMain &w, const TFrameWebFrame *f, const QString &pictureId)
    {
        const auto *truth = m_site.manifest().picture(pictureId);
        ASSERT_NE(truth, nullptr);
        TImageData data;
        data.ImageId = truth->id;
        data.ImageSecretID = truth->secret;
        data.ImageIdX = truth->idX;
        data.PageUrl = f->PhotoUrl;
        w.context().pictures().RecordQueuedPicture(data);
        const QString file = IncludeTrailingBackslash(w.context().outputFolder()) + truth->idX + QStringLiteral(" saved.jpg");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("jpeg");
        out.close();
        w.context().pictures().RegisterSavedFile(file);
    }

};

} // namespace

TEST_F(WindowWebPanel, SetPageShowsOneFramePerPictureInPageOrderAndReadingItAgainChangesNothing)
{
    const auto &page = setPage(1);
    TFormMain &w = open(page.url);
    ASSERT_TRUE(waitForPage(page)) << "frames: " << frames().size();

    EXPECT_FALSE(w.webPanel()->isHidden());
    EXPECT_EQ(w.webPanel()->Caption(), QStringLiteral("Download Multiple Pictures"));
    EXPECT_FALSE(w.pageTypeArea()->bSaveMultiple()->isVisible());
    const QList<TFrameWebFrame *> shown = frames();
    for (int i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i]->objectName(), QStringLiteral("frame_thumb_%1").arg(i + 1));
        EXPECT_EQ(shown[i]->PhotoUrl, page.entries[i].PhotoTargetUrl);
        EXPECT_EQ(shown[i]->WebImage->toolTip(), page.entries[i].PhotoTitle);
        // Fitted into the border, never larger than the room inside it.
        EXPECT_LE(shown[i]->WebImage->width(), shown[i]->Panel1x->width());
        EXPECT_LE(shown[i]->WebImage->height(), shown[i]->Panel1x->height());
    }
    EXPECT_EQ(panel()->lblCurrentPage()->text(), QStringLiteral("1"));
    EXPECT_TRUE(panel()->bPage_Next()->isEnabled());
    EXPECT_FALSE(panel()->bPage_Prev()->isEnabled());
    EXPECT_TRUE(test::waitUntil([&] { return thumbnailFilesLeft().isEmpty(); }, 5000)) << thumbnailFilesLeft().join(u' ').toStdString();

    // The page read again: the same frames with the same pictures, nothing fetched again.
    QList<QPointer<TFrameWebFrame>> before;
    QList<qint64> pictures;
    for (TFrameWebFrame *f : shown) {
        before << f;
        pictures << f->WebImage->bitmap().cacheKey();
    }
    const int fetched = thumbnailRequests();
    w.ParseHTMLSourceGui();
    test::waitUntil([] { return false; }, 500);
    ASSERT_EQ(frames().size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        ASSERT_FALSE(before[i].isNull());
        EXPECT_EQ(frames()[i], before[i].data());
        EXPECT_EQ(frames()[i]->WebImage->bitmap().cacheKey(), pictures[i]);
    }
    EXPECT_EQ(thumbnailRequests(), fetched);

    // An address the settings keep the panel closed for: the button instead, which opens it.
    m_window->findChild<QPlainTextEdit *>(QStringLiteral("edMinimizedWebPanelUrls"))
        ->setPlainText(QStringLiteral("  \n  ") + QUrl(page.url).path() + QStringLiteral("  \n"));
    w.ParseHTMLSourceGui();
    EXPECT_TRUE(w.webPanel()->isHidden());
    EXPECT_TRUE(w.pageTypeArea()->bSaveMultiple()->isVisible());
    w.pageTypeArea()->bSaveMultiple()->click();
    EXPECT_FALSE(w.webPanel()->isHidden());
    EXPECT_FALSE(w.pageTypeArea()->bSaveMultiple()->isVisible());

    // Leaving the thumbnails page takes the panel and its frames away.
    w.navigate(m_site.baseUrl() + QStringLiteral("/"));
    ASSERT_TRUE(test::waitUntil([&] { return w.documentParsed() && w.lastUrl() == m_site.baseUrl() + QStringLiteral("/"); },
                                kPageWaitMs));
    EXPECT_TRUE(w.webPanel()->isHidden());
    EXPECT_TRUE(frames().isEmpty());
}

TEST_F(WindowWebPanel, SavedPicturesAreYellowAndUnselectableAndSaveSelectedQueuesTheOthers)
{
    const auto &page = setPage(1);
    TFormMain &w = open(page.url);
    ASSERT_TRUE(waitForPage(page));
    w.context().run().QueuePaused = true; // the page worker would take the lines away while they are looked at

    const QList<TFrameWebFrame *> f = frames();
    markSaved(w, f[0], page.entries[0].pictureId);
    w.RefreshWebPanel(); // as after a picture the media worker saved
    EXPECT_TRUE(f[0]->ImageAlreadyOnDisk);
    EXPECT_EQ(f[0]->borderColour(), TFrameWebFrame::kSavedColour);
    EXPECT_EQ(f[0]->edFrameStatus->text(), QStringLiteral("saved"));
    EXPECT_FALSE(f[0]->edFrameStatus->isHidden());
    EXPECT_TRUE(f[1]->edFrameStatus->isHidden());

    // Clicking a saved picture, or "select all", never selects it.
    panel()->FrameImageClick(f[0]);
    EXPECT_FALSE(f[0]->selected());
    panel()->findChild<QPushButton *>(QStringLiteral("btnSelectAll"))->click();
    EXPECT_FALSE(f[0]->selected());
    EXPECT_TRUE(f[1]->selected());
    EXPECT_EQ(f[1]->borderColour(), TFrameWebFrame::kSelectedColour);
    panel()->findChild<QPushButton *>(QStringLiteral("btnSelectNone"))->click();
    EXPECT_FALSE(f[1]->selected());

    for (int i : {0, 2, 3, 5})
        panel()->FrameImageClick(f[i]);
    panel()->cbImageSizeToSave2()->setCurrentIndex(1);
    panel()->edImageTags2()->setText(QStringLiteral("sea|sky"));
    panel()->edOutputPathInner2()->setText(QStringLiteral("trip"));
    panel()->btnDownloadSelected()->click();

    const QString folder = IncludeTrailingBackslash(w.context().outputFolder()) + QStringLiteral("trip");
    QueueState &queues = w.context().queues();
    ASSERT_EQ(queues.PageQueue.Count(), 3);
    for (int n = 0; n < 3; ++n) {
        const TFrameWebFrame *frame = f[QList<int>{2, 3, 5}[n]];
        EXPECT_EQ(queues.PageQueue.Strings(n), frame->PhotoUrl + QStringLiteral("|id:1|1|sea_sky|") + folder);
        EXPECT_EQ(frame->edFrameStatus->text(), QStringLiteral("queued"));
        EXPECT_EQ(frame->borderColour(), TFrameWebFrame::kQueuedColour);
    }
    EXPECT_TRUE(w.queueMessagePanel()->isVisible());
    EXPECT_EQ(w.queueMessagePanel()->labelQueueMessage()->text(), QStringLiteral("3 images added to download queue."));
    EXPECT_TRUE(panel()->edImageTags2()->text().isEmpty());
    // The shared subfolder reached the picture panel's box too.
    EXPECT_EQ(w.OutputSubfolder(), QStringLiteral("trip"));

    // Queued pictures are not queued twice; nothing new while the note shows says nothing.
    panel()->btnDownloadSelected()->click();
    EXPECT_EQ(queues.PageQueue.Count(), 3);
    EXPECT_EQ(w.queueMessagePanel()->labelQueueMessage()->text(), QStringLiteral("3 images added to download queue."));
}

TEST_F(WindowWebPanel, SaveAllPagesOfASearchQueuesAHundredPagesAndShiftNeedsAPageAddress)
{
    const QString url = m_site.baseUrl() + QStringLiteral("/search/?q=lake&w=all");
    TFormMain &w = open(url);
    ASSERT_TRUE(test::waitUntil([&] { return !frames().isEmpty(); }, kPageWaitMs));
    w.context().run().QueuePaused = true;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    ShiftDesktop desktop;
    const IDesktop *previous = SetDesktop(&desktop);

    desktop.shift = true;
    panel()->action(QStringLiteral("piSavePagesAll"))->trigger();
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: current url is not a page")});
    EXPECT_EQ(w.context().queues().PageQueue.Count(), 0);

    desktop.shift = false;
    dialogs.clear();
    dialogs.answerOk = false;
    panel()->action(QStringLiteral("piSavePagesAllX"))->trigger();
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("question: Are you sure you want to download all 100 pages?")});
    EXPECT_EQ(w.context().queues().PageQueue.Count(), 0);

    dialogs.answerOk = true;
    panel()->action(QStringLiteral("piSavePagesAll"))->trigger();
    SetDesktop(const_cast<IDesktop *>(previous));
    QueueState &queues = w.context().queues();
    ASSERT_EQ(queues.PageQueue.Count(), 100);
    const QString folder = IncludeTrailingBackslash(w.context().outputFolder());
    for (int n : {1, 2, 57, 100}) {
        const QString line = queues.PageQueue.Strings(n - 1);
        const QString pageUrl = line.section(u'|', 0, 0);
        EXPECT_TRUE(pageUrl.startsWith(m_site.baseUrl() + QStringLiteral("/search/"))) << line.toStdString();
        EXPECT_TRUE(pageUrl.contains(QStringLiteral("page=%1").arg(n)) || pageUrl.contains(QStringLiteral("page%1/").arg(n)))
            << line.toStdString();
        EXPECT_EQ(line.section(u'|', 1), QStringLiteral("id:2|") + QString::number(panel()->cbImageSizeToSave2()->currentIndex())
                                             + QStringLiteral("||") + folder)
            << line.toStdString();
    }
}

// Thumbnails still downloading when the browser moves on must never land in the next page's
// frames, which carry the same names.
TEST_F(WindowWebPanel, ThumbnailsOfAPageLeftBehindNeverReachTheNextPage)
{
    // The first page's thumbnails come back late: after the second page's own.
    const auto &first = setPage(1);
    const auto &second = setPage(2);
    for (const auto &e : first.entries)
        m_site.addFault(photosite::parseFaultRule(QUrl(ThumbnailSizeUrl(e.PhotoThumbUrl)).path() + QStringLiteral("=delay:3")));
    TFormMain &w = open(first.url);
    ASSERT_TRUE(test::waitUntil([&] { return frames().size() == first.entries.size(); }, kPageWaitMs));
    w.navigate(second.url);
    ASSERT_TRUE(waitForPage(second)) << "frames: " << frames().size();
    test::waitUntil([] { return false; }, 3500); // the first page's thumbnails have all come back

    // Each frame shows its own picture: its thumbnail loaded the same way.
    m_site.clearFaults();
    QTemporaryDir dir;
    for (TFrameWebFrame *f : frames()) {
        TIEHttp http;
        http.ExecuteUrl(ThumbnailSizeUrl(f->PhotoThumbUrl));
        const QString file = dir.filePath(QStringLiteral("t.jpg"));
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(http.ResultMs());
        out.close();
        TImageX expected;
        expected.resize(f->Panel1x->size());
        expected.LoadAndResampleImage(file, TResampleModeX::RESAMPLE_BF);
        EXPECT_EQ(f->WebImage->bitmap(), expected.bitmap()) << f->objectName().toStdString();
    }
    EXPECT_TRUE(test::waitUntil([&] { return thumbnailFilesLeft().isEmpty(); }, 10000)) << thumbnailFilesLeft().join(u' ').toStdString();
}

TEST_F(WindowWebPanel, PanelOpenedByAPageStaysBehindTheSettingsOfAFirstStart)
{
    const auto &page = setPage(1);
    TFormMain &w = open(page.url);
    ASSERT_TRUE(waitForPage(page));
    ASSERT_FALSE(w.webPanel()->isHidden());
    // A first start: the settings wait for the user in front of the panel the page opened.
    ASSERT_TRUE(w.settingsPanel()->isVisible());
    EXPECT_EQ(coveringPanel(w.settingsPanel()), "");

    // Whatever the user opens comes in front: the web panel by its button, then the settings.
    w.bSaveMultipleClick(true);
    EXPECT_EQ(coveringPanel(w.webPanel()), "");
    w.settingsPanel()->miGeneralSettingsClick(TSettingsPanel::kPageBrowsing);
    EXPECT_EQ(coveringPanel(w.settingsPanel()), "");
}

TEST_F(WindowWebPanel, PanelStaysWithinTheBrowserWhenTheStripsShowBelowIt)
{
    const auto &page = setPage(1);
    TFormMain &w = open(page.url);
    ASSERT_TRUE(waitForPage(page));
    const auto browserArea = [&] {
        return QRect(w.wbMainBrowser()->mapTo(&w, QPoint(0, 0)), w.wbMainBrowser()->size());
    };
    EXPECT_LE(w.webPanel()->geometry().bottom(), browserArea().bottom());
    const QPoint placed = w.webPanel()->pos();

    // The first saved picture opens the strips under the browser: the panel gets shorter.
    w.strips()->ShowBottomStrip();
    QCoreApplication::processEvents();
    const QRect browser = browserArea();
    ASSERT_LE(browser.bottom(), w.strips()->pcBottom()->mapTo(&w, QPoint(0, 0)).y());
    EXPECT_LE(w.webPanel()->geometry().bottom(), browser.bottom());
    EXPECT_LE(w.webPanel()->geometry().right(), browser.right());
    EXPECT_EQ(w.webPanel()->pos(), placed);
}
