// Downloads of 200 files of 2 MB from a loopback server, one after another, by TIEHttp and by
// the curl command line in the same run (the reference), in alternating rounds. Prints the
// median wall times, their ratio and the process's peak memory; exits 1 when a target is
// missed: ratio at most 1.15, peak memory at most twice the body plus 40 MB.
//   http_bench [--files N] [--size BYTES] [--rounds R]

#include "engine/ie_http.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <ctime>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

using namespace orvix;
using Clock = std::chrono::steady_clock;

namespace {

// Answers every connection with the same prepared response and closes it: no per-request
// work on the server side, so both clients see the same server cost.
class FileServer
{
public:
    explicit FileServer(qsizetype bodySize)
    {
        QByteArray body(bodySize, Qt::Uninitialized);
        QRandomGenerator rng(42);
        rng.fillRange(reinterpret_cast<quint32 *>(body.data()), bodySize / 4);
        m_response = "HTTP/1.0 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: "
            + QByteArray::number(bodySize) + "\r\nConnection: close\r\n\r\n" + body;
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(m_fd, 16);
        socklen_t len = sizeof addr;
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~FileServer()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }
    int port() const { return m_port; }

private:
    void serve()
    {
        char buf[8192];
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const int c = ::accept(m_fd, nullptr, nullptr);
            if (c < 0)
                continue;
            QByteArray request;
            while (!request.contains("\r\n\r\n")) {
                const ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0)
                    break;
                request.append(buf, n);
            }
            for (qsizetype done = 0; done < m_response.size();) {
                const ssize_t n = ::send(c, m_response.constData() + done, size_t(m_response.size() - done), MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                done += n;
            }
            ::shutdown(c, SHUT_WR);
            while (::recv(c, buf, sizeof buf, 0) > 0) {
            }
            ::close(c);
        }
    }

    QByteArray m_response;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

double childCpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

qint64 peakMemoryBytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int argValue(const QStringList &args, const QString &name, int fallback)
{
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int files = argValue(args, QStringLiteral("--files"), 200);
    const int size = argValue(args, QStringLiteral("--size"), 2 * 1024 * 1024);
    const int rounds = argValue(args, QStringLiteral("--rounds"), 7);

    FileServer server(size);
    QStringList urls;
    for (int i = 0; i < files; ++i)
        urls << QStringLiteral("http://127.0.0.1:%1/pictures/%2.jpg").arg(server.port()).arg(i);

    QStringList curlArgs{QStringLiteral("-s"), QStringLiteral("--http1.0"), QStringLiteral("--fail")};
    for (const QString &url : urls)
        curlArgs << QStringLiteral("-o") << QStringLiteral("/dev/null") << url;

    QList<double> ours;
    QList<double> reference;
    QList<double> oursCpu;
    QList<double> referenceCpu;
    TIEHttp http; // one client for every file, as the media worker has
    http.UnzipMethod = u'G';
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        const double cpuStart = threadCpuSeconds();
        for (const QString &url : urls) {
            http.ExecuteUrl(url);
            if (http.ResultMs().size() != size || http.ContentSize() != size) {
                std::fprintf(stderr, "wrong body for %s: %lld bytes\n", qPrintable(url), qint64(http.ResultMs().size()));
                return 2;
            }
        }
        ours << secondsSince(start);
        oursCpu << threadCpuSeconds() - cpuStart;

        start = Clock::now();
        const double childStart = childCpuSeconds();
        QProcess curl;
        curl.start(QStringLiteral("curl"), curlArgs);
        if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
            std::fprintf(stderr, "curl failed: %s\n", curl.readAllStandardError().constData());
            return 2;
        }
        reference << secondsSince(start);
        referenceCpu << childCpuSeconds() - childStart;
    }

    const double ratio = median(ours) / median(reference);
    const qint64 peak = peakMemoryBytes();
    const qint64 memoryLimit = 2 * qint64(size) + 40 * 1024 * 1024;
    std::printf("files: %d x %d bytes, rounds: %d\n", files, size, rounds);
    std::printf("TIEHttp: median %.3f s (rounds:", median(ours));
    for (double s : ours)
        std::printf(" %.3f", s);
    std::printf(")\ncurl:    median %.3f s (rounds:", median(reference));
    for (double s : reference)
        std::printf(" %.3f", s);
    std::printf(")\nratio: %.3f (limit 1.15)\n", ratio);
    std::printf("client CPU: TIEHttp %.3f s, curl %.3f s (medians)\n", median(oursCpu), median(referenceCpu));
    std::printf("peak memory: %.1f MB (limit %.1f MB)\n", peak / 1048576.0, memoryLimit / 1048576.0);
    const bool ok = ratio <= 1.15 && peak >= 0 && peak <= memoryLimit;
    std::printf("%s\n", ok ? "targets met" : "TARGET MISSED");
    return ok ? 0 : 1;
}
