// New-content detection: the order of the navigation events, the two reports of every load,
// the timer that notices pages rewriting themselves, and the window's repeat filter on top.

#include "browser_fixture.h"

#include "test_support.h"
#include "ui/new_html_filter.h"
#include "ui/web_browser_k.h"

#include <QWebEnginePage>

namespace orvix::test {
namespace {

using BrowserNewHtml = BrowserTest;

QString pageUrl(photosite::PhotoSiteServer &site, int index)
{
    return site.manifest().pictures.at(index).pageUrl;
}

TEST_F(BrowserNewHtml, EventsComeInOrderAndALoadIsReportedAtCommitAndAgainWhenComplete)
{
    // The page's second half comes two seconds late, so the document exists well before it is
    // complete. Only the browser's request is held up: the page source is fetched at once. The
    // timer is kept out of the way so that only the two reports of the load remain.
    const QString url = pageUrl(*site, 0);
    site->addFault(photosite::parseFaultRule(QUrl(url).path() + QStringLiteral("=stall:2x1")));
    makeBrowser(60000);
    load(url);

    const QString log = events.log.join(QLatin1Char('\n'));
    const QStringList expected = {QStringLiteral("BeforeNavigate2 ") + url, QStringLiteral("NavigateComplete2 ") + url,
                                  QStringLiteral("OnNewHTML ") + url, QStringLiteral("DocumentComplete ") + url,
                                  QStringLiteral("OnNewHTML ") + url};
    ASSERT_EQ(events.log, expected) << log.toStdString();

    // The first report saw part of the document, the second the whole; both with the whole
    // source.
    EXPECT_LT(events.reportedHtml.at(0).size(), events.reportedHtml.at(1).size());
    const QString source = QString::fromLatin1(fetchRaw(url));
    EXPECT_EQ(events.reportedSource.at(0), source);
    EXPECT_EQ(events.reportedSource.at(1), source);
    EXPECT_EQ(browser->LocationURL(), url);
}

// Each case rewrites a loaded page by script, the way the site does, and runs the window's
// filter on every report as the window would.
TEST_F(BrowserNewHtml, PageRewrittenByScriptIsReportedAndFilteredAsTheWindowNeeds)
{
    struct Case
    {
        const char *layout;
        const char *script;
        bool parsedAgain;
    };
    const Case cases[] = {
        // More search results: new content.
        {"search",
         "var d = document.createElement('div'); d.className = 'ResultsThumbsChild';"
         "d.innerHTML = '<a href=\"/photos/x/1/\"><img src=\"/t.jpg\" alt=\"more\"></a>';"
         "document.getElementById('ResultsThumbsDiv').appendChild(d);",
         true},
        // The mouse over a result: only its hover class changes.
        {"search",
         "var d = document.querySelector('#ResultsThumbsDiv > div.ResultsThumbsChild:not(.ResultsThumbsChild_hover)');"
         "d.className = 'ResultsThumbsChild ResultsThumbsChild_hover';",
         false},
        // Thumbnails appended by script on any other page: new content too.
        {"set", "document.getElementById('setThumbs').insertAdjacentHTML('beforeend', '<a href=\"/x/\">x</a>');",
         true},
    };
    makeBrowser();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        NewHtmlFilter filter;
        int parses = 0;
        QMetaObject::Connection link = QObject::connect(browser.get(), &TWebBrowserK::OnNewHTML, [&] {
            if (filter.ShouldParse(browser->Get_LastUrl(), browser->GetBrowserHtml_Inner()))
                ++parses;
        });
        load(listingPage(QString::fromLatin1(c.layout)).url);
        // The load's two reports: parsed twice only when the document grew in between.
        const int afterLoad = parses;
        EXPECT_GE(afterLoad, 1);
        EXPECT_LE(afterLoad, 2);

        const int reports = events.newHtml;
        const QString before = browser->GetBrowserHtml_Inner();
        browser->page()->runJavaScript(QString::fromUtf8(c.script));
        ASSERT_TRUE(waitUntil([&] { return events.newHtml > reports; }, 10000));
        EXPECT_NE(browser->Get_LastHtmlAjax(), before);
        EXPECT_EQ(parses, afterLoad + (c.parsedAgain ? 1 : 0));
        QObject::disconnect(link);
    }
}

TEST_F(BrowserNewHtml, CancelledNavigationLeavesThePageShownAndWatched)
{
    const QString first = pageUrl(*site, 0);
    const QString second = pageUrl(*site, 1);
    makeBrowser();
    load(first);
    QObject::connect(browser.get(), &TWebBrowserK::BeforeNavigate2,
                     [second](const QString &url, bool, bool &cancel) { cancel = url == second; });
    const int logSize = events.log.size();
    browser->Navigate(second);
    ASSERT_TRUE(waitUntil([&] { return events.count(QStringLiteral("BeforeNavigate2 ") + second) > 0; }, 10000));

    // The cancelled request emptied the last report, so the next check reports the page again.
    ASSERT_TRUE(waitUntil([&] { return events.indexOf(QStringLiteral("OnNewHTML"), logSize) >= 0; }, 10000));
    EXPECT_EQ(events.indexOf(QStringLiteral("NavigateComplete2"), logSize), -1);
    EXPECT_EQ(browser->LocationURL(), first);
    EXPECT_EQ(browser->Get_LastUrl(), first);

    const int reports = events.newHtml;
    browser->page()->runJavaScript(QStringLiteral("document.body.appendChild(document.createElement('hr'));"));
    EXPECT_TRUE(waitUntil([&] { return events.newHtml > reports; }, 10000));
}

TEST_F(BrowserNewHtml, FrameNavigationIsAnnouncedAndTheTopPageReportedAgain)
{
    const QString top = pageUrl(*site, 0);
    const QString frame = pageUrl(*site, 1);
    makeBrowser();
    load(top);
    const int logSize = events.log.size();
    browser->page()->runJavaScript(QStringLiteral("var f = document.createElement('iframe'); f.src = '%1';"
                                                  "document.body.appendChild(f);")
                                       .arg(frame));
    ASSERT_TRUE(waitUntil([&] { return events.indexOf(QStringLiteral("OnNewHTML"), logSize) >= 0; }, 10000));
    EXPECT_GE(events.indexOf(QStringLiteral("BeforeNavigate2 ") + frame + QStringLiteral(" (frame)"), logSize), 0);
    EXPECT_EQ(events.indexOf(QStringLiteral("NavigateComplete2"), logSize), -1);
    EXPECT_EQ(browser->Get_LastUrl(), top);
    EXPECT_EQ(browser->LocationURL(), top);
}

TEST_F(BrowserNewHtml, HistoryAvailabilityIsAnnouncedAndBackReturns)
{
    const QString first = pageUrl(*site, 0);
    const QString second = pageUrl(*site, 1);
    makeBrowser();
    QList<QPair<int, bool>> states;
    QObject::connect(browser.get(), &TWebBrowserK::CommandStateChange,
                     [&](int command, bool enabled) { states.append({command, enabled}); });
    load(first);
    EXPECT_TRUE(states.isEmpty());
    load(second);
    EXPECT_TRUE(states.contains(qMakePair(2, true)));
    browser->GoBack();
    ASSERT_TRUE(waitUntil([&] { return browser->Get_LastUrl() == first; }, 10000));
    EXPECT_TRUE(states.contains(qMakePair(1, true)));
    EXPECT_EQ(browser->LocationURL(), first);
}

} // namespace
} // namespace orvix::test
