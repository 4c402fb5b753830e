// The program's reading of every page of the simulated site (through orvix-cli inspect) against
// the site's manifest: picture records of picture pages, and page kind, entries and page
// numbering of every listing page as a browser shows it.

#include "site_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

using namespace orvix::photosite;
using namespace orvix::test;

namespace {

class Inspect : public SmallSite
{
protected:
    // Runs inspect on the page text, saved the way the program reads a page: one byte per
    // character.
    QJsonObject inspect(const QByteArray &bytes, const QString &address)
    {
        const QString path = dir.filePath(QStringLiteral("page.html"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        QProcess cli;
        cli.start(QStringLiteral(ORVIX_CLI_EXE),
                  {QStringLiteral("inspect"), path, QStringLiteral("--address=") + address,
                   QStringLiteral("--site=") + site->host()});
        EXPECT_TRUE(cli.waitForFinished(30000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    }

    // The text a browser gives back for a listing page, as the bytes inspect expects.
    QByteArray shownAsBytes(const ManifestListingPage &page)
    {
        const QString shown = QString::fromUtf8(site->renderedPage(page.path));
        const QByteArray bytes = shown.toLatin1();
        EXPECT_EQ(QString::fromLatin1(bytes), shown) << "the site's text stays within one byte per character";
        return bytes;
    }

    QTemporaryDir dir;
};

// Compared as std::string so that failures print readable text.
std::string str(const QJsonObject &o, const char *key) { return o.value(QLatin1String(key)).toString().toStdString(); }
std::string str(const QString &s) { return s.toStdString(); }

} // namespace

TEST_F(Inspect, PicturePagesGiveThePictureRecord)
{
    for (const ManifestPicture &p : site->manifest().pictures) {
        if (p.isPrivate)
            continue;
        for (const QString &url : p.pageUrls) {
            const QByteArray bytes = get(url).body;
            // As page source (bytes widened one per character) and as the page worker gets it
            // from a response declaring charset=utf-8 (already decoded).
            for (const QByteArray &text : {bytes, QString::fromUtf8(bytes).toLatin1()}) {
                SCOPED_TRACE(url.toStdString() + (text == bytes ? " (page source)" : " (decoded)"));
                const QJsonObject r = inspect(text, url);
                EXPECT_EQ(r.value(QStringLiteral("pageMode")).toInt(), -1);
                const QJsonObject picture = r.value(QStringLiteral("picture")).toObject();
                EXPECT_EQ(str(picture, "ImageId"), str(p.id));
                EXPECT_EQ(str(picture, "ImageSecretID"), str(p.secret));
                EXPECT_EQ(str(picture, "ImageIdX"), str(p.idX));
                EXPECT_EQ(str(picture, "ImageName"), str(p.imageName));
                EXPECT_TRUE(r.value(QStringLiteral("entries")).toArray().isEmpty());
            }
        }
    }
}

// Run on the small site, on one with many short pages (gaps in the paginator, two-digit page
// numbers) and on the default site of the demo (with small files).
class InspectListings : public Inspect, public ::testing::WithParamInterface<int>
{
protected:
    void SetUp() override
    {
        ServerOptions o = smallSiteOptions();
        o.site.perPage = GetParam();
        if (GetParam() < 5)
            o.site.photosPerOwner = 24;
        if (GetParam() == ServerOptions().site.perPage) {
            o.site.owners = ServerOptions().site.owners;
            o.site.photosPerOwner = ServerOptions().site.photosPerOwner;
        }
        site = std::make_unique<PhotoSiteServer>(o);
        site->start();
    }
};

INSTANTIATE_TEST_SUITE_P(PerPage, InspectListings, ::testing::Values(5, 2, 10));

TEST_P(InspectListings, ListingPagesGiveTheirEntriesAndPageNumbering)
{
    int longest = 0;
    for (const ManifestListingPage &page : site->manifest().listingPages) {
        longest = qMax(longest, page.pageCount);
        SCOPED_TRACE(page.url.toStdString());
        const QJsonObject r = inspect(shownAsBytes(page), page.url);
        EXPECT_EQ(r.value(QStringLiteral("pageMode")).toInt(), page.pageMode);
        EXPECT_TRUE(str(r.value(QStringLiteral("picture")).toObject(), "ImageId").empty());

        const QJsonArray entries = r.value(QStringLiteral("entries")).toArray();
        EXPECT_EQ(entries.size(), page.entries.size());
        for (int i = 0; i < qMin(int(entries.size()), int(page.entries.size())); ++i) {
            const QJsonObject found = entries.at(i).toObject();
            const ExpectedEntry &want = page.entries.at(i);
            EXPECT_EQ(str(found, "PhotoTargetUrl"), str(want.PhotoTargetUrl)) << "entry " << i;
            EXPECT_EQ(str(found, "PhotoThumbUrl"), str(want.PhotoThumbUrl)) << "entry " << i;
            EXPECT_EQ(str(found, "PhotoTitle"), str(want.PhotoTitle)) << "entry " << i;
        }

        const QJsonObject paging = r.value(QStringLiteral("paging")).toObject();
        if (!page.hasPaging) {
            for (const char *key : {"PrevPageUrl", "NextPageUrl", "FirstPageUrl", "LastPageUrl", "PageUrlTemplate"})
                EXPECT_TRUE(str(paging, key).empty()) << key;
            continue;
        }
        EXPECT_EQ(str(paging, "PrevPageUrl"), str(page.paging.PrevPageUrl));
        EXPECT_EQ(str(paging, "NextPageUrl"), str(page.paging.NextPageUrl));
        EXPECT_EQ(str(paging, "FirstPageUrl"), str(page.paging.FirstPageUrl));
        EXPECT_EQ(str(paging, "LastPageUrl"), str(page.paging.LastPageUrl));
        EXPECT_EQ(paging.value(QStringLiteral("CurrentPageNo")).toInt(), page.paging.CurrentPageNo);
        EXPECT_EQ(paging.value(QStringLiteral("LastPageNo")).toInt(), page.paging.LastPageNo);
        EXPECT_EQ(str(paging, "PageUrlTemplate"), str(page.paging.PageUrlTemplate));
    }
    if (GetParam() < 5)
        EXPECT_GE(longest, 10);
}

TEST_F(Inspect, ScriptBuiltAndQuirksListingsShowNothingWithoutTheBrowser)
{
    // Over plain HTTP a set page keeps its empty thumbnail block, a photostream has no photo
    // container and search results are in the site's own form, which the program only reads
    // in a browser's quirks-mode serialisation.
    const struct
    {
        const char *layout;
        int rawPageMode;
    } cases[] = {{"set", 1}, {"photostream", -1}, {"search", -1}};
    for (const auto &c : cases) {
        const ManifestListingPage *page = site->manifest().pagesOf(QLatin1String(c.layout)).first();
        SCOPED_TRACE(page->url.toStdString());
        ASSERT_FALSE(page->entries.isEmpty());
        const QJsonObject r = inspect(get(page->url).body, page->url);
        EXPECT_EQ(r.value(QStringLiteral("pageMode")).toInt(), c.rawPageMode);
        EXPECT_TRUE(r.value(QStringLiteral("entries")).toArray().isEmpty());
    }
}
