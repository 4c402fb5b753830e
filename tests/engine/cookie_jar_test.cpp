// The process's cookie jar: what requests send, what responses store, and its mirror hooks.

#include "engine/cookie_jar.h"
#include "engine/ie_http.h"
#include "local_servers.h"

#include <QDateTime>

#include <gtest/gtest.h>

using namespace orvix;
using orvix::test::LocalHttpServer;

namespace {

QNetworkCookie cookie(const char *name, const char *value, const char *domain, const char *path = "/")
{
    QNetworkCookie c(name, value);
    c.setDomain(QString::fromLatin1(domain));
    c.setPath(QString::fromLatin1(path));
    return c;
}

class CookieJarTest : public ::testing::Test
{
protected:
    void SetUp() override { TCookieJar::instance().clear(); }
    void TearDown() override { TCookieJar::instance().clear(); }
};

} // namespace

TEST_F(CookieJarTest, CookieSetByOneResponseIsSentWithTheNext)
{
    LocalHttpServer server;
    server.server().Get("/login", [](const httplib::Request &, httplib::Response &res) {
        res.set_header("Set-Cookie", "session=abc123; Path=/");
        res.set_redirect("/home", 302); // the cookie must reach the redirect's target too
    });
    server.server().Get("/home", [](const httplib::Request &req, httplib::Response &res) {
        res.set_content("cookie=" + req.get_header_value("Cookie"), "text/plain");
    });
    server.server().Get("/logout", [](const httplib::Request &, httplib::Response &res) {
        res.set_header("Set-Cookie", "session=gone; Path=/; Max-Age=0");
        res.set_content("bye", "text/plain");
    });
    server.start();

    TIEHttp first;
    first.ExecuteUrl(server.url(QStringLiteral("/login")));
    EXPECT_EQ(first.ResultText(), QStringLiteral("cookie=session=abc123\r\n"));

    TIEHttp second; // another client: the jar belongs to the process
    second.ExecuteUrl(server.url(QStringLiteral("/home")));
    EXPECT_EQ(second.ResultText(), QStringLiteral("cookie=session=abc123\r\n"));

    second.ExecuteUrl(server.url(QStringLiteral("/logout")));
    second.ExecuteUrl(server.url(QStringLiteral("/home")));
    EXPECT_EQ(second.ResultText(), QStringLiteral("cookie=\r\n"));
    EXPECT_TRUE(TCookieJar::instance().allCookies().isEmpty());
}

TEST_F(CookieJarTest, CookiesGoOnlyWhereTheyBelong)
{
    TCookieJar &jar = TCookieJar::instance();
    const QUrl site(QStringLiteral("http://www.photos.test/"));
    jar.setCookiesFromResponse("host=1", site);
    jar.setCookiesFromResponse("wide=2; Domain=photos.test", site);
    jar.setCookiesFromResponse("deep=3; Path=/photos", site);
    jar.setCookiesFromResponse("safe=4; Secure", site);
    jar.setCookiesFromResponse("alien=5; Domain=other.test", site); // not this site's to set
    // Without a Path attribute a cookie belongs to the folder of the address that set it.
    jar.setCookiesFromResponse("folder=6", QUrl(QStringLiteral("http://www.photos.test/photos/9/page")));

    struct Case { const char *url; const char *header; };
    const Case cases[] = {
        {"http://www.photos.test/photos/9/", "deep=3; folder=6; host=1; wide=2"},
        {"http://www.photos.test/photos/1", "deep=3; host=1; wide=2"},
        {"http://www.photos.test/", "host=1; wide=2"},
        {"https://www.photos.test/", "host=1; safe=4; wide=2"},
        {"http://img.photos.test/photos/", "wide=2"},
        {"http://other.test/", ""},
    };
    for (const Case &c : cases) {
        QList<QByteArray> got = jar.cookieHeaderForUrl(QUrl(QString::fromLatin1(c.url))).split(';');
        for (QByteArray &part : got)
            part = part.trimmed();
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got.join("; "), QByteArray(c.header)) << c.url;
    }
}

TEST_F(CookieJarTest, ListenersHearRealChangesOnly)
{
    TCookieJar &jar = TCookieJar::instance();
    QStringList heard;
    const int id = jar.addListener([&](const QNetworkCookie &c, CookieChange change) {
        heard << QString::fromLatin1(c.name()) + (change == CookieChange::Added ? u'+' : u'-');
    });
    const QUrl url(QStringLiteral("http://127.0.0.1/"));

    jar.setCookiesFromResponse("a=1", url);
    jar.setCookiesFromResponse("a=1", url);                 // same again: no news
    jar.setCookiesFromResponse("a=2", url);                 // new value
    const QNetworkCookie fromBrowser = cookie("b", "x", "127.0.0.1");
    EXPECT_TRUE(jar.insertCookie(fromBrowser));
    EXPECT_FALSE(jar.insertCookie(fromBrowser));            // an echo from the mirror
    EXPECT_EQ(jar.cookieHeaderForUrl(url), QByteArray("a=2; b=x"));
    EXPECT_TRUE(jar.deleteCookie(fromBrowser));
    EXPECT_FALSE(jar.deleteCookie(fromBrowser));
    const QByteArray expired = "a=0; Expires=" + QDateTime::currentDateTimeUtc().addDays(-1).toString(Qt::RFC2822Date).toLatin1();
    jar.setCookiesFromResponse(expired, url);
    jar.removeListener(id);
    jar.setCookiesFromResponse("c=1", url);

    EXPECT_EQ(heard, QStringList({QStringLiteral("a+"), QStringLiteral("a+"), QStringLiteral("b+"),
                                  QStringLiteral("b-"), QStringLiteral("a-")}));
}
