#pragma once

// Exception reports: every exception that escapes a main-thread event handler or a registered
// thread's routine becomes a report (thread ids, stacks, this machine's facts), posted in the
// background to the maker's service and shown in a non-modal dialog. One object per run, owned
// by whoever runs the program (the main window, orvix-cli); nothing of it is process-wide.

#include "machine_info.h"
#include "stack_traces.h"

#include "foundation/thread_registry.h"
#include "foundation/thread_string_list.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace orvix {

// The texts of one report.
struct TExceptionReport
{
    QString message;
    QString className;
    QStringList report;  // sent
    QStringList details; // shown: the message and the stacks, without headers
    QString additionalData;
};

// What a report is built from.
struct TExceptionX
{
    long _threadId = 0;
    bool mainThread = true;
    QString _threadClassName;
    QString _exceptionMessage;
    QString _exceptionClassName;
    StackFrames _threadStackList; // at the throw
    quintptr _exceptionExceptAddr = 0;
};

class TExceptionReports
{
public:
    // Made on the main thread; registry: the run's threads, whose ends it reports.
    explicit TExceptionReports(ThreadRegistry &registry);
    ~TExceptionReports(); // waits for the posts under way
    TExceptionReports(const TExceptionReports &) = delete;
    TExceptionReports &operator=(const TExceptionReports &) = delete;

    std::atomic<bool> ShowDialogFlag{true};
    std::atomic<bool> SendReportFlag{true};
    std::atomic<bool> ShutdownSignal{false};
    // Closing: nothing more is shown or sent.
    void BeginClosing();

    // One line per page event: kind 1 new page text, 2 a document completed.
    void AddActivity(int kind, const QString &url);
    TThreadStringList RecentActivityList;

    // Shows a report (message, details) on the main thread; set by the window. Without it
    // nothing is shown.
    std::function<void(const QString &message, const QString &details)> ShowDialog;
    std::atomic<int> OpenDialogs{0}; // the dialog counts itself in and out
    // The report's display line; set by the window, which knows the screen.
    QString displayLine = DisplayLine(0, 0, 0);
    // Open at once at most; later reports are still sent.
    static constexpr int MaxOpenDialogs = 11;

    // Entry points; nothing raises past them.
    void ShowExceptionGui(std::exception_ptr error);
    void ShowExceptionThread(std::exception_ptr error, const RegisteredThread &thread);

    // Building blocks, public for the fatal-signal report and the tests.
    TExceptionReport BuildReport(const TExceptionX &x, const QString &additionalData) const;
    QString TakeRecentActivity(); // the last 10 lines, each ended by CR LF; the list is emptied
    QString UpTimeText() const;   // "Program up time:::1d 2h 3m 4s (running)" + CR LF
    void SendReportAsync(const QString &message, const QStringList &report, const QString &additionalData);

    // The posts: how many ended with an answer of the service, and a wait for those under way.
    int postsDone() const { return m_postsDone; }
    int postsFailed() const { return m_postsFailed; }
    bool WaitForPosts(int timeoutMs);
    int attempts = 6;      // per report
    int retryPauseMs = 0;  // between attempts
    // Each attempt gives up on a service that does not connect or goes silent this long.
    int connectTimeoutMs = 15000;
    int receiveTimeoutMs = 30000;

    // Closing waits this long for posts under way, then cuts them short: the main thread never
    // waits on the network for longer than that and about a second more.
    static constexpr int ClosingWaitMs = 1500;
    void FinishPosts(int waitMs = ClosingWaitMs);
    // With a folder (the window sets one), each report is kept there as a file until it is
    // delivered or given up after its attempts; a post cut short by closing or a crash stays
    // for PostUnsentReports of the next start. A file being posted is locked by its poster.
    void KeepUnsentReportsIn(const QString &folder);
    // Posts the reports earlier runs left unsent; the number found.
    int PostUnsentReports();
    // The last report built, for orvix-cli.
    TExceptionReport lastReport() const;

private:
    using Fields = QList<QPair<QString, QString>>;
    void HandleExceptionX(std::exception_ptr error, const RegisteredThread *thread);
    // Starts the post of fields; lockedFile (with its open, locked descriptor) is removed once
    // the report is delivered or given up.
    void startPost(const Fields &fields, const QString &lockedFile, int lockFd);
    QString newUnsentFileName();

    ThreadRegistry &m_registry;
    pthread_t m_mainThread;
    long m_mainThreadId;
    QDateTime m_started;
    mutable std::mutex m_lock;
    std::condition_variable m_postEnded;
    std::list<std::thread> m_senders;
    int m_running = 0;
    std::atomic<int> m_postsDone{0};
    std::atomic<int> m_postsFailed{0};
    std::atomic<bool> m_stopPosts{false};
    QString m_unsentFolder;
    int m_unsentCount = 0;
    TExceptionReport m_last;
};

// "1d 2h 3m 4s"; parts that are 0 are left out, "0s" when all are; "(-)" before a negative span.
QString UpTimeSpan(qint64 seconds);

// The message as the report quotes it: a "." added unless it ends with one.
QString ReportMessageText(const QString &message);

} // namespace orvix
