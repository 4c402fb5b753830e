// The main window against the simulated photo site: what each kind of page shows, navigation
// resets, and "Save picture". Each case starts the browser engine, so each runs in a process of
// its own.
#include "test_support.h"
#include "window_site_fixture.h"

#include "ui/main_window.h"
#include "ui/paste_urls_panel.h"
#include "ui/messages_panel.h"
#include "ui/page_type_area.h"
#include "ui/picture_panel.h"
#include "ui/top_bar.h"
#include "ui/web_browser_k.h"

#include "app/program_context.h"
#include "foundation/alerts.h"
#include "foundation/command_line.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text_files.h"
#include "library/picture_db.h"
#include "pages/page_mode.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "foundation/run_control.h"
#include "queue/download_session.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QToolButton>
#include <QWebEnginePage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

class WindowBrowsing : public test::WindowOnSite
{
protected:
    QLineEdit *edit(const char *name) { return m_window->findChild<QLineEdit *>(QLatin1String(name)); }
    QWidget *widget(const char *name) { return m_window->findChild<QWidget *>(QLatin1String(name)); }

    const photosite::ManifestPicture &pictureWithAccents()
    {
        for (const photosite::ManifestPicture &p : m_site.manifest().pictures)
            if (p.imageName.toLatin1() != p.imageName.toUtf8())
                return p;
        throw std::runtime_error("no accented title on the site");
    }

    // The number the window gives for the thumbnails it read ("N pictures on this page").
    int picturesShown()
    {
        const QString tip = m_window->findChild<QPushButton *>(QStringLiteral("bSaveMultiple"))->toolTip();
        return tip.endsWith(QStringLiteral(" pictures on this page")) ? tip.section(u' ', 0, 0).toInt() : -1;
    }

    const photosite::ManifestListingPage &sampleSetPage()
    {
        for (const auto &page : m_site.manifest().listingPages)
            if (page.url == m_site.manifest().sampleSetUrl)
                return page;
        throw std::runtime_error("no sample set on the site");
    }

};

// What the window asked of the desktop, and whether a box opened inside a browser report.
struct RecordingDesktop : IDesktop
{
    QStringList calls;
    int openTarget(const QString &t, const QString &, const QString &) override
    {
        calls << QStringLiteral("open ") + t;
        return 0;
    }
    int openFolder(const QString &f) override
    {
        calls << QStringLiteral("folder ") + f;
        return 0;
    }
    bool locateFile(const QString &) override { return true; }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return false; }
    bool isControlDown() override { return false; }
};

struct RecordingAlerts : IAlerts
{
    QStringList shown;
    bool fullScreenInFront() override { return false; }
    void showPopup(const QString &text, int) override { shown << text; }
};

// Installs an implementation for one test, and puts the window's back.
template <typename T, T *(*Set)(T *)>
struct Installed
{
    explicit Installed(T &now) : previous(Set(&now)) {}
    ~Installed() { Set(previous); }
    T *previous;
};

} // namespace

TEST_F(WindowBrowsing, PicturePageFillsThePicturePanel)
{
    const auto &truth = pictureWithAccents();
    TFormMain &w = open(truth.pageUrl);
    ASSERT_TRUE(test::waitUntil([&] { return !edit("edImageID")->text().isEmpty(); }, kPageWaitMs));

    EXPECT_EQ(edit("edImageID")->text(), truth.id);
    EXPECT_EQ(edit("edImageSecretID")->text(), truth.secret);
    EXPECT_EQ(edit("edImageName")->text(), truth.imageName);
    EXPECT_TRUE(widget("panel_orvix_page")->isVisibleTo(&w));
    EXPECT_FALSE(widget("panel_unrecognized_page")->isVisibleTo(&w));
    EXPECT_EQ(w.pageTypeArea()->currentIndex(), TPageTypeArea::Ts1);
    EXPECT_TRUE(widget("bSaveImage")->isEnabled());
    EXPECT_EQ(w.topBar()->statusLight(), TStatusLight::Blue);
}

