// The page worker against the simulated photo site, with a host that records what the window
// would have been asked to do and a hidden browser that answers with the site's rendered pages.

#include "engine/cookie_jar.h"
#include "engine/listing_drop.h"
#include "engine/page_worker.h"
#include "foundation/thread_string_list.h"
#include "foundation/run_control.h"
#include "queue/queue_line.h"
#include "local_servers.h"
#include "worker_test_support.h"

#include <QFile>
#include <QNetworkCookie>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvix;
using namespace orvix::test;

namespace {

class PageWorkerTest : public WorkerSandbox
{
protected:
    void SetUp() override
    {
        WorkerSandbox::SetUp();
        startSite();
        host.hiddenPages = [this](const QString &url) { return rendered(url); };
    }

    QString rendered(const QString &url)
    {
        const QUrl u(url);
        return QString::fromUtf8(site().renderedPage(u.path() + (u.hasQuery() ? u'?' + u.query() : QString())));
    }
    QString mediaLineFor(const photosite::ManifestPicture &p, const QString &tags = QString()) const
    {
        return MediaLine{p.largestFileUrl, MediaFileBase(p.id, p.secret, p.imageName, tags), QString(), p.pageUrl,
                         pictures()}
            .line();
    }
    int requestsFor(const QString &url)
    {
        const QString path = QUrl(url).path();
        int n = 0;
        for (const auto &r : site().requests())
            n += r.path == path;
        return n;
    }
    bool pageQueueDone() { return queues->PageQueue.Count() == 0; }

    void runWorker()
    {
        stop();
        worker = std::make_unique<TThreadDownloadPageItems>(*queues, host, fastTiming());
        run(*worker);
    }

    std::unique_ptr<TThreadDownloadPageItems> worker;
};

TEST_F(PageWorkerTest, PicturePageBecomesOneMediaLineWithItsRecord)
{
    const auto &p = publicPicture();
    const QString line = queuePageLine(p.pageUrl, QStringLiteral("id:1"), QStringLiteral("my_tag|x"));
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    // The tags' "|" made the line six fields long: malformed, it fails without being followed.
    EXPECT_TRUE(takeMessages().contains(QStringLiteral("malformed line (not processed): ") + line));
    EXPECT_EQ(host.statusOf(QStringLiteral("Q2: ") + p.pageUrl), QStringLiteral("failed"));
    EXPECT_EQ(lines(queues->MediaQueue), QStringList());

    const QString good = queuePageLine(p.pageUrl, QStringLiteral("id:1"), QStringLiteral("my_tag"));
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    EXPECT_EQ(lines(queues->MediaQueue), QStringList{mediaLineFor(p, QStringLiteral("my_tag"))});
    EXPECT_EQ(host.statusOf(PageRowCaption(p.pageUrl)), QStringLiteral("done"));
    EXPECT_EQ(records.records(), QStringList{p.idX + u'|' + p.pageUrl});
    EXPECT_EQ(lines(queues->QueueTemp), QStringList());
    // The finished line's file is gone, the malformed one's stays for resume.
    EXPECT_EQ(itemFiles(QueueKind::Page), QStringList{line});
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList{mediaLineFor(p, QStringLiteral("my_tag"))});
    EXPECT_TRUE(host.rows().contains(p.largestFileUrl + QStringLiteral(" => ") + mediaLineFor(p, QStringLiteral("my_tag"))));
}

TEST_F(PageWorkerTest, FailedLinesLeaveTheQueueButKeepTheirItemFiles)
{
    const QString unreachable = QStringLiteral("http://127.0.0.1:%1/photos/x/1/").arg(UnusedPort());
    const QString home = site().baseUrl() + QStringLiteral("/");
    const QString emptyListing = site().baseUrl() + QStringLiteral("/nothing/here/");
    // A page number does not make an unrecognised page the end of a listing.
    const QString numbered = site().baseUrl() + QStringLiteral("/nothing/here/?page=2");
    const QString missing = site().baseUrl() + QStringLiteral("/photos/nobody/1/");
    const QString noSizes = publicPicture(1).pageUrl;
    site().addFault(photosite::parseFaultRule(QStringLiteral("*/sizes/*=500")));
    host.hiddenPages = [&](const QString &url) {
        if (url == emptyListing || url == numbered)
            return QStringLiteral("<html><head><title>Nothing\n here</title></head><body>nothing</body></html>");
        return rendered(url);
    };
    const struct
    {
        const char *name;
        QString urlType;
        QString url;
        QString message;
    } cases[] = {
        {"unreachable", QStringLiteral("id:1"), unreachable,
         QStringLiteral("URL failed (M): ") + unreachable + QStringLiteral(", error=Wininet error # ")},
        {"no picture", QStringLiteral("id:1"), home, QStringLiteral("Could not read image for url: ") + home},
        {"listing without pictures", QStringLiteral("id:2"), emptyListing,
         QStringLiteral("No images found in page: ") + emptyListing
             + QStringLiteral(" (a page the program does not recognise: neither a picture page nor a listing, "
                              "titled \"Nothing here\")")},
        {"unrecognised page with a page number", QStringLiteral("id:2"), numbered,
         QStringLiteral("No images found in page: ") + numbered
             + QStringLiteral(" (a page the program does not recognise")},
        {"missing page", QStringLiteral("id:1"), missing,
         QStringLiteral("URL failed (M): ") + missing + QStringLiteral(", error=TIEHttp error: HTTP 404")},
        // Nothing was queued for the picture: the line is no more done than one that failed.
        {"sizes page answers an error", QStringLiteral("id:1"), noSizes,
         QStringLiteral("Could not find the picture file for url: ") + noSizes},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString line = queuePageLine(c.url, c.urlType);
        takeMessages();
        runWorker();
        ASSERT_TRUE(waitFor([&] { return host.statusOf(PageRowCaption(c.url)) == QStringLiteral("failed"); }));
        stop();
        EXPECT_TRUE(pageQueueDone());
        const QStringList messages = takeMessages();
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_TRUE(messages.last().startsWith(c.message)) << messages.last().toStdString();
        EXPECT_TRUE(orvixLog().contains(QStringLiteral("URL failed (M): ") + c.url));
        EXPECT_TRUE(itemFiles(QueueKind::Page).contains(line));
        EXPECT_EQ(lines(queues->MediaQueue), QStringList());
    }
}

