#include "download_run.h"

#include "cli_browser.h"

#include "app/headless_host.h"
#include "app/maker_host.h"
#include "app/output_folder.h"
#include "foundation/main_thread_call.h"
#include "app/program_context.h"
#include "app/queue_commands.h"
#include "app/program_settings.h"
#include "app/settings_file.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/formats.h"
#include "foundation/paths.h"
#include "foundation/text_list.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "queue/incomplete_session.h"
#include "queue/queue_state.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace orvix::cli {

namespace {

std::atomic<int> g_stopRequests{0};

void onStopSignal(int)
{
    // The first asks for a clean stop (a download under way is broken off, its line kept); a
    // second ends at once (the item files are whole, so the lines still resume).
    if (g_stopRequests.fetch_add(1) >= 1) {
        static const char text[] = "\norvix-cli: stopped at once\n";
        (void)!::write(STDERR_FILENO, text, sizeof text - 1);
        ::_exit(ExitFailed);
    }
}

void installStopSignals()
{
    struct sigaction action{};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The pictures folder the desktop program is set to, read without touching its settings file.
// problem tells why a settings file that exists gives none.
QString configuredPicturesFolder(QString &problem)
{
    const QString file = SettingsPath(ApplicationSettingsFileName());
    QStringList lines;
    if (!LoadListRetry(lines, file)) {
        problem = QStringLiteral("the settings file ") + file + QStringLiteral(" cannot be read");
        return {};
    }
    if (!lines.isEmpty() && !HasSection(lines, QStringLiteral("edOutputPath.Text")))
        problem = QStringLiteral("the settings file ") + file + QStringLiteral(" names no pictures folder");
    return Unescape(GetSectionValue(lines, QStringLiteral("edOutputPath.Text"))).trimmed();
}

// Why folder cannot take pictures (it is created when missing); empty when it can.
QString unusableFolderReason(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QStringLiteral("it is not a folder");
    if (!info.exists() && !QDir().mkpath(folder))
        return QStringLiteral("it cannot be created");
    if (!CanWriteToFolder(folder))
        return QStringLiteral("it cannot be written to");
    return {};
}

int terminalColumns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10)
        return size.ws_col;
    return 100;
}

bool allowedSubfolderCharacter(QChar c)
{
    if (c.unicode() >= 128)
        return true;
    return c.isLetterOrNumber() || QStringView(u" '+,-.[]^_~").contains(c);
}

} // namespace

TDownloadRun::TDownloadRun(TCliIo &io) : m_io(io)
{
    AddProgramSettingsControls(m_controls);
}

TDownloadRun::~TDownloadRun()
{
    if (m_context)
        m_context->StopWorkers();
}

bool TDownloadRun::takeCommonOptions(QStringList &args, const QString &command)
{
    const QString prefix = QStringLiteral("orvix-cli ") + command + QStringLiteral(": ");
    if (TakeOption(args, QStringLiteral("settings"), m_settingsFolder) && m_settingsFolder.trimmed().isEmpty()) {
        m_io.err << prefix << "--settings needs a folder\n";
        return false;
    }
    if (TakeOption(args, QStringLiteral("out"), m_outFolder)) {
        if (m_outFolder.trimmed().isEmpty()) {
            m_io.err << prefix << "--out needs a folder\n";
            return false;
        }
        if (m_outFolder.contains(u'|')) {
            m_io.err << prefix << "--out may not hold \"|\" (it separates the parts of a queue line)\n";
            return false;
        }
        // Start-up moves into the settings folder: a relative folder is meant from here.
        m_outFolder = WithoutTrailingDots(QDir::cleanPath(QDir::current().absoluteFilePath(m_outFolder)));
        const QString reason = unusableFolderReason(m_outFolder);
        if (!reason.isEmpty()) {
            m_io.err << prefix << "--out " << m_outFolder << " cannot be used: " << reason << '\n';
            return false;
        }
    }
    QString retries;
    if (TakeOption(args, QStringLiteral("retries"), retries)) {
        bool ok = false;
        m_retries = retries.toInt(&ok);
        if (!ok || m_retries < 1) {
            m_io.err << prefix << "--retries needs a whole number of at least 1, not \"" << retries << "\"\n";
            return false;
        }
    }
    return true;
}

