// Exception reports: what is posted to the stand-in service, what is shown, and the report a
// crashed run leaves for the next start.
#include "services/crash_report.h"
#include "services/exception_reports.h"
#include "services/report_scramble.h"

#include "app/maker_host.h"
#include "foundation/errors.h"
#include "engine/worker_thread.h"
#include "foundation/run_control.h"
#include "foundation/thread_x.h"
#include "makerservice/maker_service.h"
#include "test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <csignal>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orvix;
using namespace orvix::makerservice;

namespace {

class ExceptionReports : public ::testing::Test
{
protected:
    void SetUp() override
    {
        maker.start();
        SetMakerHost(maker.host());
        reports.ShowDialog = [this](const QString &message, const QString &details) {
            shown << message;
            shownDetails << details;
            shownOnMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        };
    }
    void TearDown() override { SetMakerHost(QString()); }

    RecordedRequest onlyPost()
    {
        EXPECT_TRUE(reports.WaitForPosts(10000));
        const QList<RecordedRequest> posts = maker.requests(QStringLiteral("/AppException.aspx"));
        EXPECT_EQ(posts.size(), 1);
        return posts.isEmpty() ? RecordedRequest() : posts.first();
    }

    static void raise(const QString &message) { throw EOrvix(message); }
    void raiseInEventHandler(const QString &message)
    {
        try {
            raise(message);
        } catch (...) {
            reports.ShowExceptionGui(std::current_exception());
        }
    }

    MakerService maker;
    RunControl run{QDir::tempPath()};
    ThreadRegistry &registry = run.Threads;
    TExceptionReports reports{registry};
    QStringList shown;
    QStringList shownDetails;
    bool shownOnMainThread = false;
};

} // namespace

TEST(ReportScramble, EachByteGivesTwoDigitsAndReadsBack)
{
    EXPECT_EQ(ReportScramble(QString()), QString());
    // The first byte is XORed with the key's second byte: 583219 >> 8 & 255 = 0xE6.
    EXPECT_EQ(ReportScramble(QStringLiteral("A")), QStringLiteral("A7"));
    const QString text = QStringLiteral("Program up time:::1d 2h (running) é\r\n");
    const QString scrambled = ReportScramble(text);
    EXPECT_EQ(scrambled.size(), text.toUtf8().size() * 2);
    EXPECT_EQ(scrambled, scrambled.toUpper());
    EXPECT_EQ(QString::fromUtf8(ReportUnscramble(scrambled)), text);
    EXPECT_EQ(ReportScramble8Bit(QStringLiteral("000012#2026")).size(), 22);
}

