#include "request_log.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvix::photosite {

void RequestLog::add(const RequestRecord &record)
{
    // A demo site may run for days; keep the newest requests only.
    constexpr qsizetype kMaxRecords = 100000;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_records.size() >= kMaxRecords)
        m_records.remove(0, m_records.size() - kMaxRecords + 1);
    m_records << record;
}

QList<RequestRecord> RequestLog::records() const
{
    // A list of its own rather than a shared copy: the server appends while a test reads, and
    // a shared list's storage would pass between the two threads through a relaxed check of its
    // reference count, which orders nothing (the thread sanitizer reports it).
    std::lock_guard<std::mutex> lock(m_mutex);
    return QList<RequestRecord>(m_records.cbegin(), m_records.cend());
}

void RequestLog::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_records.clear();
}

QByteArray requestsJson(const QList<RequestRecord> &records)
{
    QJsonArray list;
    for (const RequestRecord &r : records) {
        QJsonObject o;
        o[QStringLiteral("method")] = r.method;
        o[QStringLiteral("target")] = r.target;
        o[QStringLiteral("path")] = r.path;
        o[QStringLiteral("cookies")] = r.cookies;
        o[QStringLiteral("userAgent")] = r.userAgent;
        o[QStringLiteral("fault")] = r.fault;
        o[QStringLiteral("time")] = r.time.toString(Qt::ISODateWithMs);
        list.append(o);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

} // namespace orvix::photosite
