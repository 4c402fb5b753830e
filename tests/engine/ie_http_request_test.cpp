// What the client puts on the wire: request line, headers, query and body encodings.

#include "engine/http_url.h"
#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "local_servers.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace orvix;
using orvix::test::RawConnection;
using orvix::test::RawServer;
using orvix::test::raisedBy;

namespace {

const QByteArray kOkResponse = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";

RawServer okServer()
{
    return RawServer([](RawConnection &c) { c.send(kOkResponse); });
}

QByteArray requestLine(const QByteArray &request)
{
    return request.left(request.indexOf("\r\n"));
}

QByteArray headerBlock(const QByteArray &request)
{
    return request.left(request.indexOf("\r\n\r\n") + 2);
}

QByteArray bodyOf(const QByteArray &request)
{
    return request.mid(request.indexOf("\r\n\r\n") + 4);
}

} // namespace

TEST(IEHttpRequest, PlainGetWithoutSchemeSendsAgentHttp10AndCacheBypass)
{
    RawServer server = okServer();
    TIEHttp http;
    http.ExecuteUrl(QStringLiteral("127.0.0.1:%1/a").arg(server.port()));

    const QByteArray req = server.lastRequest();
    EXPECT_EQ(requestLine(req), "GET /a HTTP/1.0");
    const QByteArray headers = headerBlock(req);
    EXPECT_TRUE(headers.contains("\r\nUser-Agent: TIEHttp\r\n")) << headers.constData();
    EXPECT_TRUE(headers.contains("\r\nPragma: no-cache\r\n"));
    EXPECT_FALSE(headers.contains("Content-Type"));
    EXPECT_FALSE(headers.contains("Accept-Encoding")); // bodies arrive as the server stores them
    EXPECT_EQ(http.ResultText(), QStringLiteral("ok\r\n"));
    EXPECT_EQ(http.WorkingStatus(), 0);

    http.ForceHttpReload = false;
    http.HttpAgentString = QStringLiteral("Custom/1");
    http.Execute();
    EXPECT_FALSE(server.lastRequest().contains("no-cache"));
    EXPECT_TRUE(server.lastRequest().contains("\r\nUser-Agent: Custom/1\r\n"));
}

TEST(IEHttpRequest, QueryIsReencoded)
{
    struct Case { const char *encoded; const char *sent; };
    const Case cases[] = {
        {"?a=b%20c", "?a=b%20c"},
        {"?q=%41%7e", "?q=A~"},                          // needless escapes come back plain
        {"?q=a%26b%2Bc%3Dd", "?q=a%26b%2Bc%3Dd"},        // field delimiters stay escaped
        {"?p=50%", "?p=50%25"},                          // a stray percent sign
        {"?t=<b>,!", "?t=%3Cb%3E%2C%21"},
        {"?n=caf%C3%A9", "?n=caf%C3%A9"},
        {"?l=caf%E9", "?l=caf%E9"},                      // bytes that are not UTF-8 survive
        {"?k=-._~@?&+=", "?k=-._~@?&+="},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReencodeQuery(c.encoded), QByteArray(c.sent)) << c.encoded;

    RawServer server = okServer();
    TIEHttp http;
    http.ExecuteUrl(server.url(QStringLiteral("/s?q=x y&u=é")));
    EXPECT_EQ(requestLine(server.lastRequest()), "GET /s?q=x%20y&u=%C3%A9 HTTP/1.0");
}

TEST(IEHttpRequest, UrlWithoutPathRecordsErrorThatExecuteClears)
{
    RawServer server = okServer();
    TIEHttp http;
    http.setURL(QStringLiteral("http://127.0.0.1:%1").arg(server.port()));
    EXPECT_EQ(http.ErrorMsg(), QStringLiteral("TIEHttp: Empty URL"));
    http.Execute();
    EXPECT_EQ(http.ErrorMsg(), QString());
    EXPECT_EQ(requestLine(server.lastRequest()), "GET / HTTP/1.0");

    TIEHttp empty;
    EXPECT_EQ(raisedBy([&] { empty.Execute(); }), QStringLiteral("TIEHttp: no url in execute method"));
    EXPECT_EQ(empty.WorkingStatus(), 0);
}

