#include "page_url_index.h"

#include <QHashFunctions>


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
    m_bucketShift = 32;
    m_bucketStart.clear();
    m_entries.clear();
    m_added.clear();
}

void PageUrlIndex::rebuild(const QStringList &records)
{
    clear();
    m_records.assign(records.cbegin(), records.cend());
    std::vector<Entry> unordered;
    unordered.reserve(m_records.size() * 3);
    for (quint32 id = 0; id < m_records.size(); ++id)
        forEachIndexedSegment(m_records[id], [&](quint32 h) { unordered.push_back({h, id}); });

    // About two entries per bucket.
    int bits = 1;
    while (bits < 24 && (size_t(1) << bits) < unordered.size() / 2)
        ++bits;
    m_bucketShift = 32 - bits;
    m_bucketStart.assign((size_t(1) << bits) + 1, 0);
    for (const Entry &e : unordered)
        ++m_bucketStart[(e.hash >> m_bucketShift) + 1];
    for (size_t b = 1; b < m_bucketStart.size(); ++b)
        m_bucketStart[b] += m_bucketStart[b - 1];
    m_entries.resize(unordered.size());
    std::vector<quint32> fill(m_bucketStart.begin(), m_bucketStart.end() - 1);
    for (const Entry &e : unordered)
        m_entries[fill[e.hash >> m_bucketShift]++] = e;
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
    if (!m_bucketStart.empty()) {
        const quint32 b = h >> m_bucketShift;
        for (quint32 i = m_bucketStart[b]; i < m_bucketStart[b + 1]; ++i) {
            if (m_entries[i].hash == h)
                out.push_back(m_records[m_entries[i].id]);
        }
    }
    const auto added = m_added.equal_range(h);
    for (auto it = added.first; it != added.second; ++it)
        out.push_back(m_records[it->second]);
    return out;
}

} // namespace orvix
