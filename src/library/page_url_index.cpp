#include "page_url_index.h"

#include <QHashFunctions>

#include <algorithm>

namespace orvix {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('|');
}

// Segments the index keeps: identifiers with at least one digit (picture ids, keys, set numbers).
// Words such as "photos" or the host would give huge candidate lists and are left to the scan;
// the rule depends on the segment's text alone, so records and queries agree on it.
bool isIndexedSegment(QStringView seg)
{
    if (seg.isEmpty())
        return false;
    bool digit = false;
    for (QChar c : seg) {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            digit = true;
        else if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == '-'))
            return false;
    }
    return digit;
}

quint32 segmentHash(QStringView seg)
{
    return quint32(qHash(seg, 0x5eed));
}

} // namespace

template<typename Fn>
void PageUrlIndex::forEachIndexedSegment(QStringView record, Fn &&fn)
{
    qsizetype start = 0;
    for (qsizetype i = 0; i <= record.size(); ++i) {
        if (i == record.size() || isSeparator(record.at(i))) {
            const QStringView seg = record.mid(start, i - start);
            if (isIndexedSegment(seg))
                fn(segmentHash(seg));
            start = i + 1;
        }
    }
}

void PageUrlIndex::clear()
{
    m_records.clear();
    m_sorted.clear();
    m_added.clear();
}

void PageUrlIndex::rebuild(const QStringList &records)
{
    clear();
    m_records.assign(records.cbegin(), records.cend());
    m_sorted.reserve(m_records.size() * 2);
    for (quint32 id = 0; id < m_records.size(); ++id) {
        forEachIndexedSegment(m_records[id], [&](quint32 h) { m_sorted.push_back({h, id}); });
    }
    std::sort(m_sorted.begin(), m_sorted.end(),
              [](const Entry &a, const Entry &b) { return a.hash < b.hash; });
}

void PageUrlIndex::add(const QString &record)
{
    const auto id = quint32(m_records.size());
    m_records.push_back(record);
    forEachIndexedSegment(record, [&](quint32 h) { m_added.emplace(h, id); });
}

std::optional<std::vector<QString>> PageUrlIndex::candidates(QStringView cut) const
{
    qsizetype lastSep = -1;
    for (qsizetype i = cut.size() - 1; i >= 0; --i) {
        if (isSeparator(cut.at(i))) {
            lastSep = i;
            break;
        }
    }
    if (lastSep < 0)
        return std::nullopt;
    const QStringView seg = cut.mid(lastSep + 1);
    if (!isIndexedSegment(seg))
        return std::nullopt;

    const quint32 h = segmentHash(seg);
    std::vector<QString> out;
    const auto range = std::equal_range(
        m_sorted.begin(), m_sorted.end(), Entry{h, 0},
        [](const Entry &a, const Entry &b) { return a.hash < b.hash; });
    for (auto it = range.first; it != range.second; ++it)
        out.push_back(m_records[it->id]);
    const auto added = m_added.equal_range(h);
    for (auto it = added.first; it != added.second; ++it)
        out.push_back(m_records[it->second]);
    return out;
}

} // namespace orvix
