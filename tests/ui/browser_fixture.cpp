#include "browser_fixture.h"

#include "engine/ie_http.h"
#include "foundation/paths.h"
#include "pages/site.h"
#include "test_support.h"
#include "ui/web_browser_k.h"

namespace orvix::test {

int BrowserEvents::count(const QString &prefix) const
{
    int n = 0;
    for (const QString &line : log)
        n += line.startsWith(prefix) ? 1 : 0;
    return n;
}

int BrowserEvents::indexOf(const QString &prefix, int from) const
{
    for (int i = from; i < log.size(); ++i) {
        if (log.at(i).startsWith(prefix))
            return i;
    }
    return -1;
}

void BrowserTest::SetUp()
{
    ASSERT_TRUE(settings.isValid());
    SetSettingsFolder(settings.path());
    photosite::ServerOptions o;
    o.site.owners = 2;
    o.site.photosPerOwner = 12;
    o.site.perPage = 5;
    o.site.largestFileBytes = 16 * 1024;
    site = std::make_unique<photosite::PhotoSiteServer>(o);
    site->start();
    SetSiteHost(site->host());
}

void BrowserTest::TearDown()
{
    browser.reset();
    site.reset();
}

TWebBrowserK &BrowserTest::makeBrowser(int checkIntervalMs)
{
    browser = std::make_unique<TWebBrowserK>();
    browser->resize(1000, 700);
    browser->show();
    browser->setCheckIntervalMs(checkIntervalMs);
    m_checkIntervalMs = checkIntervalMs;
    TWebBrowserK *b = browser.get();
    QObject::connect(b, &TWebBrowserK::BeforeNavigate2, [this](const QString &url, bool main, bool &) {
        events.log.append(QStringLiteral("BeforeNavigate2 ") + url + (main ? QString() : QStringLiteral(" (frame)")));
    });
    QObject::connect(b, &TWebBrowserK::NavigateComplete2,
                     [this](const QString &url) { events.log.append(QStringLiteral("NavigateComplete2 ") + url); });
    QObject::connect(b, &TWebBrowserK::DocumentComplete,
                     [this](const QString &url, bool) { events.log.append(QStringLiteral("DocumentComplete ") + url); });
    QObject::connect(b, &TWebBrowserK::OnNewHTML, [this, b] {
        ++events.newHtml;
        events.log.append(QStringLiteral("OnNewHTML ") + b->Get_LastUrl());
        events.reportedHtml.append(b->GetBrowserHtml_Inner());
        events.reportedSource.append(b->GetBrowserHtml2());
    });
    return *b;
}

void BrowserTest::load(const QString &url)
{
    const int from = events.log.size();
    browser->Navigate(url);
    ASSERT_TRUE(waitUntil(
        [&] {
            return events.indexOf(QStringLiteral("DocumentComplete"), from) >= 0 && browser->Get_LastUrl() == url
                   && !browser->GetBrowserHtml2().isEmpty();
        },
        30000))
        << events.log.join(QLatin1Char('\n')).toStdString();
    // The check of the completed document may or may not report (a timer check may have seen
    // it first); either way the browser falls quiet.
    int seen = -1;
    for (int round = 0; round < 20 && seen != events.log.size(); ++round) {
        seen = events.log.size();
        waitUntil([] { return false; }, std::min(3 * m_checkIntervalMs, 600));
    }
}

const photosite::ManifestListingPage &BrowserTest::listingPage(const QString &layout, int pageNo)
{
    for (const photosite::ManifestListingPage *p : site->manifest().pagesOf(layout)) {
        if (p->pageNo == pageNo && !p->entries.isEmpty())
            return *p;
    }
    ADD_FAILURE() << "no listing page of layout " << layout.toStdString();
    static photosite::ManifestListingPage none;
    return none;
}

QByteArray BrowserTest::fetchRaw(const QString &url) const
{
    TIEHttp http;
    http.ExecuteUrl(url);
    return http.ResultMs();
}

} // namespace orvix::test
