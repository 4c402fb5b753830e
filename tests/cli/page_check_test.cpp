#include "test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace orvix {
namespace {

struct CliRun
{
    int exitCode = -1;
    QJsonObject json;
    QString out;
    QString err;
};

CliRun runCli(const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ORVIX_CLI_PATH), args);
    CliRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    r.json = QJsonDocument::fromJson(r.out.toUtf8()).object();
    return r;
}

QProcessEnvironment withoutSite()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ORVIX_SITE"));
    return env;
}

TEST(OrvixCliInspect, SetPageOnAnotherSite)
{
    const CliRun r = runCli({QStringLiteral("inspect"), test::fixturePath(QStringLiteral("pages/set.html")),
                             QStringLiteral("--address=http://127.0.0.1:8999/photos/alice/sets/72157600/page2/"),
                             QStringLiteral("--site=127.0.0.1:8999")},
                            withoutSite());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.json.value("pageMode").toInt(), 1);
    const QJsonArray entries = r.json.value("entries").toArray();
    ASSERT_EQ(entries.size(), 3);
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first.value("PhotoTargetUrl").toString(),
              QStringLiteral("http://127.0.0.1:8999/photos/alice/1001/in/set-72157600/"));
    EXPECT_EQ(first.value("PhotoThumbUrl").toString(),
              QStringLiteral("http://farm1.static.photosite.example/1/1001_aaa111_s.jpg"));
    EXPECT_EQ(first.value("PhotoTitle").toString(), QStringLiteral("Sunset | beach"));
    const QJsonObject paging = r.json.value("paging").toObject();
    EXPECT_EQ(paging.value("CurrentPageNo").toInt(), 2);
    EXPECT_EQ(paging.value("LastPageNo").toInt(), 4);
    EXPECT_EQ(paging.value("PrevPageUrl").toString(), QStringLiteral("/photos/alice/sets/72157600/page1/"));
    EXPECT_EQ(paging.value("PageUrlTemplate").toString(),
              QStringLiteral("/photos/alice/sets/72157600/page[PAGE_NO]/"));
    EXPECT_EQ(r.json.value("picture").toObject().value("ImageIdX").toString(), QString());
}

TEST(OrvixCliInspect, PicturePageWithTheSiteFromTheEnvironment)
{
    QProcessEnvironment env = withoutSite();
    env.insert(QStringLiteral("ORVIX_SITE"), QStringLiteral("127.0.0.1:7001"));
    const CliRun r = runCli({QStringLiteral("inspect"), test::fixturePath(QStringLiteral("pages/picture.html"))}, env);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.json.value("pageMode").toInt(), -1);
    const QJsonObject picture = r.json.value("picture").toObject();
    EXPECT_EQ(picture.value("ImageId").toString(), QStringLiteral("4567012345"));
    EXPECT_EQ(picture.value("ImageSecretID").toString(), QStringLiteral("9fe3a1b2c4"));
    EXPECT_EQ(picture.value("ImageIdX").toString(), QStringLiteral("4567012345_9fe3a1b2c4"));
    EXPECT_EQ(picture.value("ImageName").toString(), QStringLiteral("Café dété “noir” | au lait"));
    EXPECT_TRUE(r.json.value("entries").toArray().isEmpty());
}

TEST(OrvixCliInspect, ReportsGoToStderrAndLeaveTheJsonWhole)
{
    const CliRun r = runCli({QStringLiteral("inspect"), test::fixturePath(QStringLiteral("pages/photo_paragraphs.html"))},
                            withoutSite());
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("p202: parsing failed, tag=alt=, html=<p class=\"Photo\">")))
        << r.err.toStdString();
    const QJsonArray entries = r.json.value("entries").toArray();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[2].toObject().value("PhotoTitle").toString(), QStringLiteral("Ça va"));
    EXPECT_EQ(entries[0].toObject().value("PhotoTargetUrl").toString(),
              QStringLiteral("http://www.photosite.example/photos/bob/2001/"));
}

TEST(OrvixCliInspect, BadArgumentsExitWithTwo)
{
    const QString page = test::fixturePath(QStringLiteral("pages/set.html"));
    const struct
    {
        QStringList args;
        const char *says;
    } cases[] = {
        {{}, "usage: orvix-cli COMMAND"},
        {{"fetch-everything"}, "unknown command \"fetch-everything\""},
        {{"inspect"}, "usage: orvix-cli inspect FILE"},
        {{"inspect", page, page}, "usage: orvix-cli inspect FILE"},
        {{"inspect", page, "--adress=x"}, "unknown option --adress=x"},
        {{"inspect", "/no/such/page.html"}, "cannot read /no/such/page.html"},
        {{"inspect", page, "--site="}, "--site needs a host"},
        {{"inspect", page, "--site=https://127.0.0.1:8443"}, "http:// only"},
    };
    for (const auto &c : cases) {
        const CliRun r = runCli(c.args, withoutSite());
        EXPECT_EQ(r.exitCode, 2) << c.says;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << c.says << " / " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.says;
    }
}

} // namespace
} // namespace orvix
