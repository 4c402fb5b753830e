// What the browser hands the page parsers: the serialisation after the page's scripts ran (in
// the legacy form for quirks-mode documents) and the page source as the server sent it.

#include "browser_fixture.h"

#include "pages/page_parser.h"
#include "test_support.h"
#include "browser/browser_profile.h"
#include "browser/document_snapshot.h"
#include "ui/web_browser_k.h"

#include <QWebEnginePage>

namespace orvix::test {
namespace {

QStringList entryTargets(const QStringList &lines)
{
    QStringList targets;
    for (const QString &line : lines)
        targets.append(line.section(QLatin1Char('|'), 0, 0));
    return targets;
}

QStringList expectedTargets(const photosite::ManifestListingPage &page)
{
    QStringList targets;
    for (const photosite::ExpectedEntry &e : page.entries)
        targets.append(e.PhotoTargetUrl);
    return targets;
}

// Classifies and extracts text the way the page worker does.
int parse(const QString &text, QStringList &entries)
{
    TPageWorkerContext context;
    context.WorkerPageText = text;
    const int mode = ParseWorkerMatrixPage(context);
    entries = context.WorkerPageEntries;
    return mode;
}

using BrowserPageText = BrowserTest;

TEST_F(BrowserPageText, SetPageSerialisationHoldsScriptBuiltThumbnailsAndSourceIsTheBytesSent)
{
    const photosite::ManifestListingPage &page = listingPage(QStringLiteral("set"));
    ASSERT_TRUE(page.scriptBuilt);
    makeBrowser();
    load(page.url);

    QStringList entries;
    EXPECT_EQ(parse(browser->GetBrowserHtml_Inner(), entries), 1);
    EXPECT_EQ(entryTargets(entries), expectedTargets(page));

    const QString source = browser->GetBrowserHtml2();
    EXPECT_EQ(source, QString::fromLatin1(fetchRaw(page.url)));
    // The thumbnails exist only once the script ran: the source has none.
    EXPECT_EQ(parse(source, entries), 1);
    EXPECT_TRUE(entries.isEmpty());
}

TEST_F(BrowserPageText, SearchPageIsSerialisedInLegacyFormAndClassifiesAsSearchResults)
{
    const photosite::ManifestListingPage &page = listingPage(QStringLiteral("search"));
    ASSERT_TRUE(page.quirks);
    makeBrowser();
    load(page.url);

    const QString html = browser->GetBrowserHtml_Inner();
    EXPECT_TRUE(html.contains(QStringLiteral("<DIV id=ResultsThumbsDiv class=ResultsThumbs>"))) << html.toStdString();
    QStringList entries;
    EXPECT_EQ(parse(html, entries), 8);
    EXPECT_EQ(entryTargets(entries), expectedTargets(page));
    EXPECT_EQ(browser->GetBrowserHtml2(), QString::fromLatin1(fetchRaw(page.url)));
}

TEST_F(BrowserPageText, PageSourceKeepsNonAsciiBytesOnePerCharacter)
{
    // A picture page whose title has letters outside ASCII: UTF-8 arrives as one character per byte.
    const photosite::ManifestPicture *picture = nullptr;
    for (const photosite::ManifestPicture &p : site->manifest().pictures) {
        if (!p.isPrivate && p.title.toUtf8().size() != p.title.size()) {
            picture = &p;
            break;
        }
    }
    ASSERT_NE(picture, nullptr) << "the site has no title with accents";
    makeBrowser();
    load(picture->pageUrl);
    const QString source = browser->GetBrowserHtml2();
    EXPECT_TRUE(source.contains(QString::fromLatin1(picture->title.toUtf8())));
    EXPECT_FALSE(source.contains(picture->title));
    EXPECT_EQ(source, QString::fromLatin1(fetchRaw(picture->pageUrl)));
}

// Loads html into page and reads the document back.
DocumentSnapshot snapshotOf(QWebEnginePage &page, const QString &html)
{
    bool loaded = false;
    QMetaObject::Connection done = QObject::connect(&page, &QWebEnginePage::loadFinished, [&] { loaded = true; });
    page.setHtml(html);
    const bool finished = waitUntil([&] { return loaded; }, 20000);
    QObject::disconnect(done);
    DocumentSnapshot snapshot;
    if (!finished)
        return snapshot;
    bool read = false;
    ReadDocumentSnapshot(&page, [&](const DocumentSnapshot &s) {
        snapshot = s;
        read = true;
    });
    waitUntil([&] { return read; }, 20000);
    return snapshot;
}

// The legacy form, case by case, on documents without a doctype.
TEST(BrowserLegacySerialisation, QuirksDocumentsAreWrittenInTheLegacyForm)
{
    struct Case
    {
        const char *body;
        const char *expected;
    };
    const Case cases[] = {
        {"<div class=\"ResultsThumbsChild\">x</div>", "<DIV class=ResultsThumbsChild>x</DIV>"},
        {"<div id=\"a\" class=\"b c\">x</div>", "<DIV id=a class=\"b c\">x</DIV>"},
        {"<a href=\"/photos/a/1/\" title=\"x.y_z-1\">t</a>", "<A href=\"/photos/a/1/\" title=x.y_z-1>t</A>"},
        {"<img src=\"/t.jpg\" alt=\"\"><br>", "<IMG src=\"/t.jpg\" alt=\"\"><BR>"},
        {"<p title='say \"hi\" &amp; go'>a &lt;b&gt; &amp; c&nbsp;d</p>",
         "<P title=\"say &quot;hi&quot; &amp; go\">a &lt;b&gt; &amp; c&nbsp;d</P>"},
        {"<!-- note --><span>s</span>", "<!-- note --><SPAN>s</SPAN>"},
        {"<script>var a = 1, b = 2; if (a < b && b) {}</script>", "<SCRIPT>var a = 1, b = 2; if (a < b && b) {}</SCRIPT>"},
        {"<ul><li>one<li>two</ul>", "<UL><LI>one</LI><LI>two</LI></UL>"},
    };
    QWebEnginePage page(BrowserProfile());
    for (const Case &c : cases) {
        const DocumentSnapshot s = snapshotOf(page, QStringLiteral("<html><head></head><body>")
                                                        + QString::fromUtf8(c.body) + QStringLiteral("</body></html>"));
        ASSERT_TRUE(s.valid) << c.body;
        EXPECT_TRUE(s.quirks);
        EXPECT_EQ(s.html, QStringLiteral("<HEAD></HEAD><BODY>") + QString::fromUtf8(c.expected) + QStringLiteral("</BODY>"))
            << c.body;
    }
}

TEST(BrowserLegacySerialisation, StandardsDocumentsKeepTheEnginesForm)
{
    QWebEnginePage page(BrowserProfile());
    const DocumentSnapshot s =
        snapshotOf(page, QStringLiteral("<!DOCTYPE html><html><head></head><body><div class=\"a\">x</div></body></html>"));
    ASSERT_TRUE(s.valid);
    EXPECT_FALSE(s.quirks);
    EXPECT_EQ(s.html, QStringLiteral("<head></head><body><div class=\"a\">x</div></body>"));
}

} // namespace
} // namespace orvix::test
