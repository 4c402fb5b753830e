// ResolvePictureFileUrl against the simulated photo site: every picture's file of each size
// choice, as the site's manifest knows it, whether the sizes page shows it or links to it.

#include "engine/cookie_jar.h"
#include "engine/ie_http.h"
#include "engine/picture_size.h"
#include "engine_fixture.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "foundation/run_control.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace orvix;
using orvix::photosite::parseFaultRule;
using orvix::photosite::PhotoSiteServer;

namespace {

class PictureSizeSiteTest : public orvix::test::EngineFixture
{
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        photosite::ServerOptions options;
        options.site.owners = 2;
        options.site.photosPerOwner = 12;
        options.site.largestFileBytes = 16 * 1024;
        m_site = std::make_unique<PhotoSiteServer>(options);
        m_site->start();
        m_previousHost = SiteHost();
        SetSiteHost(m_site->host()); // site-relative size links are completed with it
    }
    void TearDown() override
    {
        SetSiteHost(m_previousHost);
        EngineFixture::TearDown();
    }

    QString resolve(const photosite::ManifestPicture &p, const QString &pageUrl)
    {
        return ResolvePictureFileUrl(runControl(), p.id, p.secret, u'O', pageUrl);
    }
    int sizesRequests() const
    {
        int n = 0;
        for (const auto &r : m_site->requests())
            n += r.path.contains(QLatin1String("/sizes/"));
        return n;
    }
    QString prefix(const photosite::ManifestPicture &p) const
    {
        return QStringLiteral("URL failed (L/O): ") + p.idX + QStringLiteral(": , error= ");
    }
    const photosite::Picture &modelOf(const photosite::ManifestPicture &p) const
    {
        return *m_site->site().pictureById(p.id);
    }
    bool largestShown(const photosite::ManifestPicture &p) const
    {
        const photosite::Picture &model = modelOf(p);
        return model.sizesPageShows == model.sizes.size() - 1;
    }
    const photosite::ManifestPicture &firstPicture(const std::function<bool(const photosite::ManifestPicture &)> &pred) const
    {
        for (const auto &p : m_site->manifest().pictures)
            if (pred(p))
                return p;
        throw std::runtime_error("the site has no such picture");
    }

    std::unique_ptr<PhotoSiteServer> m_site;
    QString m_previousHost;
};

} // namespace

TEST_F(PictureSizeSiteTest, EveryPublicPictureResolvesToItsLargestFile)
{
    int shown = 0, relativeLink = 0, absoluteLink = 0;
    for (const photosite::ManifestPicture &p : m_site->manifest().pictures) {
        if (p.isPrivate)
            continue;
        const bool onFirstPage = largestShown(p);
        (onFirstPage ? shown : modelOf(p).absoluteSizeLinks ? absoluteLink : relativeLink)++;

        for (const QString &pageUrl : p.pageUrls) { // the same picture reached from any listing
            m_site->resetRequests();
            EXPECT_EQ(resolve(p, pageUrl), p.largestFileUrl) << pageUrl.toStdString();
            EXPECT_EQ(sizesRequests(), onFirstPage ? 1 : 2) << pageUrl.toStdString();
        }
    }
    EXPECT_EQ(takeMessages(), QStringList());
    // The site must offer every case for this test to mean something.
    EXPECT_GT(shown, 0);
    EXPECT_GT(relativeLink, 0);
    EXPECT_GT(absoluteLink, 0);
}

TEST_F(PictureSizeSiteTest, PrivatePictureNeedsTheConfirmationCookie)
{
    const photosite::ManifestPicture &p = firstPicture([](const auto &p) { return p.isPrivate; });
    TCookieJar::instance().clear();
    EXPECT_EQ(resolve(p, p.pageUrl), QString());
    EXPECT_EQ(takeMessages(), QStringList(prefix(p) + QStringLiteral(" allsizes-photo not found")));

    // Confirming in one request (as the user does in the browser) stores the site's cookie,
    // which the lookup's own requests then carry.
    TIEHttp confirm;
    confirm.setRequestMethod(QStringLiteral("POST"));
    confirm.setPostStr(QStringLiteral("return=/"));
    confirm.ExecuteUrl(m_site->baseUrl() + m_site->site().picturePath(modelOf(p)) + QStringLiteral("confirm/"));
    EXPECT_EQ(resolve(p, p.pageUrl), p.largestFileUrl);
    EXPECT_EQ(takeMessages(), QStringList());
    TCookieJar::instance().clear();
}

