// Closing the built program as a user, a window manager or the system does, on a display of
// the test's own: it always ends within a short time, whatever is open or under way, leaves
// its queued lines for resume, and the next start gets a working window.
#include "x_session.h"

#include "test_support.h"

#include "foundation/named_mutex.h"
#include "makerservice/maker_service.h"
#include "queue/download_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <cstring>
#include <iostream>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace orvix;

namespace {

constexpr int kStartMs = 60000;
// From the close to the process's end: the wait for a post (2.5 s at most) and the rest
// of an orderly end (workers, settings, the browser engine).
constexpr int kClosingBoundMs = 4000;
const QString kTitle = QStringLiteral("Orvix picture downloader");

// A maker's service that takes every connection and request and never answers.
class SilentService
{
public:
    SilentService()
    {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr *>(&a), sizeof a);
        listen(m_listener, 16);
        socklen_t len = sizeof a;
        getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~SilentService()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    QByteArray received() const
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

private:
    void serve()
    {
        std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
        while (!m_stop) {
            if (poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            for (size_t i = 0; i < fds.size(); ++i) {
                if (!(fds[i].revents & (POLLIN | POLLHUP)))
                    continue;
                if (i == 0) {
                    const int c = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                    if (c >= 0)
                        fds.push_back({c, POLLIN, 0});
                    continue;
                }
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    std::lock_guard lock(m_mutex);
                    m_received.append(buffer, n);
                } else {
                    ::close(fds[i].fd);
                    fds[i].fd = -1; // poll skips it
                }
            }
        }
        for (size_t i = 1; i < fds.size(); ++i)
            if (fds[i].fd >= 0)
                ::close(fds[i].fd);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    QByteArray m_received;
};

class ClosingRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_x.ok()) << "Xvfb did not start";
        for (const QTemporaryDir *d : {&m_settings, &m_runtime, &m_home})
            ASSERT_TRUE(d->isValid());
        maker.start();
    }

    void TearDown() override
    {
        for (auto &p : m_processes) {
            p->kill();
            p->waitForFinished(10000);
        }
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_x.display());
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("HOME"), m_home.path());
        return env;
    }

    // The program on this test's settings folder; nothing listens at the photo site's address.
    QProcess &start(const QString &makerHost, QStringList arguments = {})
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(environment());
        p->setProcessChannelMode(QProcess::MergedChannels);
        arguments << QStringLiteral("settings=") + m_settings.path() << QStringLiteral("site=127.0.0.1:1")
                  << QStringLiteral("maker=") + makerHost;
        p->start(test::binaryDir() + QStringLiteral("/src/ui/orvix"), arguments);
        EXPECT_TRUE(p->waitForStarted(10000));
        m_processes.push_back(std::move(p));
        return *m_processes.back();
    }

    // Three picture pages queued at the first display, as the paste panel queues them.
    QString pasteFile()
    {
        const QString file = m_home.path() + QStringLiteral("/pages.txt");
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 3; ++i)
            f.write(QStringLiteral("http://127.0.0.1:1/photos/alma/%1/\n").arg(4000 + i).toUtf8());
        return QStringLiteral("paste=") + file;
    }

    // orvix-cli pending: the lines a resume would take up.
    QString pending() const
    {
        QProcess cli;
        cli.setProcessEnvironment(environment());
        cli.setProcessChannelMode(QProcess::MergedChannels);
        cli.start(test::binaryDir() + QStringLiteral("/src/cli/orvix-cli"),
                  {QStringLiteral("pending"), QStringLiteral("--settings=") + m_settings.path()});
        cli.waitForFinished(60000);
        return QString::fromLocal8Bit(cli.readAll());
    }

    bool queued() const
    {
        return !QDir(m_settings.path() + QStringLiteral("/orvix_sessions/q2")).entryList(QDir::Files).isEmpty();
    }

    // Milliseconds from now to the process's end; -1 when it did not end within timeoutMs.
    static qint64 timeToEnd(QProcess &p, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        return p.waitForFinished(timeoutMs) ? clock.elapsed() : -1;
    }

    // A start after the close: a window of its own, running.
    void expectSecondStartWorks(QProcess &second)
    {
        EXPECT_TRUE(test::waitUntil([&] { return m_x.findWindow(kTitle) != 0 || second.state() != QProcess::Running; },
                                    kStartMs));
        EXPECT_EQ(second.state(), QProcess::Running) << second.readAll().toStdString();
        EXPECT_NE(m_x.findWindow(kTitle), 0u);
    }

    test::XSession m_x;
    QTemporaryDir m_settings;
    QTemporaryDir m_runtime;
    QTemporaryDir m_home;
    makerservice::MakerService maker;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

} // namespace

