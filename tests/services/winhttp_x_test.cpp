// The maker-service client against the stand-in service.
#include "services/winhttp_x.h"

#include "makerservice/maker_service.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace orvix;
using namespace orvix::makerservice;

namespace {

class WinHttpX : public ::testing::Test
{
protected:
    void SetUp() override { maker.start(); }
    QString url(const QString &path) const { return maker.baseUrl() + path; }
    MakerService maker;
};

// gzip with the given time stamp in its header (0 gives the 8-byte prefix the client looks for).
QByteArray gzipped(const QByteArray &plain, unsigned long mtime)
{
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    gz_header header{};
    header.time = mtime;
    header.os = 3;
    deflateSetHeader(&s, &header);
    QByteArray out(int(deflateBound(&s, uLong(plain.size())) + 64), '\0');
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.constData()));
    s.avail_in = uInt(plain.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.truncate(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

QByteArray prefixedZlib(const QByteArray &plain)
{
    uLongf size = compressBound(uLong(plain.size()));
    QByteArray out(int(size), '\0');
    compress(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(plain.constData()), uLong(plain.size()));
    out.truncate(qsizetype(size));
    return QByteArray::fromHex("1f8b080000000000") + out;
}

} // namespace

TEST_F(WinHttpX, SchemeLessGetSendsOneSpaceAsItsBody)
{
    TWinHttpX client;
    client.ExecuteUrl(maker.host() + QStringLiteral("/CheckUpdates.aspx?app=x"));
    EXPECT_EQ(client.URL(), url(QStringLiteral("/CheckUpdates.aspx?app=x")));
    ASSERT_EQ(maker.requests().size(), 1);
    const RecordedRequest r = maker.requests().first();
    EXPECT_EQ(r.method, QStringLiteral("GET"));
    EXPECT_EQ(r.query, QStringLiteral("app=x"));
    EXPECT_EQ(r.header(QStringLiteral("Content-Length")), QStringLiteral("1"));
    EXPECT_EQ(r.header(QStringLiteral("User-Agent")), QString::fromLatin1(WinHttpUserAgent));
    EXPECT_EQ(r.header(QStringLiteral("Accept")), QStringLiteral("text/html, */*"));
    EXPECT_EQ(r.header(QStringLiteral("Content-Type")), QString()); // the library adds none
    EXPECT_TRUE(client.ResponseText().startsWith(QStringLiteral("[latest version]\r\n")));
    EXPECT_EQ(client.SendTimeout, 2147483647);
}

TEST_F(WinHttpX, KeepsOneConnectionPerHostAndPort)
{
    MakerService other;
    other.start();
    TWinHttpX client;
    client.Get(url(QStringLiteral("/a")));
    client.Get(url(QStringLiteral("/b")));
    client.Get(other.baseUrl() + QStringLiteral("/c"));
    client.Get(url(QStringLiteral("/d")));
    const QList<RecordedRequest> mine = maker.requests();
    ASSERT_EQ(mine.size(), 3);
    EXPECT_EQ(mine[0].clientPort, mine[1].clientPort);
    EXPECT_NE(mine[1].clientPort, mine[2].clientPort); // the other port dropped the connection
}

// A cookie the service sets goes back on every later request of the same session, and a
// new session starts without it.
TEST_F(WinHttpX, SessionCookiesLastForTheSessionOnly)
{
    maker.setReply(QStringLiteral("/login"),
                   CannedReply{200, "ok", "text/plain", {{"Set-Cookie", "sid=42; Path=/"}}, 0});
    {
        TWinHttpX client;
        client.Get(url(QStringLiteral("/login")));
        client.Get(url(QStringLiteral("/a")));
        client.Get(url(QStringLiteral("/b")));
    }
    TWinHttpX fresh;
    fresh.Get(url(QStringLiteral("/c")));
    const QList<RecordedRequest> seen = maker.requests();
    ASSERT_EQ(seen.size(), 4);
    EXPECT_EQ(seen[0].header(QStringLiteral("Cookie")), QString());
    EXPECT_EQ(seen[1].header(QStringLiteral("Cookie")), QStringLiteral("sid=42"));
    EXPECT_EQ(seen[2].header(QStringLiteral("Cookie")), QStringLiteral("sid=42"));
    EXPECT_EQ(seen[3].header(QStringLiteral("Cookie")), QString());
}

TEST_F(WinHttpX, StatusOfThreeHundredAndMoreIsAResultWithItsBody)
{
    maker.setReply(QStringLiteral("/missing"), CannedReply{404, "gone\r\nfor good", "text/plain", {}, 0});
    TWinHttpX client;
    client.Get(url(QStringLiteral("/missing")));
    EXPECT_EQ(client.errorCode, 404);
    EXPECT_EQ(client.errorMessage, QStringLiteral("Not Found"));
    EXPECT_EQ(client.ResultSl, (QStringList{QStringLiteral("gone"), QStringLiteral("for good")}));

    client.Get(url(QStringLiteral("/CheckUpdates.aspx")));
    EXPECT_EQ(client.errorCode, 0);
    EXPECT_EQ(client.errorMessage, QString());
}

TEST_F(WinHttpX, DecodesOnlyBodiesWithTheExactGzipPrefix)
{
    const QByteArray text = "[latest version]\r\n1.3.0 build:151";
    struct Case { const char *name; QByteArray body; QByteArray contentType; bool decoded; };
    const Case cases[] = {
        {"gzip as gzip", gzipped(text, 0), "gzip", true},
        {"gzip as text: zlib tried first, then gzip", gzipped(text, 0), "text/plain", true},
        {"prefix and zlib as text", prefixedZlib(text), "text/plain", true},
        {"prefix and zlib as gzip: gzip tried first, then zlib", prefixedZlib(text), "gzip", true},
        {"gzip with a time stamp is left alone", gzipped(text, 1600000000), "gzip", false},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(c.body.startsWith(QByteArray::fromHex("1f8b080000000000")), c.decoded) << c.name;
        maker.setReply(QStringLiteral("/z"), CannedReply{200, c.body, c.contentType, {}, 0});
        TWinHttpX client;
        client.Get(url(QStringLiteral("/z")));
        if (c.decoded)
            EXPECT_EQ(client.ResponseStream, text) << c.name;
        else
            EXPECT_EQ(client.ResponseStream, c.body) << c.name;
    }
}

TEST_F(WinHttpX, PostsFormAndMultipartFieldsInOrder)
{
    TWinHttpX form;
    form.AddMultipartVar(QStringLiteral("Message"), QStringLiteral("a b&c=d+e?f/é"));
    form.AddMultipartVar(QStringLiteral("Other"), QStringLiteral("2"));
    form.RequestMethod = THttpRequestMethod::HTTPrm_Post;
    form.ExecuteUrl(url(QStringLiteral("/AppException.aspx")));

    TWinHttpX multi;
    multi.MultipartPost = true;
    multi.AddMultipartVar(QStringLiteral("name"), QStringLiteral("Ann & Bob"));
    multi.AddMultipartVarBin(QStringLiteral("file"), QStringLiteral("a.bin"), QByteArray("\x00\xff", 2));
    multi.ExecuteUrl(url(QStringLiteral("/upgrades/feedback.aspx")));
    EXPECT_EQ(multi.ResultSl, QStringList{QStringLiteral("FEEDBACK_OK")});

    const QList<RecordedRequest> r = maker.requests();
    ASSERT_EQ(r.size(), 2);
    EXPECT_EQ(r[0].method, QStringLiteral("POST"));
    EXPECT_EQ(r[0].header(QStringLiteral("Content-Type")), QStringLiteral("application/x-www-form-urlencoded"));
    ASSERT_EQ(r[0].fields.size(), 2);
    EXPECT_EQ(r[0].fields[0].name, QStringLiteral("Message"));
    EXPECT_EQ(QString::fromUtf8(r[0].fields[0].value), QStringLiteral("a b&c=d+e?f/é"));
    EXPECT_EQ(r[0].fields[1].value, QByteArray("2"));
    ASSERT_EQ(r[1].fields.size(), 2);
    EXPECT_EQ(r[1].fields[0].value, QByteArray("Ann & Bob"));
    EXPECT_EQ(r[1].fields[1].fileName, QStringLiteral("a.bin"));
    EXPECT_EQ(r[1].fields[1].value, QByteArray("\x00\xff", 2));
}

TEST_F(WinHttpX, LargeBodiesGoOutInPiecesOfTheUploadBuffer)
{
    TWinHttpX client;
    client.setUploadBufferSize(1000);
    client.AddVariable(QStringLiteral("big"), QString(5000, u'x'));
    QList<qint64> progress;
    client.OnUploadProgress = [&progress](qint64 sent, qint64) { progress << sent; };
    client.Post(url(QStringLiteral("/AppException.aspx")));
    ASSERT_EQ(maker.requests().size(), 1);
    EXPECT_EQ(maker.requests().first().field(QStringLiteral("big")), QByteArray(5000, 'x'));
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_EQ(progress.last(), 5004);
    for (qsizetype i = 1; i < progress.size(); ++i)
        EXPECT_LE(progress[i] - progress[i - 1], 1000);
}

TEST_F(WinHttpX, ReadsCookiesOfTheResponse)
{
    maker.setReply(QStringLiteral("/c"), CannedReply{200, "ok", "text/plain",
                                                     {{"Set-Cookie", "id=42; Path=\"/x\"; Secure"}}, 0});
    TWinHttpX client;
    client.Get(url(QStringLiteral("/c")));
    ASSERT_EQ(client.aResponseContentHeader.Cookies.size(), 1);
    EXPECT_EQ(client.aResponseContentHeader.Cookies[0].Value, QStringLiteral("42"));
    EXPECT_EQ(client.aResponseContentHeader.StatusCode, QStringLiteral("200"));
}

TEST_F(WinHttpX, FailuresCarryTheirTexts)
{
    TWinHttpX client;
    try {
        client.setURL(QStringLiteral("ftp://a/b"));
        FAIL() << "no exception";
    } catch (const EWinHttpClientException &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid url 'ftp://a/b' - only supports 'http' and 'https' schemes"));
    }
    try {
        client.Execute();
        FAIL() << "no exception";
    } catch (const EWinHttpClientException &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Empty URL"));
    }
    const QString closed = url(QStringLiteral("/x"));
    maker.stop();
    try {
        client.Get(closed);
        FAIL() << "no exception";
    } catch (const EWinHttpClientException &e) {
        EXPECT_EQ(e.message(), QStringLiteral("A connection with the server could not be established - URL:") + closed);
        EXPECT_EQ(e.StatusCode, 0);
    }
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(client.WorkingStatus, 0);
}
