// FetchPageText: retries, the user's messages and the failure log.

#include "engine/fetch_page_text.h"
#include "engine_fixture.h"
#include "local_servers.h"
#include "foundation/run_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace orvix;
using orvix::test::EngineFixture;
using orvix::test::RawConnection;
using orvix::test::RawServer;
using orvix::test::UnusedPort;

namespace {

const QString kPrefix = QStringLiteral("fetch: ");

class FetchPageTextTest : public EngineFixture {};

} // namespace

TEST_F(FetchPageTextTest, SucceedsAfterFailedAttempts)
{
    std::atomic<int> calls{0};
    RawServer server([&](RawConnection &c) {
        if (++calls >= 3)
            c.send("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>caf\xc3\xa9</p>\n<p>2</p>");
    });
    QString error;
    const QString text = FetchPageText(runControl(), server.url(QStringLiteral("/p")), error, kPrefix);

    EXPECT_EQ(text, QStringLiteral("<p>café</p>\r\n<p>2</p>\r\n"));
    EXPECT_EQ(error, QStringLiteral("Wininet error # 12152 : (Invalid HTTP Server Response)"));
    EXPECT_EQ(takeMessages(), QStringList(2, kPrefix + error));
    EXPECT_EQ(orvixLog(), QString());
}

TEST_F(FetchPageTextTest, GivesUpAfterFiveAttemptsAndLogsTheAddress)
{
    const QString url = QStringLiteral("http://127.0.0.1:%1/gone").arg(UnusedPort());
    QString error;
    EXPECT_EQ(FetchPageText(runControl(), url, error, kPrefix), QString());

    const QString cannotConnect = QStringLiteral("Wininet error # 12029 : (Cannot connect)");
    EXPECT_EQ(error, cannotConnect);
    EXPECT_EQ(takeMessages(), QStringList(6, kPrefix + cannotConnect)); // five attempts, then the verdict
    EXPECT_TRUE(orvixLog().endsWith(QStringLiteral(": URL failed (L/O): ") + url + QStringLiteral(", error=") + cannotConnect + QStringLiteral("\r\n")))
        << orvixLog().toStdString();
}

TEST_F(FetchPageTextTest, EmptyPageIsAFailureWithoutRetries)
{
    RawServer server([](RawConnection &c) { c.send("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"); });
    QString error;
    EXPECT_EQ(FetchPageText(runControl(), server.url(QStringLiteral("/empty")), error, kPrefix), QString());
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(takeMessages(), QStringList({kPrefix}));
    EXPECT_TRUE(orvixLog().contains(QStringLiteral("URL failed (L/O): ") + server.url(QStringLiteral("/empty")) + QStringLiteral(", error=\r\n")));
}

TEST_F(FetchPageTextTest, ClosingTheProgramCutsThePausesShort)
{
    FetchPageTiming slow;
    slow.pauseMs = 60000;
    SetFetchPageTiming(slow);
    std::thread closer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        runControl().AppClosing = true;
    });
    const auto start = std::chrono::steady_clock::now();
    QString error;
    FetchPageText(runControl(), QStringLiteral("http://127.0.0.1:%1/").arg(UnusedPort()), error, kPrefix);
    closer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
