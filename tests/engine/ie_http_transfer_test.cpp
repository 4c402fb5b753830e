// The exchange over time: inactivity time-out, stopping, events, and failures.

#include "engine/ie_http.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "local_servers.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace orvix;
using orvix::test::LocalHttpServer;
using orvix::test::RawConnection;
using orvix::test::RawServer;
using orvix::test::raisedBy;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

qint64 msSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Sends the headers and the first bytes of a 100-byte body, then nothing until the client
// hangs up or 6 seconds pass.
RawServer stallingServer()
{
    return RawServer([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nfirst");
        c.waitForClose(6000);
    });
}

} // namespace

TEST(IEHttpTransfer, SilentServerTimesOutWithEmptyBodyAndNoException)
{
    RawServer server = stallingServer();
    TIEHttp http;
    http.setTimeout(1);
    const auto start = Clock::now();
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    const qint64 elapsed = msSince(start);

    EXPECT_EQ(http.ErrorCode(), 100);
    EXPECT_FALSE(http.Canceled());
    EXPECT_TRUE(http.ResultMs().isEmpty());
    EXPECT_TRUE(http.ResultSl().isEmpty());
    EXPECT_EQ(http.WorkingStatus(), 0);
    EXPECT_GE(elapsed, 1000);
    EXPECT_LT(elapsed, 4000);

    http.setTimeout(0); // disabled: the server's own end closes the exchange
    RawServer closing([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\n\r\nlate");
        std::this_thread::sleep_for(1500ms);
        c.send(" body");
    });
    http.ExecuteUrl(closing.url(QStringLiteral("/")));
    EXPECT_EQ(http.ErrorCode(), 0);
    EXPECT_EQ(http.ResultMs(), QByteArray("late body"));
}

TEST(IEHttpTransfer, TricklingServerNeverTimesOutAndTimerRuns)
{
    // One byte every 400 ms for about 2.4 s against a 1-second time-out.
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\n");
        for (char ch : QByteArray("abcdef")) {
            std::this_thread::sleep_for(400ms);
            c.send(QByteArray(1, ch));
        }
    });
    TIEHttp http;
    http.setTimeout(1);
    http.setTimerIntervalSeconds(1);
    int timerEvents = 0;
    http.OnTimer = [&](TIEHttp &) { ++timerEvents; };
    http.ExecuteUrl(server.url(QStringLiteral("/")));

    EXPECT_EQ(http.ErrorCode(), 0);
    EXPECT_EQ(http.ResultMs(), QByteArray("abcdef"));
    EXPECT_GE(timerEvents, 1);
    EXPECT_LE(timerEvents, 3);
    EXPECT_EQ(http.debugTotalTimerEvents(), timerEvents);
}

TEST(IEHttpTransfer, StopFromPacketEvent)
{
    // A long body in pieces: the first packet event stops the download.
    RawServer server([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 1000000\r\n\r\n");
        for (int i = 0; i < 100 && !c.waitForClose(20); ++i)
            c.send(QByteArray(10000, 'x'));
    });
    TIEHttp http;
    qint64 seenBytes = -1;
    http.OnPacketRead = [&](TIEHttp &h) {
        seenBytes = h.BytesReadTotal();
        h.StopRequest();
    };
    http.ExecuteUrl(server.url(QStringLiteral("/big")));

    EXPECT_EQ(http.ErrorCode(), 101);
    EXPECT_TRUE(http.Canceled());
    EXPECT_GT(seenBytes, 0);
    EXPECT_LT(seenBytes, 1000000);
    EXPECT_EQ(http.debugTotalPacketEvents(), 1);
    EXPECT_TRUE(http.ResultMs().isEmpty());
    EXPECT_EQ(http.WorkingStatus(), 0);
}

TEST(IEHttpTransfer, StopFromAnotherThreadEndsAWait)
{
    RawServer server = stallingServer();
    TIEHttp http; // default 90-second time-out: only the stop can end this
    std::thread stopper([&] {
        while (http.WorkingStatus() == 0)
            std::this_thread::sleep_for(5ms);
        std::this_thread::sleep_for(300ms);
        http.StopRequest();
    });
    const auto start = Clock::now();
    http.ExecuteUrl(server.url(QStringLiteral("/")));
    const qint64 elapsed = msSince(start);
    stopper.join();

    EXPECT_EQ(http.ErrorCode(), 101);
    EXPECT_TRUE(http.ResultMs().isEmpty());
    EXPECT_LT(elapsed, 1500); // the stop ends the wait, long before any time-out

    http.StopRequest(); // idle: nothing to stop, nothing changes
    EXPECT_EQ(http.WorkingStatus(), 0);
}

TEST(IEHttpTransfer, NonBlockingModeRunsTheThreadsEvents)
{
    RawServer server = stallingServer();
    for (bool blocking : {true, false}) {
        TIEHttp http;
        http.setTimeout(2);
        http.setBlockingMode(blocking);
        QTimer::singleShot(100, [&] { http.StopRequest(); });
        http.ExecuteUrl(server.url(QStringLiteral("/")));
        // Blocking mode leaves the timer for later, so only the time-out ends the request.
        EXPECT_EQ(http.ErrorCode(), blocking ? 100 : 101);
        QCoreApplication::processEvents();
    }
}