TEST_F(WindowBrowsing, PageWithoutPicturesShowsTheUnrecognisedPanel)
{
    TFormMain &w = open(m_site.baseUrl() + QStringLiteral("/"));
    ASSERT_TRUE(waitParsed(w, m_site.baseUrl() + QStringLiteral("/")));
    EXPECT_TRUE(widget("panel_unrecognized_page")->isVisibleTo(&w));
    EXPECT_FALSE(widget("panel_orvix_page")->isVisibleTo(&w));
    EXPECT_EQ(w.pageTypeArea()->currentIndex(), TPageTypeArea::Ts2);
    EXPECT_TRUE(edit("edImageID")->text().isEmpty());
}

TEST_F(WindowBrowsing, SetPageIsAThumbnailsPageWithTheWebPanel)
{
    const QString url = m_site.manifest().sampleSetUrl;
    TFormMain &w = open(url);
    ASSERT_TRUE(test::waitUntil([&] { return w.thumbnailsShown(); }, kPageWaitMs));
    EXPECT_EQ(GetPageMode(w.documentSerialisation()), 1);
    // The panel stands in for the button, which comes back when the panel is closed.
    auto *button = m_window->findChild<QPushButton *>(QStringLiteral("bSaveMultiple"));
    EXPECT_TRUE(widget("panelWebPanel")->isVisibleTo(&w));
    EXPECT_FALSE(button->isVisibleTo(&w));
    EXPECT_EQ(w.pageTypeArea()->currentIndex(), TPageTypeArea::Ts4);
    w.CloseWebPanel();
    EXPECT_EQ(button->text(), QStringLiteral("Save pictures"));
    EXPECT_TRUE(button->isVisibleTo(&w));
    EXPECT_EQ(w.pageTypeArea()->currentIndex(), TPageTypeArea::Ts4);
    EXPECT_FALSE(widget("panel_orvix_page")->isVisibleTo(&w));
    EXPECT_FALSE(widget("panel_unrecognized_page")->isVisibleTo(&w));
}

TEST_F(WindowBrowsing, SearchPageClassifiesAsSearchResults)
{
    const QString url = m_site.baseUrl() + QStringLiteral("/search/?q=lake&w=all");
    TFormMain &w = open(url);
    ASSERT_TRUE(waitParsed(w, url));
    EXPECT_EQ(GetPageMode(w.documentSerialisation()), 8);
    EXPECT_TRUE(w.thumbnailsShown());
}

TEST_F(WindowBrowsing, OnlyNavigationsOnThePhotoSiteResetThePicturePanel)
{
    const auto &truth = pictureWithAccents();
    TFormMain &w = open(truth.pageUrl);
    ASSERT_TRUE(test::waitUntil([&] { return !edit("edImageID")->text().isEmpty(); }, kPageWaitMs));

    struct Case { QString url; bool resets; };
    const Case cases[] = {
        {QStringLiteral("http://ads.example.net/frame.html"), false},
        {QStringLiteral("about:blank"), false},
        {m_site.baseUrl() + QStringLiteral("/search_sidebar/"), false},
        {m_site.baseUrl() + QStringLiteral("/photos/alma/"), true},
    };
    for (const Case &c : cases) {
        bool cancel = false;
        w.wbMainBrowserBeforeNavigate2(c.url, false, cancel);
        EXPECT_FALSE(cancel);
        EXPECT_EQ(edit("edImageID")->text().isEmpty(), c.resets) << c.url.toStdString();
        EXPECT_EQ(widget("bSaveImage")->isEnabled(), !c.resets) << c.url.toStdString();
    }
    EXPECT_EQ(w.NavigationUrl(), m_site.baseUrl() + QStringLiteral("/photos/alma/"));
    EXPECT_EQ(w.topBar()->statusLight(), TStatusLight::Red);
}

