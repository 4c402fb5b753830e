#pragma once

// What the stand-in servers of tests and demos share: a cpp-httplib server on 127.0.0.1 run in
// a thread of its own, and the executables' way of serving until SIGINT or SIGTERM.

#include <QString>

#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

namespace httplib {
class Server;
}

namespace orvix::localserver {

class LocalServerThread
{
public:
    LocalServerThread() = default;
    ~LocalServerThread(); // stops
    LocalServerThread(const LocalServerThread &) = delete;
    LocalServerThread &operator=(const LocalServerThread &) = delete;

    // Binds to 127.0.0.1:port (0: a free one) and keeps the server; the bound port, or 0 when
    // the address cannot be had (the server is dropped).
    int bind(std::unique_ptr<httplib::Server> server, int port);
    // Runs the bound server's loop and returns once it serves; false when the loop ended at once.
    bool listen();
    // Ends the loop and waits for it; nothing when not started.
    void stop();

    bool isRunning() const;
    bool isStarted() const { return bool(m_server); }

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    std::atomic<bool> m_listenEnded{false};
};

// An executable's end: SIGINT and SIGTERM are blocked in every thread started after this is
// made, and wait() returns at the first of them.
class StopSignals
{
public:
    StopSignals();
    void wait();

private:
    sigset_t m_signals;
};

// The executables' start line on stdout (the port, then the base address) that scripts read.
void PrintServing(int port, const QString &baseUrl);

// "TOOL: MESSAGE" on stderr and exit code 2.
[[noreturn]] void Fail(const char *tool, const QString &message);

} // namespace orvix::localserver
