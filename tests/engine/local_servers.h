#pragma once

#include <QByteArray>
#include <QString>

#include <httplib.h>

#include <atomic>
#include <ostream>
#include <functional>
#include <mutex>
#include <thread>

// Readable failure output for Qt text types.
inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"' << bytes.toPercentEncoding(" !\"#$&'()*+,-./:;<=>?@[]^_`{|}~").toStdString() << '"';
}
inline void PrintTo(const QString &text, std::ostream *os)
{
    PrintTo(text.toUtf8(), os);
}

namespace orvix::test {

// The message of the EOrvix that f raises; empty when it raises none.
QString raisedBy(const std::function<void()> &f);

// A loopback port on which nobody listens.
int UnusedPort();

// Runs a bound httplib server on its own thread and returns once it accepts connections: a
// stop() that came earlier would be ignored and leave the thread blocked in accept for good.
std::thread ListenInBackground(httplib::Server &server);

// An httplib server on 127.0.0.1 and a free port, answering on its own thread. Add routes to
// server() first, then call start().
class LocalHttpServer
{
public:
    LocalHttpServer() = default;
    ~LocalHttpServer();
    httplib::Server &server() { return m_server; }
    void start();
    int port() const { return m_port; }
    QString url(const QString &path) const;

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
};

// A file of tests/engine/tls: certificates of a test authority (ca.pem), valid until 2124 except
// expired.pem (2000); wrongname.pem names another host.
QString tlsFixture(const char *name);

// An HTTPS server on 127.0.0.1 with the certificate NAME.pem of tls/, answering "secret" at "/".
class TlsServer
{
public:
    explicit TlsServer(const char *name);
    ~TlsServer();
    QString url() const { return QStringLiteral("https://127.0.0.1:%1/").arg(m_port); }

private:
    httplib::SSLServer m_server;
    int m_port = 0;
    std::thread m_thread;
};

// One accepted connection of a RawServer: the request as received (headers, and the body
// when it announced a length) and the socket to answer on.
struct RawConnection
{
    int fd = -1;
    QByteArray request;
    void send(const QByteArray &bytes) const;
    // Waits until the client hangs up or ms pass; true when it hung up.
    bool waitForClose(int ms) const;
};

// A bare TCP server for answers no well-behaved server gives: stalls, trickles, lies about
// lengths, resets. Each connection runs the handler on the server's thread, one at a time;
// the socket is closed when the handler returns.
class RawServer
{
public:
    using Handler = std::function<void(RawConnection &)>;
    explicit RawServer(Handler handler);
    ~RawServer();
    int port() const { return m_port; }
    QString url(const QString &path) const;
    QByteArray lastRequest() const;
    int connections() const { return m_connections; }

private:
    void run();

    Handler m_handler;
    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_lock;
    QByteArray m_lastRequest;
    std::thread m_thread;
};

} // namespace orvix::test
