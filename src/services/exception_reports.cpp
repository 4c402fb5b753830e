#include "exception_reports.h"

#include "machine_info.h"
#include "report_scramble.h"
#include "winhttp_x.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "foundation/errors.h"
#include "foundation/text.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>

#include <cxxabi.h>

namespace orvix {

namespace {

QString demangled(const char *name)
{
    int status = 0;
    char *plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    QString text = QString::fromLatin1(status == 0 && plain ? plain : name);
    std::free(plain);
    return text.mid(text.lastIndexOf(QLatin1String("::")) < 0 ? 0 : text.lastIndexOf(QLatin1String("::")) + 2);
}

void describe(std::exception_ptr error, TExceptionX &x)
{
    try {
        std::rethrow_exception(error);
    } catch (const EOrvix &e) {
        x._exceptionMessage = e.message();
        x._exceptionClassName = demangled(typeid(e).name());
    } catch (const std::exception &e) {
        x._exceptionMessage = QString::fromUtf8(e.what());
        x._exceptionClassName = demangled(typeid(e).name());
    } catch (...) {
        x._exceptionMessage = QStringLiteral("Unknown exception");
        x._exceptionClassName = QStringLiteral("unknown");
    }
}

void runOnMainThread(const std::function<void()> &fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() == app->thread())
        fn();
    else // never waits: a worker that the main thread is waiting for must not wait back
        QMetaObject::invokeMethod(app, fn, Qt::QueuedConnection);
}

} // namespace

QString UpTimeSpan(qint64 seconds)
{
    const QString sign = seconds < 0 ? QStringLiteral("(-)") : QString();
    qint64 s = std::abs(seconds);
    const qint64 parts[] = {s / 86400, (s / 3600) % 24, (s / 60) % 60, s % 60};
    const char *units[] = {"d", "h", "m", "s"};
    QStringList out;
    for (int i = 0; i < 4; ++i)
        if (parts[i] != 0)
            out << QString::number(parts[i]) + QLatin1String(units[i]);
    return sign + (out.isEmpty() ? QStringLiteral("0s") : out.join(u' '));
}

QString ReportMessageText(const QString &message)
{
    return message.endsWith(u'.') ? message : message + u'.';
}

TExceptionReports::TExceptionReports(ThreadRegistry &registry)
    : m_registry(registry), m_mainThread(pthread_self()), m_mainThreadId(CurrentThreadId()),
      m_started(QDateTime::currentDateTime())
{
    if (!ThrowHookLinked()) // never false; the call keeps the throw hook in the program
        return;
    InstallStackSignal();
    m_registry.setFatalHandler([this](std::exception_ptr error, const RegisteredThread &thread) {
        ShowExceptionThread(error, thread);
    });
}

TExceptionReports::~TExceptionReports()
{
    m_registry.setFatalHandler({});
    std::list<std::thread> senders;
    {
        std::lock_guard lock(m_lock);
        senders.swap(m_senders);
    }
    for (std::thread &t : senders)
        t.join();
}

void TExceptionReports::BeginClosing()
{
    ShutdownSignal = true;
    ShowDialogFlag = false;
    SendReportFlag = false;
}

void TExceptionReports::AddActivity(int kind, const QString &url)
{
    RecentActivityList.Add(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                           + QStringLiteral(": [%1] ").arg(kind) + url);
}

QString TExceptionReports::TakeRecentActivity()
{
    QStringList &lines = RecentActivityList.LockList();
    while (lines.size() > 10)
        lines.removeFirst();
    QString text;
    for (const QString &line : std::as_const(lines))
        text += line + QStringLiteral("\r\n");
    lines.clear();
    RecentActivityList.UnlockList();
    return text;
}

QString TExceptionReports::UpTimeText() const
{
    return TextFormatBraces(u"Program up time:::{0} {1}",
                            QStringList{UpTimeSpan(m_started.secsTo(QDateTime::currentDateTime())),
                                        ShutdownSignal ? QStringLiteral("(closing);") : QStringLiteral("(running)")})
           + QStringLiteral("\r\n");
}

