#pragma once

// "Check database": finds the records of "pd_images.db" that do not have exactly three fields
// and, with the queues empty, rewrites the file without them after keeping a time-stamped copy.

#include <QString>
#include <QStringList>

#include <functional>

namespace orvix {

class PictureDatabase;

struct IntegrityResult {
    enum class Outcome {
        NoFile,         // nothing to check
        NoProblems,     // "No problems found."
        QueuesNotEmpty, // problems found, repair refused
        Repaired,       // problems removed
        Failed,         // problems found, but the copy or the rewrite failed
    };
    Outcome outcome = Outcome::NoFile;
    int problems = 0;
    QString backupPath;
    QString message; // what was shown to the user
};

// queuesHoldLines tells whether the page or media queue holds lines: a repair must not race
// records that the page worker is about to write. Messages go through the dialogs; every
// removed line is written to the program log as "removing line: " + line.
IntegrityResult CheckImagesDbIntegrity(PictureDatabase &db, const std::function<bool()> &queuesHoldLines);

} // namespace orvix
