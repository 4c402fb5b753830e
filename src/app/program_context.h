#pragma once

// The state one running copy of the program shares between its parts, and the order in which it
// comes and goes: the switches, the photo site, the settings folder, the two settings stores,
// the picture database, the pictures folder and the run's control flags. Everything a run
// changes belongs to its context, so two contexts on two settings folders can run in one
// process. The desktop program and the
// command-line tool both build their run on this, so the two cannot drift apart; each supplies
// the controls the settings stores read and write (the window's, or plain values).

#include "queue_rows.h"
#include "varnel_project.h"

#include "engine/worker_thread.h"
#include "foundation/run_control.h"
#include "queue/picture_records.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace orvix {

class DownloadSession;
class FoundSession;
class IQueueView;
class IWorkerHost;
class PictureDatabase;
class QueueState;
class TQueueCommands;
class TThreadDownloadMediaItems;
class TThreadDownloadPageItems;

enum class StartOutcome { Continue, EndProcess };

// Failed passes of a picture before it leaves the queue, in both programs.
inline constexpr int kDefaultFailedPasses = 3;

// What the command line asks of this run.
struct StartSwitches
{
    QString url;              // "url": opened at the first display
    bool noMutex = false;     // "nomutex": no single-instance test
    bool debug = false;       // "debug"
    bool noInstall = false;   // "noinstall": settings in the program's folder
    bool fakeDownload = false; // "fake_download": the media worker copies a sample picture
    // Scripted runs (the demo's screenshots): "paste=FILE" queues the picture pages listed in
    // FILE at the first display, as the paste panel queues them; "remove=TEXT" then removes
    // the lines holding TEXT, as the remove command does.
    QString pasteFile;
    QString removeText;
    // "select=N,M,...": the web panel's frames N, M, ... are selected once its thumbnails page shows.
    QString selectFrames;

    static StartSwitches FromCommandLine();
};

// Before anything else: remembers the arguments, chooses the photo site ("site=", ORVIX_SITE),
// moves settings an installed older release left in the program's folder, and fixes the
// settings folder ("settings=", ORVIX_SETTINGS, "noinstall"). EndProcess when the move asked
// for an elevated restart.
StartOutcome PrepareProgramStart(const QStringList &arguments);

class ProgramContext
{
public:
    // controls must outlive the context. The run keeps its files in settingsFolder.
    explicit ProgramContext(ISettingsControls &controls, const QString &settingsFolder = GetSettingsFolder());
    ~ProgramContext();
    ProgramContext(const ProgramContext &) = delete;
    ProgramContext &operator=(const ProgramContext &) = delete;

    const StartSwitches &switches() const { return m_switches; }
    // The control flags of this run, shared with the queues, the workers and the hosts.
    RunControl &run() { return m_run; }
    const QString &settingsFolder() const { return m_run.settingsFolder(); }

    // Creation, before the window is shown: older settings files renamed and an 8-bit picture
    // database converted, in the order older releases need.
    void PrepareDataFiles();

    // Takes a session slot and prepares its folders; false (after "Could not initialize
    // session" was shown) when all slots are held: the program then ends.
    bool StartSession();
    // The queues of this session; view receives the rows of lines queued on the main thread.
    void CreateQueues(IQueueView &view);
    // A session an earlier run left with queued lines, or null.
    std::unique_ptr<FoundSession> FindIncompleteSession();

    // First display, in this order.
    void LoadApplicationSettings(); // loads the file and counts the start
    void OpenSessionSettings();     // merges the older session file and loads
    void LoadPictureDatabase();     // "pd_images.db"
    // outputFolder made to exist (see EnsureOutputFolder); returns it.
    QString EnsurePicturesFolder(const QString &configured);
    void LoadFilesDatabase();       // "pd_files.db", rebuilt from the pictures folder when missing

    // Resumes the session found at start-up; a media line whose picture is in its folder
    // already (the last run ended between saving it and finishing the line) is let go first.
    void ResumeFoundSession(FoundSession &found);

    // Workers. The host runs what they ask of the window (it must outlive them). The page
    // worker starts at the end of the window's creation, the media worker at its first
    // display; StopWorkers sets the run's AppClosing, releases calls waiting for the main thread and
    // waits for both.
    void SetWorkerHost(IWorkerHost *host) { m_workerHost = host; }
    // The product's waits; tests and tools shorten them before the workers start.
    WorkerTiming &workerTiming() { return m_workerTiming; }
    // Failed passes after which the media worker lets a line go (its row "failed", its item
    // file kept for "Requeue failed" and resume); until then a failed line goes behind the
    // waiting ones. 0 tries it at the front until it succeeds or is removed.
    void setMaxFailedPasses(int passes) { m_maxFailedPasses = passes; }
    void StartPageWorker();
    void StartMediaWorker();
    void StopWorkers();
    bool workersRunning() const;

    // Closing: AppClosing set first, so every thread leaves its loop.
    void BeginClosing();
    // Writes the session store and, for the application store, the window's bounds.
    void SaveOnClose(const QRect &bounds, bool maximized, const QRect &workArea);

    TVarnelProject &ApplicationSettings() { return m_applicationSettings; }
    TVarnelProject &SessionSettings() { return m_sessionSettings; }
    PictureDatabase &pictures();
    const QString &outputFolder() const { return m_outputFolder; }
    // Thumbnails are kept in the cache folder (the settings' "Cache thumbnails").
    bool cacheThumbnails() const { return m_cacheThumbnails; }
    void setCacheThumbnails(bool on) { m_cacheThumbnails = on; }
    DownloadSession &session() { return *m_session; }
    bool hasQueues() const { return bool(m_queues); }
    QueueState &queues() { return *m_queues; }
    // The queue view's rows: status of every queued line (the window's queue panel shows them).
    TQueueRows &queueRows() { return m_queueRows; }
    // The user's queue commands on this run's queues and rows (made with the queues).
    TQueueCommands &queueCommands() { return *m_queueCommands; }

private:
    StartSwitches m_switches;
    RunControl m_run;
    TVarnelProject m_applicationSettings;
    TVarnelProject m_sessionSettings;
    QString m_outputFolder;
    bool m_cacheThumbnails = true;
    std::unique_ptr<PictureDatabase> m_pictures;
    // Released in reverse: the queues refer to the session's folders and the records.
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<PictureDbRecords> m_records;
    std::unique_ptr<QueueState> m_queues;
    TQueueRows m_queueRows;
    std::unique_ptr<TQueueCommands> m_queueCommands;

    IWorkerHost *m_workerHost = nullptr;
    WorkerTiming m_workerTiming;
    int m_maxFailedPasses = kDefaultFailedPasses;
    // Stopped before the queues they serve are released.
    std::unique_ptr<TThreadDownloadPageItems> m_pageWorker;
    std::unique_ptr<TThreadDownloadMediaItems> m_mediaWorker;
};

} // namespace orvix