TEST_F(PageWorkerTest, PrivatePictureIsRefetchedUntilApprovedInTheBrowser)
{
    const auto &p = privatePicture();
    queuePageLine(p.pageUrl);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return requestsFor(p.pageUrl) >= 3; }));

    EXPECT_EQ(host.privatePanels(), QStringList{p.pageUrl}); // shown once, not every pass
    EXPECT_EQ(queues->PageQueue.Count(), 1);
    EXPECT_EQ(host.statusOf(PageRowCaption(p.pageUrl)), QStringLiteral("<working>"));

    // The user confirms in the browser; the shared cookie store hands the approval on.
    QNetworkCookie approval(QByteArray("ok_") + p.id.toUtf8(), "1");
    approval.setDomain(QUrl(site().baseUrl()).host());
    approval.setPath(QStringLiteral("/"));
    TCookieJar::instance().insertCookie(approval);

    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();
    TCookieJar::instance().deleteCookie(approval);
    EXPECT_FALSE(runControl().PrivatePanelShown);
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{mediaLineFor(p)});
    EXPECT_EQ(host.statusOf(PageRowCaption(p.pageUrl)), QStringLiteral("done"));
}

TEST_F(PageWorkerTest, SkippedPrivatePictureLeavesWithItsFileAndKeepsItsRow)
{
    const auto &hidden = privatePicture();
    const auto &next = publicPicture();
    queuePageLine(hidden.pageUrl);
    queuePageLine(next.pageUrl);
    host.onPrivatePanel = [this](const QString &) { runControl().SkipPrivatePicture = true; };
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    EXPECT_EQ(host.statusOf(PageRowCaption(hidden.pageUrl)), QStringLiteral("<working>"));
    EXPECT_EQ(host.hidePanelCalls(), 1);
    EXPECT_FALSE(runControl().PrivatePanelShown);
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{mediaLineFor(next)});
    EXPECT_EQ(itemFiles(QueueKind::Page), QStringList());
}

TEST(ListingPrefix, SharedPartOfEachPageStyle)
{
    const struct
    {
        const char *url;
        const char *prefix;
    } cases[] = {
        {"http://h/groups/g/pool/?page=3", "http://h/groups/g/pool/?"},
        {"http://h/search/?q=lake&page=12", "http://h/search/?q=lake&"},
        {"http://h/photos/tags/sea/?sort=recent;page=2", "http://h/photos/tags/sea/?sort=recent;"},
        {"http://h/photos/ann/sets/72157/page4/", "http://h/photos/ann/sets/72157/page"},
        {"http://h/photos/ann/page2/", "http://h/photos/ann/page"},
        {"http://h/photos/ann/sets/72157/", ""},
        {"http://h/photos/ann/pages/", ""},
        {"http://h/photos/ann/page/", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ListingPrefix(QString::fromLatin1(c.url)), QString::fromLatin1(c.prefix)) << c.url;
}

TEST_F(PageWorkerTest, EmptyListingPageDropsTheRestOfItsListing)
{
    const auto &truth = site().manifest();
    const photosite::ManifestListingPage *third = nullptr;
    for (const auto &page : truth.listingPages)
        if (page.url.startsWith(truth.sampleSetUrl) && page.pageNo == 3)
            third = &page;
    ASSERT_NE(third, nullptr);
    const QString page3 = third->url;
    const QString page4 = QString(page3).replace(QStringLiteral("/page3/"), QStringLiteral("/page4/"));
    const QString page5 = QString(page3).replace(QStringLiteral("/page3/"), QStringLiteral("/page5/"));
    // A picture of another owner, queued before the listing ran out.
    const photosite::ManifestPicture &other = truth.pictures.last();
    ASSERT_FALSE(other.isPrivate);

    queuePageLine(page3, QStringLiteral("id:2"));
    queuePageLine(page4, QStringLiteral("id:2"));
    queuePageLine(page5, QStringLiteral("id:2"));
    queuePageLine(other.pageUrl);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    // Page 3's pictures came right behind it, before the lines queued earlier.
    QStringList expected;
    for (const auto &entry : third->entries)
        expected << site().manifest().picture(entry.pictureId)->largestFileUrl;
    expected << other.largestFileUrl;
    QStringList downloads;
    for (const QString &line : lines(queues->MediaQueue))
        downloads << FirstLineField(line);
    EXPECT_EQ(downloads, expected);

    EXPECT_EQ(host.statusOf(PageRowCaption(page4)), QStringLiteral("done"));
    EXPECT_EQ(host.statusOf(PageRowCaption(page5)), QStringLiteral("done"));
    for (const QString &m : takeMessages())
        EXPECT_FALSE(m.startsWith(QStringLiteral("No images found in page: "))) << m.toStdString();
    EXPECT_EQ(itemFiles(QueueKind::Page), QStringList());
}

TEST_F(PageWorkerTest, CancelDuringALineMarksItCanceledAndEmptiesTheQueue)
{
    const auto &first = publicPicture(0);
    const auto &second = publicPicture(1);
    queuePageLine(first.pageUrl);
    queuePageLine(second.pageUrl);
    host.onWorking = [this](const QString &) { runControl().CancelPageQueue = true; };
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone() && !runControl().CancelPageQueue; }));
    stop();

    EXPECT_EQ(host.statusOf(PageRowCaption(first.pageUrl)), QStringLiteral("canceled"));
    EXPECT_EQ(host.statusOf(PageRowCaption(second.pageUrl)), QString());
    EXPECT_EQ(lines(queues->MediaQueue), QStringList());
}