TExceptionReport TExceptionReports::BuildReport(const TExceptionX &x, const QString &additionalData) const
{
    TExceptionReport r;
    r.message = x._exceptionMessage;
    r.className = x._exceptionClassName;
    r.additionalData = additionalData;
    r.details = x._exceptionMessage.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    QStringList &out = r.report;
    out << QStringLiteral("Main thread Id: %1").arg(m_mainThreadId)
        << QStringLiteral("Exception thread Id: %1").arg(x._threadId) << QString();
    auto section = [&r, &out](const QString &header, const QStringList &stack) {
        out << header << stack << QString();
        r.details << stack;
    };
    if (x.mainThread) {
        section(QStringLiteral("[main thread]"), RenderStack(x._threadStackList));
    } else {
        if (!x._threadStackList.empty())
            section(x._threadClassName.isEmpty() ? QStringLiteral("[exception thread]")
                                                 : u'[' + x._threadClassName + u']',
                    RenderStack(x._threadStackList));
        const StackFrames mainStack = ThreadStack(m_mainThread);
        if (!mainStack.empty())
            section(QStringLiteral("[main thread]"), RenderStack(mainStack));
    }
    // Copied under the registry's lock, stacks taken after.
    for (const RegisteredThread &t : m_registry.entries()) {
        if (t.threadId == x._threadId)
            continue; // its stack is above already
        const StackFrames stack = ThreadStack(t.handle);
        if (!stack.empty())
            section(u'[' + t.className + u']', RenderStack(stack));
    }
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    out << QStringLiteral("Addition info:")
        << QStringLiteral("Date: %1.").arg(locale.toString(now.date(), QLocale::ShortFormat) + u' '
                                          + locale.toString(now.time(), QLocale::LongFormat))
        << QStringLiteral("Application title: %1").arg(QCoreApplication::applicationName())
        << QStringLiteral("Application file: %1").arg(QCoreApplication::applicationFilePath())
        << QStringLiteral("ShutdownSignal: %1").arg(ShutdownSignal ? QStringLiteral("True") : QStringLiteral("False"))
        << QStringLiteral("Exception class: %1").arg(x._exceptionClassName)
        << QStringLiteral("Exception message: %1").arg(ReportMessageText(x._exceptionMessage))
        << QStringLiteral("Exception address: %1").arg(x._exceptionExceptAddr, 8, 16, QLatin1Char('0')).toUpper()
        << MachineInfoLines(displayLine);
    return r;
}

void TExceptionReports::ShowExceptionGui(std::exception_ptr error)
{
    try {
        HandleExceptionX(error, nullptr);
    } catch (...) {
        // A failing report never makes a second one.
    }
}

void TExceptionReports::ShowExceptionThread(std::exception_ptr error, const RegisteredThread &thread)
{
    try {
        HandleExceptionX(error, &thread);
    } catch (...) {
    }
}

void TExceptionReports::HandleExceptionX(std::exception_ptr error, const RegisteredThread *thread)
{
    const QString additional = TakeRecentActivity();
    TExceptionX x;
    describe(error, x);
    x._threadStackList = LastThrowStack();
    if (!x._threadStackList.empty())
        x._exceptionExceptAddr = quintptr(x._threadStackList.front());
    x.mainThread = !thread;
    x._threadId = thread ? thread->threadId : m_mainThreadId;
    if (thread)
        x._threadClassName = thread->className;
    const TExceptionReport report = BuildReport(x, additional);
    {
        std::lock_guard lock(m_lock);
        m_last = report;
    }
    if (SendReportFlag)
        SendReportAsync(report.message, report.report, additional);
    if (ShowDialogFlag && ShowDialog) {
        const QString details = report.details.join(QStringLiteral("\r\n"));
        runOnMainThread([this, message = report.message, details] {
            if (ShowDialogFlag && ShowDialog && OpenDialogs < MaxOpenDialogs)
                ShowDialog(message, details);
        });
    }
}

void TExceptionReports::SendReportAsync(const QString &message, const QStringList &report, const QString &additionalData)
{
    const QString url = MakerRoot() + QStringLiteral("/AppException.aspx");
    const QList<QPair<QString, QString>> fields = {
        {QStringLiteral("Application"), QFileInfo(QCoreApplication::applicationFilePath()).fileName()},
        {QStringLiteral("Build"), ProgramVersionText()},
        {QStringLiteral("Exception"), message},
        {QStringLiteral("ExceptionReport"), report.join(QStringLiteral("\r\n"))},
        {QStringLiteral("WindowsVersion"), OperatingSystemLine()},
        {QStringLiteral("Details"), ReportScramble(UpTimeText())},
        {QStringLiteral("AdditionalData"), ReportScramble(additionalData)},
    };
    std::lock_guard lock(m_lock);
    ++m_running;
    m_senders.emplace_back([this, url, fields, attempts = attempts, pause = retryPauseMs] {
        bool sent = false;
        try {
            TWinHttpX client;
            for (const auto &f : fields)
                client.AddMultipartVar(f.first, f.second);
            client.RequestMethod = THttpRequestMethod::HTTPrm_Post;
            for (int attempt = 0; attempt < attempts && !sent; ++attempt) {
                try {
                    client.ExecuteUrl(url);
                    sent = true;
                } catch (...) {
                    if (pause > 0)
                        std::this_thread::sleep_for(std::chrono::milliseconds(pause));
                }
            }
        } catch (...) {
        }
        std::lock_guard lock(m_lock);
        (sent ? m_postsDone : m_postsFailed)++;
        --m_running;
        m_postEnded.notify_all();
    });
}

bool TExceptionReports::WaitForPosts(int timeoutMs)
{
    std::unique_lock lock(m_lock);
    return m_postEnded.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_running == 0; });
}

TExceptionReport TExceptionReports::lastReport() const
{
    std::lock_guard lock(m_lock);
    return m_last;
}

} // namespace orvix