TEST_F(ClosingRun, AReportPostTheServiceNeverAnswersDoesNotKeepTheProgramAndIsSentNextTime)
{
    // A crash report from an earlier run: posted at the start, to a service that stalls.
    QFile crash(m_settings.path() + QStringLiteral("/OrvixDownloader.crash.txt"));
    ASSERT_TRUE(crash.open(QIODevice::WriteOnly));
    crash.write("Fatal signal 11 (SIGSEGV)\nThread Id: 42\nframe one\n");
    crash.close();
    SilentService silent;
    QProcess &first = start(silent.host());
    const uint32_t window = m_x.waitForWindow(kTitle, kStartMs);
    ASSERT_NE(window, 0u) << first.readAll().toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return silent.received().contains("POST /AppException.aspx"); }, kStartMs));

    m_x.close(window);
    QElapsedTimer clock;
    clock.start();
    // Started while the first is still closing: it waits for it and comes up itself.
    QProcess &second = start(maker.host());
    const qint64 ended = timeToEnd(first, 20000) >= 0 ? clock.elapsed() : -1;
    std::cout << "closing with a stalled report post: " << ended << " ms to the end" << std::endl;
    ASSERT_GE(ended, 0) << "still running after the window closed";
    EXPECT_LT(ended, kClosingBoundMs);
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);

    expectSecondStartWorks(second);
    // The report the first could not deliver comes from the second, once.
    ASSERT_TRUE(maker.waitForRequests(QStringLiteral("/AppException.aspx"), 1, 30000));
    QThread::msleep(500);
    const auto posts = maker.requests(QStringLiteral("/AppException.aspx"));
    ASSERT_EQ(posts.size(), 1);
    EXPECT_EQ(posts.first().field(QStringLiteral("Exception")), QByteArray("Fatal signal 11 (SIGSEGV) in the previous run"));
    EXPECT_TRUE(test::waitUntil([&] {
        return QDir(m_settings.path() + QStringLiteral("/unsent_reports")).entryList(QDir::Files).isEmpty();
    }, 10000));
}

TEST_F(ClosingRun, ClosingWithAReportDialogOpenEndsAndLeavesTheQueueForResume)
{
    QProcess &first = start(maker.host(), {pasteFile()});
    const uint32_t window = m_x.waitForWindow(kTitle, kStartMs);
    ASSERT_NE(window, 0u) << first.readAll().toStdString();
    ASSERT_TRUE(test::waitUntil([&] { return queued(); }, kStartMs));

    // Help, About (the menu's last item), Ctrl+B there: a report and its dialog, non-modal.
    m_x.focus(window);
    m_x.key(window, XK_h, 8 /* Alt */);
    m_x.key(window, XK_Up);
    m_x.key(window, XK_Return);
    const uint32_t about = m_x.waitForWindow(QStringLiteral("About Varnel Orvix Downloader"), 20000);
    ASSERT_NE(about, 0u);
    m_x.focus(about);
    m_x.key(about, XK_b, 4 /* Ctrl */);
    ASSERT_NE(m_x.waitForWindow(QStringLiteral("VarnelExcept"), 20000), 0u);
    m_x.key(about, XK_Escape);
    ASSERT_TRUE(m_x.waitUntilGone(QStringLiteral("About Varnel Orvix Downloader"), 10000));

    m_x.close(window);
    const qint64 ended = timeToEnd(first, 20000);
    std::cout << "closing with a report dialog open: " << ended << " ms to the end" << std::endl;
    ASSERT_GE(ended, 0) << "still running with its dialog";
    EXPECT_LT(ended, kClosingBoundMs);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(m_x.findWindow(QStringLiteral("VarnelExcept")), 0u);

    // The slot is free: the lines are there for resume, not held by a copy still running.
    const QString lines = pending();
    EXPECT_EQ(lines.count(QStringLiteral("/photos/alma/400")), 3) << lines.toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("(running)"))) << lines.toStdString();
    expectSecondStartWorks(start(maker.host()));
}

TEST_F(ClosingRun, SignalsCloseTheWindowInOrder)
{
    const QString thumbs = m_home.path() + QStringLiteral("/Pictures/Orvix Images/thumbs/");
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        ASSERT_TRUE(QDir().mkpath(thumbs));
        for (int i = 0; i < 651; ++i) {
            QFile f(thumbs + QStringLiteral("%1.jpg").arg(i));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        const QString sessionFile = m_settings.path() + QStringLiteral("/OrvixDownloader.Session.ini");
        QFile::remove(sessionFile);
        QProcess &p = start(maker.host(), {pasteFile()});
        ASSERT_NE(m_x.waitForWindow(kTitle, kStartMs), 0u) << p.readAll().toStdString();
        ASSERT_TRUE(test::waitUntil([&] { return queued(); }, kStartMs));

        ::kill(pid_t(p.processId()), sig);
        const qint64 ended = timeToEnd(p, 20000);
        std::cout << strsignal(sig) << ": " << ended << " ms to the end" << std::endl;
        ASSERT_GE(ended, 0);
        EXPECT_LT(ended, kClosingBoundMs);
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "ended by the signal itself";
        EXPECT_EQ(p.exitCode(), 0);
        EXPECT_TRUE(QFile::exists(sessionFile)) << "the session settings are written";
        EXPECT_EQ(QDir(thumbs).entryList(QDir::Files).size(), 500);
        EXPECT_FALSE(pending().contains(QStringLiteral("(running)")));
        EXPECT_TRUE(queued()) << "the lines stay for resume";

        QProcess &second = start(maker.host());
        expectSecondStartWorks(second);
        second.terminate();
        ASSERT_TRUE(second.waitForFinished(20000));
        QDir(m_settings.path() + QStringLiteral("/orvix_sessions")).removeRecursively();
    }
}
