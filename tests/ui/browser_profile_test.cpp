// The browser's storage lies in the settings folder and outlives the process: a cookie kept by
// one run reaches the HTTP client's jar when the next run starts.

#include "engine/cookie_jar.h"
#include "foundation/paths.h"
#include "test_support.h"
#include "browser/browser_profile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <gtest/gtest.h>

namespace orvix::test {
namespace {

const char kStepVariable[] = "ORVIX_BROWSER_PROFILE_STEP"; // "keep" or "find"
const char kSettingsVariable[] = "ORVIX_BROWSER_PROFILE_SETTINGS";

bool jarHolds(const QByteArray &name)
{
    for (const QNetworkCookie &c : TCookieJar::instance().allCookies()) {
        if (c.name() == name)
            return true;
    }
    return false;
}

// The engine starts once per process, so each run is a process of its own: this program again,
// running only the step below.
int runStep(const QString &step, const QString &settings)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kStepVariable), step);
    env.insert(QString::fromLatin1(kSettingsVariable), settings);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=BrowserProfileRun.DISABLED_Step"),
                   QStringLiteral("--gtest_also_run_disabled_tests")});
    if (!process.waitForFinished(120000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Disabled so that ctest does not list it: it only runs as a child of the test below.
TEST(BrowserProfileRun, DISABLED_Step)
{
    const QByteArray step = qgetenv(kStepVariable);
    if (step.isEmpty())
        GTEST_SKIP() << "a step of BrowserProfile.CookieKeptByOneRunReachesTheJarOfTheNext";
    SetSettingsFolder(qEnvironmentVariable(kSettingsVariable));
    QWebEngineProfile *profile = BrowserProfile();
    if (step == "keep") {
        // The engine's store wakes with the first page.
        QWebEnginePage page(profile);
        page.setHtml(QStringLiteral("<p>x</p>"));
        QNetworkCookie cookie("kept", "yes");
        cookie.setPath(QStringLiteral("/"));
        cookie.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
        profile->cookieStore()->setCookie(cookie, QUrl(QStringLiteral("http://127.0.0.1/")));
        EXPECT_TRUE(waitUntil([] { return jarHolds("kept"); }, 20000));
    } else {
        // Before any page: the workers may send requests first.
        EXPECT_TRUE(jarHolds("kept"));
    }
}

TEST(BrowserProfile, CookieKeptByOneRunReachesTheJarOfTheNext)
{
    QTemporaryDir settings;
    ASSERT_TRUE(settings.isValid());
    ASSERT_EQ(runStep(QStringLiteral("keep"), settings.path()), 0);
    EXPECT_TRUE(QDir(settings.path() + QStringLiteral("/browser/storage")).exists());
    EXPECT_EQ(runStep(QStringLiteral("find"), settings.path()), 0);
}

} // namespace
} // namespace orvix::test
