#pragma once

// Hands out the names of new item files in one folder: for a stem such as "orvixsession_1_q2"
// and the extension ".txt" the first of stem.txt, stem_00001.txt, stem_00002.txt, ... that is
// not in use. The folder is listed once per stem; after that the names this process takes and
// gives back are tracked in memory, so a queue of thousands of lines does not probe thousands
// of names for every new file. Callers still create the file without replacing one (a file
// that appeared behind our back is reported with taken() and the next name tried).
//
// Not thread-safe: the owner holds its folder's lock.

#include <QHash>
#include <QString>

#include <set>

namespace orvix {

class ItemFileNames
{
public:
    explicit ItemFileNames(QString folder);

    struct Candidate
    {
        QString path;
        QString stemKey;
        int counter = 0;
    };
    // The first name of the stem not known to be in use.
    Candidate candidate(const QString &stem, const QString &extension);
    // The candidate's file exists now (created by us, or found in the way).
    void taken(const Candidate &c);
    // The file is gone; its name may be handed out again.
    void released(const QString &path);
    // Forget everything (all files of the folder were deleted); the next call lists again.
    void reset();

private:
    struct Stem
    {
        std::set<int> freeBelow; // unused counters below high
        int high = 0;            // every counter from here on is unused
    };
    struct Name
    {
        QString stemKey;
        int counter = 0;
    };

    Stem &stemFor(const QString &stem, const QString &extension);
    void take(Stem &s, int counter);

    QString m_folder;
    QHash<QString, Stem> m_stems;  // stem + extension
    QHash<QString, Name> m_names;  // full path -> where it came from
};

// "stem.ext" for counter 0, "stem_00001.ext" and so on after it.
QString ItemFileName(const QString &stem, const QString &extension, int counter);

} // namespace orvix
