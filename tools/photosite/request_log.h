#pragma once

// What visitors asked the site for, so tests can check what the program requested.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <mutex>

namespace orvix::photosite {

struct RequestRecord
{
    QString method;
    QString target; // path with query, as sent
    QString path;
    QString cookies; // the Cookie header, empty when none was sent
    QString userAgent;
    QString fault; // the fault rule applied, if any
    QDateTime time;
};

class RequestLog
{
public:
    void add(const RequestRecord &record);
    QList<RequestRecord> records() const;
    void reset();

private:
    mutable std::mutex m_mutex;
    QList<RequestRecord> m_records;
};

QByteArray requestsJson(const QList<RequestRecord> &records);

} // namespace orvix::photosite