TEST_F(PageWorkerTest, LineRemovedWhileWorkedOnIsNotReplacedByTheNext)
{
    const auto &first = publicPicture(0);
    const auto &second = publicPicture(1);
    const QString firstLine = queuePageLine(first.pageUrl);
    queuePageLine(second.pageUrl);
    // The remove command takes the line away while the worker fetches it.
    host.onWorking = [&](const QString &caption) {
        if (caption == PageRowCaption(first.pageUrl)) {
            queues->PageQueue.DeleteFirstExact(firstLine);
            queues->DeleteQueueItemFile(QueueKind::Page, first.pageUrl);
        }
    };
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    // Nothing is queued, and no item file written, for the line the user took away.
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{mediaLineFor(second)});
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList{mediaLineFor(second)});
    EXPECT_EQ(host.statusOf(PageRowCaption(second.pageUrl)), QStringLiteral("done"));
    EXPECT_EQ(itemFiles(QueueKind::Page), QStringList());
}

TEST_F(PageWorkerTest, RaisingQueuingFailsThatLineAndTheWorkerGoesOn)
{
    const auto &first = publicPicture(0);
    const auto &second = publicPicture(1);
    const QString firstLine = queuePageLine(first.pageUrl);
    queuePageLine(second.pageUrl);
    records.failRecords = true;
    host.onWorking = [&](const QString &caption) {
        if (caption == PageRowCaption(second.pageUrl))
            records.failRecords = false;
    };
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    EXPECT_EQ(host.statusOf(PageRowCaption(first.pageUrl)), QStringLiteral("failed"));
    EXPECT_TRUE(takeMessages().contains(QStringLiteral("URL failed (M): ") + first.pageUrl
                                        + QStringLiteral(", error=pd_images.db is locked")));
    EXPECT_EQ(host.statusOf(PageRowCaption(second.pageUrl)), QStringLiteral("done"));
    EXPECT_EQ(records.records(), QStringList{second.idX + u'|' + second.pageUrl});
    EXPECT_EQ(itemFiles(QueueKind::Page), QStringList{firstLine});
}

TEST_F(PageWorkerTest, ResumedPageLineDoesNotQueueItsPictureAgain)
{
    const auto &waiting = publicPicture(0);
    const auto &saved = publicPicture(1);
    const auto &fresh = publicPicture(2);
    // Left over from the interrupted run: the first picture's media line, the second's file.
    queues->MediaQueue.Add(mediaLineFor(waiting));
    QDir().mkpath(pictures());
    QFile file(pictures() + saved.idX + u' ' + saved.imageName + QStringLiteral(".jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    for (const auto *p : {&waiting, &saved, &fresh})
        queuePageLine(p->pageUrl);
    runWorker();
    ASSERT_TRUE(waitFor([&] { return pageQueueDone(); }));
    stop();

    EXPECT_EQ(lines(queues->MediaQueue), (QStringList{mediaLineFor(waiting), mediaLineFor(fresh)}));
    for (const auto *p : {&waiting, &saved, &fresh})
        EXPECT_EQ(host.statusOf(PageRowCaption(p->pageUrl)), QStringLiteral("done"));
    // The file found counts as saved from now on; the queued picture got its usual record only.
    EXPECT_EQ(records.found(), QStringList{saved.idX + u'|' + saved.pageUrl + u'|' + file.fileName()});
    EXPECT_EQ(records.records(), QStringList{fresh.idX + u'|' + fresh.pageUrl});
}

} // namespace
