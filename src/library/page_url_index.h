#pragma once

// Index of the picture records by the address segments they contain, so that the page-address
// lookup does not scan a library of a million records.
//
// A query that matches a record at a segment boundary (followed by "/", "|" or the end) and
// itself contains a "/" or "|" must end with a whole segment of the record: the segment after
// the query's last separator. The index maps such segments to the records holding them; a query
// it cannot answer that way (no separator, or a segment the index does not keep) is left to a
// scan. Candidates are only hints: the caller checks each with RecordMatchesPageUrl.

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <unordered_map>
#include <vector>

namespace orvix {

class PageUrlIndex
{
public:
    void rebuild(const QStringList &records);
    void add(const QString &record);
    void clear();

    // Records that may match the cut address, in no particular order; nullopt when only a scan
    // can answer.
    std::optional<std::vector<QString>> candidates(QStringView cut) const;

    qsizetype recordCount() const { return qsizetype(m_records.size()); }

private:
    struct Entry {
        quint32 hash;
        quint32 id;
    };

    template<typename Fn>
    static void forEachIndexedSegment(QStringView record, Fn &&fn);

    std::vector<QString> m_records; // by id; shares the text with the caller's list
    // Built by rebuild: the entries grouped by the top bits of their hash (a counting sort, no
    // comparisons), bucket b being m_entries[m_bucketStart[b] .. m_bucketStart[b + 1]).
    int m_bucketShift = 32;
    std::vector<quint32> m_bucketStart;
    std::vector<Entry> m_entries;
    std::unordered_multimap<quint32, quint32> m_added; // records added since the last rebuild
};

} // namespace orvix
