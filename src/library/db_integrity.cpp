#include "db_integrity.h"

#include "picture_db.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "foundation/text_list.h"

namespace orvix {

namespace {

void logRemoved(const QString &line)
{
    if (TLog *log = ProgramLog())
        log->Write(QStringLiteral("removing line: ") + line);
}

} // namespace

IntegrityResult CheckImagesDbIntegrity(PictureDatabase &db, const std::function<bool()> &queuesHoldLines)
{
    using Outcome = IntegrityResult::Outcome;
    IntegrityResult r;
    const QString path = db.imagesDbPath();
    if (!FileExists(path))
        return r;

    // Held from reading to rewriting, so a picture recorded meanwhile by this process's page
    // worker is neither lost from the file nor from memory. Messages wait until it is released.
    bool isError = false;
    db.withImagesLocked([&] {
        QStringList lines;
        if (!LoadListRetry(lines, path))
            return;
        QStringList kept;
        for (const QString &line : lines) {
            if (line.isEmpty())
                continue;
            if (TextSplit(line, u"|").size() != 3) {
                logRemoved(line);
                ++r.problems;
            } else {
                kept.append(line);
            }
        }
        if (r.problems == 0) {
            r.outcome = Outcome::NoProblems;
            r.message = QStringLiteral("No problems found.");
            return;
        }
        if (queuesHoldLines && queuesHoldLines()) {
            r.outcome = Outcome::QueuesNotEmpty;
            r.message = QStringLiteral("Please make sure the queue is empty before repairing the database");
            return;
        }
        r.backupPath = TimestampedFileName(path);
        try {
            if (!CopyFileOver(path, r.backupPath))
                throw EFileError(QStringLiteral("Could not copy ") + path + QStringLiteral(" to ")
                                 + r.backupPath + QStringLiteral(". The database was not changed."));
            SaveListUtf8(kept, path);
        } catch (const std::exception &e) {
            r.outcome = Outcome::Failed;
            r.message = exceptionMessage(e);
            isError = true;
            return;
        }
        // The in-memory list follows the file, so the removed lines stop being reported.
        db.ReplaceImages(kept, FileTime(path));
        r.outcome = Outcome::Repaired;
        r.message = QStringLiteral("Database repaired. Problems found: ") + QString::number(r.problems);
    });
    if (isError)
        ErrorBox(r.message);
    else if (!r.message.isEmpty())
        InfoBox(r.message);
    return r;
}

} // namespace orvix
