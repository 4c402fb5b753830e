#include "http_probe.h"

#include <QElapsedTimer>
#include <QUrl>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvix::test {

bool HttpReply::hasHeader(const QByteArray &name) const { return !headerValues(name).isEmpty(); }

QByteArray HttpReply::header(const QByteArray &name) const
{
    const QList<QByteArray> values = headerValues(name);
    return values.isEmpty() ? QByteArray() : values.first();
}

QList<QByteArray> HttpReply::headerValues(const QByteArray &name) const
{
    QList<QByteArray> values;
    for (const auto &h : headers)
        if (h.first.toLower() == name.toLower())
            values << h.second;
    return values;
}

QByteArray targetOf(const QString &url)
{
    const QUrl u(url);
    QByteArray t = u.path(QUrl::FullyEncoded).toLatin1();
    if (u.hasQuery())
        t += '?' + u.query(QUrl::FullyEncoded).toLatin1();
    return t;
}

HttpReply httpRequest(int port, const QByteArray &method, const QByteArray &target,
                      const QList<QPair<QByteArray, QByteArray>> &headers, const QByteArray &body, int readTimeoutMs)
{
    HttpReply reply;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(quint16(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
        ::close(fd);
        reply.status = -1;
        return reply;
    }
    QByteArray request = method + ' ' + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
    for (const auto &h : headers)
        request += h.first + ": " + h.second + "\r\n";
    if (!body.isEmpty())
        request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    request += "\r\n" + body;
    ::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);

    QByteArray raw;
    QElapsedTimer total, gap;
    total.start();
    gap.start();
    char buffer[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, readTimeoutMs) == 0) {
            reply.timedOut = true;
            break;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reply.reset = errno == ECONNRESET;
            break;
        }
        if (n == 0)
            break;
        reply.longestGapMs = qMax(reply.longestGapMs, gap.restart());
        raw.append(buffer, int(n));
    }
    reply.totalMs = total.elapsed();
    ::close(fd);

    const int end = raw.indexOf("\r\n\r\n");
    const QByteArray head = end < 0 ? raw : raw.left(end);
    reply.body = end < 0 ? QByteArray() : raw.mid(end + 4);
    const QList<QByteArray> lines = head.split('\n');
    if (!lines.isEmpty()) {
        const QList<QByteArray> statusParts = lines.first().trimmed().split(' ');
        reply.status = statusParts.size() > 1 ? statusParts.at(1).toInt() : 0;
    }
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon > 0)
            reply.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
    }
    return reply;
}

} // namespace orvix::test
