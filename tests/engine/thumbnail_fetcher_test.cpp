// The web panel's thumbnail fetcher: sizes of the addresses, every request shown once from a
// file that is gone afterwards, stale batches never shown, a dispatcher that sleeps while its
// threads are busy, the program's cookies and certificate checks.
#include "engine/cookie_jar.h"
#include "engine/thumbnail_fetcher.h"
#include "foundation/run_control.h"
#include "local_servers.h"
#include "photosite/photo_site_server.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QNetworkCookie>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace orvix;

namespace {

struct Shown
{
    QString frame;
    int batch = 0;
    QByteArray bytes;
};

// Records what would be shown, as the main thread's display would see it.
struct RecordingDisplay : IThumbnailDisplay
{
    TThumbnailRequests *requests = nullptr;
    mutable QMutex lock;
    QList<Shown> shown;
    int staleCalls = 0;

    void showThumbnail(const QString &frameName, const QString &fileName, int batchId) override
    {
        QFile file(fileName);
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        QMutexLocker l(&lock);
        if (batchId != requests->ThumbnailBatchId)
            ++staleCalls;
        shown.append({frameName, batchId, bytes});
    }
    int count() const
    {
        QMutexLocker l(&lock);
        return int(shown.size());
    }
};

bool waitFor(const std::function<bool()> &pred)
{
    return test::waitUntil(pred, 20000);
}

class ThumbnailFetcher : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        photosite::ServerOptions options;
        options.site.photosPerOwner = 12;
        m_site = std::make_unique<photosite::PhotoSiteServer>(options);
        m_site->start();
        m_display.requests = &m_requests;
        m_fetcher = std::make_unique<TThreadIEThumbs>(m_requests, m_run, m_display, m_temp.path() + u'/');
        m_fetcher->Start();
    }
    void TearDown() override { m_fetcher.reset(); }

    QStringList thumbnailUrls(int n)
    {
        QStringList urls;
        for (const auto &p : m_site->manifest().pictures)
            if (urls.size() < n)
                urls << p.thumbUrl;
        return urls;
    }
    QStringList leftFiles() const { return QDir(m_temp.path()).entryList(QDir::Files); }
    // The count first: the dispatcher takes a line and marks its thread busy in one step.
    bool idle() const
    {
        const bool nonePending = m_requests.ThumbnailRequests.Count() == 0;
        return nonePending && m_fetcher->busyThreads() == 0;
    }

    QTemporaryDir m_temp;
    std::unique_ptr<photosite::PhotoSiteServer> m_site;
    RunControl m_run{QDir::tempPath()};
    TThumbnailRequests m_requests;
    RecordingDisplay m_display;
    std::unique_ptr<TThreadIEThumbs> m_fetcher;
};

} // namespace

TEST(ThumbnailSizeUrl, TheThumbnailSizeOfAnAddress)
{
    const struct { const char *url, *expected; } cases[] = {
        {"http://h/1/123_abc_s.jpg", "http://h/1/123_abc_t.jpg"},
        {"http://h/1/123_abc_m.png", "http://h/1/123_abc_t.png"},
        {"http://h/1/123_abc.jpg", "http://h/1/123_abc_t.jpg"},
        {"http://h/a.jpg/123_abc.jpg", "http://h/a_t.jpg/123_abc_t.jpg"},
        {"http://h/1/123_abc.gif", "http://h/1/123_abc.gif"},
        {"_a.jpg", "_t.jpg"},  // six characters: the "_" rule
        {"a_.jpg", "a__t.jpg"},
        {"_.jpg", "__t.jpg"},  // five and fewer: only the ".jpg" rule
        {".jpg", "_t.jpg"},
        {"_ab", "_ab"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ThumbnailSizeUrl(QString::fromLatin1(c.url)), QString::fromLatin1(c.expected)) << c.url;
}

TEST_F(ThumbnailFetcher, EveryRequestIsShownOnceWithTheProgramsCookiesAndItsFileGoes)
{
    const QUrl site(m_site->baseUrl());
    QNetworkCookie cookie("thumbsession", "s3");
    cookie.setDomain(site.host());
    cookie.setPath(QStringLiteral("/"));
    TCookieJar::instance().insertCookie(cookie);

    const QStringList urls = thumbnailUrls(25);
    ASSERT_EQ(urls.size(), 25);
    for (int i = 0; i < urls.size(); ++i)
        m_requests.Add(QStringLiteral("frame_thumb_%1").arg(i + 1), urls[i]);
    ASSERT_TRUE(waitFor([&] { return m_display.count() == 25 && idle(); }));
    TCookieJar::instance().deleteCookie(cookie);

    QStringList frames;
    for (const Shown &s : m_display.shown) {
        frames << s.frame;
        EXPECT_TRUE(s.bytes.startsWith("\xff\xd8")) << s.frame.toStdString() << " " << s.bytes.left(60).toStdString(); // a JPEG
    }
    frames.sort();
    QStringList expected;
    for (int i = 0; i < 25; ++i)
        expected << QStringLiteral("frame_thumb_%1").arg(i + 1);
    expected.sort();
    EXPECT_EQ(frames, expected);
    EXPECT_EQ(leftFiles(), QStringList());

    int thumbRequests = 0;
    for (const auto &r : m_site->requests()) {
        if (!r.path.endsWith(QLatin1String(".jpg")))
            continue;
        ++thumbRequests;
        EXPECT_TRUE(r.path.endsWith(QLatin1String("_t.jpg"))) << r.path.toStdString();
        EXPECT_TRUE(r.cookies.contains(QLatin1String("thumbsession=s3"))) << r.cookies.toStdString();
    }
    EXPECT_EQ(thumbRequests, 25);
}

TEST_F(ThumbnailFetcher, AnOlderBatchIsNeverShownAndLeavesNoFiles)
{
    // Slow thumbnails: the page is left while all ten threads are downloading.
    m_site->addFault(photosite::parseFaultRule(QStringLiteral("*_t.jpg=delay:1")));
    const QStringList urls = thumbnailUrls(16);
    for (int i = 0; i < 12; ++i)
        m_requests.Add(QStringLiteral("frame_thumb_%1").arg(i + 1), urls[i]);
    ASSERT_TRUE(waitFor([&] { return m_fetcher->busyThreads() == TThreadIEThumbs::kThreads; }));

    // Every thread busy and two requests waiting: the dispatcher must sleep, not spin.
    const quint64 roundsBefore = m_fetcher->dispatcherRounds();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_LT(m_fetcher->dispatcherRounds() - roundsBefore, 10u);

    m_requests.NewBatch();
    for (int i = 12; i < 16; ++i)
        m_requests.Add(QStringLiteral("frame_thumb_%1").arg(i - 11), urls[i]);
    ASSERT_TRUE(waitFor([&] { return m_display.count() == 4 && idle(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // nothing more arrives
    ASSERT_EQ(m_display.count(), 4);
    for (const Shown &s : m_display.shown)
        EXPECT_EQ(s.batch, 1) << s.frame.toStdString();
    EXPECT_EQ(m_display.staleCalls, 0);
    EXPECT_EQ(leftFiles(), QStringList());
}

TEST_F(ThumbnailFetcher, AnUntrustedCertificateGivesNoThumbnail)
{
    test::TlsServer server("good"); // signed by the tests' own authority, which nobody trusts
    m_requests.Add(QStringLiteral("frame_thumb_1"), server.url());
    ASSERT_TRUE(waitFor([&] { return idle(); }));
    // The fetch has finished (or failed) once the thread is idle again.
    EXPECT_EQ(m_display.count(), 0);
    EXPECT_EQ(leftFiles(), QStringList());
}