TEST_F(PictureSizeSiteTest, FailingPagesAndCancelFlags)
{
    // A picture whose largest size is behind a link, so that both pages can fail.
    const photosite::ManifestPicture &p = firstPicture([this](const auto &p) { return !p.isPrivate && !largestShown(p); });
    const photosite::Picture &model = modelOf(p);
    const QString sizesPath = m_site->site().sizesPath(model);
    const QString largestPath = m_site->site().sizesPath(model, model.largest().letter);

    struct Case { QString fault; QString result; QStringList messages; };
    const QList<Case> cases = {
        // Two failures are retried away; each leaves its message.
        {sizesPath + QStringLiteral("=resetx2"), p.largestFileUrl,
         QStringList(2, prefix(p) + QStringLiteral("Wininet error # 12031 : (Connection Reset)"))},
        // An error page is no sizes page: retried like any failure, and named by its status.
        {sizesPath + QStringLiteral("=status:404x1"), p.largestFileUrl, {prefix(p) + QStringLiteral("TIEHttp error: HTTP 404")}},
        {largestPath + QStringLiteral("=500x1"), p.largestFileUrl, {prefix(p) + QStringLiteral("TIEHttp error: HTTP 500")}},
        // Five attempts, the fetch's verdict, the lookup's.
        {sizesPath + QStringLiteral("=500"), QString(),
         QStringList(6, prefix(p) + QStringLiteral("TIEHttp error: HTTP 500")) << prefix(p) + QStringLiteral(" allsizes-photo not found")},
        {sizesPath + QStringLiteral("=gzipx1"), p.largestFileUrl, {}},
    };
    for (const Case &c : cases) {
        m_site->clearFaults();
        m_site->addFault(parseFaultRule(c.fault));
        EXPECT_EQ(resolve(p, p.pageUrl), c.result) << c.fault.toStdString();
        EXPECT_EQ(takeMessages(), c.messages) << c.fault.toStdString();
    }

    m_site->clearFaults();
    for (std::atomic<bool> *flag : {&runControl().CancelPageQueue, &runControl().CancelMediaQueue}) {
        *flag = true;
        EXPECT_EQ(resolve(p, p.pageUrl), QString());
        *flag = false;
    }
    EXPECT_EQ(takeMessages(), QStringList());
}

TEST_F(PictureSizeSiteTest, EachSizeChoiceTakesTheFileTheSiteNames)
{
    const QChar letters[] = {u'M', u'L', u'O'};
    int atLimit = 0, noneFits = 0, largeBelowOriginal = 0;
    for (const photosite::ManifestPicture &p : m_site->manifest().pictures) {
        if (p.isPrivate)
            continue;
        ASSERT_EQ(p.chosenFileUrls.size(), 3);
        for (int code = 0; code < 3; ++code)
            EXPECT_EQ(ResolvePictureFileUrl(runControl(), p.id, p.secret, letters[code], p.pageUrl), p.chosenFileUrls[code])
                << p.pageUrl.toStdString() << " size " << code;
        for (const auto &s : p.sizes) {
            atLimit += s.fileUrl.toLower() == p.chosenFileUrls[0] && qMax(s.width, s.height) == kCurrentSizeMaxSide;
            atLimit += s.fileUrl.toLower() == p.chosenFileUrls[1] && qMax(s.width, s.height) == kLargeSizeMaxSide;
        }
        const auto &smallest = p.sizes.first();
        noneFits += qMax(smallest.width, smallest.height) > kLargeSizeMaxSide
                    && p.chosenFileUrls[0] == smallest.fileUrl.toLower();
        largeBelowOriginal += p.chosenFileUrls[1] != p.chosenFileUrls[2];
    }
    EXPECT_EQ(takeMessages(), QStringList());
    // The site must offer every rule for this test to mean something.
    EXPECT_GT(atLimit, 0);
    EXPECT_GT(noneFits, 0);
    EXPECT_GT(largeBelowOriginal, 0);
}
