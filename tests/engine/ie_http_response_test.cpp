// What the client makes of answers: headers, lengths, compressed bodies, text decoding.

#include "engine/http_decode.h"
#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "local_servers.h"

#include <QLocale>

#include <gtest/gtest.h>
#include <zlib.h>

using namespace orvix;
using orvix::test::LocalHttpServer;
using orvix::test::RawConnection;
using orvix::test::RawServer;

namespace {

// windowBits 16 + 15 writes gzip (with a zeroed header, as servers that pre-compress do),
// 15 a zlib stream.
QByteArray deflateBytes(const QByteArray &plain, int windowBits)
{
    z_stream zs{};
    deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(plain.size()))) + 32, '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.data()));
    zs.avail_in = uInt(plain.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

const QByteArray kGzipMark("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);

} // namespace

TEST(IEHttpResponse, HeadersCookiesAndContentSize)
{
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\nSet-Cookie: a=1; Path=/\r\n"
               "X-Extra: one: two\r\nSet-Cookie: b=2\r\n\r\nnot found");
    });
    TIEHttp http;
    http.ExecuteUrl(server.url(QStringLiteral("/missing"))); // a status is no failure

    EXPECT_EQ(http.ResponseHeaders().value(0), QStringLiteral("HTTP/1.0 404 Not Found"));
    EXPECT_EQ(http.GetResponseHeaderIdx(QStringLiteral("x-extra:")), 3);
    EXPECT_EQ(http.GetResponseHeaderValue(QStringLiteral("X-Extra")), QStringLiteral("one: two"));
    EXPECT_EQ(http.GetResponseHeaderIdx(QStringLiteral("X-None")), -1);
    EXPECT_EQ(http.Cookies(), QStringList({QStringLiteral("a=1; Path=/"), QStringLiteral("b=2")}));
    EXPECT_EQ(http.ContentSize(), 9);
    EXPECT_EQ(http.BytesReadTotal(), 9);
    EXPECT_EQ(http.ResultMs(), QByteArray("not found"));
    EXPECT_DOUBLE_EQ(http.GetProgress(), 1.0);
}

TEST(IEHttpResponse, ContentSizeWithoutALength)
{
    struct Case { const char *headers; qint64 size; };
    const Case cases[] = {
        {"", 1},                                    // so progress can pass 100 %
        {"Custom-Content-Length: 1000\r\n", 1000},
        {"Custom-Content-Length: 0\r\n", 1},
        {"Content-Length: 5\r\nCustom-Content-Length: 1000\r\n", 5},
    };
    for (const Case &c : cases) {
        RawServer server([&](RawConnection &conn) {
            conn.send(QByteArray("HTTP/1.0 200 OK\r\n") + c.headers + "\r\n12345");
        });
        TIEHttp http;
        http.ExecuteUrl(server.url(QStringLiteral("/")));
        EXPECT_EQ(http.ContentSize(), c.size) << c.headers;
        EXPECT_EQ(http.BytesReadTotal(), 5) << c.headers;
    }
}

TEST(IEHttpResponse, ShortBodyIsVisibleToTheCaller)
{
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + QByteArray(40, 'x'));
    });
    TIEHttp http;
    http.ExecuteUrl(server.url(QStringLiteral("/pic.jpg")));
    EXPECT_EQ(http.ContentSize(), 100);
    EXPECT_EQ(http.BytesReadTotal(), 40);
    EXPECT_EQ(http.ResultMs().size(), 40);
    EXPECT_EQ(http.ErrorCode(), 0);
}

TEST(IEHttpResponse, EndlessBodyIsCutOffWithAnError)
{
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\n\r\n");
        for (int i = 0; i < 100 && !c.waitForClose(1); ++i)
            c.send(QByteArray(1000, 'x'));
    });
    TIEHttp http;
    http.MaxResponseBytes = 5000;
    EXPECT_EQ(orvix::test::raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/"))); }),
              QStringLiteral("TIEHttp error: the response is larger than 5000 bytes"));
    EXPECT_LE(http.ResultMs().size(), 5000);
}

TEST(IEHttpResponse, ProgressFigures)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 4000\r\n\r\n" + QByteArray(1000, 'x'));
    });
    TIEHttp http;
    EXPECT_EQ(http.GetProgress(), 0.0);
    EXPECT_EQ(http.GetStringPercentage(), QStringLiteral("Bytes Read: 0 \rTotal File Size: 0\rStatus: [] done"));
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    EXPECT_DOUBLE_EQ(http.GetProgressPercentage(), 25.0);
    EXPECT_EQ(http.GetStringPercentage(), QStringLiteral("Bytes Read: 1,000 \rTotal File Size: 4,000\rStatus: 25% done"));
    QLocale::setDefault(QLocale::system());
}