TEST(ReportTexts, UpTimeAndMessage)
{
    struct Case { qint64 seconds; const char *text; };
    const Case cases[] = {{0, "0s"}, {93784, "1d 2h 3m 4s"}, {3600, "1h"}, {86405, "1d 5s"}, {-61, "(-)1m 1s"}};
    for (const Case &c : cases)
        EXPECT_EQ(UpTimeSpan(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
    EXPECT_EQ(ReportMessageText(QStringLiteral("Disk full")), QStringLiteral("Disk full."));
    EXPECT_EQ(ReportMessageText(QStringLiteral("Disk full.")), QStringLiteral("Disk full."));
}

TEST_F(ExceptionReports, MainThreadExceptionIsPostedOnceAndShown)
{
    for (int i = 1; i <= 25; ++i)
        reports.AddActivity(i % 2 ? 1 : 2, QStringLiteral("http://site/page%1").arg(i));
    raiseInEventHandler(QStringLiteral("Disk full"));

    const RecordedRequest post = onlyPost();
    EXPECT_EQ(post.fieldNames(), (QStringList{"Application", "Build", "Exception", "ExceptionReport", "WindowsVersion",
                                             "Details", "AdditionalData"}));
    EXPECT_EQ(post.field(QStringLiteral("Exception")), QByteArray("Disk full"));
    const QString report = QString::fromUtf8(post.field(QStringLiteral("ExceptionReport")));
    const QStringList lines = report.split(QStringLiteral("\r\n"));
    ASSERT_GT(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Main thread Id: ")));
    EXPECT_EQ(lines[1].mid(21), lines[0].mid(16)); // the exception thread is the main thread
    EXPECT_EQ(lines[3], QStringLiteral("[main thread]"));
    EXPECT_EQ(report.count(QStringLiteral("[main thread]")), 1);
    EXPECT_TRUE(report.contains(QStringLiteral("raise"))) << "the throw site is in the stack:\n" << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("\r\nException message: Disk full.\r\n")));
    EXPECT_TRUE(report.contains(QStringLiteral("\r\nException class: EOrvix\r\n")));
    // The label as written, the address alone in upper-case hexadecimal.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\r\nException address: [0-9A-F]{8,16}\r\n")).match(report).hasMatch())
        << report.toStdString();
    for (const char *line : {"Addition info:", "System   : ", "Processor: ", "Memory: ", "Display  : "})
        EXPECT_TRUE(report.contains(QLatin1String(line))) << line;

    const QString upTime = QString::fromUtf8(ReportUnscramble(QString::fromLatin1(post.field(QStringLiteral("Details")))));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Program up time:::\\d+s \\(running\\)\r\n$")).match(upTime).hasMatch())
        << upTime.toStdString();
    const QStringList activity = QString::fromUtf8(ReportUnscramble(QString::fromLatin1(post.field(QStringLiteral("AdditionalData")))))
                                     .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(activity.size(), 10);
    EXPECT_TRUE(activity.first().endsWith(QStringLiteral(": [2] http://site/page16")));
    EXPECT_TRUE(activity.last().endsWith(QStringLiteral(": [1] http://site/page25")));
    EXPECT_EQ(reports.RecentActivityList.Count(), 0);

    EXPECT_EQ(shown, QStringList{QStringLiteral("Disk full")});
    EXPECT_TRUE(shownDetails.first().startsWith(QStringLiteral("Disk full\r\n")));
    EXPECT_FALSE(shownDetails.first().contains(QStringLiteral("[main thread]")));
}

TEST_F(ExceptionReports, WorkerExceptionNamesItsThreadThenTheMainThread)
{
    TThreadX::StartNew([] { throw EOrvix(QStringLiteral("test thread exception x1")); }, &registry);
    ASSERT_TRUE(test::waitUntil([this] { return !shown.isEmpty(); }, 10000));
    const RecordedRequest post = onlyPost();
    const QString report = QString::fromUtf8(post.field(QStringLiteral("ExceptionReport")));
    const qsizetype own = report.indexOf(QStringLiteral("\r\n[TThreadX]\r\n"));
    const qsizetype main = report.indexOf(QStringLiteral("\r\n[main thread]\r\n"));
    EXPECT_GE(own, 0) << report.toStdString();
    EXPECT_GT(main, own) << report.toStdString();
    EXPECT_NE(report.section(QStringLiteral("\r\n"), 0, 0).mid(16), report.section(QStringLiteral("\r\n"), 1, 1).mid(21));
    EXPECT_EQ(shown, QStringList{QStringLiteral("test thread exception x1")});
    EXPECT_TRUE(shownOnMainThread);
}

namespace {
// A download worker whose loop ends by an exception it did not catch.
class BrokenWorker : public TWorkerThread
{
public:
    using TWorkerThread::TWorkerThread;
    std::atomic<bool> hadAltStack{false};

protected:
    void Execute() override
    {
        stack_t stack{};
        hadAltStack = sigaltstack(nullptr, &stack) == 0 && !(stack.ss_flags & SS_DISABLE);
        throw std::runtime_error("queue line broke the worker");
    }
    QString ThreadClassName() const override { return QStringLiteral("TBrokenWorker"); }
};
} // namespace

TEST_F(ExceptionReports, DownloadWorkerEndedByAnExceptionIsReportedUnderItsClass)
{
    BrokenWorker worker(run, WorkerTiming{});
    worker.Start();
    worker.WaitFor();
    ASSERT_TRUE(test::waitUntil([this] { return !shown.isEmpty(); }, 10000));
    const QString report = QString::fromUtf8(onlyPost().field(QStringLiteral("ExceptionReport")));
    EXPECT_TRUE(report.contains(QStringLiteral("\r\n[TBrokenWorker]\r\n"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("\r\nException message: queue line broke the worker.\r\n")));
    EXPECT_EQ(shown, QStringList{QStringLiteral("queue line broke the worker")});
    // A stack overflow in a worker must still find a stack to report on.
    EXPECT_TRUE(worker.hadAltStack);
    EXPECT_TRUE(registry.entries().isEmpty());
}

TEST_F(ExceptionReports, UpToElevenDialogsAreShownAndEveryReportIsSent)
{
    struct Case { int open; bool shown; };
    for (const Case c : {Case{10, true}, Case{11, false}}) {
        SCOPED_TRACE(c.open);
        maker.resetRequests();
        shown.clear();
        reports.OpenDialogs = c.open;
        raiseInEventHandler(QStringLiteral("one more"));
        onlyPost();
        EXPECT_EQ(shown.size(), c.shown ? 1 : 0);
    }
}

TEST_F(ExceptionReports, ClosingShowsAndSendsNothingButTakesTheActivity)
{
    reports.AddActivity(1, QStringLiteral("http://site/a"));
    reports.BeginClosing();
    raiseInEventHandler(QStringLiteral("while closing"));
    EXPECT_TRUE(reports.WaitForPosts(1000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(maker.requests().isEmpty());
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(reports.RecentActivityList.Count(), 0);
    EXPECT_TRUE(reports.lastReport().report.join(u'\n').contains(QStringLiteral("ShutdownSignal: True")));
}

TEST_F(ExceptionReports, CrashBySignalLeavesAReportTheNextStartPosts)
{
    QTemporaryDir folder;
    const QString settings = folder.path() + u'/';
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstallFatalSignalReport(settings);
        // A real fault on a page nothing may touch (a null store would be caught as undefined
        // behaviour first in the sanitizer build).
        void *page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        *static_cast<volatile int *>(page) = 1;
        _exit(0); // not reached
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    QFile file(settings + QLatin1String(CrashReportFileName));
    ASSERT_TRUE(file.exists());

    ASSERT_TRUE(PostPendingCrashReport(reports, settings));
    const RecordedRequest post = onlyPost();
    EXPECT_EQ(post.field(QStringLiteral("Exception")), QByteArray("Fatal signal 11 (SIGSEGV) in the previous run"));
    const QString report = QString::fromUtf8(post.field(QStringLiteral("ExceptionReport")));
    EXPECT_TRUE(report.contains(QStringLiteral("Thread Id: "))) << report.toStdString();
    EXPECT_GE(report.count(QStringLiteral("\r\n")), 3) << "the stack frames follow";
    EXPECT_FALSE(file.exists());
    EXPECT_FALSE(PostPendingCrashReport(reports, settings));
}