TEST_F(WindowBrowsing, SavePictureQueuesThePageLineWithItsItemFile)
{
    const auto &truth = pictureWithAccents();
    TFormMain &w = open(truth.pageUrl);
    ASSERT_TRUE(test::waitUntil([&] { return !edit("edImageID")->text().isEmpty(); }, kPageWaitMs));
    w.context().run().QueuePaused = true; // the page worker would take the line away while it is looked at

    m_window->findChild<QComboBox *>(QStringLiteral("cbImageSizeToSave"))->setCurrentIndex(TPicturePanel::SizeLarge);
    edit("edImageTags")->setText(QStringLiteral("roofs|evening"));
    edit("edOutputPathInner")->setText(QStringLiteral("city"));
    m_window->findChild<QPushButton *>(QStringLiteral("bSaveImage"))->click();

    const QString folder = IncludeTrailingBackslash(w.context().outputFolder()) + QStringLiteral("city");
    const QString expected = truth.pageUrl + QStringLiteral("|id:1|1|roofs_evening|") + folder;
    QueueState &queues = w.context().queues();
    ASSERT_EQ(queues.PageQueue.Count(), 1);
    EXPECT_EQ(queues.PageQueue.Strings(0), expected);
    EXPECT_FALSE(widget("bSaveImage")->isEnabled());

    const QDir pageFolder(w.context().session().PageQueueFolder);
    const QStringList files = pageFolder.entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(files.first().startsWith(w.context().session().SessionName + QLatin1Char('_')));
    EXPECT_EQ(ReadTextFile(pageFolder.filePath(files.first())).trimmed(), expected);

    // Shown again, the picture is known to be queued.
    w.picturePanel()->ShowLocalCopyStatus(truth.id);
    EXPECT_EQ(w.picturePanel()->pcSinglePictureMode()->currentIndex(), 2);
    EXPECT_TRUE(widget("labelLocalExists")->isVisibleTo(&w));
}

// A listing whose server stalls halfway is first reported half loaded; the complete document
// must be read again, not taken for the same page.
TEST_F(WindowBrowsing, StalledSetPageIsReadAgainOnceComplete)
{
    const auto &page = sampleSetPage();
    ASSERT_GT(page.entries.size(), 0);
    m_site.addFault(photosite::parseFaultRule(page.path + QStringLiteral("=stall:1")));
    TFormMain &w = open(page.url);
    ASSERT_TRUE(test::waitUntil([&] { return picturesShown() == int(page.entries.size()); }, kPageWaitMs))
        << "pictures shown: " << picturesShown();
    EXPECT_TRUE(w.thumbnailsShown());
}

// Thumbnails a script adds after the load (the page arrives late, too) are new content.
TEST_F(WindowBrowsing, ThumbnailsAppendedByScriptAreReadAgain)
{
    const auto &page = sampleSetPage();
    m_site.addFault(photosite::parseFaultRule(page.path + QStringLiteral("=delay:1")));
    TFormMain &w = open(page.url);
    const int first = int(page.entries.size());
    ASSERT_TRUE(test::waitUntil([&] { return picturesShown() == first; }, kPageWaitMs));

    // One more thumbnail like the page's first, of another picture number.
    w.wbMainBrowser()->page()->runJavaScript(QStringLiteral(
        "var t = document.getElementById('setThumbs'); var h = t.querySelector('a').outerHTML;"
        "var id = h.match(/\\/(\\d+)\\//)[1]; t.insertAdjacentHTML('beforeend', h.split(id).join(id + '7'));"));
    EXPECT_TRUE(test::waitUntil([&] { return picturesShown() == first + 1; }, kPageWaitMs))
        << "pictures shown: " << picturesShown();
}

// A box the parse opens (here: a photo paragraph it cannot read) must not open while the
// browser's report is still being handled: the browser would deliver nothing until it closed.
TEST_F(WindowBrowsing, ParseBoxesOpenAfterTheBrowserReportReturned)
{
    struct Dialogs : ScriptedDialogs
    {
        TFormMain *window = nullptr;
        QStringList insideReport;
        void info(const QString &text) override
        {
            if (window->wbMainBrowser()->Reporting())
                insideReport << text;
            ScriptedDialogs::info(text);
        }
    } dialogs;
    TFormMain &w = open(QUrl::fromLocalFile(test::fixturePath(QStringLiteral("pages/photo_paragraphs.html"))).toString());
    dialogs.window = &w;
    ScopedDialogs installed(dialogs);
    ASSERT_TRUE(test::waitUntil([&] { return !dialogs.shown().filter(QStringLiteral("p202: parsing failed")).isEmpty(); },
                                kPageWaitMs))
        << dialogs.shown().join(u'\n').toStdString();
    EXPECT_TRUE(dialogs.insideReport.isEmpty()) << dialogs.insideReport.join(u'\n').toStdString();
    EXPECT_TRUE(w.documentParsed());
}

