// "pending": what "resume" would take up, without touching anything.
#include "cli_command.h"

#include "app/settings_folder.h"
#include "foundation/errors.h"
#include "foundation/named_mutex.h"
#include "foundation/paths.h"
#include "queue/download_session.h"
#include "queue/incomplete_session.h"
#include "queue/queue_item_files.h"

#include <QDir>
#include <QFileInfo>

namespace orvix::cli {

namespace {

int runPending(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    QString settings;
    if (!TakeReadOnlySettingsOption(args, io, QStringLiteral("pending"), settings))
        return ExitUsage;
    if (!args.isEmpty()) {
        io.err << "usage: orvix-cli pending [--settings=FOLDER]\n";
        return ExitUsage;
    }
    // Resolved as the other commands do, but nothing is created or moved.
    const QString folder = LookUpSettingsFolder(settings);
    const QString sessions = folder + QStringLiteral("orvix_sessions/");

    int lines = 0;
    int unreadable = 0;
    for (int slot = 1; slot <= kSessionSlots; ++slot) {
        const QString name = SessionSlotName(slot);
        // A copy running in the slot is working on these lines right now.
        const bool running = MutexExists(SessionSlotMutexName(sessions, name));
        for (const auto &[queue, sub] : {std::pair{"media", "q1"}, std::pair{"page", "q2"}}) {
            const QString queueFolder = sessions + QLatin1String(sub);
            for (const QString &file : ListItemFilesOldestFirst(queueFolder, name)) {
                QString line;
                try {
                    line = ReadItemFileText(file);
                } catch (const EOrvix &e) {
                    io.err << "orvix-cli pending: " << file << ": " << e.message() << '\n';
                    ++unreadable;
                    continue;
                }
                io.out << name << (running ? " (running)" : "") << '\t' << queue << '\t' << line;
                const QString reason = LeftoverReason(file, line);
                if (!reason.isEmpty())
                    io.out << "\t(cannot be resumed: " << reason << ')';
                io.out << '\n';
                ++lines;
            }
        }
    }
    io.out.flush();
    io.err << lines << " lines pending in " << sessions << '\n';
    return unreadable > 0 ? ExitFailed : ExitOk;
}

const TCliRegistration pendingRegistration({
    QStringLiteral("pending"),
    QString(),
    QStringLiteral("lists, without changing anything, the lines interrupted runs left in each session slot\n"
                   "      (slot, queue, line): what \"resume\" would take up; \"(running)\" marks a slot in use,\n"
                   "      a fourth column says why resume cannot take a line (\"discard\" removes it)"),
    runPending,
    QString(),
    {QStringLiteral("settings")},
});

} // namespace

} // namespace orvix::cli