bool TDownloadRun::start()
{
    QStringList startArgs{QStringLiteral("site=") + SiteHost(), QStringLiteral("maker=") + MakerHost()};
    if (!m_settingsFolder.isEmpty())
        startArgs << QStringLiteral("settings=") + QFileInfo(m_settingsFolder).absoluteFilePath();
    try {
        if (PrepareProgramStart(startArgs) == StartOutcome::EndProcess) {
            m_io.err << "orvix-cli: the settings must first be moved by the desktop program\n";
            return false;
        }
        m_context = std::make_unique<ProgramContext>(m_controls);
        m_context->PrepareDataFiles();
        // Without a slot "Could not initialize session" has been said already.
        if (!m_context->StartSession())
            return false;
        m_context->LoadPictureDatabase();
        if (m_outFolder.isEmpty()) {
            QString problem;
            const QString configured = configuredPicturesFolder(problem);
            const QString folder = m_context->EnsurePicturesFolder(configured);
            if (problem.isEmpty() && !configured.isEmpty() && QDir::cleanPath(folder) != QDir::cleanPath(configured))
                problem = QStringLiteral("the pictures folder of the settings, ") + configured
                          + QStringLiteral(", cannot be used");
            if (!problem.isEmpty())
                m_io.err << "orvix-cli: " << problem << "; pictures are saved in " << folder << '\n';
        } else {
            m_context->EnsurePicturesFolder(m_outFolder);
        }
        m_context->LoadFilesDatabase();
        m_context->CreateQueues(m_context->queueRows());
    } catch (const std::exception &e) {
        m_io.err << "orvix-cli: " << exceptionMessage(e) << '\n';
        return false;
    }
    m_bridge = std::make_unique<TMainThreadBridge>();
    m_host = std::make_unique<THeadlessHost>(queues(), m_context->queueRows(), m_context->pictures(), *m_bridge);
    m_host->setFolders(m_context->outputFolder(), QString());
    if (BrowserAvailable())
        m_host->setPageLoaderFactory(&CliPageLoader);
    m_context->SetWorkerHost(m_host.get());
    m_context->setMaxFailedPasses(m_retries);
    return true;
}

QueueState &TDownloadRun::queues()
{
    return m_context->queues();
}

QString TDownloadRun::targetFolder(const QString &subfolder) const
{
    return DownloadTargetFolder(m_context->outputFolder(), subfolder);
}

std::unique_ptr<FoundSession> TDownloadRun::findIncompleteSession(bool *failed)
{
    try {
        return m_context->FindIncompleteSession();
    } catch (const std::exception &e) {
        m_io.err << "orvix-cli: cannot look for an earlier run's lines: " << exceptionMessage(e) << '\n';
        if (failed)
            *failed = true;
        return nullptr;
    }
}

bool TDownloadRun::queuePage(const QString &url, const QString &line)
{
    try {
        queues().QueuePage(url, line);
        return true;
    } catch (const std::exception &e) {
        m_io.err << "orvix-cli: " << url << " cannot be kept for a later resume: " << exceptionMessage(e) << '\n';
        markIncomplete();
        return false;
    }
}

void TDownloadRun::mentionIncompleteSession()
{
    const std::unique_ptr<FoundSession> found = findIncompleteSession();
    if (found)
        m_io.err << "orvix-cli: an earlier run left " << found->entries().size() << " lines in "
                 << found->name() << "; \"orvix-cli resume\" takes them up, \"orvix-cli discard\" drops them\n";
}

int TDownloadRun::runQueues()
{
    m_terminal = ::isatty(STDERR_FILENO);
    g_stopRequests = 0;
    installStopSignals();
    m_context->StartPageWorker();
    m_context->StartMediaWorker();

    QEventLoop loop;
    QTimer tick;
    tick.setInterval(100);
    bool stopped = false;
    const auto check = [&] {
        printProgress(false);
        if (g_stopRequests > 0) {
            stopped = true;
            loop.quit();
        } else if (queues().PageQueue.Count() == 0 && queues().MediaQueue.Count() == 0) {
            // The page queue first: a page line leaves only after the lines it made were queued.
            loop.quit();
        }
    };
    QObject::connect(&tick, &QTimer::timeout, &loop, check);
    // At once too: a run with nothing queued ends without waiting for the first tick.
    QTimer::singleShot(0, &loop, check);
    tick.start();
    loop.exec();
    tick.stop();
    if (stopped) {
        // As the pause button: no worker takes up another line while the run winds down; what
        // is under way is broken off by the close and kept with the rest for resume.
        if (!m_context->run().QueuePaused)
            m_context->queueCommands().TogglePause();
        clearLiveLine();
        m_io.err << "orvix-cli: stopping; what is left stays for resume\n";
        m_io.err.flush();
    }
    m_context->StopWorkers();
    printProgress(true);
    return summary(stopped);
}

