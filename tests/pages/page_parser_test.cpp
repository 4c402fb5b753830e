#include "pages/page_mode.h"
#include "pages/page_parser.h"
#include "pages/site.h"

#include "foundation/log.h"

#include "recording_reports.h"
#include "test_support.h"

#include <QThread>
#include <gtest/gtest.h>

#include <stdexcept>

namespace orvix {
namespace {

QString fixture(const char *name)
{
    return test::readFixtureLatin1(QStringLiteral("pages/") + QString::fromUtf8(name));
}

// Stands in for the main window: serves the page and records what the parser asks it to show.
class FakeWindow : public IPageWindow
{
public:
    QString source, serialisation, address, last;
    bool failOnSource = false;
    bool thumbnailsVisible = false;
    QString idBox;
    QStringList calls;
    TPagingView paging;
    TWebFrameEntryList entries;
    test::RecordingReports recorded;

    QString pageSource() override
    {
        if (failOnSource)
            throw std::runtime_error("no document");
        return source;
    }
    QString documentSerialisation() override { return serialisation; }
    QString lastUrl() override { return last; }
    QString addressText() override { return address; }
    QString navigationUrl() override { return QStringLiteral("nav:") + address; }
    QString currentUrl() override { return address; }
    IParseReports &reports() override { return recorded; }

