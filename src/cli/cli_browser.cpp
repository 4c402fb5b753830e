#include "cli_browser.h"

#include "cli_command.h"

#include "ui/browser/browser_profile.h"
#include "ui/browser/hidden_page_loader.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace orvix::cli {

namespace {

constexpr char kRestartMarker[] = "ORVIX_CLI_BROWSER";
char **g_argv = nullptr;
bool g_browser = false;

} // namespace

bool TakeBrowserRestartMarker(int, char **argv)
{
    g_argv = argv;
    g_browser = qEnvironmentVariableIsSet(kRestartMarker);
    qunsetenv(kRestartMarker);
    return g_browser;
}

void PrepareBrowserProcess()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's start-up report is for its developers, not for a terminal (QT_LOGGING_RULES
    // still brings it back).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    PrepareBrowserEngine();
}

bool BrowserAvailable()
{
    return g_browser && qobject_cast<QApplication *>(QCoreApplication::instance());
}

void RestartWithBrowser(TCliIo &io)
{
    io.out.flush();
    io.err.flush();
    qputenv(kRestartMarker, "1");
    ::execv("/proc/self/exe", g_argv);
    qunsetenv(kRestartMarker);
    io.err << "orvix-cli: could not start the browser engine: " << QString::fromLocal8Bit(std::strerror(errno))
           << '\n';
}

namespace {
THiddenPageLoader *g_loader = nullptr;
}

IPageLoader *CliPageLoader()
{
    if (!g_loader && BrowserAvailable())
        g_loader = new THiddenPageLoader(nullptr, QCoreApplication::instance());
    return g_loader;
}

void ReleaseCliBrowser()
{
    delete g_loader;
    g_loader = nullptr;
}

} // namespace orvix::cli
