#include "program_context.h"
#include "queue_commands.h"

#include "maker_host.h"

#include "foundation/main_thread_call.h"
#include "output_folder.h"
#include "program_settings.h"
#include "settings_folder.h"
#include "settings_migration.h"
#include "worker_timing_env.h"

#include "engine/media_worker.h"
#include "engine/page_worker.h"
#include "engine/resume_check.h"
#include "engine/worker_host.h"
#include "foundation/command_line.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "queue/download_session.h"
#include "queue/incomplete_session.h"
#include "queue/queue_state.h"

#include <QCoreApplication>

namespace orvix {

StartSwitches StartSwitches::FromCommandLine()
{
    StartSwitches s;
    s.url = GetSwitchValue(QStringLiteral("url"));
    s.noMutex = HasSwitch(QStringLiteral("nomutex"));
    s.debug = HasSwitch(QStringLiteral("debug"));
    s.noInstall = HasSwitch(QStringLiteral("noinstall"));
    s.fakeDownload = HasSwitch(QStringLiteral("fake_download"));
    s.pasteFile = GetSwitchValue(QStringLiteral("paste"));
    s.removeText = GetSwitchValue(QStringLiteral("remove"));
    s.selectFrames = GetSwitchValue(QStringLiteral("select"));
    return s;
}

StartOutcome PrepareProgramStart(const QStringList &arguments)
{
    // Both executables name their data folders alike, so they share one settings folder.
    QCoreApplication::setApplicationName(QString::fromUtf16(kDataBaseName));
    SetCommandLineArgs(arguments);
    ChooseSiteHost();
    ChooseMakerHost();
    // The settings folder first: the transfer moves files into it.
    InitSettingsFolder();
    if (TransferSettingsFromProgramFilesToLocalSettings() == TransferOutcome::EndProcess)
        return StartOutcome::EndProcess;
    return StartOutcome::Continue;
}

ProgramContext::ProgramContext(ISettingsControls &controls, const QString &settingsFolder)
    : m_switches(StartSwitches::FromCommandLine()), m_run(settingsFolder),
      m_applicationSettings(controls, m_run.settingsFolder()),
      m_sessionSettings(controls, m_run.settingsFolder()),
      m_pictures(std::make_unique<PictureDatabase>(m_run.settingsFolder())), m_queueRows(m_run)
{
    m_run.debugMode = m_switches.debug;
    m_applicationSettings.setPropertiesList(ApplicationSettingsEntries());
    m_applicationSettings.setSaveFormSize(true);
    m_sessionSettings.setPropertiesList(SessionSettingsEntries());
    // Test runs and benchmarks of the whole program shorten the workers' waits from outside.
    m_workerTiming = ApplyWorkerTimingFromEnvironment(WorkerTiming());
}

ProgramContext::~ProgramContext()
{
    m_run.AppClosing = true;
    StopWorkers();
    m_queueCommands.reset();
    m_queues.reset();
    m_records.reset();
    m_session.reset(); // the slot is free again
}

bool ProgramContext::StartSession()
{
    m_session = std::make_unique<DownloadSession>();
    return m_session->Start(m_run.SettingsFile(QStringLiteral("orvix_sessions/")));
}

void ProgramContext::CreateQueues(IQueueView &view)
{
    ORVIX_ASSERT_MAIN_THREAD();
    m_records = std::make_unique<PictureDbRecords>(pictures());
    m_queues = std::make_unique<QueueState>(m_run, m_session->folders(), view, *m_records);
    m_queueCommands = std::make_unique<TQueueCommands>(*m_queues, m_queueRows);
}

std::unique_ptr<FoundSession> ProgramContext::FindIncompleteSession()
{
    return orvix::FindIncompleteSession(m_session->sessionsFolder(), m_queues->itemFiles());
}

void ProgramContext::PrepareDataFiles()
{
    RenameOlderSettingsFirstStep(settingsFolder());
    MergeOlderPositionsFile(settingsFolder());
    pictures().ConvertLegacyDatabases();
    RenameOlderSettingsSecondStep(settingsFolder());
}

void ProgramContext::LoadApplicationSettings()
{
    m_applicationSettings.SetSingleProject();
}

void ProgramContext::OpenSessionSettings()
{
    m_sessionSettings.SetSessionProject(PrepareOlderSessionFile(settingsFolder()));
}

void ProgramContext::LoadPictureDatabase()
{
    pictures().LoadImagesDb();
}

QString ProgramContext::EnsurePicturesFolder(const QString &configured)
{
    m_outputFolder = EnsureOutputFolder(configured, settingsFolder());
    return m_outputFolder;
}

void ProgramContext::LoadFilesDatabase()
{
    pictures().LoadOrRebuildFilesDb(m_outputFolder);
}

void ProgramContext::ResumeFoundSession(FoundSession &found)
{
    ORVIX_ASSERT_MAIN_THREAD();
    ForgetSavedPictures(found, m_queues->itemFiles());
    found.Resume(*m_queues);
}

void ProgramContext::StartPageWorker()
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (!m_workerHost || m_pageWorker)
        return;
    m_pageWorker = std::make_unique<TThreadDownloadPageItems>(*m_queues, *m_workerHost, m_workerTiming);
    m_pageWorker->Start();
}

void ProgramContext::StartMediaWorker()
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (!m_workerHost || m_mediaWorker)
        return;
    MediaWorkerOptions options;
    options.timing = m_workerTiming;
    options.maxFailedPasses = m_maxFailedPasses;
    if (m_switches.fakeDownload)
        options.fakeDownloadSample = m_run.SettingsFile(QStringLiteral("fake_download.jpg"));
    m_mediaWorker = std::make_unique<TThreadDownloadMediaItems>(*m_queues, *m_workerHost, options);
    m_mediaWorker->Start();
}

void ProgramContext::StopWorkers()
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (!m_pageWorker && !m_mediaWorker)
        return;
    m_run.AppClosing = true;
    // A worker may be waiting for the main thread, which is about to wait for it.
    if (m_workerHost)
        m_workerHost->WorkersStopping();
    m_pageWorker.reset();
    m_mediaWorker.reset();
}

bool ProgramContext::workersRunning() const
{
    return (m_pageWorker && m_pageWorker->isRunning()) || (m_mediaWorker && m_mediaWorker->isRunning());
}

void ProgramContext::BeginClosing()
{
    m_run.AppClosing = true;
}

void ProgramContext::SaveOnClose(const QRect &bounds, bool maximized, const QRect &workArea)
{
    m_sessionSettings.CloseQuery(bounds, maximized, workArea);
    m_applicationSettings.CloseQuery(bounds, maximized, workArea);
}

PictureDatabase &ProgramContext::pictures()
{
    return *m_pictures;
}

} // namespace orvix
