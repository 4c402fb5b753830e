// orvix-cli starts without Widgets and without the browser engine's libraries; it loads the
// engine (its module) only in the run that reads a listing page.

#include "e2e_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace orvix;
using namespace orvix::test;

namespace {

QString ldd(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("ldd"), {file});
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// The libraries the dynamic loader opened in every process of a run (LD_DEBUG=files writes
// one file per process, so restarts and the engine's own processes are included).
class CliEngineLoading : public CliSandbox
{
protected:
    QString traceFolder() const { return file(QStringLiteral("ld-trace")); }

    void traceLoading()
    {
        QDir().mkpath(traceFolder());
        moreEnvironment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        moreEnvironment.insert(QStringLiteral("LD_DEBUG_OUTPUT"), traceFolder() + QStringLiteral("/ld"));
    }

    QString loaded()
    {
        QString all;
        const QDir dir(traceFolder());
        for (const QString &name : dir.entryList(QDir::Files)) {
            QFile f(dir.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                all += QString::fromLocal8Bit(f.readAll());
            f.remove();
        }
        return all;
    }
};

} // namespace

TEST(CliLinkage, HeadlessProgramLinksNeitherWidgetsNorTheEngine)
{
    const QString cli = ldd(QStringLiteral(ORVIX_CLI_PATH));
    ASSERT_TRUE(cli.contains(QStringLiteral("libQt6Core"))) << cli.toStdString();
    for (const char *library : {"libQt6Widgets", "libQt6WebEngine", "libQt6Gui", "libQt6Quick"})
        EXPECT_FALSE(cli.contains(QLatin1String(library))) << library;

    const QString module = ldd(QStringLiteral(ORVIX_CLI_BROWSER_MODULE_PATH));
    EXPECT_TRUE(module.contains(QStringLiteral("libQt6WebEngineCore"))) << module.toStdString();
    EXPECT_FALSE(module.contains(QStringLiteral("libQt6Widgets"))) << module.toStdString();
    EXPECT_FALSE(module.contains(QStringLiteral("not found"))) << module.toStdString();
}

TEST_F(CliEngineLoading, PicturePagesNeverLoadTheEngineAListingDoes)
{
    startSite(smallSite());
    traceLoading();
    QStringList pages;
    for (const auto &p : site().manifest().pictures)
        if (!p.isPrivate && pages.size() < 2)
            pages << p.pageUrl;

    CliResult r = runCli({QStringLiteral("paste"), writeLines(QStringLiteral("urls.txt"), pages)});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QString libraries = loaded();
    ASSERT_TRUE(libraries.contains(QStringLiteral("libQt6Core"))) << "the loader trace is missing";
    EXPECT_FALSE(libraries.contains(QStringLiteral("liborvix-cli-browser")));
    EXPECT_FALSE(libraries.contains(QStringLiteral("libQt6WebEngineCore")));

    r = runCli({QStringLiteral("get"), site().manifest().sampleSetUrl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    libraries = loaded();
    EXPECT_TRUE(libraries.contains(QStringLiteral("liborvix-cli-browser")));
    EXPECT_TRUE(libraries.contains(QStringLiteral("libQt6WebEngineCore")));
    EXPECT_FALSE(libraries.contains(QStringLiteral("libQt6Widgets")));
}
