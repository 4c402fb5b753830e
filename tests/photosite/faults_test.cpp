// Fault injection, each switch observed with a plain socket client (and the curl command line
// where its verdict is the clearest evidence).

#include "site_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

using namespace orvix::photosite;
using namespace orvix::test;

namespace {

const QByteArray kMagic("\x1F\x8B\x08\x00\x00\x00\x00\x00", 8);

// Inflates a whole stream; windowBits 16 + 15 for gzip, 15 for zlib. Empty when it fails.
QByteArray inflated(const QByteArray &data, int windowBits)
{
    z_stream s{};
    if (inflateInit2(&s, windowBits) != Z_OK)
        return {};
    QByteArray out;
    char chunk[16384];
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    s.avail_in = uInt(data.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = reinterpret_cast<Bytef *>(chunk);
        s.avail_out = sizeof chunk;
        rc = inflate(&s, Z_NO_FLUSH);
        out.append(chunk, int(sizeof chunk - s.avail_out));
    }
    inflateEnd(&s);
    return rc == Z_STREAM_END ? out : QByteArray();
}

class Faults : public SmallSite
{
protected:
    void SetUp() override
    {
        SmallSite::SetUp();
        page = targetOf(site->manifest().pictures.first().pageUrl);
        file = targetOf(site->manifest().pictures.first().largestFileUrl);
        normalPage = httpGet(site->port(), page).body;
        normalFile = httpGet(site->port(), file).body;
        ASSERT_GT(normalPage.size(), 1000);
    }

    HttpReply faulted(const QString &ruleText, const QByteArray &target)
    {
        site->addFault(parseFaultRule(ruleText));
        return httpGet(site->port(), target);
    }

    QByteArray page, file, normalPage, normalFile;
};

} // namespace

TEST(FaultRules, ParsesRulesAndRejectsBadOnes)
{
    struct Case
    {
        const char *ruleText;
        const char *pattern;
        FaultKind kind;
        const char *arg;
        int times;
    };
    const Case good[] = {
        {"/photos/*=500", "/photos/*", FaultKind::Error500, "", -1},
        {"/photos/*=500x2", "/photos/*", FaultKind::Error500, "", 2},
        {"*_o.jpg=stall:2.5x1", "*_o.jpg", FaultKind::Stall, "2.5", 1},
        {"re:page=2$=charset:UTF-8", "re:page=2$", FaultKind::Charset, "UTF-8", -1},
        {"/a=reset:100", "/a", FaultKind::Reset, "100", -1},
        {"/a=nolength", "/a", FaultKind::NoLength, "", -1},
        {"/a=status:404x3", "/a", FaultKind::Status, "404", 3},
        {"/a=bomb", "/a", FaultKind::Bomb, "", -1},
        {"/a=bomb:1G", "/a", FaultKind::Bomb, "1G", -1},
        {"/a=huge:5G", "/a", FaultKind::Huge, "5G", -1},
        {"/a=endlessx1", "/a", FaultKind::Endless, "", 1},
        {"/a=trickle:0.5", "/a", FaultKind::Trickle, "0.5", -1},
    };
    for (const Case &c : good) {
        SCOPED_TRACE(c.ruleText);
        const FaultRule r = parseFaultRule(QString::fromLatin1(c.ruleText));
        EXPECT_EQ(r.pattern, QString::fromLatin1(c.pattern));
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.arg, QString::fromLatin1(c.arg));
        EXPECT_EQ(r.times, c.times);
        EXPECT_EQ(r.text(), QString::fromLatin1(c.ruleText));
    }
    for (const char *bad : {"nokind", "=500", "/a=explode", "/a=delay", "/a=delay:soon", "/a=charset:latin1",
                            "/a=status:99", "/a=gzip:1", "/a=short:-4", "re:([=500", "/a=huge", "/a=huge:lots",
                            "/a=trickle", "/a=bomb:2X", "/a=endless:1"}) {
        EXPECT_THROW(parseFaultRule(QString::fromLatin1(bad)), PhotoSiteError) << bad;
    }
}

