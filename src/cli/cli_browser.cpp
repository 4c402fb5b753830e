#include "cli_browser.h"

#include "cli_command.h"

#include "browser_module.h"

#include "engine/page_loader.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace orvix::cli {

namespace {

constexpr char kRestartMarker[] = "ORVIX_CLI_BROWSER";
char **g_argv = nullptr;
bool g_browser = false;

// The browser module of this process, opened by StartBrowserProcess.
OrvixMakeBrowserApplication g_makeApplication = nullptr;
OrvixMakePageLoader g_makeLoader = nullptr;

QString moduleFolder()
{
    // The application object does not exist yet, so the executable is found by its link.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

void *openModule()
{
    const QString folder = moduleFolder();
    const QString candidates[] = {folder + QStringLiteral("/" ORVIX_CLI_BROWSER_MODULE),
                                  folder + QStringLiteral("/../lib/orvix/" ORVIX_CLI_BROWSER_MODULE)};
    QByteArray error;
    for (const QString &path : candidates) {
        if (!QFileInfo::exists(path))
            continue;
        if (void *module = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL))
            return module;
        error = ::dlerror();
    }
    std::fprintf(stderr, "orvix-cli: the browser engine cannot be loaded: %s\n",
                 error.isEmpty() ? ORVIX_CLI_BROWSER_MODULE " not found" : error.constData());
    return nullptr;
}

} // namespace

bool TakeBrowserRestartMarker(int, char **argv)
{
    g_argv = argv;
    g_browser = qEnvironmentVariableIsSet(kRestartMarker);
    qunsetenv(kRestartMarker);
    return g_browser;
}

QCoreApplication *StartBrowserProcess(int &argc, char **argv)
{
    void *module = openModule();
    if (!module)
        return nullptr;
    auto prepare = reinterpret_cast<OrvixPrepareBrowserProcess>(::dlsym(module, "orvixPrepareBrowserProcess"));
    g_makeApplication = reinterpret_cast<OrvixMakeBrowserApplication>(::dlsym(module, "orvixMakeBrowserApplication"));
    g_makeLoader = reinterpret_cast<OrvixMakePageLoader>(::dlsym(module, "orvixMakePageLoader"));
    if (!prepare || !g_makeApplication || !g_makeLoader) {
        std::fprintf(stderr, "orvix-cli: the browser engine module is incomplete\n");
        return nullptr;
    }
    prepare();
    return g_makeApplication(argc, argv);
}

bool BrowserAvailable()
{
    return g_browser && g_makeLoader && QCoreApplication::instance();
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
IPageLoader *g_loader = nullptr;
}

IPageLoader *CliPageLoader()
{
    if (!g_loader && BrowserAvailable())
        g_loader = g_makeLoader(QCoreApplication::instance());
    return g_loader;
}

void ReleaseCliBrowser()
{
    delete g_loader;
    g_loader = nullptr;
}

} // namespace orvix::cli
