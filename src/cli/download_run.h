#pragma once

// One downloading run of orvix-cli, shared by get, paste, resume and discard: the same settings
// folder, session slots, queues, item files and picture database as the desktop program, the
// two workers with a host that has no window, and the terminal's view of their progress.

#include "cli_command.h"

#include "app/settings_controls.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace orvix {
class FoundSession;
class ProgramContext;
class QueueState;
class TMainThreadBridge;
class THeadlessHost;
} // namespace orvix

namespace orvix::cli {

inline constexpr int kDefaultRetries = 3;

class TDownloadRun
{
public:
    explicit TDownloadRun(TCliIo &io);
    ~TDownloadRun();

    // Takes --settings, --out and --retries out of args; false (after a message) for a bad value,
    // among them an --out that holds "|" or cannot be used as a folder. A relative --out is
    // taken from the folder the program was started in.
    bool takeCommonOptions(QStringList &args, const QString &command);
    // Settings folder, session slot, picture database, pictures folder, queues and host. False
    // after a message when the run cannot start.
    bool start();

    ProgramContext &context() { return *m_context; }
    QueueState &queues();
    // The pictures folder + "/" + subfolder: the target folder of a queued line.
    QString targetFolder(const QString &subfolder) const;
    // The session an earlier run left unfinished, or null. When the search itself fails a
    // message says why and failed is set.
    std::unique_ptr<FoundSession> findIncompleteSession(bool *failed = nullptr);
    // Queues a page line; when its item file cannot be written, says so and answers false. The
    // run then ends with exit code 1 (the line itself stays queued for this run).
    bool queuePage(const QString &url, const QString &line);
    // Something asked for could not be taken up: the run cannot end with exit code 0.
    void markIncomplete() { m_incomplete = true; }
    // Says that an earlier run left lines for "resume" (get and paste do not touch them).
    void mentionIncompleteSession();

    // Runs the workers until both queues are empty, or until SIGINT or SIGTERM asks to stop
    // (a download under way is broken off and kept for resume). Prints the progress and a summary; returns the exit
    // code: 0 when everything queued was saved, 1 otherwise.
    int runQueues();

private:
    void printProgress(bool final);
    void clearLiveLine();
    int summary(bool stopped);

    TCliIo &m_io;
    QString m_settingsFolder;
    QString m_outFolder;
    int m_retries = kDefaultRetries;
    bool m_terminal = false;
    bool m_liveLineShown = false;
    bool m_incomplete = false;
    SettingsValueMap m_controls;
    std::unique_ptr<ProgramContext> m_context;
    std::unique_ptr<TMainThreadBridge> m_bridge;
    std::unique_ptr<THeadlessHost> m_host;
};

// Checks --size (0, 1 or 2; default 2) and --subfolder (file-name characters only).
bool TakeSizeOption(QStringList &args, TCliIo &io, const QString &command, QString &size);
bool TakeSubfolderOption(QStringList &args, TCliIo &io, const QString &command, QString &subfolder);
// An option left over is unknown: says so and answers false.
bool NoOptionsLeft(const QStringList &args, TCliIo &io, const QString &command);

} // namespace orvix::cli
