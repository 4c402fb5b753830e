// Picture pages, sizes pages, picture files and private pictures of the simulated site, checked
// against the manifest over real HTTP.

#include "site_fixture.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

using namespace orvix::photosite;
using namespace orvix::test;

namespace {

QString page(const HttpReply &r) { return QString::fromUtf8(r.body); }

QString between(const QString &text, const QString &from, const QString &to)
{
    const int a = text.indexOf(from);
    if (a < 0)
        return QString();
    const int b = text.indexOf(to, a + from.size());
    return b < 0 ? text.mid(a + from.size()) : text.mid(a + from.size(), b - a - from.size());
}

} // namespace

TEST_F(SmallSite, EveryFileDecodesAtTheListedSizeAndTheLargestMatchesItsHash)
{
    const Manifest &m = site->manifest();
    ASSERT_GE(m.pictures.size(), 20);
    bool sawPng = false;
    for (const ManifestPicture &p : m.pictures) {
        for (const ManifestSize &s : p.sizes) {
            SCOPED_TRACE(s.fileUrl.toStdString());
            EXPECT_EQ(s.fileUrl, s.fileUrl.toLower()) << "the program lower-cases file addresses";
            const HttpReply r = get(s.fileUrl);
            ASSERT_EQ(r.status, 200);
            EXPECT_EQ(r.header("Content-Length").toLongLong(), r.body.size());
            QBuffer buffer;
            buffer.setData(r.body);
            QImageReader reader(&buffer);
            const QByteArray detected = reader.format();
            const QImage image = reader.read();
            ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
            EXPECT_EQ(image.width(), s.width);
            EXPECT_EQ(image.height(), s.height);
            const QByteArray format = s.fileUrl.endsWith(QStringLiteral(".png")) ? "png" : "jpeg";
            EXPECT_EQ(detected, format);
            EXPECT_EQ(r.header("Content-Type"), "image/" + format);
            if (s.fileUrl.toLower() == p.largestFileUrl) {
                sawPng = sawPng || format == "png";
                EXPECT_EQ(r.body.size(), p.largestBytes);
                EXPECT_EQ(QCryptographicHash::hash(r.body, QCryptographicHash::Sha256).toHex(),
                          p.largestSha256.toLatin1());
            }
        }
        EXPECT_EQ(p.largestFileUrl, p.sizes.last().fileUrl.toLower());
    }
    EXPECT_TRUE(sawPng);
    EXPECT_EQ(get(QStringLiteral("/1234/1_abc_o.jpg")).status, 404);
}

TEST_F(SmallSite, LargestFilesFollowTheRequestedByteSize)
{
    for (const ManifestPicture &p : site->manifest().pictures) {
        EXPECT_GT(p.largestBytes, 48 * 1024 / 2) << p.id.toStdString();
        EXPECT_LT(p.largestBytes, 48 * 1024 * 3) << p.id.toStdString();
    }
}

TEST_F(SmallSite, SizesPagesListSmallestFirstAndLeadToTheLargestFile)
{
    static const QRegularExpression dims(QStringLiteral("\\((\\d+) x (\\d+)\\)"));
    static const QRegularExpression href(QStringLiteral("<a href=\"([^\"]*)\""));
    bool linked = false, shown = false, relative = false, absolute = false;
    for (const ManifestPicture &p : site->manifest().pictures) {
        if (p.isPrivate)
            continue;
        SCOPED_TRACE(p.sizesPageUrl.toStdString());
        const QString text = page(get(p.sizesPageUrl));
        const QString list = between(text, QStringLiteral("sizes-list"), QStringLiteral("allsizes-photo"));
        const QStringList items = list.split(QStringLiteral("<li"), Qt::SkipEmptyParts).mid(1);
        ASSERT_EQ(items.size(), p.sizes.size());
        qint64 lastArea = 0;
        for (int i = 0; i < items.size(); ++i) {
            const QRegularExpressionMatch d = dims.match(items.at(i));
            ASSERT_TRUE(d.hasMatch()) << items.at(i).toStdString();
            EXPECT_EQ(d.captured(1).toInt(), p.sizes.at(i).width);
            EXPECT_EQ(d.captured(2).toInt(), p.sizes.at(i).height);
            const qint64 area = qint64(d.captured(1).toInt()) * d.captured(2).toInt();
            EXPECT_GT(area, lastArea);
            lastArea = area;
        }
        QString largestPage = text;
        const QRegularExpressionMatch link = href.match(items.last());
        if (link.hasMatch()) {
            linked = true;
            QString url = link.captured(1);
            relative = relative || !url.contains(QStringLiteral("://"));
            absolute = absolute || url.contains(QStringLiteral("://"));
            if (!url.contains(QStringLiteral("://")))
                url = site->baseUrl() + url;
            EXPECT_EQ(url, p.sizes.last().pageUrl);
            largestPage = page(get(url));
        } else {
            shown = true;
        }
        const QString lowered = largestPage.toLower();
        EXPECT_EQ(between(between(lowered, QStringLiteral("allsizes-photo"), QStringLiteral("</div>")),
                          QStringLiteral("src=\""), QStringLiteral("\"")),
                  p.largestFileUrl);
    }
    // The program must meet both kinds of sizes page and both kinds of link.
    EXPECT_TRUE(linked && shown && relative && absolute);
}

