// Listing pages of every layout: what is served over HTTP, what a browser holds after the
// page's scripts, and the manifest's promises about them.

#include "site_fixture.h"

#include <QSet>

using namespace orvix::photosite;
using namespace orvix::test;

namespace {

const char *const kLayouts[] = {"set", "tag", "pool", "featured", "photostream", "favorites", "search"};

} // namespace

TEST_F(SmallSite, EveryLayoutIsServedWithItsEntriesWhereTheBrowserSeesThem)
{
    const Manifest &m = site->manifest();
    for (const char *layout : kLayouts)
        EXPECT_FALSE(m.pagesOf(QString::fromLatin1(layout)).isEmpty()) << layout;

    for (const ManifestListingPage &page : m.listingPages) {
        SCOPED_TRACE(page.url.toStdString());
        const HttpReply served = get(page.url);
        ASSERT_EQ(served.status, 200);
        EXPECT_EQ(served.header("Content-Type"), "text/html; charset=utf-8");
        const QString raw = QString::fromUtf8(served.body);
        const QString shown = QString::fromUtf8(get(page.renderedPath).body);
        EXPECT_EQ(shown.toUtf8(), site->renderedPage(page.path));
        EXPECT_EQ(raw.startsWith(QStringLiteral("<!DOCTYPE html>")), !page.quirks);
        if (!page.scriptBuilt && !page.quirks)
            EXPECT_EQ(raw, shown);
        for (const ExpectedEntry &e : page.entries) {
            const QString thumb = e.PhotoThumbUrl;
            // Deferred thumbnails appear in the page only under their medium name.
            const QString inPage = thumb.endsWith(QStringLiteral("_t.jpg")) && !shown.contains(thumb)
                                       ? thumb.left(thumb.size() - 6)
                                       : thumb;
            EXPECT_TRUE(shown.contains(inPage)) << thumb.toStdString();
            const QString path = e.PhotoTargetUrl.mid(site->baseUrl().size());
            EXPECT_TRUE(shown.contains(QStringLiteral("href=\"") + path)
                        || shown.contains(QStringLiteral("\"photo_url\":\"") + QString(path).replace(QStringLiteral("/"), QStringLiteral("\\/"))))
                << path.toStdString();
            if (page.scriptBuilt)
                EXPECT_FALSE(raw.contains(QStringLiteral("href=\"") + path)) << "only the script writes the links";
        }
    }
}

TEST_F(SmallSite, PaginatorsUseAllFourPageStylesAndBothLinkForms)
{
    const Manifest &m = site->manifest();
    QSet<QString> styles;
    bool rapid = false, plain = false, sampleHasThreePages = false;
    for (const ManifestListingPage &page : m.listingPages) {
        if (!page.hasPaging)
            continue;
        for (const char *style : {"/page[PAGE_NO]/", "?page=[PAGE_NO]", "&page=[PAGE_NO]", ";page=[PAGE_NO]"})
            if (page.paging.PageUrlTemplate.contains(QLatin1String(style)))
                styles.insert(QString::fromLatin1(style));
        const QString text = site->renderedPage(page.path);
        rapid = rapid || text.contains(QStringLiteral("rapidnofollow\""));
        plain = plain || text.contains(QStringLiteral(" class=\"Next\""));
        EXPECT_TRUE(text.contains(QStringLiteral("this-page")));
        if (page.url.startsWith(m.sampleSetUrl) && page.pageCount == 3)
            sampleHasThreePages = true;
    }
    EXPECT_EQ(styles.size(), 4);
    EXPECT_TRUE(rapid && plain);
    EXPECT_TRUE(sampleHasThreePages);
}

TEST_F(SmallSite, ScriptBuiltAndQuirksPagesDifferFromWhatTheBrowserShows)
{
    const Manifest &m = site->manifest();
    const ManifestListingPage *stream = m.pagesOf(QStringLiteral("photostream")).first();
    const QString raw = QString::fromUtf8(get(stream->url).body);
    const QString shown = site->renderedPage(stream->path);
    EXPECT_FALSE(raw.contains(QStringLiteral("<span class=\"photo_container pc_")));
    EXPECT_EQ(shown.count(QStringLiteral("<span class=\"photo_container pc_")), stream->entries.size());
    EXPECT_TRUE(shown.contains(QStringLiteral("spaceball")) && shown.contains(QStringLiteral("data-defer-src")));
    EXPECT_TRUE(raw.contains(QStringLiteral("Y.listData = ")) && raw.contains(QStringLiteral("\\/photos\\/")));

    const ManifestListingPage *search = m.pagesOf(QStringLiteral("search")).first();
    const QString served = QString::fromUtf8(get(search->url).body);
    EXPECT_TRUE(served.contains(QStringLiteral("<div id=\"ResultsThumbsDiv\" class=\"ResultsThumbs\">")));
    const QString legacy = site->renderedPage(search->path);
    EXPECT_TRUE(legacy.contains(QStringLiteral("<DIV id=ResultsThumbsDiv class=ResultsThumbs>")));
    const int plain = int(legacy.count(QStringLiteral("<DIV class=ResultsThumbsChild>")));
    const int hover = int(legacy.count(QStringLiteral("<DIV class=\"ResultsThumbsChild ResultsThumbsChild_hover\">")));
    EXPECT_GT(hover, 0);
    EXPECT_EQ(search->entries.size(), plain) << "results under the mouse are not found";
}

TEST_F(SmallSite, PagesPastTheEndShowNoPictures)
{
    const ManifestListingPage *last = nullptr;
    for (const ManifestListingPage &p : site->manifest().listingPages)
        if (p.url.startsWith(site->manifest().sampleSetUrl))
            last = &p;
    ASSERT_NE(last, nullptr);
    ASSERT_EQ(last->pageNo, 3);
    const QString beyond = last->path;
    const QString page4 = QString(beyond).replace(QStringLiteral("/page3/"), QStringLiteral("/page4/"));
    const HttpReply r = get(page4);
    EXPECT_EQ(r.status, 200);
    EXPECT_FALSE(site->renderedPage(page4).contains("in/set-"));
    EXPECT_EQ(get(QStringLiteral("/groups/streetlight/pool/?page=0")).status, 404);
}
