// The site's scripts in a real browser engine: the thumbnails they insert are exactly the markup
// the site's rendered view (and so the manifest) is based on, and pages without a doctype are
// shown in quirks mode.

#include "site_fixture.h"
#include "test_support.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>

using namespace orvix::photosite;
using namespace orvix::test;

namespace {

// Loads url and returns what the script gives back once the page has loaded.
QString loadAndRun(QWebEnginePage &page, const QString &url, const QString &script)
{
    bool loaded = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &page, [&](bool ok) { loaded = ok; },
                     Qt::SingleShotConnection);
    page.load(QUrl(url));
    if (!waitUntil([&] { return loaded; }, 30000))
        return QStringLiteral("<not loaded>");
    QString result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant &v) {
        result = v.toString();
        done = true;
    });
    waitUntil([&] { return done; }, 10000);
    return result;
}

QString between(const QString &text, const QString &from, const QString &to)
{
    const int a = text.indexOf(from);
    const int b = text.indexOf(to, a + from.size());
    return a < 0 || b < 0 ? QString() : text.mid(a + from.size(), b - a - from.size());
}

} // namespace

TEST_F(SmallSite, ScriptsBuildTheThumbnailsTheRenderedViewShows)
{
    QWebEnginePage browser;
    const Manifest &m = site->manifest();
    const struct
    {
        const char *layout;
        const char *container;
    } cases[] = {{"set", "setThumbs"}, {"photostream", "photostream"}};
    for (const auto &c : cases) {
        for (const ManifestListingPage *page : m.pagesOf(QLatin1String(c.layout))) {
            SCOPED_TRACE(page->url.toStdString());
            const QString id = QLatin1String(c.container);
            const QString built = loadAndRun(browser, page->url,
                                             QStringLiteral("document.getElementById('%1').innerHTML").arg(id));
            const QString rendered = QString::fromUtf8(site->renderedPage(page->path));
            const QString expected = between(rendered, QStringLiteral("id=\"") + id + QStringLiteral("\""),
                                             QStringLiteral("</div>"));
            ASSERT_FALSE(expected.isEmpty());
            // The rendered view holds the opening tag's remaining attributes before the content.
            EXPECT_EQ(built, expected.mid(expected.indexOf(QLatin1Char('>')) + 1));
        }
    }
}

TEST_F(SmallSite, SearchResultsAreShownInQuirksModeAndOtherPagesAreNot)
{
    QWebEnginePage browser;
    const Manifest &m = site->manifest();
    const QString mode = QStringLiteral("document.compatMode");
    EXPECT_EQ(loadAndRun(browser, m.pagesOf(QStringLiteral("search")).first()->url, mode),
              QStringLiteral("BackCompat"));
    EXPECT_EQ(loadAndRun(browser, m.pagesOf(QStringLiteral("pool")).first()->url, mode),
              QStringLiteral("CSS1Compat"));
    EXPECT_EQ(loadAndRun(browser, m.pictures.first().pageUrl, mode), QStringLiteral("CSS1Compat"));
}
