// orvix-cli's faces of the maker's service, run as a user runs them against the stand-in
// service: the version text, the update check's status sentence and exit codes, feedback, and a
// test exception report that must actually arrive.

#include "e2e_support.h"

#include "makerservice/maker_service.h"

#include <QRegularExpression>

using namespace orvix;
using namespace orvix::test;

namespace {

class CliMaker : public CliSandbox
{
protected:
    void SetUp() override
    {
        CliSandbox::SetUp();
        withOut = false;
        withSettings = false;
        startSite(smallSite());
        m_maker.start();
    }
    CliResult run(QStringList args, const QString &makerHost = QString())
    {
        args << QStringLiteral("--maker=") + (makerHost.isEmpty() ? m_maker.host() : makerHost);
        return runCli(args, 90000);
    }
    // A port nothing listens on: a service started and stopped again.
    static QString closedHost()
    {
        makerservice::MakerService gone;
        gone.start();
        const QString host = gone.host();
        gone.stop();
        return host;
    }
    makerservice::MakerService m_maker;
};

TEST_F(CliMaker, UpdateCheckSaysHowTheProgramStandsAndFailsWithoutTheService)
{
    const CliResult version = run({QStringLiteral("--version")});
    ASSERT_EQ(version.exitCode, 0) << version.err.toStdString();
    const QString mine = version.out.trimmed();
    const QRegularExpression shape(QStringLiteral("^(\\d+)\\.(\\d+)\\.(\\d+) build:(\\d+)$"));
    const QRegularExpressionMatch m = shape.match(mine);
    ASSERT_TRUE(m.hasMatch()) << mine.toStdString();
    const QString older = QStringLiteral("0.0.0 build:0");
    const QString newer = QStringLiteral("%1.0.0 build:%2").arg(m.captured(1).toInt() + 1).arg(m.captured(4).toInt() + 1);

    struct Case
    {
        QString latest;
        QString sentence;
    };
    const Case cases[] = {
        {newer, QStringLiteral("New version available")},
        {mine, QStringLiteral("You already have the latest version")},
        {older, QStringLiteral("You are using a special pre-release version")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.latest.toStdString());
        m_maker.setUpdate({{QStringLiteral("latest version"), c.latest}});
        const CliResult r = run({QStringLiteral("update-check")});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QStringList lines = r.out.split(u'\n');
        ASSERT_GE(lines.size(), 4);
        EXPECT_EQ(lines.at(0), c.sentence);
        EXPECT_EQ(lines.at(1), QStringLiteral("latest version: ") + c.latest);
        EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("size: ")));
        EXPECT_TRUE(lines.at(3).startsWith(QStringLiteral("url: ")));
    }
    EXPECT_EQ(m_maker.requests(QStringLiteral("/CheckUpdates.aspx")).size(), 3);

    const CliResult offline = run({QStringLiteral("update-check")}, closedHost());
    EXPECT_EQ(offline.exitCode, 1);
    EXPECT_TRUE(offline.out.isEmpty()) << offline.out.toStdString();
    EXPECT_FALSE(offline.err.trimmed().isEmpty());
}

TEST_F(CliMaker, FeedbackArrivesWithItsFieldsOrFailsWithExitOne)
{
    const CliResult sent = run({QStringLiteral("feedback"), QStringLiteral("--name=Ann"),
                                QStringLiteral("--email=ann@example.org"), QStringLiteral("--comments=a & b = c?")});
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_TRUE(sent.out.startsWith(QStringLiteral("Thank you"))) << sent.out.toStdString();
    const auto posts = m_maker.requests(QStringLiteral("/upgrades/feedback.aspx"));
    ASSERT_EQ(posts.size(), 1);
    const QByteArray json = m_maker.requestsJson();
    EXPECT_TRUE(json.contains("ann@example.org")) << json.constData();
    EXPECT_TRUE(json.contains("a & b = c?")) << "the comment reaches the service decoded, whole";

    m_maker.setFeedbackReply("something else");
    EXPECT_EQ(run({QStringLiteral("feedback"), QStringLiteral("--comments=x")}).exitCode, 1);
    EXPECT_EQ(run({QStringLiteral("feedback"), QStringLiteral("--comments=x")}, closedHost()).exitCode, 1);
}

TEST_F(CliMaker, TestReportIsPostedFromTheMainThreadAndFromAWorker)
{
    for (const bool onThread : {false, true}) {
        SCOPED_TRACE(onThread ? "thread" : "main");
        m_maker.resetRequests();
        QStringList args{QStringLiteral("test-report")};
        if (onThread)
            args << QStringLiteral("--thread");
        const CliResult r = run(args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(m_maker.requests(QStringLiteral("/AppException.aspx")).size(), 1);
        EXPECT_TRUE(r.out.contains(onThread ? QStringLiteral("test thread exception x1") : QStringLiteral("test gui exception")))
            << r.out.toStdString();
    }
    EXPECT_EQ(run({QStringLiteral("test-report")}, closedHost()).exitCode, 1);
}

} // namespace
