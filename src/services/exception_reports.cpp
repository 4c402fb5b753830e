#include "exception_reports.h"

#include "machine_info.h"
#include "report_scramble.h"
#include "winhttp_x.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "foundation/durable_file.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>

#include <cxxabi.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    FinishPosts();
}

void TExceptionReports::FinishPosts(int waitMs)
{
    WaitForPosts(waitMs);
    m_stopPosts = true;
    std::list<std::thread> senders;
    {
        std::lock_guard lock(m_lock);
        senders.swap(m_senders);
    }
    for (std::thread &t : senders)
        t.join();
}

void TExceptionReports::KeepUnsentReportsIn(const QString &folder)
{
    std::lock_guard lock(m_lock);
    m_unsentFolder = IncludeTrailingBackslash(folder);
}

QString TExceptionReports::newUnsentFileName()
{
    std::lock_guard lock(m_lock);
    return m_unsentFolder + QStringLiteral("report_%1_%2_%3.json")
                                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss_zzz")))
                                .arg(getpid())
                                .arg(++m_unsentCount);
}

int TExceptionReports::PostUnsentReports()
{
    QString folder;
    {
        std::lock_guard lock(m_lock);
        folder = m_unsentFolder;
    }
    if (folder.isEmpty())
        return 0;
    int found = 0;
    const QStringList names = QDir(folder).entryList({QStringLiteral("report_*.json")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString path = folder + name;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Another copy posting it holds the lock; a file deleted before we had it is done.
        struct stat opened {}, named {};
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &opened) != 0
            || ::stat(QFile::encodeName(path).constData(), &named) != 0 || opened.st_ino != named.st_ino) {
            ::close(fd);
            continue;
        }
        QFile file;
        QByteArray bytes;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            bytes = file.readAll();
        file.close();
        Fields fields;
        for (const QJsonValue &pair : QJsonDocument::fromJson(bytes).object().value(QStringLiteral("fields")).toArray())
            fields.append({pair.toArray().at(0).toString(), pair.toArray().at(1).toString()});
        if (fields.isEmpty()) {
            LogMessage(QStringLiteral("unreadable unsent report dropped: ") + path);
            QFile::remove(path);
            ::close(fd);
            continue;
        }
        ++found;
        startPost(fields, path, fd);
    }
    return found;
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
        << QStringLiteral("Exception address: ") + QStringLiteral("%1").arg(x._exceptionExceptAddr, 8, 16, QLatin1Char('0')).toUpper()
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
    const Fields fields = {
        {QStringLiteral("Application"), QFileInfo(QCoreApplication::applicationFilePath()).fileName()},
        {QStringLiteral("Build"), ProgramVersionText()},
        {QStringLiteral("Exception"), message},
        {QStringLiteral("ExceptionReport"), report.join(QStringLiteral("\r\n"))},
        {QStringLiteral("WindowsVersion"), OperatingSystemLine()},
        {QStringLiteral("Details"), ReportScramble(UpTimeText())},
        {QStringLiteral("AdditionalData"), ReportScramble(additionalData)},
    };
    QString file;
    int fd = -1;
    bool keep = false;
    {
        std::lock_guard lock(m_lock);
        keep = !m_unsentFolder.isEmpty();
    }
    if (keep) {
        QJsonArray pairs;
        for (const auto &f : fields)
            pairs.append(QJsonArray{f.first, f.second});
        try {
            file = newUnsentFileName();
            if (WriteNewFileAtomic(file, QJsonDocument(QJsonObject{{QStringLiteral("fields"), pairs}}).toJson()))
                fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CLOEXEC);
            if (fd >= 0)
                flock(fd, LOCK_EX | LOCK_NB);
            else
                file.clear();
        } catch (const EOrvix &e) {
            LogMessage(QStringLiteral("report not kept: ") + e.message()); // it is still posted
            file.clear();
        }
    }
    startPost(fields, file, fd);
}

void TExceptionReports::startPost(const Fields &fields, const QString &lockedFile, int lockFd)
{
    const QString url = MakerRoot() + QStringLiteral("/AppException.aspx");
    std::lock_guard lock(m_lock);
    ++m_running;
    m_senders.emplace_back([this, url, fields, lockedFile, lockFd, attempts = attempts, pause = retryPauseMs,
                            connectMs = connectTimeoutMs, receiveMs = receiveTimeoutMs] {
        bool sent = false;
        try {
            TWinHttpX client;
            client.ConnectTimeout = connectMs;
            client.ReceiveTimeout = receiveMs;
            client.StopWhen = &m_stopPosts;
            for (const auto &f : fields)
                client.AddMultipartVar(f.first, f.second);
            client.RequestMethod = THttpRequestMethod::HTTPrm_Post;
            for (int attempt = 0; attempt < attempts && !sent && !m_stopPosts; ++attempt) {
                try {
                    client.ExecuteUrl(url);
                    sent = true;
                } catch (...) {
                    for (int waited = 0; waited < pause && !m_stopPosts; waited += 50)
                        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, pause - waited)));
                }
            }
        } catch (...) {
        }
        // Delivered or given up: the file goes. Cut short: it stays for the next start.
        if (!lockedFile.isEmpty() && (sent || !m_stopPosts))
            QFile::remove(lockedFile);
        if (lockFd >= 0)
            ::close(lockFd);
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
