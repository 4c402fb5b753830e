#include "program_context.h"

#include "output_folder.h"
#include "program_settings.h"
#include "settings_folder.h"
#include "settings_migration.h"

#include "foundation/command_line.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "queue/control_flags.h"
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
    return s;
}

StartOutcome PrepareProgramStart(const QStringList &arguments)
{
    // Both executables name their data folders alike, so they share one settings folder.
    QCoreApplication::setApplicationName(QString::fromUtf16(kDataBaseName));
    SetCommandLineArgs(arguments);
    ChooseSiteHost();
    // The settings folder first: the transfer moves files into it.
    InitSettingsFolder();
    if (TransferSettingsFromProgramFilesToLocalSettings() == TransferOutcome::EndProcess)
        return StartOutcome::EndProcess;
    return StartOutcome::Continue;
}

ProgramContext::ProgramContext(ISettingsControls &controls)
    : m_switches(StartSwitches::FromCommandLine()), m_applicationSettings(controls),
      m_sessionSettings(controls)
{
    AppClosing = false;
    m_applicationSettings.setPropertiesList(ApplicationSettingsEntries());
    m_applicationSettings.setSaveFormSize(true);
    m_sessionSettings.setPropertiesList(SessionSettingsEntries());
}

ProgramContext::~ProgramContext()
{
    AppClosing = true;
    StopWorkers();
    m_queues.reset();
    m_records.reset();
    m_session.reset(); // the slot is free again
}

bool ProgramContext::StartSession()
{
    m_session = std::make_unique<DownloadSession>();
    return m_session->Start();
}

void ProgramContext::CreateQueues(IQueueView &view)
{
    m_records = std::make_unique<PictureDbRecords>(pictures());
    m_queues = std::make_unique<QueueState>(m_session->folders(), view, *m_records);
}

std::unique_ptr<FoundSession> ProgramContext::FindIncompleteSession()
{
    return orvix::FindIncompleteSession(m_session->sessionsFolder(), m_queues->itemFiles());
}

void ProgramContext::PrepareDataFiles()
{
    RenameOlderSettingsFirstStep();
    pictures().ConvertLegacyImagesDb();
    RenameOlderSettingsSecondStep();
}

void ProgramContext::LoadApplicationSettings()
{
    m_applicationSettings.SetSingleProject();
}

void ProgramContext::OpenSessionSettings()
{
    m_sessionSettings.SetSessionProject(PrepareOlderSessionFile());
}

void ProgramContext::LoadPictureDatabase()
{
    pictures().LoadImagesDb();
    debugMode = m_switches.debug || debugMode;
}

QString ProgramContext::EnsurePicturesFolder(const QString &configured)
{
    m_outputFolder = EnsureOutputFolder(configured);
    return m_outputFolder;
}

void ProgramContext::LoadFilesDatabase()
{
    pictures().LoadOrRebuildFilesDb(m_outputFolder);
}

void ProgramContext::StartPageWorker() {}
void ProgramContext::StartMediaWorker() {}
void ProgramContext::StopWorkers() {}

void ProgramContext::BeginClosing()
{
    AppClosing = true;
}

void ProgramContext::SaveOnClose(const QRect &bounds, bool maximized, const QRect &workArea)
{
    m_sessionSettings.CloseQuery(bounds, maximized, workArea);
    m_applicationSettings.CloseQuery(bounds, maximized, workArea);
}

PictureDatabase &ProgramContext::pictures()
{
    return PictureDb();
}

} // namespace orvix
