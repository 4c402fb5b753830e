#pragma once

// A deliberately plain HTTP client on a POSIX socket: it shows exactly what the server sent
// (headers, bytes, how the connection ended, pauses), which a real client library would hide.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace orvix::test {

struct HttpReply
{
    int status = 0;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    bool reset = false;      // the connection ended with a reset
    bool timedOut = false;   // nothing arrived for the whole read time-out
    qint64 longestGapMs = 0; // longest wait between two pieces of the answer
    qint64 totalMs = 0;

    bool hasHeader(const QByteArray &name) const;
    QByteArray header(const QByteArray &name) const; // case-insensitive name
    QList<QByteArray> headerValues(const QByteArray &name) const;
};

HttpReply httpRequest(int port, const QByteArray &method, const QByteArray &target,
                      const QList<QPair<QByteArray, QByteArray>> &headers = {}, const QByteArray &body = {},
                      int readTimeoutMs = 10000);
inline HttpReply httpGet(int port, const QByteArray &target,
                         const QList<QPair<QByteArray, QByteArray>> &headers = {})
{
    return httpRequest(port, "GET", target, headers);
}
// Path and query of an absolute URL of the site.
QByteArray targetOf(const QString &url);

} // namespace orvix::test
