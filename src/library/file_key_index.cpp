#include "file_key_index.h"

#include "picture_match.h"

namespace orvix {

void FileKeyIndex::clear()
{
    m_byRun.clear();
    m_count = 0;
}

void FileKeyIndex::rebuild(const QStringList &paths)
{
    clear();
    m_byRun.reserve(paths.size());
    for (const QString &p : paths)
        add(p);
}

void FileKeyIndex::add(const QString &path)
{
    m_byRun[LeadingAlnumRunLower(FileNameOf(path))].append(m_count++);
}

QList<qsizetype> FileKeyIndex::candidates(QStringView key) const
{
    return m_byRun.value(LeadingAlnumRunLower(key));
}

} // namespace orvix