TEST(FaultRules, PatternsMatchPathOrPathWithQuery)
{
    struct Case
    {
        const char *pattern;
        const char *path;
        const char *target;
        bool match;
    };
    const Case cases[] = {
        {"/photos/*", "/photos/alma/1/", "/photos/alma/1/", true},
        {"/photos/*/", "/groups/x/", "/groups/x/", false},
        {"/search/", "/search/", "/search/?q=lake&w=all", true},
        {"*page=2", "/groups/x/pool/", "/groups/x/pool/?page=2", true},
        {"*page=2", "/groups/x/pool/", "/groups/x/pool/?page=3", false},
        {"/1?34/*", "/1234/5_a_o.jpg", "/1234/5_a_o.jpg", true},
        {"re:_[ol]\\.jpg$", "/1234/5_a_o.jpg", "/1234/5_a_o.jpg", true},
        {"re:^/photos/", "/groups/photos/", "/groups/photos/", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(faultMatches(QString::fromLatin1(c.pattern), QString::fromLatin1(c.path),
                               QString::fromLatin1(c.target)),
                  c.match)
            << c.pattern << " " << c.target;
}

TEST_F(Faults, DelayWaitsThenAnswers)
{
    const HttpReply r = faulted(QString::fromUtf8(page) + QStringLiteral("=delay:0.4"), page);
    EXPECT_GE(r.totalMs, 380);
    EXPECT_EQ(r.body, normalPage);
}

TEST_F(Faults, StallPausesInTheMiddleOfTheBody)
{
    const HttpReply r = faulted(QString::fromUtf8(file) + QStringLiteral("=stall:0.6"), file);
    EXPECT_GE(r.longestGapMs, 550);
    EXPECT_EQ(r.header("Content-Length").toLongLong(), normalFile.size());
    EXPECT_EQ(r.body, normalFile);
    EXPECT_FALSE(r.reset);
}

TEST_F(Faults, ResetAbortsTheConnection)
{
    const HttpReply before = faulted(QString::fromUtf8(page) + QStringLiteral("=resetx1"), page);
    EXPECT_TRUE(before.reset);
    EXPECT_TRUE(before.body.isEmpty());
    const HttpReply during = faulted(QString::fromUtf8(file) + QStringLiteral("=reset:2000x1"), file);
    EXPECT_TRUE(during.reset);
    EXPECT_LE(during.body.size(), 2000);
    EXPECT_EQ(httpGet(site->port(), file).body, normalFile) << "the rules were used up";
}

TEST_F(Faults, ShortBodyAnnouncesMoreThanItSends)
{
    const HttpReply r = faulted(QString::fromUtf8(file) + QStringLiteral("=short:1000"), file);
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.header("Content-Length").toLongLong(), normalFile.size());
    EXPECT_EQ(r.body, normalFile.left(normalFile.size() - 1000));
    EXPECT_FALSE(r.reset);
}

TEST_F(Faults, NoLengthEndsTheBodyByClosing)
{
    const HttpReply r = faulted(QString::fromUtf8(file) + QStringLiteral("=nolength"), file);
    EXPECT_FALSE(r.hasHeader("Content-Length"));
    EXPECT_EQ(r.body, normalFile);
    EXPECT_FALSE(r.reset);
}

TEST_F(Faults, CompressedBodiesStartWithTheGzipHeader)
{
    const HttpReply gz = faulted(QString::fromUtf8(page) + QStringLiteral("=gzipx1"), page);
    EXPECT_TRUE(gz.body.startsWith(kMagic));
    EXPECT_EQ(gz.header("Content-Length").toLongLong(), gz.body.size());
    EXPECT_EQ(inflated(gz.body, 16 + MAX_WBITS), normalPage);

    const HttpReply z = faulted(QString::fromUtf8(page) + QStringLiteral("=zlibx1"), page);
    EXPECT_TRUE(z.body.startsWith(kMagic));
    EXPECT_EQ(inflated(z.body.mid(8), MAX_WBITS), normalPage);

    const HttpReply bad = faulted(QString::fromUtf8(page) + QStringLiteral("=badgzipx1"), page);
    EXPECT_TRUE(bad.body.startsWith(kMagic));
    EXPECT_TRUE(inflated(bad.body, 16 + MAX_WBITS).isEmpty());
    EXPECT_TRUE(inflated(bad.body.mid(8), MAX_WBITS).isEmpty());
}

TEST_F(Faults, BombAndHugeBodiesAreFarLargerThanWhatIsSent)
{
    const HttpReply bomb = faulted(QString::fromUtf8(file) + QStringLiteral("=bomb:8Mx1"), file);
    EXPECT_TRUE(bomb.body.startsWith(kMagic));
    EXPECT_FALSE(bomb.hasHeader("Content-Encoding"));
    EXPECT_LT(bomb.body.size(), 64 * 1024);
    EXPECT_EQ(inflated(bomb.body, 16 + MAX_WBITS), QByteArray(8 << 20, '\0'));

    const HttpReply huge = faulted(QString::fromUtf8(file) + QStringLiteral("=huge:3Mx1"), file);
    EXPECT_EQ(huge.header("Content-Length").toLongLong(), 3 << 20);
    ASSERT_EQ(huge.body.size(), 3 << 20);
    EXPECT_TRUE(huge.body.startsWith(normalFile));
    EXPECT_EQ(huge.body.mid(normalFile.size()), QByteArray((3 << 20) - normalFile.size(), '\0'));
}

TEST_F(Faults, ErrorStatusesComeWithAnHtmlPage)
{
    const HttpReply e500 = faulted(QString::fromUtf8(page) + QStringLiteral("=500x1"), page);
    EXPECT_EQ(e500.status, 500);
    EXPECT_TRUE(e500.header("Content-Type").startsWith("text/html"));
    EXPECT_TRUE(e500.body.contains("<h1>"));
    EXPECT_EQ(faulted(QString::fromUtf8(page) + QStringLiteral("=status:503x1"), page).status, 503);
}

TEST_F(Faults, CharsetIsDeclaredAsAsked)
{
    const struct
    {
        const char *arg;
        QByteArray contentType;
    } cases[] = {{"utf-8", "text/html; charset=utf-8"},
                 {"UTF-8", "text/html; charset=UTF-8"},
                 {"none", "text/html"}};
    for (const auto &c : cases) {
        const HttpReply r = faulted(QString::fromUtf8(page) + QStringLiteral("=charset:") + QLatin1String(c.arg)
                                        + QStringLiteral("x1"),
                                    page);
        EXPECT_EQ(r.header("Content-Type"), c.contentType);
        EXPECT_EQ(r.body, normalPage);
    }
}

TEST_F(Faults, GarbageIsNotThePage)
{
    const HttpReply r = faulted(QString::fromUtf8(page) + QStringLiteral("=garbage"), page);
    EXPECT_EQ(r.status, 200);
    EXPECT_NE(r.body, normalPage);
    EXPECT_FALSE(QString::fromUtf8(r.body).toUtf8() == r.body) << "not even valid UTF-8";
}

TEST_F(Faults, CountedRuleFailsTwiceThenWorksAndTheLogSaysSo)
{
    site->resetRequests();
    site->addFault(parseFaultRule(QStringLiteral("/photos/*=500x2")));
    EXPECT_EQ(httpGet(site->port(), page).status, 500);
    EXPECT_EQ(httpGet(site->port(), page).status, 500);
    EXPECT_EQ(httpGet(site->port(), page).status, 200);
    ASSERT_EQ(site->faults().size(), 1);
    EXPECT_EQ(site->faults().first().times, 0);
    EXPECT_EQ(site->faults().first().hits, 2);
    const QList<RequestRecord> log = site->requests();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log.at(0).fault, QStringLiteral("/photos/*=500"));
    EXPECT_TRUE(log.at(2).fault.isEmpty());
}