TEST(IEHttpResponse, CompressedBodiesAreRecognisedByTheirFirstBytes)
{
    const QByteArray plain = QByteArray("<html>compressed page</html>").repeated(50);
    QByteArray gzip = deflateBytes(plain, 16 + MAX_WBITS);
    gzip.replace(4, 4, QByteArray(4, '\0')); // no time stamp, as the mark requires
    ASSERT_TRUE(gzip.startsWith(kGzipMark));
    const QByteArray zlibAfterMark = kGzipMark + deflateBytes(plain, MAX_WBITS);
    QByteArray stamped = gzip;
    stamped[4] = 1;

    struct Case { const char *name; QByteArray body; QChar method; QByteArray expected; };
    const Case cases[] = {
        {"gzip, gzip first", gzip, u'G', plain},
        {"gzip, zlib first", gzip, u'Z', plain},
        {"zlib, zlib first", zlibAfterMark, u'Z', plain},
        {"zlib, gzip first", zlibAfterMark, u'G', plain},
        {"gzip with a time stamp is kept", stamped, u'G', stamped},
        {"plain text is kept", plain, u'G', plain},
        {"short body", QByteArray("\x1f\x8b"), u'G', QByteArray("\x1f\x8b")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeResponseBody(c.body, c.method), c.expected) << c.name;

    const QByteArray broken = gzip.left(gzip.size() / 2);
    for (QChar method : {u'G', u'Z'})
        EXPECT_THROW(DecodeResponseBody(broken, method), EOrvix);
}

TEST(IEHttpResponse, CompressedAndBrokenBodiesOverTheWire)
{
    const QByteArray plain("line one\nline two\n");
    QByteArray gzip = deflateBytes(plain, 16 + MAX_WBITS);
    gzip.replace(4, 4, QByteArray(4, '\0'));
    LocalHttpServer server;
    server.server().Get("/gz", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content(gzip.toStdString(), "text/plain");
    });
    server.server().Get("/broken", [&](const httplib::Request &, httplib::Response &res) {
        res.set_content(gzip.left(20).toStdString(), "text/plain");
    });
    server.start();

    TIEHttp http;
    http.UnzipMethod = u'G';
    http.ExecuteUrl(server.url(QStringLiteral("/gz")));
    EXPECT_EQ(http.ResultMs(), plain);
    EXPECT_EQ(http.ResultSl(), QStringList({QStringLiteral("line one"), QStringLiteral("line two")}));

    try {
        http.ExecuteUrl(server.url(QStringLiteral("/broken")));
        ADD_FAILURE() << "a body that cannot be inflated must raise";
    } catch (const EOrvix &e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("TIEHttp error: "))) << e.message().toStdString();
    }
    EXPECT_EQ(http.WorkingStatus(), 0);
}

TEST(IEHttpResponse, TextIsDecodedByTheDeclaredCharset)
{
    const QByteArray utf8 = "caf\xc3\xa9\r\nna\xc3\xafve";
    struct Case { const char *contentType; QByteArray body; QStringList lines; };
    const Case cases[] = {
        {"text/html; charset=utf-8", utf8, {QStringLiteral("café"), QStringLiteral("naïve")}},
        // Upper case is not recognised: one character per byte, as the page parsers expect.
        {"text/html; charset=UTF-8", utf8, {QStringLiteral("cafÃ©"), QStringLiteral("naÃ¯ve")}},
        {"text/html", utf8, {QStringLiteral("cafÃ©"), QStringLiteral("naÃ¯ve")}},
        {"text/plain; charset=utf-16", QByteArray("h\0i\0\n\0x\0\0\0y\0", 12), {QStringLiteral("hi"), QStringLiteral("x")}},
    };
    for (const Case &c : cases) {
        LocalHttpServer server;
        server.server().Get("/t", [&](const httplib::Request &, httplib::Response &res) {
            res.set_content(c.body.toStdString(), c.contentType);
        });
        server.start();
        TIEHttp http;
        http.ExecuteUrl(server.url(QStringLiteral("/t")));
        EXPECT_EQ(http.ResultSl(), c.lines) << c.contentType;
        EXPECT_EQ(http.ResultRaw(), c.body) << c.contentType;
    }
}

TEST(IEHttpResponse, LinesSplitAtEveryKindOfBreak)
{
    EXPECT_EQ(SplitTextLines(QStringLiteral("a\r\nb\rc\nd\r\n")),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(SplitTextLines(QStringLiteral("\n\nx")), QStringList({QString(), QString(), QStringLiteral("x")}));
    EXPECT_TRUE(SplitTextLines(QString()).isEmpty());
}
