// One set of cookies for the browser and the HTTP client, in both directions.

#include "browser_fixture.h"

#include "engine/cookie_jar.h"
#include "engine/ie_http.h"
#include "test_support.h"
#include "browser/browser_profile.h"
#include "browser/hidden_page_loader.h"

#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace orvix::test {
namespace {

class BrowserCookies : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        TCookieJar::instance().clear();
        watch = QObject::connect(BrowserProfile()->cookieStore(), &QWebEngineCookieStore::cookieAdded,
                         [this](const QNetworkCookie &c) {
                             if (c.name() == "session")
                                 storeSessions.append(QString::fromLatin1(c.value()));
                         });
    }

    void TearDown() override
    {
        QObject::disconnect(watch);
        BrowserTest::TearDown();
    }

    QStringList jarSessions() const
    {
        QStringList values;
        for (const QNetworkCookie &c : TCookieJar::instance().allCookies()) {
            if (c.name() == "session")
                values.append(QString::fromLatin1(c.value()));
        }
        return values;
    }

    // The Cookie header of the site's last request for path.
    QString cookiesSentFor(const QString &path, const QString &agent)
    {
        QString sent;
        for (const photosite::RequestRecord &r : site->requests()) {
            if (r.path == path && (agent.isEmpty() ? r.userAgent != QLatin1String("TIEHttp") : r.userAgent == agent))
                sent = r.cookies;
        }
        return sent;
    }

    QStringList storeSessions; // session values the browser's store took, in order
    QMetaObject::Connection watch;
};

TEST_F(BrowserCookies, SignInInTheBrowserReachesTheHttpClient)
{
    THiddenPageLoader browserPage;
    browserPage.Navigate3(site->baseUrl() + QStringLiteral("/signin/"));
    ASSERT_TRUE(waitUntil([&] { return !storeSessions.isEmpty(); }, 20000));
    const QString session = storeSessions.last();
    ASSERT_TRUE(waitUntil([&] { return jarSessions() == QStringList{session}; }, 10000)) << jarSessions().join(',').toStdString();

    const QString path = QUrl(site->manifest().pictures.at(0).pageUrl).path();
    TIEHttp http;
    http.ExecuteUrl(site->baseUrl() + path);
    EXPECT_TRUE(cookiesSentFor(path, QStringLiteral("TIEHttp")).contains(QStringLiteral("session=") + session));
}

TEST_F(BrowserCookies, CookieTheHttpClientReceivesIsSentByTheBrowser)
{
    // The browser signs in first, so the HTTP client's sign-in replaces a cookie the browser
    // holds: the replaced one must not take the new one with it on its way back.
    THiddenPageLoader browserPage;
    browserPage.Navigate3(site->baseUrl() + QStringLiteral("/signin/"));
    ASSERT_TRUE(waitUntil([&] { return !storeSessions.isEmpty() && !jarSessions().isEmpty(); }, 20000));
    const QString first = storeSessions.last();

    TIEHttp http;
    http.ExecuteUrl(site->baseUrl() + QStringLiteral("/signin/"));
    ASSERT_EQ(jarSessions().size(), 1);
    const QString second = jarSessions().first();
    ASSERT_NE(second, first);
    ASSERT_TRUE(waitUntil([&] { return !storeSessions.isEmpty() && storeSessions.last() == second; }, 10000));

    const QString path = QUrl(site->manifest().pictures.at(1).pageUrl).path();
    browserPage.Navigate3(site->baseUrl() + path);
    ASSERT_TRUE(waitUntil([&] { return !cookiesSentFor(path, QString()).isEmpty(); }, 20000));
    EXPECT_EQ(cookiesSentFor(path, QString()), QStringLiteral("session=") + second);

    // Nothing echoes back and forth: both sides settle on the one cookie.
    const int added = storeSessions.size();
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(storeSessions.size(), added);
    EXPECT_EQ(jarSessions().join(QLatin1Char(',')), second);
}

} // namespace
} // namespace orvix::test
