// The maker's service from the command line: update-check, feedback and test-report, the same
// code the desktop program's windows use.
#include "cli_command.h"

#include "app/program_version.h"
#include "foundation/errors.h"
#include "foundation/thread_registry.h"
#include "foundation/thread_x.h"
#include "services/exception_reports.h"
#include "services/maker_posts.h"
#include "services/update_check.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace orvix::cli {

namespace {

bool unknownOptions(const QStringList &args, const char *command, TCliIo &io)
{
    for (const QString &a : args) {
        io.err << "orvix-cli " << command << ": unknown argument " << a << '\n';
        return true;
    }
    return false;
}

int runUpdateCheck(const QStringList &args, TCliIo &io)
{
    if (unknownOptions(args, "update-check", io))
        return ExitUsage;
    const TUpdateCheck check = FetchUpdateReply(WindowUpdateRequestUrl(UpdateServiceUrl(), ProgramVersionText()));
    const TUpdateReply reply = ParseUpdateReply(check.replyLines.join(QStringLiteral("\r\n")));
    if (!reply.usable || reply.latestVersion.isEmpty()) {
        io.err.lines(UpdateContactError(check.errorDetail)) << '\n';
        return ExitFailed;
    }
    io.out << UpdateStatusText(CompareBuilds(ProgramVersionText(), reply.latestVersion)) << '\n'
           << "latest version: " << reply.latestVersion << '\n'
           << "size: " << UpdateSizeText(reply.size) << '\n'
           << "url: " << reply.url << '\n';
    if (!reply.releaseNotes.isEmpty())
        io.out.lines(reply.releaseNotes) << '\n';
    return ExitOk;
}

int runFeedback(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    TFeedbackEntry entry;
    TakeOption(args, QStringLiteral("name"), entry.name);
    TakeOption(args, QStringLiteral("email"), entry.email);
    TakeOption(args, QStringLiteral("comments"), entry.comments);
    if (unknownOptions(args, "feedback", io))
        return ExitUsage;
    const int outcome = SendFeedback(entry);
    if (outcome == 0) {
        io.out << "Thank you for your feedback\n";
        return ExitOk;
    }
    io.err.lines(FeedbackFailureMessage(outcome)) << '\n';
    return ExitFailed;
}

int runTestReport(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    const bool onThread = args.removeAll(QStringLiteral("--thread")) > 0;
    if (unknownOptions(args, "test-report", io))
        return ExitUsage;
    ThreadRegistry threads;
    TExceptionReports reports(threads);
    reports.retryPauseMs = 200;
    if (onThread) {
        TThreadX::StartNew([] { throw EOrvix(QStringLiteral("test thread exception x1")); }, &threads);
    } else {
        try {
            throw EOrvix(QStringLiteral("test gui exception"));
        } catch (...) {
            reports.ShowExceptionGui(std::current_exception());
        }
    }
    QElapsedTimer clock;
    clock.start();
    while (reports.postsDone() + reports.postsFailed() == 0 && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (const QString &line : reports.lastReport().report)
        io.out << line << '\n';
    if (reports.postsDone() == 0) {
        io.err << "orvix-cli test-report: the report could not be posted\n";
        return ExitFailed;
    }
    return ExitOk;
}

const TCliRegistration updateCheck({QStringLiteral("update-check"), QString(),
                                    QStringLiteral("ask the maker's service for a newer version"), &runUpdateCheck});
const TCliRegistration feedback({QStringLiteral("feedback"), QStringLiteral("--name= --email= --comments="),
                                 QStringLiteral("send feedback to the maker"), &runFeedback});
const TCliRegistration testReport({QStringLiteral("test-report"), QStringLiteral("[--thread]"),
                                   QStringLiteral("raise a test exception, post its report and print it"),
                                   &runTestReport});

} // namespace

} // namespace orvix::cli