TEST_F(WindowBrowsing, SearchResultsPageTellsNothingUnknown)
{
    const QString url = m_site.baseUrl() + QStringLiteral("/search/?q=lake&w=all");
    TFormMain &w = open(url);
    ASSERT_TRUE(waitParsed(w, url));
    ASSERT_TRUE(test::waitUntil([&] { return picturesShown() > 0; }, kPageWaitMs));
    // The page's later reports, and the message log's once-a-second round.
    test::waitUntil([] { return false; }, 2500);
    const QStringList lines = w.messagesPanel()->lines();
    EXPECT_TRUE(lines.filter(QStringLiteral("unknown page type")).isEmpty()) << lines.join(u'\n').toStdString();
}

TEST_F(WindowBrowsing, SubfolderButtonOpensTheFolderItself)
{
    const auto &truth = pictureWithAccents();
    TFormMain &w = open(truth.pageUrl);
    ASSERT_TRUE(test::waitUntil([&] { return !edit("edImageID")->text().isEmpty(); }, kPageWaitMs));
    RecordingDesktop desktop;
    Installed<IDesktop, SetDesktop> installed(desktop);
    edit("edOutputPathInner")->setText(QStringLiteral("harbour"));
    m_window->findChild<QToolButton *>(QStringLiteral("btnOpenSubfolder1"))->click();

    const QString folder = IncludeTrailingBackslash(w.context().outputFolder()) + QStringLiteral("harbour");
    EXPECT_EQ(desktop.calls, QStringList{QStringLiteral("folder ") + folder});
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(WindowBrowsing, PasteAndGoWithSeveralAddressesOpensTheFirstAndOffersThemInThePastePanel)
{
    QList<const photosite::ManifestPicture *> chosen;
    for (const auto &p : m_site.manifest().pictures)
        if (!p.isPrivate && chosen.size() < 3)
            chosen << &p;
    ASSERT_EQ(chosen.size(), 3);
    TFormMain &w = open(m_site.baseUrl() + QStringLiteral("/"));
    ASSERT_TRUE(waitParsed(w, m_site.baseUrl() + QStringLiteral("/")));
    w.context().run().QueuePaused = true; // the page worker would take the lines away while they are looked at

    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    QApplication::clipboard()->setText(chosen[0]->pageUrl + QStringLiteral("\n") + chosen[1]->pageUrl
                                       + QStringLiteral("\r\n  ") + chosen[2]->pageUrl + QStringLiteral("\n"));
    m_window->findChild<QToolButton *>(QStringLiteral("bPasteUrl"))->click();
    EXPECT_EQ(edit("edURL")->text(), chosen[0]->pageUrl);
    // Nothing is queued until the user says so in the panel, with its size and subfolder.
    TPasteUrlsPanel *panel = w.pasteUrlsPanel();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->edMultipleUrls()->toPlainText(),
              chosen[0]->pageUrl + u'\n' + chosen[1]->pageUrl + u'\n' + chosen[2]->pageUrl);
    QueueState &queues = w.context().queues();
    EXPECT_EQ(queues.PageQueue.Count(), 0);
    EXPECT_TRUE(dialogs.shown().isEmpty());

    panel->panelPasteUrlsOK()->click();
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: 3 items have been queued")});
    ASSERT_EQ(queues.PageQueue.Count(), 3);
    for (int i = 0; i < queues.PageQueue.Count(); ++i)
        EXPECT_TRUE(queues.PageQueue.Strings(i).startsWith(chosen[i]->pageUrl + QStringLiteral("|id:1|2||")))
            << queues.PageQueue.Strings(i).toStdString();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(test::waitUntil([&] { return w.wbMainBrowser()->LocationURL() == chosen[0]->pageUrl; }, kPageWaitMs));
}

TEST_F(WindowBrowsing, DebugReloadOfThePictureDatabaseIsToldOnce)
{
    TFormMain &w = open(m_site.baseUrl() + QStringLiteral("/"));
    ASSERT_TRUE(test::waitUntil([&] { return w.programInitialized(); }, kPageWaitMs));
    const QString db = w.context().pictures().imagesDbPath();
    ASSERT_TRUE(QFileInfo::exists(db)) << db.toStdString();
    QFile file(db);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    file.close();

    RecordingAlerts alerts;
    Installed<IAlerts, SetAlerts> installed(alerts);
    w.context().run().debugMode = true;
    w.ApplicationEvents1Activate();
    EXPECT_EQ(alerts.shown.filter(QStringLiteral("imagesDB_sl.LoadFromFile")).size(), 1) << alerts.shown.join(u'\n').toStdString();
}