TEST_F(SmallSite, PicturePagesCarryTheMarkersOfTheirPicture)
{
    QSet<int> variants;
    for (const ManifestPicture &p : site->manifest().pictures) {
        if (p.isPrivate)
            continue;
        for (const QString &url : p.pageUrls) {
            SCOPED_TRACE(url.toStdString());
            const HttpReply r = get(url);
            ASSERT_EQ(r.status, 200);
            const QString text = page(r);
            const QStringList preview = text.split(QLatin1Char('\n')).filter(QStringLiteral("rel=\"image_src\""));
            ASSERT_EQ(preview.size(), 1);
            EXPECT_TRUE(preview.first().contains(QStringLiteral("/") + p.idX + QStringLiteral("_m.jpg\">")));
            EXPECT_TRUE(text.contains(QStringLiteral("<meta name=\"title\" content=\"") + p.title + QStringLiteral("\">")));
            const bool script = text.contains(QStringLiteral("page_photo_id")) && text.contains(QStringLiteral("page_p.title"));
            const bool block = text.contains(QStringLiteral("<div id=\"photo\">"));
            ASSERT_TRUE(script || block);
            variants.insert(int(script) + 2 * int(block));
        }
        // Also reached without the trailing slash.
        EXPECT_EQ(get(p.pageUrl + QStringLiteral("in/photostream")).status, 200);
    }
    EXPECT_EQ(variants.size(), 3);
}

TEST_F(SmallSite, TitlesCarryTheCharactersTheProgramMustHandle)
{
    bool accented = false, apostrophe = false, semicolon = false, bar = false;
    for (const ManifestPicture &p : site->manifest().pictures) {
        accented = accented || p.title.toLatin1() != p.title.toUtf8();
        apostrophe = apostrophe || p.title.contains(QLatin1Char('\''));
        semicolon = semicolon || p.title.contains(QLatin1Char(';'));
        bar = bar || p.title.contains(QLatin1Char('|'));
        EXPECT_FALSE(p.imageName.contains(QLatin1Char('\'')) || p.imageName.contains(QLatin1Char(';')));
    }
    EXPECT_TRUE(accented && apostrophe && semicolon && bar);
    const ManifestPicture *rain = nullptr;
    for (const ManifestPicture &p : site->manifest().pictures)
        if (p.title.startsWith(QStringLiteral("Rain; again")))
            rain = &p;
    ASSERT_NE(rain, nullptr);
    EXPECT_TRUE(rain->imageName.startsWith(QStringLiteral("Rain again")));
}

