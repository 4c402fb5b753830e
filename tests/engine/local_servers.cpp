#include "local_servers.h"

#include "foundation/errors.h"

#include <QList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <stdexcept>

namespace orvix::test {

QString raisedBy(const std::function<void()> &f)
{
    try {
        f();
    } catch (const EOrvix &e) {
        return e.message();
    }
    return {};
}

int UnusedPort()
{
    RawServer probe([](RawConnection &) {});
    return probe.port(); // closed again when probe goes
}

LocalHttpServer::~LocalHttpServer()
{
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

void LocalHttpServer::start()
{
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        throw std::runtime_error("cannot bind a local port");
    m_thread = ListenInBackground(m_server);
}

std::thread ListenInBackground(httplib::Server &server)
{
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([&server, ended] {
        server.listen_after_bind();
        *ended = true;
    });
    while (!server.is_running() && !*ended)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return thread;
}

QString tlsFixture(const char *name)
{
    return QStringLiteral(ORVIX_TLS_FIXTURES "/") + QLatin1String(name);
}

TlsServer::TlsServer(const char *name)
    : m_server(tlsFixture((QByteArray(name) + ".pem").constData()).toLocal8Bit().constData(),
               tlsFixture((QByteArray(name) + ".key").constData()).toLocal8Bit().constData())
{
    m_server.Get("/", [](const httplib::Request &, httplib::Response &res) { res.set_content("secret", "text/plain"); });
    m_port = m_server.bind_to_any_port("127.0.0.1");
    m_thread = ListenInBackground(m_server);
}

TlsServer::~TlsServer()
{
    m_server.stop();
    m_thread.join();
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void RawConnection::send(const QByteArray &bytes) const
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

bool RawConnection::waitForClose(int ms) const
{
    char buf[4096];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0 && ::recv(fd, buf, sizeof buf, MSG_DONTWAIT) <= 0)
            return true;
    }
    return false;
}

RawServer::RawServer(Handler handler) : m_handler(std::move(handler))
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 8) != 0)
        throw std::runtime_error("cannot listen on a local port");
    socklen_t len = sizeof addr;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr *>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

RawServer::~RawServer()
{
    m_stop = true;
    m_thread.join();
    ::close(m_listenFd);
}

QString RawServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

QByteArray RawServer::lastRequest() const
{
    std::lock_guard guard(m_lock);
    return m_lastRequest;
}

void RawServer::run()
{
    while (!m_stop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        RawConnection c;
        c.fd = ::accept(m_listenFd, nullptr, nullptr);
        if (c.fd < 0)
            continue;
        ++m_connections;
        // Read the header block, then as much body as it announces.
        char buf[65536];
        qsizetype wanted = -1;
        while (wanted < 0 || c.request.size() < wanted) {
            pollfd q{c.fd, POLLIN, 0};
            if (::poll(&q, 1, 2000) <= 0)
                break;
            const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            c.request.append(buf, n);
            const qsizetype end = c.request.indexOf("\r\n\r\n");
            if (wanted < 0 && end >= 0) {
                qsizetype length = 0;
                for (const QByteArray &line : c.request.left(end).split('\n')) {
                    if (line.toLower().startsWith("content-length:"))
                        length = line.mid(15).trimmed().toLongLong();
                }
                wanted = end + 4 + length;
            }
        }
        {
            std::lock_guard guard(m_lock);
            m_lastRequest = c.request;
        }
        m_handler(c);
        ::shutdown(c.fd, SHUT_RDWR);
        ::close(c.fd);
    }
}

} // namespace orvix::test
