#pragma once

// Logging. Workers report to the user only through LogMessage: the text waits in
// pendingLogMessages until the main window drains it once a second (DrainLogMessages). The
// program log (TLog) is a UTF-16 file in the settings folder with optional mirrors; the named
// log files ("orvix.log", "queue1.log") are appended by LogToFile under one process-wide lock.
// Log lines are "yyyy-mm-dd hh:nn:ss" + ": " + text.

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace orvix {

class TThreadStringList;

// The log list of the main window: shows the newest line first.
class ILogListBox
{
public:
    virtual ~ILogListBox() = default;
    virtual void insertTop(const QString &line) = 0;
    virtual int count() const = 0;
    virtual void clear() = 0;
    virtual void repaintNow() = 0;
};

// The program log: "OrvixDownloader.log" (UTF-16 little-endian, starting FF FE) in the
// settings folder, with at most one mirror. Write belongs to the main thread when a list box
// or text-list mirror is attached.
class TLog
{
public:
    TLog();
    explicit TLog(ILogListBox *listBox);
    explicit TLog(QStringList *textList);
    explicit TLog(TThreadStringList *threadList);

    // When the file cannot be created or opened the line is lost everywhere, mirrors included;
    // a failed write after that is ignored.
    void Write(const QString &s);

    QString logFileName;
    ILogListBox *lb = nullptr;
    TThreadStringList *tsl = nullptr;
    QStringList *tstr = nullptr;
    bool logToFile = true;
};

// The main window's log (or the command-line tool's); nullptr until one is installed.
TLog *ProgramLog();
void SetProgramLog(TLog *log);

// For hosts without a window: the text on stderr and in the program log, if there is one.
void TellWithoutWindow(const QString &text);

// Messages waiting for the main window. Safe from any thread.
TThreadStringList &pendingLogMessages();
void LogMessage(const QString &s);
// Passes the waiting messages, oldest first, to sink and removes each after the sink took it.
// When the sink raises, that message stays first in the list and the error passes to the
// caller (the window's timer restarts anyway and tries it again). Returns how many were taken.
int DrainLogMessages(const std::function<void(const QString &)> &sink);

// Trace points of the parsers and workers; the text is accepted and discarded.
inline void LogDebug(const QString &) {}

class RunControl;

// In the run's debug mode, a line in the program log.
void DebugMsg(const RunControl &run, const QString &s);

// Appends a stamped line to a named log file: a bare name lies in the settings folder. All
// named log files share one lock, held across the retries. Raises "AppendToFileLn_5x failed: "
// + path when the file stays unwritable.
void LogToFile(const QString &fileName, const QString &text);

} // namespace orvix
