#include "local_server.h"

#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <httplib.h>
#include <pthread.h>

namespace orvix::localserver {

LocalServerThread::~LocalServerThread()
{
    stop();
}

int LocalServerThread::bind(std::unique_ptr<httplib::Server> server, int port)
{
    stop();
    if (port == 0)
        port = server->bind_to_any_port("127.0.0.1");
    else if (!server->bind_to_port("127.0.0.1", port))
        port = 0;
    if (port <= 0)
        return 0;
    m_server = std::move(server);
    return port;
}

bool LocalServerThread::listen()
{
    if (!m_server)
        return false;
    m_listenEnded = false;
    m_thread = std::thread([this] {
        m_server->listen_after_bind();
        m_listenEnded = true;
    });
    // stop() only works once the server loop runs.
    while (!m_server->is_running() && !m_listenEnded)
        QThread::usleep(200);
    if (!m_listenEnded)
        return true;
    m_thread.join();
    m_server.reset();
    return false;
}

void LocalServerThread::stop()
{
    if (!m_server)
        return;
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_server.reset();
}

bool LocalServerThread::isRunning() const
{
    return m_server && m_server->is_running();
}

StopSignals::StopSignals()
{
    sigemptyset(&m_signals);
    sigaddset(&m_signals, SIGINT);
    sigaddset(&m_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
}

void StopSignals::wait()
{
    int received = 0;
    sigwait(&m_signals, &received);
}

void PrintServing(int port, const QString &baseUrl)
{
    std::printf("%d\n%s/\n", port, qPrintable(baseUrl));
    std::fflush(stdout);
}

void Fail(const char *tool, const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", tool, qPrintable(message));
    std::exit(2);
}

} // namespace orvix::localserver