TEST(IEHttpRequest, GetStrIsAppendedOnceToThePath)
{
    struct Case { const char *path; const char *fields; const char *sent; };
    const Case cases[] = {
        {"/p?x=2", "a=1", "GET /p?x=2&a=1 HTTP/1.0"},
        {"/p", "a=1", "GET /p?a=1 HTTP/1.0"},
        {"/p", "a=1&q=two words", "GET /p?a=1&q=two%20words HTTP/1.0"},
    };
    RawServer server = okServer();
    for (const Case &c : cases) {
        TIEHttp http;
        http.setURL(server.url(QString::fromLatin1(c.path)));
        http.setGetStr(QString::fromLatin1(c.fields));
        http.Execute();
        EXPECT_EQ(requestLine(server.lastRequest()), QByteArray(c.sent));
        EXPECT_EQ(http.GetStr(), QString());
        http.Execute(); // the fields were for one request only
        EXPECT_FALSE(requestLine(server.lastRequest()).contains("a=1"));
    }
}

TEST(IEHttpRequest, FormPostJoinsQueryAndPostStrInUtf8)
{
    RawServer server = okServer();
    TIEHttp http;
    http.setRequestMethod(QStringLiteral("post"));
    EXPECT_EQ(http.RequestMethod(), QStringLiteral("POST"));
    http.setURL(server.url(QStringLiteral("/form?x=1")));
    http.setPostStr(QStringLiteral("name=Zoë"));
    http.Execute();

    const QByteArray req = server.lastRequest();
    EXPECT_EQ(requestLine(req), "POST /form HTTP/1.0");
    EXPECT_TRUE(headerBlock(req).contains("\r\nContent-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_EQ(bodyOf(req), QByteArray("x=1&name=Zo\xc3\xab"));
    EXPECT_EQ(http.PostStr(), QString());
}

TEST(IEHttpRequest, MultipartBodyIsByteExact)
{
    RawServer server = okServer();
    TIEHttp http;
    http.setMultipartPOST(true);
    EXPECT_EQ(http.RequestMethod(), QStringLiteral("POST"));
    http.setURL(server.url(QStringLiteral("/up?a=1")));
    http.AddMultipartVar(QStringLiteral("t"), QStringLiteral("é"));
    http.AddMultipartVar(QStringLiteral("a"), QStringLiteral("2")); // the query's a=1 wins
    http.AddMultipartVarBin(QStringLiteral("f"), QStringLiteral("pic.jpg"), QByteArray("\x00\xff", 2));
    http.Execute();

    const QByteArray b = "-----------------------------7cf87224d2020a";
    const QByteArray expected = "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"t\"\r\n\r\n\xc3\xa9\r\n"
        "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n"
        "--" + b + "\r\n"
        "Content-Disposition: form-data; name=\"f\"; filename=\"pic.jpg\"\r\n"
        "Content-Transfer-Encoding: binary\r\n\r\n" + QByteArray("\x00\xff", 2) + "\r\n"
        "--" + b + "--\r\n";
    const QByteArray req = server.lastRequest();
    EXPECT_EQ(requestLine(req), "POST /up HTTP/1.0");
    EXPECT_TRUE(headerBlock(req).contains("\r\nContent-Type: multipart/form-data; boundary=" + b + "\r\n"));
    EXPECT_EQ(bodyOf(req), expected);
    EXPECT_TRUE(http.MultipartVars().isEmpty()); // given anew for each request
}

TEST(IEHttpRequest, RequestsThatCannotBeBuiltRaiseAndSendNothing)
{
    struct Case {
        const char *name;
        std::function<void(TIEHttp &, const RawServer &)> setup;
        const char *message;
    };
    const Case cases[] = {
        {"query field without value", [](TIEHttp &h, const RawServer &s) {
             h.setMultipartPOST(true);
             h.setURL(s.url(QStringLiteral("/u?a=1&b")));
         }, "TIEHttp error: could not convert b to multipart"},
        {"multipart without fields", [](TIEHttp &h, const RawServer &s) {
             h.setMultipartPOST(true);
             h.setURL(s.url(QStringLiteral("/u")));
         }, "TIEHttp error: multipart error: no variables to post"},
        {"form fields with GET", [](TIEHttp &h, const RawServer &s) {
             h.setURL(s.url(QStringLiteral("/u")));
             h.setPostStr(QStringLiteral("a=1"));
         }, "TIEHttp error: form fields can only be sent with POST"},
        {"header inside the content type", [](TIEHttp &h, const RawServer &s) {
             h.setRequestMethod(QStringLiteral("POST"));
             h.ContentType = QStringLiteral("text/plain\r\nContent-Type: x");
             h.setURL(s.url(QStringLiteral("/u")));
         }, "TIEHttp error: invalid content type: text/plain\r\nContent-Type: x"},
    };
    RawServer server = okServer();
    for (const Case &c : cases) {
        TIEHttp http;
        c.setup(http, server);
        EXPECT_EQ(raisedBy([&] { http.Execute(); }), QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(http.WorkingStatus(), 0) << c.name;
    }
    EXPECT_EQ(server.connections(), 0);
}

TEST(IEHttpRequest, MethodAndModeSettersKeepTheContentTypeInStep)
{
    TIEHttp http;
    EXPECT_EQ(raisedBy([&] { http.setRequestMethod(QStringLiteral("put")); }),
              QStringLiteral("Unsupported method. Allowed methods: GET, POST"));
    http.setMultipartPOST(true);
    EXPECT_EQ(http.ContentType,
              QStringLiteral("multipart/form-data; boundary=-----------------------------7cf87224d2020a"));
    http.setMultipartPOST(false);
    EXPECT_EQ(http.RequestMethod(), QStringLiteral("POST"));
    EXPECT_EQ(http.ContentType, QStringLiteral("application/x-www-form-urlencoded"));
    http.setRequestMethod(QStringLiteral("get"));
    EXPECT_EQ(http.ContentType, QString());

    http.AddMultipartVar(QStringLiteral("a"), QStringLiteral("1"));
    EXPECT_EQ(http.ErrorMsg(), QStringLiteral("TIEHttp not in multipart mode"));
    EXPECT_TRUE(http.MultipartVars().isEmpty());
}

TEST(IEHttpRequest, ParametersCannotChangeWhileARequestRuns)
{
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nab");
        c.waitForClose(300);
        c.send("cd");
    });
    TIEHttp http;
    QStringList raised;
    http.OnPacketRead = [&](TIEHttp &h) {
        raised << raisedBy([&] { h.setPostStr(QStringLiteral("a")); })
               << raisedBy([&] { h.setRequestMethod(QStringLiteral("POST")); });
    };
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    ASSERT_GE(raised.size(), 2);
    EXPECT_EQ(raised[0], QStringLiteral("TIEHttp: Cannot change parameters while processing request"));
    EXPECT_EQ(raised[1], QStringLiteral("Cannot change parameters while processing request"));
    EXPECT_EQ(http.ResultText(), QStringLiteral("abcd\r\n"));
}

TEST(IEHttpRequest, RequestHeaderHelpers)
{
    RawServer server = okServer();
    TIEHttp http;
    http.RequestHeaders << QStringLiteral("X-Mode: old");
    http.AddRequestHeader(QStringLiteral(" x-mode: "), QStringLiteral("new"));
    http.AddRequestHeader(QStringLiteral("Referer"), QStringLiteral("http://a/b"));
    http.AddRequestHeader(QStringLiteral("X-Gone"), QStringLiteral("1"));
    http.DeleteRequestHeader(QStringLiteral("x-gone:"));
    EXPECT_EQ(http.RequestHeaders, QStringList({QStringLiteral("x-mode: new"), QStringLiteral("Referer: http://a/b")}));
    EXPECT_EQ(http.GetRequestHeaderIdx(QStringLiteral("REFERER")), 1);
    EXPECT_EQ(http.GetRequestHeaderIdx(QStringLiteral("Refer")), -1); // whole names only
    EXPECT_EQ(http.GetRequestHeaderValue(QStringLiteral("referer")), QStringLiteral("http://a/b"));

    http.ExecuteUrl(server.url(QStringLiteral("/")));
    const QByteArray headers = headerBlock(server.lastRequest());
    EXPECT_TRUE(headers.contains("\r\nx-mode: new\r\n"));
    EXPECT_TRUE(headers.contains("\r\nReferer: http://a/b\r\n"));
}

TEST(IEHttpRequest, ProxyFromEnvironmentGetsCredentialsTheServerNeverSees)
{
    RawServer proxy = okServer();
    const QByteArray saved = qgetenv("http_proxy");
    qputenv("http_proxy", QStringLiteral("http://127.0.0.1:%1").arg(proxy.port()).toLatin1());
    TIEHttp http;
    http.proxyUsername = QStringLiteral("user");
    http.proxyPassword = QStringLiteral("pw");
    http.ExecuteUrl(QStringLiteral("http://photos.invalid/p?x=1"));
    if (saved.isNull())
        qunsetenv("http_proxy");
    else
        qputenv("http_proxy", saved);

    const QByteArray req = proxy.lastRequest();
    EXPECT_EQ(requestLine(req), "GET http://photos.invalid/p?x=1 HTTP/1.0");
    EXPECT_TRUE(headerBlock(req).contains("\r\nProxy-Authorization: Basic " + QByteArray("user:pw").toBase64() + "\r\n"));
    EXPECT_EQ(http.ResultText(), QStringLiteral("ok\r\n"));

    RawServer direct = okServer();
    http.ExecuteUrl(direct.url(QStringLiteral("/")));
    EXPECT_FALSE(direct.lastRequest().contains("Proxy-Authorization"));
}

TEST(IEHttpRequest, Base64FieldsBreakLinesWithCr)
{
    const QByteArray bytes(100, 'x'); // 136 Base64 characters
    const QString text = Base64WithBreaks(bytes);
    const QString plain = QString::fromLatin1(bytes.toBase64());
    EXPECT_EQ(text, plain.left(64) + u'\r' + plain.mid(64, 64) + u'\r' + plain.mid(128));
    EXPECT_EQ(Base64WithBreaks(QByteArray(48, 'y')), QString::fromLatin1(QByteArray(48, 'y').toBase64()) + u'\r');
}

TEST(IEHttpRequest, FilePartsAndBase64Fields)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report é.txt"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("file\r\nbytes");
    f.close();

    RawServer server = okServer();
    TIEHttp http;
    http.setMultipartPOST(true);
    http.setURL(server.url(QStringLiteral("/send")));
    http.AddMultipartFormFile(QStringLiteral("attachment"), path);
    http.AddMultipartFile(QStringLiteral("encoded"), path);
    http.Execute();

    const QByteArray body = bodyOf(server.lastRequest());
    EXPECT_TRUE(body.contains("name=\"attachment\"; filename=\"report \xc3\xa9.txt\"\r\n"
                              "Content-Transfer-Encoding: binary\r\n\r\nfile\r\nbytes\r\n"));
    EXPECT_TRUE(body.contains("name=\"encoded\"\r\n\r\n" + QByteArray("file\r\nbytes").toBase64() + "\r\n"));
    EXPECT_EQ(TIEHttp::FileToB64String(path), QString::fromLatin1(QByteArray("file\r\nbytes").toBase64()));
    EXPECT_THROW(TIEHttp::FileToB64String(dir.filePath(QStringLiteral("missing"))), EOrvix);
}