void TDownloadRun::printProgress(bool final)
{
    QStringList lines;
    m_host->DrainMessages([&](const QString &message) { lines << message; });
    lines << m_host->takeEvents();
    if (!lines.isEmpty()) {
        clearLiveLine();
        for (const QString &line : std::as_const(lines))
            m_io.err << line << '\n';
    }
    if (m_terminal && !final) {
        // A download's progress while there is one, else what the workers are busy with.
        const DownloadProgress downloading = m_host->downloading();
        const QString activity = downloading.downloading() ? downloading.text()
                                                           : QStringLiteral("working on ") + m_host->workingOn();
        const QString live = QStringLiteral("[%1 saved, %2 pictures and %3 pages queued] %4")
                                 .arg(m_host->savedCount())
                                 .arg(queues().MediaQueue.Count())
                                 .arg(queues().PageQueue.Count())
                                 .arg(activity);
        m_io.err << "\r\033[K" << live.left(terminalColumns() - 1);
        m_liveLineShown = true;
    }
    m_io.err.flush();
}

void TDownloadRun::clearLiveLine()
{
    if (m_liveLineShown)
        m_io.err << "\r\033[K";
    m_liveLineShown = false;
}

int TDownloadRun::summary(bool stopped)
{
    clearLiveLine();
    const QStringList failed = m_context->queueRows().captionsWithStatus(RowStatus::Failed);
    const int left = queues().PageQueue.Count() + queues().MediaQueue.Count();
    // Lines resumed or given another folder save elsewhere than the pictures folder: the
    // summary names where the pictures are.
    const QList<QPair<QString, int>> folders = m_host->savedFolders();
    QStringList where;
    for (const auto &[folder, count] : folders)
        where << (folders.size() == 1 ? folder : folder + QStringLiteral(" (%1)").arg(count));
    m_io.err << FormatCount(m_host->savedCount()) << " pictures saved in "
             << (where.isEmpty() ? m_context->outputFolder() : where.join(QStringLiteral(", "))) << '\n';
    for (const QString &caption : failed)
        m_io.err << "failed: " << RowCaptionUrl(caption) << '\n';
    if (m_host->privateSkipped() > 0)
        m_io.err << m_host->privateSkipped()
                 << " private pictures skipped: approve them in the browser, then queue them again\n";
    if (!failed.isEmpty() || left > 0)
        m_io.err << "The unfinished lines stay in the session: \"orvix-cli resume\" tries them again.\n";
    m_io.err.flush();
    const bool complete =
        failed.isEmpty() && left == 0 && m_host->privateSkipped() == 0 && !stopped && !m_incomplete;
    return complete ? ExitOk : ExitFailed;
}

bool TakeSizeOption(QStringList &args, TCliIo &io, const QString &command, QString &size)
{
    size = QStringLiteral("2");
    QString value;
    if (!TakeOption(args, QStringLiteral("size"), value))
        return true;
    if (value != QLatin1String("0") && value != QLatin1String("1") && value != QLatin1String("2")) {
        io.err << "orvix-cli " << command << ": --size is 0 (current), 1 (large) or 2 (original), not \"" << value
               << "\"\n";
        return false;
    }
    size = value;
    return true;
}

bool TakeSubfolderOption(QStringList &args, TCliIo &io, const QString &command, QString &subfolder)
{
    if (!TakeOption(args, QStringLiteral("subfolder"), subfolder))
        return true;
    if (subfolder == QLatin1String(".") || subfolder == QLatin1String("..")) {
        io.err << "orvix-cli " << command << ": --subfolder may not be \"" << subfolder << "\"\n";
        return false;
    }
    for (const QChar c : std::as_const(subfolder)) {
        if (!allowedSubfolderCharacter(c)) {
            io.err << "orvix-cli " << command << ": --subfolder may hold letters, digits and  '+,-.[]^_~ only, not \""
                   << QString(c) << "\"\n";
            return false;
        }
    }
    return true;
}

bool NoOptionsLeft(const QStringList &args, TCliIo &io, const QString &command)
{
    for (const QString &a : args) {
        if (a.startsWith(QStringLiteral("--"))) {
            io.err << "orvix-cli " << command << ": unknown option " << a << '\n';
            return false;
        }
    }
    return true;
}

} // namespace orvix::cli
