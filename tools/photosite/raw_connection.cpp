#include "raw_connection.h"

#include <QDir>
#include <QThread>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvix::photosite {

namespace {

int portOf(const sockaddr_storage &a)
{
    if (a.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in &>(a).sin_port);
    if (a.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(a).sin6_port);
    return -1;
}

bool writeAll(int socket, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::send(socket, data, size_t(size), MSG_NOSIGNAL);
        if (n > 0) {
            data += n;
            size -= n;
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            pollfd p{socket, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        return false;
    }
    return true;
}

QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

int findConnectionSocket(int localPort, int remotePort)
{
    // The server does not hand out its sockets; find ours among the process's descriptors.
    const QStringList fds = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System);
    for (const QString &name : fds) {
        bool ok = false;
        const int fd = name.toInt(&ok);
        if (!ok)
            continue;
        sockaddr_storage local{}, peer{};
        socklen_t ll = sizeof local, pl = sizeof peer;
        if (::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &ll) != 0
            || ::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &pl) != 0)
            continue;
        if (portOf(local) == localPort && portOf(peer) == remotePort)
            return fd;
    }
    return -1;
}

bool sleepUnlessStopping(double seconds, const std::atomic<bool> &stopping)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (stopping)
            return false;
        QThread::msleep(10);
    }
    return true;
}

void resetConnection(int socket)
{
    // Disconnecting a connected TCP socket aborts it with a reset; the server's later writes
    // fail and it closes the descriptor itself.
    sockaddr unspec{};
    unspec.sa_family = AF_UNSPEC;
    ::connect(socket, &unspec, sizeof unspec);
}

void sendRaw(int socket, const RawResponse &r, const std::atomic<bool> &stopping)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reason(r.status) + "\r\n";
    for (const auto &h : r.headers)
        head += h.first + ": " + h.second + "\r\n";
    if (r.withLength && !r.endless)
        head += "Content-Length: " + QByteArray::number(qMax(r.padTo, qint64(r.body.size()))) + "\r\n";
    head += "Connection: close\r\n\r\n";
    const qint64 total = r.sendBytes < 0 ? r.body.size() : qMin<qint64>(r.sendBytes, r.body.size());
    bool ok = writeAll(socket, head.constData(), head.size());
    qint64 sent = 0;
    if (ok && r.stallAfter >= 0 && r.stallAfter < total) {
        ok = writeAll(socket, r.body.constData(), r.stallAfter);
        sent = r.stallAfter;
        ok = ok && sleepUnlessStopping(r.stallSeconds, stopping);
    }
    if (ok && r.byteInterval > 0) {
        for (; ok && sent < total; ++sent)
            ok = writeAll(socket, r.body.constData() + sent, 1) && sleepUnlessStopping(r.byteInterval, stopping);
    } else if (ok) {
        ok = writeAll(socket, r.body.constData() + sent, total - sent);
    }
    if (ok && (r.endless || r.padTo > total)) {
        // Zeros until the length, or until the client hangs up (a failed write) or the server stops.
        const QByteArray zeros(1 << 16, '\0');
        for (qint64 left = r.endless ? -1 : r.padTo - total; ok && left != 0 && !stopping;) {
            const qint64 n = left < 0 ? zeros.size() : qMin<qint64>(left, zeros.size());
            ok = writeAll(socket, zeros.constData(), n);
            if (left > 0)
                left -= n;
        }
    }
    if (r.resetAfterBody)
        resetConnection(socket);
    else
        ::shutdown(socket, SHUT_WR);
}

} // namespace orvix::photosite