TEST(IEHttpTransfer, PacketEventsAreRateLimitedAndSeeGrowingProgress)
{
    // 64 pieces of 16 KB, 10 ms apart: many reads, far fewer events.
    const QByteArray piece(16384, 'p');
    RawServer server([&](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(64 * piece.size()) + "\r\n\r\n");
        for (int i = 0; i < 64; ++i) {
            c.send(piece);
            std::this_thread::sleep_for(10ms);
        }
    });
    TIEHttp http;
    QList<qint64> seen;
    http.OnPacketRead = [&](TIEHttp &h) { seen << h.BytesReadTotal(); };
    const auto start = Clock::now();
    http.ExecuteUrl(server.url(QStringLiteral("/file")));
    const qint64 elapsed = msSince(start);

    EXPECT_EQ(http.ResultMs(), piece.repeated(64));
    EXPECT_EQ(http.debugTotalPacketEvents(), seen.size());
    EXPECT_GE(seen.size(), 2);
    EXPECT_LE(seen.size(), elapsed / 50 + 1);
    EXPECT_GT(http.debugTotalPackets(), seen.size());
    for (int i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]);
}

TEST(IEHttpTransfer, TransportFailuresRaiseWithTheirCodes)
{
    const int closedPort = orvix::test::UnusedPort();
    RawServer mute([](RawConnection &) {}); // accepts, then hangs up without a word
    struct Case { QString url; int code; const char *message; };
    const Case cases[] = {
        {QStringLiteral("http://127.0.0.1:%1/").arg(closedPort), 12029, "Wininet error # 12029 : (Cannot connect)"},
        {QStringLiteral("http://no-such-host.invalid/"), 12007, "Wininet error # 12007 : (Service Name Not Resolved)"},
        {mute.url(QStringLiteral("/")), 12152, "Wininet error # 12152 : (Invalid HTTP Server Response)"},
        {QStringLiteral("ftp://127.0.0.1/x"), 12006, "Wininet error # 12006 : (Unrecognized Scheme)"},
        {QStringLiteral("http:///no-host"), 12005, "Wininet error # 12005 : (Invalid URL)"},
    };
    for (const Case &c : cases) {
        TIEHttp http;
        http.setTimeout(20);
        EXPECT_EQ(raisedBy([&] { http.ExecuteUrl(c.url); }), QString::fromLatin1(c.message)) << c.url.toStdString();
        EXPECT_EQ(http.DWErrorX(), c.code);
        EXPECT_EQ(http.ErrorCode(), 0);
        EXPECT_EQ(http.WorkingStatus(), 0);
    }
}

TEST(IEHttpTransfer, RedirectsAreFollowedWithTheFinalAnswerKept)
{
    LocalHttpServer server;
    server.server().Post("/old", [](const httplib::Request &, httplib::Response &res) {
        res.set_redirect("/new", 302);
    });
    server.server().Get("/new", [](const httplib::Request &req, httplib::Response &res) {
        res.set_content("arrived by " + req.method, "text/plain");
    });
    server.server().Get("/loop", [](const httplib::Request &, httplib::Response &res) {
        res.set_redirect("/loop", 301);
    });
    server.start();

    TIEHttp http;
    http.setRequestMethod(QStringLiteral("POST"));
    http.setPostStr(QStringLiteral("a=1"));
    http.ExecuteUrl(server.url(QStringLiteral("/old")));
    EXPECT_EQ(http.ResultText(), QStringLiteral("arrived by GET\r\n"));
    EXPECT_TRUE(http.ResponseHeaders().value(0).contains(QLatin1String(" 200 ")));

    http.setRequestMethod(QStringLiteral("GET"));
    EXPECT_EQ(raisedBy([&] { http.ExecuteUrl(server.url(QStringLiteral("/loop"))); }),
              QStringLiteral("Wininet error # 12156 : (Redirect Failed)"));
}

TEST(IEHttpTransfer, RequestFromAnEventAsksBeforeNesting)
{
    RawServer outerServer([](RawConnection &c) {
        c.send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nouter");
        c.waitForClose(400);
        c.send("-body");
    });
    RawServer innerServer([](RawConnection &c) { c.send("HTTP/1.0 200 OK\r\n\r\ninner"); });
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);

    struct Case { bool answerOk; QByteArray seenInEvent; };
    for (const Case &c : {Case{false, QByteArray()}, Case{true, QByteArray("inner")}}) {
        dialogs.clear();
        dialogs.answerOk = c.answerOk;
        TIEHttp http;
        QByteArray seen = "not called";
        int statusAfterNested = -1;
        http.OnPacketRead = [&](TIEHttp &h) {
            h.OnPacketRead = nullptr;
            h.ExecuteUrl(innerServer.url(QStringLiteral("/")));
            seen = h.ResultMs();
            statusAfterNested = h.WorkingStatus();
        };
        http.ExecuteUrl(outerServer.url(QStringLiteral("/")));

        EXPECT_EQ(dialogs.shown(), QStringList(QStringLiteral("confirm: Request is in progress (iehttp). Override and continue?")));
        EXPECT_EQ(seen, c.seenInEvent);
        EXPECT_EQ(statusAfterNested, 1); // the outer request is still running
        EXPECT_EQ(http.ResultMs(), QByteArray("outer-body"));
        EXPECT_EQ(http.WorkingStatus(), 0);
    }
}
