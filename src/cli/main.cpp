// orvix-cli: "orvix-cli COMMAND [ARGS]". The common options are accepted by every command, so a
// script may pass the same ones to all; --site and --maker are taken here, the others are
// handed to the commands that use them. "orvix-cli --version" prints the version text.
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

const char kCommonOptionsHelp[] =
    "common options, accepted by every command (a script may pass the same ones to all); a command\n"
    "ignores those it has no use for, and its line above names the ones it uses:\n"
    "  --site=HOST[:PORT]   the photo site (else ORVIX_SITE)\n"
    "  --maker=HOST[:PORT]  the maker's service (else ORVIX_MAKER)\n"
    "  --settings=FOLDER    the settings folder (else ORVIX_SETTINGS, else the desktop program's)\n"
    "  --out=FOLDER         the pictures folder, used as it is (else the one the settings name, else\n"
    "                       the user's pictures folder + \"/Orvix Images\"); a relative one is taken\n"
    "                       from the folder orvix-cli starts in\n"
    "  --retries=N          a picture that fails N times (each time after 5 attempts; default 3, as\n"
    "                       in the desktop program) is left for \"orvix-cli resume\"; after each\n"
    "                       failure it waits behind the rest\n"
    "  --size=0|1|2         the largest listed size of at most 500 pixels on its longer side, of at\n"
    "                       most 1024, or the largest (the default); the smallest listed when none fits\n"
    "get, paste, resume and discard share the desktop program's queues, sessions and picture database;\n"
    "their progress goes to stderr.\n";

void printUsage(QTextStream &s)
{
    s << "usage: orvix-cli COMMAND [ARGS] [COMMON OPTIONS]\n       orvix-cli --version\n\ncommands:\n";
    for (const TCliCommand &c : CliCommands()) {
        s << "  " << c.name << (c.usage.isEmpty() ? QString() : u' ' + c.usage) << "\n      " << c.summary << '\n';
        if (!c.commonOptions.isEmpty())
            s << "      common options it uses: --" << c.commonOptions.join(QStringLiteral(" --")) << '\n';
    }
    for (const TCliCommand &c : CliCommands())
        if (!c.details.isEmpty())
            s << '\n' << c.details << '\n';
    s << '\n' << kCommonOptionsHelp << '\n' << kExitCodesHelp;
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
    TCliIo io{TTermStream(out), TTermStream(err)};

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
        io.err << "orvix-cli: " << e.message() << '\n';
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
        io.err << "orvix-cli: unknown command \"" << args[0] << "\"\n\n";
        printUsage(err);
        return ExitUsage;
    }
    QStringList commandArgs = args.mid(1);
    DropCommonOptionsNotUsed(commandArgs, *command);
    const int code = command->run(commandArgs, io);
    ReleaseCliBrowser();
    out.flush();
    err.flush();
    return code;
}
