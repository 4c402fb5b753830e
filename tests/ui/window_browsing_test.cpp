// The main window against the simulated photo site: what each kind of page shows, navigation
// resets, and "Save picture". Each case starts the browser engine, so each runs in a process of
// its own.
#include "test_support.h"

#include "ui/main_window.h"
#include "ui/page_type_area.h"
#include "ui/picture_panel.h"

#include "app/program_context.h"
#include "foundation/command_line.h"
#include "foundation/paths.h"
#include "foundation/text_files.h"
#include "pages/page_mode.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "foundation/run_control.h"
#include "queue/download_session.h"
#include "queue/queue_state.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

constexpr int kPageWaitMs = 60000;

class WindowBrowsing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settings.isValid());
        m_site.start();
        SetSiteHost(m_site.host());
        SetSettingsFolder(m_settings.path() + QLatin1Char('/'));
    }

    void TearDown() override
    {
        m_window.reset();
        SetCommandLineArgs({});
        SetSiteHost(QString());
    }

    // The window as the program starts it, opening url at its first display.
    TFormMain &open(const QString &url)
    {
        SetCommandLineArgs({QStringLiteral("url=") + url});
        m_window = std::make_unique<TFormMain>();
        m_window->show();
        return *m_window;
    }

    bool waitParsed(TFormMain &w, const QString &url)
    {
        return test::waitUntil([&] { return w.documentParsed() && w.lastUrl() == url; }, kPageWaitMs);
    }

    QLineEdit *edit(const char *name) { return m_window->findChild<QLineEdit *>(QLatin1String(name)); }
    QWidget *widget(const char *name) { return m_window->findChild<QWidget *>(QLatin1String(name)); }

    const photosite::ManifestPicture &pictureWithAccents()
    {
        for (const photosite::ManifestPicture &p : m_site.manifest().pictures)
            if (p.imageName.toLatin1() != p.imageName.toUtf8())
                return p;
        throw std::runtime_error("no accented title on the site");
    }

    QTemporaryDir m_settings;
    photosite::PhotoSiteServer m_site;
    std::unique_ptr<TFormMain> m_window;
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

TEST_F(WindowBrowsing, SetPageIsAThumbnailsPageWithSavePictures)
{
    const QString url = m_site.manifest().sampleSetUrl;
    TFormMain &w = open(url);
    ASSERT_TRUE(test::waitUntil([&] { return w.pageTypeArea()->SaveMultipleShown(); }, kPageWaitMs));
    EXPECT_EQ(GetPageMode(w.documentSerialisation()), 1);
    auto *button = m_window->findChild<QPushButton *>(QStringLiteral("bSaveMultiple"));
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
    EXPECT_TRUE(w.pageTypeArea()->SaveMultipleShown());
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
