#include "browser/browser_profile.h"

#include "engine/cookie_jar.h"
#include "foundation/paths.h"
#include "browser/cookie_bridge.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPointer>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvix {

namespace {

// The engine keeps its storage open for the whole run, and two processes must not share it.
// Another instance running on the same settings folder gets the next free folder.
constexpr int kProfileFolders = 10;

QString lockedStorageFolder()
{
    const QString base = BrowserProfileFolder();
    for (int i = 1; i <= kProfileFolders; ++i) {
        const QString folder = i == 1 ? base : ExcludeTrailingBackslash(base) + QLatin1Char('-') + QString::number(i) + QLatin1Char('/');
        QDir().mkpath(folder);
        const int fd = ::open(QFile::encodeName(folder + QStringLiteral("in-use.lock")).constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return folder; // held until the process ends
        ::close(fd);
    }
    return QString();
}

} // namespace

void PrepareBrowserEngine()
{
    // The engine shares its drawing context with the windows; this must be said before the
    // application object exists.
    if (!QCoreApplication::instance())
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS")) {
        QByteArray flags = "--disable-background-networking --disable-component-update";
        const QString platform = QGuiApplication::platformName().isEmpty()
                                     ? qEnvironmentVariable("QT_QPA_PLATFORM")
                                     : QGuiApplication::platformName();
        if (platform == QLatin1String("offscreen"))
            flags += " --disable-gpu";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

QString BrowserProfileFolder()
{
    return IncludeTrailingBackslash(GetSettingsFolder() + QStringLiteral("browser"));
}

QWebEngineProfile *BrowserProfile()
{
    static QPointer<QWebEngineProfile> profile;
    if (profile)
        return profile;
    PrepareBrowserEngine();
    const QString folder = lockedStorageFolder();
    if (folder.isEmpty()) {
        // Every folder is taken or none can be made: browse without keeping anything.
        profile = new QWebEngineProfile(QCoreApplication::instance());
    } else {
        profile = new QWebEngineProfile(QStringLiteral("OrvixDownloader"), QCoreApplication::instance());
        profile->setPersistentStoragePath(folder + QStringLiteral("storage"));
        profile->setCachePath(folder + QStringLiteral("cache"));
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    }
    auto *bridge = new CookieBridge(profile->cookieStore(), TCookieJar::instance(), profile);
    if (!folder.isEmpty())
        bridge->keepPersistentCookiesIn(folder + QStringLiteral("cookies.txt"));
    bridge->loadAllCookies();
    return profile;
}

} // namespace orvix
