#pragma once

// Index of the saved-files list by the leading letters and digits of each file name: a key can
// only match a file name whose leading run equals the key's own (see FileNameMatchesKey).

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace orvix {

class FileKeyIndex
{
public:
    void rebuild(const QStringList &paths);
    void add(const QString &path); // the path was appended to the list
    void clear();

    // Positions in the list, ascending, of the files that may match key.
    QList<qsizetype> candidates(QStringView key) const;

private:
    QHash<QString, QList<qsizetype>> m_byRun;
    qsizetype m_count = 0;
};

} // namespace orvix
