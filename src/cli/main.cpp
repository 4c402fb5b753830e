// orvix-cli: "orvix-cli COMMAND [ARGS]". Options common to all commands: --site=HOST[:PORT]
// (else the environment variable ORVIX_SITE) chooses the photo site, --maker=HOST[:PORT] (else
// ORVIX_MAKER) the maker's service. "orvix-cli --version" prints the version text.
#include "cli_browser.h"
#include "cli_command.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "foundation/errors.h"
#include "pages/site.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>

using namespace orvix;
using namespace orvix::cli;

namespace {

void printUsage(QTextStream &s)
{
    s << "usage: orvix-cli COMMAND [ARGS] [--site=HOST[:PORT]] [--maker=HOST[:PORT]]\n       orvix-cli --version\n\ncommands:\n";
    for (const TCliCommand &c : CliCommands())
        s << "  " << c.name << ' ' << c.usage << "\n      " << c.summary << '\n';
    for (const TCliCommand &c : CliCommands())
        if (!c.details.isEmpty())
            s << '\n' << c.details << '\n';
}

} // namespace

int main(int argc, char **argv)
{
    // Without the browser a plain core application; a command that meets a listing page
    // starts the program again with it.
    std::unique_ptr<QCoreApplication> app;
    if (TakeBrowserRestartMarker(argc, argv)) {
        app.reset(StartBrowserProcess(argc, argv));
        if (!app)
            return ExitFailed;
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    TCliIo io{out, err};

    QStringList args = app->arguments().mid(1);
    QString site;
    QString maker;
    try {
        SetMakerHostFromEnvironment();
        if (TakeOption(args, QStringLiteral("maker"), maker)) {
            if (maker.trimmed().isEmpty()) {
                err << "orvix-cli: --maker needs a host, as in --maker=127.0.0.1:8081\n";
                return ExitUsage;
            }
            SetMakerHost(maker);
        }
        SetSiteHostFromEnvironment();
        if (TakeOption(args, QStringLiteral("site"), site)) {
            if (site.trimmed().isEmpty()) {
                err << "orvix-cli: --site needs a host, as in --site=127.0.0.1:8080\n";
                return ExitUsage;
            }
            SetSiteHost(site);
        }
    } catch (const EOrvix &e) {
        err << "orvix-cli: " << e.message() << '\n';
        return ExitUsage;
    }

    if (!args.isEmpty() && args[0] == QStringLiteral("--version")) {
        out << ProgramVersionText() << '\n';
        return ExitOk;
    }
    if (args.isEmpty() || args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h")) {
        printUsage(args.isEmpty() ? err : out);
        return args.isEmpty() ? ExitUsage : ExitOk;
    }
    const TCliCommand *command = FindCliCommand(args[0]);
    if (!command) {
        err << "orvix-cli: unknown command \"" << args[0] << "\"\n\n";
        printUsage(err);
        return ExitUsage;
    }
    const int code = command->run(args.mid(1), io);
    ReleaseCliBrowser();
    out.flush();
    err.flush();
    return code;
}