    void showWorking() override { calls << QStringLiteral("working"); }
    void showPicture(const TImageData &picture) override
    {
        idBox = picture.ImageId;
        calls << QStringLiteral("picture:") + picture.ImageIdX;
    }
    bool thumbnailsShown() override { return thumbnailsVisible; }
    QString shownImageId() override { return idBox; }
    void showPagePanel(TPagePanel panel) override
    {
        static const char *names[] = {"none", "picture", "unrecognised"};
        calls << QStringLiteral("panel:") + QString::fromUtf8(names[int(panel)]);
    }
    void forgetThumbnailsPage() override
    {
        thumbnailsVisible = false;
        calls << QStringLiteral("forget");
    }
    void showThumbnailsPage(const TPagingView &view) override
    {
        thumbnailsVisible = true;
        paging = view;
        calls << QStringLiteral("thumbnails");
    }
    void showEntries(const TWebFrameEntryList &list) override
    {
        entries = list;
        calls << QStringLiteral("entries:%1").arg(list.Count());
    }
};

class PageParserTest : public ::testing::Test
{
protected:
    void SetUp() override { SetSiteHost(QString()); }
};

TEST_F(PageParserTest, WorkerReadsAPicturePage)
{
    TPageWorkerContext ctx;
    test::RecordingReports reports;
    ctx.Reports = &reports;
    ctx.WorkerImageData.PageUrl = QStringLiteral("http://www.photosite.example/photos/a/777001/");
    ctx.WorkerImageData.ImageId = QStringLiteral("stale");
    ctx.WorkerPageText = fixture("picture_and_set.html");

    ParseWorkerPicturePage(ctx);
    EXPECT_EQ(ctx.WorkerImageData.ImageIdX, QStringLiteral("777001_f00dcafe"));
    EXPECT_EQ(ctx.WorkerImageData.PageUrl, QStringLiteral("http://www.photosite.example/photos/a/777001/"));
    EXPECT_EQ(ctx.WorkerImageData.PageVersion, 2);
    // The report names the page the worker was reading, and goes to the worker's sink.
    EXPECT_EQ(reports.alerts, QStringList{QStringLiteral(
                                  "error: ar.Length() <> 3, url=http://www.photosite.example/photos/a/777001/")});
    EXPECT_EQ(ParseWorkerMatrixPage(ctx), pmNotThumbnails);
    EXPECT_TRUE(ctx.WorkerPageEntries.isEmpty());
}

TEST_F(PageParserTest, WorkerReadsThumbnailsPagesAndForgetsThePreviousOne)
{
    TPageWorkerContext ctx;
    test::RecordingReports reports;
    ctx.Reports = &reports;
    ctx.WorkerPageText = fixture("pool.html");
    EXPECT_EQ(ParseWorkerMatrixPage(ctx), pmPoolHoldPhotos);
    EXPECT_EQ(ctx.WorkerPageEntries,
              (QStringList{
                  "http://www.photosite.example/photos/carol/3001/in/pool-tide/|http://farm3.static.photosite.example/3/3001_ggg777_t.jpg|Tide pool",
                  QStringLiteral("http://www.photosite.example/photos/carol/3002/in/pool-tide/|http://farm3.static.photosite.example/3/3002_hhh888_t.jpg|Anémone")}));

    ctx.WorkerPageText = fixture("unrecognised.html");
    EXPECT_EQ(ParseWorkerMatrixPage(ctx), pmNotThumbnails);
    EXPECT_TRUE(ctx.WorkerPageEntries.isEmpty());
    EXPECT_TRUE(reports.alerts.isEmpty() && reports.boxes.isEmpty());
}

TEST_F(PageParserTest, WorkerReportsGoToTheMessageLog)
{
    DrainLogMessages([](const QString &) {});
    TPageWorkerContext ctx; // no sink of its own: nothing may wait for a window
    ctx.WorkerImageData.PageUrl = QStringLiteral("http://www.photosite.example/p/1/");
    ctx.WorkerPageText = fixture("picture_and_set.html") + fixture("photo_paragraphs.html");
    ParseWorkerPicturePage(ctx);
    ctx.WorkerPageText = fixture("photo_paragraphs.html");
    ParseWorkerMatrixPage(ctx);
    QStringList logged;
    DrainLogMessages([&](const QString &m) { logged << m; });
    ASSERT_EQ(logged.size(), 2);
    EXPECT_EQ(logged[0], QStringLiteral("error: ar.Length() <> 3, url=http://www.photosite.example/p/1/"));
    EXPECT_TRUE(logged[1].startsWith(QStringLiteral("p202: parsing failed"))) << logged[1].toStdString();
}

TEST_F(PageParserTest, WorkersOnTwoThreadsDoNotShareState)
{
    struct Job
    {
        const char *file;
        QStringList entries;
        TPageWorkerContext ctx;
        test::RecordingReports reports;
        bool same = true;
    };
    Job jobs[2] = {{"set.html", {}, {}, {}}, {"search.html", {}, {}, {}}};
    for (Job &job : jobs) {
        job.ctx.Reports = &job.reports;
        job.ctx.WorkerPageText = fixture(job.file);
        ParseWorkerMatrixPage(job.ctx);
        job.entries = job.ctx.WorkerPageEntries;
        ASSERT_FALSE(job.entries.isEmpty()) << job.file;
    }
    QList<QThread *> threads;
    for (Job &job : jobs) {
        threads << QThread::create([&job] {
            for (int i = 0; i < 300 && job.same; ++i) {
                ParseWorkerMatrixPage(job.ctx);
                job.same = job.ctx.WorkerPageEntries == job.entries;
            }
        });
        threads.last()->start();
    }
    for (QThread *t : threads) {
        t->wait();
        delete t;
    }
    for (const Job &job : jobs)
        EXPECT_TRUE(job.same) << job.file;
}

TEST_F(PageParserTest, WindowShowsAThumbnailsPage)
{
    FakeWindow w;
    TPageParser parser(&w, nullptr);
    w.serialisation = fixture("set.html");
    w.source = w.serialisation;
    w.address = w.last = QStringLiteral("http://www.photosite.example/photos/alice/sets/72157600/page2/");

    parser.ParseHTMLSourceGui();
    EXPECT_EQ(w.calls, (QStringList{"working", "panel:unrecognised", "forget", "thumbnails", "entries:3"}));
    EXPECT_EQ(parser.MatrixPageUrl(), w.last);
    EXPECT_TRUE(w.paging.NextEnabled);
    EXPECT_EQ(parser.PageNumbering().PageUrlTemplate, QStringLiteral("/photos/alice/sets/72157600/page[PAGE_NO]/"));
    EXPECT_EQ(w.entries[0].PhotoTargetUrl,
              QStringLiteral("http://www.photosite.example/photos/alice/1001/in/set-72157600/"));
    EXPECT_TRUE(parser.BrowserImageData().ImageId.isEmpty());

    // The same address again: the page is not forgotten, and the picture step sees the web panel.
    w.calls.clear();
    parser.ParseHTMLSourceGui();
    EXPECT_EQ(w.calls, (QStringList{"working", "panel:none", "thumbnails", "entries:3"}));
}

TEST_F(PageParserTest, WindowShowsPicturePagesAndEmptyListings)
{
    FakeWindow w;
    TPageParser parser(&w, nullptr);
    w.source = w.serialisation = fixture("picture.html");
    w.address = w.last = QStringLiteral("http://www.photosite.example/photos/alice/4567012345/");
    parser.ParseHTMLSourceGui();
    EXPECT_EQ(w.calls, (QStringList{"working", "picture:4567012345_9fe3a1b2c4", "panel:picture", "forget"}));
    EXPECT_EQ(parser.BrowserImageData().PageUrl, w.address);
    EXPECT_EQ(parser.BrowserImageData().ImageName, QStringLiteral("Café dété “noir” | au lait"));

    // A listing that yields nothing still shows the web panel with its paginator, without frames.
    w.calls.clear();
    w.idBox.clear();
    w.source = w.serialisation = QStringLiteral("<div class=\"HoldPhotos\" id=\"x\"><p id=\"pool_1\"></p>");
    w.address = w.last = QStringLiteral("http://www.photosite.example/groups/x/pool/");
    parser.ParseHTMLSourceGui();
    EXPECT_EQ(w.calls, (QStringList{"working", "panel:unrecognised", "forget", "thumbnails"}));
    EXPECT_FALSE(w.paging.NextEnabled);
}

TEST_F(PageParserTest, WindowNeverStaysOnWorking)
{
    FakeWindow w;
    w.failOnSource = true;
    TPageParser parser(&w, nullptr);
    EXPECT_THROW(parser.ParseHTMLSource_PicturePage(ParseModeWindow), std::runtime_error);
    EXPECT_EQ(w.calls, (QStringList{"working", "panel:unrecognised"}));
}

TEST_F(PageParserTest, ModeNeedsItsSide)
{
    TPageWorkerContext ctx;
    TPageParser workerOnly(nullptr, &ctx);
    EXPECT_THROW(workerOnly.ParseHTMLSource_MatrixPage(ParseModeWindow), std::logic_error);
    EXPECT_THROW(workerOnly.ParseHTMLSource_PicturePage(3), std::invalid_argument);
    FakeWindow w;
    TPageParser windowOnly(&w, nullptr);
    EXPECT_THROW(windowOnly.ParseHTMLSource_PicturePage(ParseModeWorker), std::logic_error);
}

// The window reads the browser's serialisation, already Unicode; the worker reads bytes widened
// one per character. The same characters "Ã©" are a real title in the first and an encoded "é"
// in the second.
TEST_F(PageParserTest, ThumbnailTitlesAreDecodedOnlyFromWidenedBytes)
{
    const QString text = fixture("set.html").replace(QStringLiteral("title=\"Sunset | beach\""),
                                                     QStringLiteral("title=\"Caf\u00C3\u00A9 sign\""));
    FakeWindow w;
    TPageParser parser(&w, nullptr);
    w.source = w.serialisation = text;
    w.address = w.last = QStringLiteral("http://www.photosite.example/photos/alice/sets/72157600/page2/");
    parser.ParseHTMLSourceGui();
    ASSERT_GE(w.entries.Count(), 1);
    EXPECT_EQ(w.entries[0].PhotoTitle, QStringLiteral("Caf\u00C3\u00A9 sign"));

    TPageWorkerContext ctx;
    test::RecordingReports reports;
    ctx.Reports = &reports;
    ctx.WorkerPageText = text;
    ParseWorkerMatrixPage(ctx);
    ASSERT_FALSE(ctx.WorkerPageEntries.isEmpty());
    EXPECT_TRUE(ctx.WorkerPageEntries[0].endsWith(QStringLiteral("|Caf\u00E9 sign"))) << ctx.WorkerPageEntries[0].toStdString();
}

} // namespace
} // namespace orvix
