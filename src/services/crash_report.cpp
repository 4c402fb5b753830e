#include "crash_report.h"

#include "exception_reports.h"

#include <QFile>

#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orvix {

namespace {

// The handler may use nothing that allocates or locks: everything it needs is ready here.
char reportPath[4096];
char tempPath[4096];
char altStack[64 * 1024];

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "signal";
    }
}

void writeText(int fd, const char *text)
{
    ssize_t ignored = write(fd, text, strlen(text));
    (void)ignored;
}

void writeNumber(int fd, long n)
{
    char digits[24];
    int i = sizeof(digits);
    digits[--i] = '\0';
    const bool negative = n < 0;
    unsigned long u = negative ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    do {
        digits[--i] = char('0' + u % 10);
        u /= 10;
    } while (u && i > 1);
    if (negative)
        digits[--i] = '-';
    writeText(fd, digits + i);
}

void onFatalSignal(int sig)
{
    const int fd = open(tempPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
        writeText(fd, "Fatal signal ");
        writeNumber(fd, sig);
        writeText(fd, " (");
        writeText(fd, signalName(sig));
        writeText(fd, ")\nThread Id: ");
        writeNumber(fd, long(syscall(SYS_gettid)));
        writeText(fd, "\n");
        void *frames[64];
        const int n = backtrace(frames, 64);
        backtrace_symbols_fd(frames, n, fd);
        fsync(fd);
        close(fd);
        rename(tempPath, reportPath);
    }
    // The usual end: the default action of the same signal (a core file where enabled).
    signal(sig, SIG_DFL);
    raise(sig);
}

} // namespace

void InstallFatalSignalReport(const QString &settingsFolder)
{
    const QByteArray path = QFile::encodeName(settingsFolder + QLatin1String(CrashReportFileName));
    const QByteArray temp = path + ".tmp";
    if (size_t(temp.size()) >= sizeof(tempPath))
        return;
    memcpy(reportPath, path.constData(), size_t(path.size()) + 1);
    memcpy(tempPath, temp.constData(), size_t(temp.size()) + 1);
    // backtrace() loads its unwinder on first use, which must not happen inside the handler.
    void *warm[2];
    backtrace(warm, 2);
    // A stack overflow leaves no stack to run the handler on.
    stack_t stack{};
    stack.ss_sp = altStack;
    stack.ss_size = sizeof(altStack);
    sigaltstack(&stack, nullptr);
    struct sigaction sa = {};
    sa.sa_handler = onFatalSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_ONSTACK | SA_RESETHAND;
    for (int sig : kFatalSignals)
        sigaction(sig, &sa, nullptr);
}

bool PostPendingCrashReport(TExceptionReports &reports, const QString &settingsFolder)
{
    QFile file(settingsFolder + QLatin1String(CrashReportFileName));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    file.close();
    file.remove();
    if (lines.isEmpty())
        return false;
    const QString message = lines.first() + QStringLiteral(" in the previous run");
    QStringList report{QStringLiteral("[crashed thread]")};
    report << lines.mid(1);
    reports.SendReportAsync(message, report, QString());
    return true;
}

} // namespace orvix
