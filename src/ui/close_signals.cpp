#include "close_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orvix {

namespace {

const int kCloseSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler can reach nothing but a process-wide value: the pipe's write end, set
// while one TCloseSignals exists.
volatile sig_atomic_t closeSignalPipe = -1;

void onCloseSignal(int sig)
{
    const int fd = closeSignalPipe;
    if (fd < 0)
        return;
    const unsigned char byte = static_cast<unsigned char>(sig);
    const int saved = errno;
    ssize_t ignored = write(fd, &byte, 1);
    (void)ignored;
    errno = saved;
}

} // namespace

TCloseSignals::TCloseSignals(QObject *parent) : QObject(parent)
{
    if (pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their usual actions
    closeSignalPipe = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TCloseSignals::onReadable);
    struct sigaction sa = {};
    sa.sa_handler = onCloseSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : kCloseSignals)
        sigaction(sig, &sa, nullptr);
}

TCloseSignals::~TCloseSignals()
{
    if (m_pipe[0] < 0)
        return;
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int sig : kCloseSignals)
        sigaction(sig, &sa, nullptr);
    closeSignalPipe = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TCloseSignals::onReadable()
{
    unsigned char byte = 0;
    while (read(m_pipe[0], &byte, 1) == 1)
        Q_EMIT closeRequested(byte);
}

} // namespace orvix
