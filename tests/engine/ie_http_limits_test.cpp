// What a request may cost: the time to reach a server, a body that trickles, bodies and
// decompressed output larger than any page, bodies streamed past memory, and stopping on demand.

#include "engine/http_decode.h"
#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "local_servers.h"
#include "photosite/fault_bodies.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace orvix;
using orvix::test::RawConnection;
using orvix::test::RawServer;
using orvix::test::raisedBy;

namespace {

using Clock = std::chrono::steady_clock;

qint64 msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A port whose listener never accepts and whose queue is full: further connection attempts go
// unanswered, as with a host that drops packets.
class BlackHole
{
public:
    BlackHole()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(m_listen, 0);
        socklen_t len = sizeof addr;
        ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        for (int &fd : m_fillers) {
            fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~BlackHole()
    {
        for (int fd : m_fillers)
            ::close(fd);
        ::close(m_listen);
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_port); }

private:
    int m_listen = -1;
    int m_fillers[3] = {-1, -1, -1};
    int m_port = 0;
};

// Headers, then one byte of a 60-byte body every 100 ms (6 seconds in all) unless the client
// hangs up.
RawServer tricklingServer()
{
    return RawServer([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 60\r\n\r\n");
        for (int i = 0; i < 60 && !c.waitForClose(100); ++i)
            c.send("x");
    });
}

} // namespace

TEST(IEHttpLimits, ConnectionPhaseHasItsOwnTimeOutInsideTheInactivityTimeOut)
{
    BlackHole hole;
    struct Case { const char *name; int timeout; int connectTimeout; qint64 atMostMs; };
    const Case cases[] = {
        {"connection time-out", 90, 1, 3000},
        {"inactivity time-out is shorter", 1, 15, 3000},
    };
    for (const Case &c : cases) {
        TIEHttp http;
        http.setTimeout(c.timeout);
        http.ConnectTimeoutSeconds = c.connectTimeout;
        const auto start = Clock::now();
        const QString raised = raisedBy([&] { http.ExecuteUrl(hole.url()); });
        EXPECT_EQ(raised, QStringLiteral("Wininet error # 12002 : (Timeout)")) << c.name;
        EXPECT_LT(msSince(start), c.atMostMs) << c.name;
        EXPECT_GE(msSince(start), 900) << c.name;
    }
    EXPECT_EQ(TIEHttp().ConnectTimeoutSeconds, 15);
}

TEST(IEHttpLimits, BodyBelowTheSpeedLimitFailsAlthoughItKeepsMoving)
{
    RawServer server = tricklingServer();
    TIEHttp http;
    http.LowSpeedSeconds = 2;
    const auto start = Clock::now();
    const QString raised = raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/"))); });
    EXPECT_EQ(raised, QStringLiteral("Wininet error # 12002 : (Timeout)"));
    EXPECT_LT(msSince(start), 4500);
    EXPECT_EQ(TIEHttp().LowSpeedBytes, 1024);
    EXPECT_EQ(TIEHttp().LowSpeedSeconds, 60);
}

TEST(IEHttpLimits, StopFlagEndsARunningRequestAtOnce)
{
    RawServer server = tricklingServer();
    std::atomic<bool> closing{false};
    TIEHttp http;
    http.StopWhen = &closing;
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        closing = true;
    });
    const auto start = Clock::now();
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    closer.join();
    EXPECT_TRUE(http.Canceled());
    EXPECT_LT(msSince(start), 1500);
}

TEST(IEHttpLimits, BodiesLargerThanTheLimitFailWithoutBeingRead)
{
    struct Case { const char *name; QByteArray head; };
    const Case cases[] = {
        {"announced", "HTTP/1.0 200 OK\r\nContent-Length: 5368709120\r\n\r\n"},
        {"endless", "HTTP/1.0 200 OK\r\n\r\n"},
    };
    for (const Case &c : cases) {
        std::atomic<qint64> sent{0};
        RawServer server([&](RawConnection &conn) {
            conn.send(c.head);
            const QByteArray piece(65536, 'x');
            for (int i = 0; i < 4000 && !conn.waitForClose(0); ++i) {
                conn.send(piece);
                sent += piece.size();
            }
        });
        TIEHttp http;
        http.MaxResponseBytes = 1 << 20;
        EXPECT_EQ(raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/"))); }),
                  QStringLiteral("TIEHttp error: the response is larger than 1048576 bytes"))
            << c.name;
        EXPECT_LE(http.BytesReadTotal(), 1 << 20) << c.name;
    }
    EXPECT_EQ(TIEHttp().MaxResponseBytes, qint64(64) << 20);
}

TEST(IEHttpLimits, CompressedBombIsStoppedWhileInflating)
{
    // About 130 KB that inflate to 128 MiB, without any Content-Encoding.
    const QByteArray bomb = photosite::gzipBombBody(qint64(128) << 20);
    ASSERT_LT(bomb.size(), 256 << 10);
    RawServer server([&](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(bomb.size()) + "\r\n\r\n");
        c.send(bomb);
    });
    TIEHttp http;
    http.UnzipMethod = u'G';
    EXPECT_EQ(raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/"))); }),
              QStringLiteral("TIEHttp error: the decompressed response is larger than 67108864 bytes"));
    EXPECT_TRUE(http.ResultMs().isEmpty());

    // Output right at the limit is fine; one byte more is not, either way of decoding.
    const QByteArray exact = photosite::gzipBombBody(4096);
    EXPECT_EQ(DecodeResponseBody(exact, u'G', 4096), QByteArray(4096, '\0'));
    for (QChar method : {u'G', u'Z'})
        EXPECT_THROW(DecodeResponseBody(exact, method, 4095), EOrvix);
}

TEST(IEHttpLimits, BodySinkTakesTheBodyAsItArrivesAndCanRefuseIt)
{
    const QByteArray piece = QByteArray("0123456789abcdef").repeated(4096);
    RawServer server([&](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(piece.size() * 8) + "\r\n\r\n");
        for (int i = 0; i < 8 && !c.waitForClose(0); ++i)
            c.send(piece);
    });
    QByteArray received;
    int calls = 0;
    TIEHttp http;
    http.BodySink = [&](const char *data, qint64 size) {
        received.append(data, size);
        ++calls;
        return true;
    };
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    EXPECT_EQ(received, piece.repeated(8));
    EXPECT_GT(calls, 1);
    EXPECT_TRUE(http.ResultMs().isEmpty());
    EXPECT_EQ(http.BytesReadTotal(), piece.size() * 8);
    EXPECT_EQ(http.ContentSize(), piece.size() * 8);

    http.BodySink = [](const char *, qint64) { return false; }; // a full disk
    EXPECT_EQ(raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/"))); }),
              QStringLiteral("TIEHttp error: the response could not be stored"));
}

TEST(IEHttpLimits, ErrorStatusFailsWhenAskedAndNamesTheStatus)
{
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    });
    TIEHttp http;
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    EXPECT_EQ(http.StatusCode(), 404);
    EXPECT_EQ(http.ResultMs(), QByteArray("not found")); // an error page is a page by default
    http.FailOnHttpError = true;
    EXPECT_EQ(raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/"))); }),
              QStringLiteral("TIEHttp error: HTTP 404"));
}