TEST_F(Faults, ControlEndpointAddsListsAndClears)
{
    const HttpReply added = httpRequest(site->port(), "POST", "/__faults",
                                        {{"Content-Type", "application/json"}},
                                        R"([{"pattern": "/photos/*", "kind": "status", "arg": 404, "times": 1},
                                            {"rule": "*_o.jpg=nolength"}])");
    EXPECT_EQ(added.status, 200);
    EXPECT_EQ(httpRequest(site->port(), "POST", "/__faults", {}, "/groups/*=delay:0.1\n").status, 200);
    const QJsonArray listed = QJsonDocument::fromJson(httpGet(site->port(), "/__faults").body).array();
    ASSERT_EQ(listed.size(), 3);
    EXPECT_EQ(listed.at(0).toObject().value(QStringLiteral("rule")).toString(), QStringLiteral("/photos/*=status:404x1"));
    EXPECT_EQ(httpGet(site->port(), page).status, 404);

    const HttpReply bad = httpRequest(site->port(), "POST", "/__faults", {}, R"({"pattern": "/a", "kind": "melt"})");
    EXPECT_EQ(bad.status, 400);
    EXPECT_TRUE(bad.body.contains("unknown kind"));

    EXPECT_EQ(httpRequest(site->port(), "DELETE", "/__faults").status, 200);
    EXPECT_TRUE(site->faults().isEmpty());
    site->addFault(parseFaultRule(QStringLiteral("/a=500")));
    httpGet(site->port(), "/__faults/clear");
    EXPECT_TRUE(site->faults().isEmpty());
}

TEST_F(Faults, StopDoesNotWaitForStalledAnswersOrIdleConnections)
{
    site->addFault(parseFaultRule(QString::fromUtf8(file) + QStringLiteral("=stall:60")));
    HttpReply stalled;
    std::thread client([&] { stalled = httpGet(site->port(), file); });
    // A connection a browser opened ahead and has not used yet.
    const int idle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(quint16(site->port()));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(idle, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
    QThread::msleep(300);
    QElapsedTimer t;
    t.start();
    site->stop();
    client.join();
    EXPECT_LT(t.elapsed(), 20000) << "a generous bound: the stall alone would take a minute";
    EXPECT_LT(stalled.body.size(), normalFile.size());
    ::close(idle);
}

TEST(PhotoSiteProgram, ServesWithFaultsFromTheCommandLineAndStopsOnSignal)
{
    QProcess server;
    server.start(QStringLiteral(PHOTOSITE_EXE),
                 {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--owners"), QStringLiteral("1"),
                  QStringLiteral("--photos"), QStringLiteral("5"), QStringLiteral("--fault"),
                  QStringLiteral("/photos/*=resetx1"), QStringLiteral("--fault"),
                  QStringLiteral("*.jpg=short:100x1")});
    ASSERT_TRUE(server.waitForReadyRead(10000));
    const int port = server.readLine().trimmed().toInt();
    ASSERT_GT(port, 0);
    const QString base = QStringLiteral("http://127.0.0.1:") + QString::number(port);

    auto curl = [](const QString &url) {
        QProcess c;
        c.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-o"), QStringLiteral("/dev/null"), url});
        c.waitForFinished(20000);
        return c.exitCode();
    };
    EXPECT_EQ(curl(base + QStringLiteral("/photos/alma/")), 56) << "curl: connection reset";
    EXPECT_EQ(curl(base + QStringLiteral("/photos/alma/")), 0);
    const QJsonObject manifest = QJsonDocument::fromJson(httpGet(port, "/__manifest").body).object();
    const QString file = manifest.value(QStringLiteral("pictures")).toArray().first().toObject()
                             .value(QStringLiteral("largestFileUrl")).toString();
    EXPECT_EQ(curl(file), 18) << "curl: transfer closed with bytes remaining";
    EXPECT_EQ(curl(file), 0);

    server.terminate(); // SIGTERM
    ASSERT_TRUE(server.waitForFinished(10000));
    EXPECT_EQ(server.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(server.exitCode(), 0);
}

TEST(PhotoSiteProgram, RefusesAnyOtherAddressAndBadOptions)
{
    for (const QStringList &args : {QStringList{QStringLiteral("--bind"), QStringLiteral("0.0.0.0")},
                                    QStringList{QStringLiteral("--fault"), QStringLiteral("/a=explode")},
                                    QStringList{QStringLiteral("--per-page"), QStringLiteral("zero")}}) {
        QProcess p;
        p.start(QStringLiteral(PHOTOSITE_EXE), args);
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitCode(), 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
        EXPECT_FALSE(p.readAllStandardError().isEmpty());
    }
}