TEST_F(SmallSite, PrivatePictureAsksForConfirmationUntilTheCookieIsSet)
{
    const ManifestPicture *priv = nullptr;
    for (const ManifestPicture &p : site->manifest().pictures)
        if (p.isPrivate && !priv)
            priv = &p;
    ASSERT_NE(priv, nullptr);
    for (const QString &url : {priv->pageUrl, priv->sizesPageUrl}) {
        const QString text = page(get(url));
        EXPECT_TRUE(text.contains(QStringLiteral("class=\"confirmation_button\"")));
        EXPECT_FALSE(text.contains(QStringLiteral("image_src")) || text.contains(QStringLiteral("sizes-list")));
    }

    // Through the link of the page...
    const QString text = page(get(priv->pageUrl + QStringLiteral("in/photostream/")));
    static const QRegularExpression link(QStringLiteral("<a href=\"([^\"]*)\" class=\"confirmation_button\""));
    const QRegularExpressionMatch m = link.match(text);
    ASSERT_TRUE(m.hasMatch());
    const HttpReply confirmed = get(m.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&")));
    EXPECT_EQ(confirmed.status, 302);
    EXPECT_EQ(confirmed.header("Location"), targetOf(priv->pageUrl + QStringLiteral("in/photostream/")));
    const QByteArray cookie = confirmed.header("Set-Cookie").split(';').first();
    ASSERT_FALSE(cookie.isEmpty());
    const QString after = page(get(priv->pageUrl, {{"Cookie", "session=x; " + cookie}}));
    EXPECT_TRUE(after.contains(priv->idX + QStringLiteral("_m.jpg")));
    EXPECT_FALSE(after.contains(QStringLiteral("confirmation_button")));
    EXPECT_TRUE(page(get(priv->sizesPageUrl, {{"Cookie", cookie}})).contains(QStringLiteral("allsizes-photo")));

    // ...and through the form.
    const HttpReply posted = httpRequest(site->port(), "POST", targetOf(priv->pageUrl) + "confirm/",
                                         {{"Content-Type", "application/x-www-form-urlencoded"}},
                                         "return=" + targetOf(priv->pageUrl).toPercentEncoding());
    EXPECT_EQ(posted.status, 302);
    EXPECT_EQ(posted.header("Set-Cookie").split(';').first(), cookie);
}

TEST_F(SmallSite, SignInSetsASessionCookie)
{
    const HttpReply r = get(QStringLiteral("/signin/"));
    EXPECT_EQ(r.status, 200);
    EXPECT_TRUE(r.header("Set-Cookie").startsWith("session=s"));
}

TEST_F(SmallSite, RequestLogShowsWhatWasAskedAndCanBeReset)
{
    site->resetRequests();
    get(QStringLiteral("/photos/alma/?x=1"), {{"Cookie", "a=1; b=2"}, {"User-Agent", "probe"}});
    get(QStringLiteral("/__manifest"));
    get(QStringLiteral("/no/such/page"));
    const QList<RequestRecord> log = site->requests();
    ASSERT_EQ(log.size(), 2) << "control addresses are not logged";
    EXPECT_EQ(log.at(0).method, QStringLiteral("GET"));
    EXPECT_EQ(log.at(0).target, QStringLiteral("/photos/alma/?x=1"));
    EXPECT_EQ(log.at(0).cookies, QStringLiteral("a=1; b=2"));
    EXPECT_EQ(log.at(0).userAgent, QStringLiteral("probe"));
    EXPECT_TRUE(log.at(0).time.isValid());

    const QByteArray json = get(QStringLiteral("/__requests")).body;
    EXPECT_TRUE(json.contains("\"/no/such/page\""));
    get(QStringLiteral("/__requests/reset"));
    EXPECT_TRUE(site->requests().isEmpty());
}

TEST(PhotoSite, SameSeedGivesTheSameSiteAndAnotherSeedAnotherOne)
{
    ServerOptions o = smallSiteOptions();
    o.host = QStringLiteral("photos.test:8080");
    PhotoSiteServer a(o), b(o);
    o.site.seed = 2;
    PhotoSiteServer c(o);
    a.start();
    b.start();
    c.start();
    EXPECT_EQ(a.manifestJson(), b.manifestJson());
    EXPECT_TRUE(a.manifestJson().contains("http://photos.test:8080/photos/"));
    EXPECT_NE(a.manifest().pictures.first().id, c.manifest().pictures.first().id);
}

TEST(PhotoSite, StartsQuicklyAndRefusesOtherAddresses)
{
    QElapsedTimer t;
    t.start();
    PhotoSiteServer site; // the default site
    site.start();
    // A generous bound: only a gross slowdown (e.g. generating files at start) trips it.
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_GT(site.port(), 0);
    EXPECT_EQ(site.baseUrl(), QStringLiteral("http://127.0.0.1:") + QString::number(site.port()));
    site.stop();
    EXPECT_FALSE(site.isRunning());

    ServerOptions o;
    o.bind = QStringLiteral("0.0.0.0");
    PhotoSiteServer open(o);
    EXPECT_THROW(open.start(), PhotoSiteError);
}
