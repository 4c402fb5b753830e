// "search": the saved pictures the desktop program's library search shows, one path a line.
#include "cli_command.h"

#include "foundation/files.h"
#include "library/library_search.h"
#include "library/picture_db.h"

namespace orvix::cli {

namespace {

int runSearch(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    QString settings;
    if (!TakeReadOnlySettingsOption(args, io, QStringLiteral("search"), settings))
        return ExitUsage;
    const bool all = args.removeAll(QStringLiteral("--all")) > 0;
    if (args.size() != 1 || args[0].startsWith(QStringLiteral("--")) || args[0].trimmed().isEmpty()) {
        io.err << "usage: orvix-cli search TERM [--settings=FOLDER] [--all]\n";
        return ExitUsage;
    }
    // Read only: the settings folder is found as the other commands find it, nothing is created.
    const QString folder = LookUpSettingsFolder(settings);
    PictureDatabase db(folder);
    if (!FileExists(db.filesDbPath())) {
        io.err << "orvix-cli search: no library list in " << folder
               << " (the desktop program writes it when it first starts)\n";
        return ExitFailed;
    }
    db.LoadOrRebuildFilesDb(QString());
    const QStringList found = LibrarySearchFiles(db, args[0], all ? -1 : kLibrarySearchShown);
    for (const QString &path : found)
        io.out << path << '\n';
    io.out.flush();
    return found.isEmpty() ? ExitFailed : ExitOk;
}

const TCliRegistration searchRegistration({
    QStringLiteral("search"),
    QStringLiteral("TERM [--all]"),
    QStringLiteral("prints the saved pictures whose path holds TERM (any case, blanks as given), in the order\n"
                   "      they were saved, as the desktop program's library search shows them: at most 101\n"
                   "      unless --all; exit 0 with matches, 1 without, 2 for bad arguments"),
    runSearch,
    QString(),
    {QStringLiteral("settings")},
});

} // namespace

} // namespace orvix::cli
