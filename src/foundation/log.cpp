#include "log.h"

#include "files.h"
#include "message_quote.h"
#include "paths.h"
#include "posix_file.h"
#include "run_control.h"
#include "text_files.h"
#include "thread_string_list.h"
#include "time_stamps.h"

#include <QStringEncoder>
#include <cstdio>
#include <mutex>
#include <fcntl.h>

namespace orvix {

namespace {

std::atomic<TLog *> g_programLog{nullptr};
std::mutex g_logFileLock;

// Another instance appends to the same program log; it holds the file only for one line.
constexpr int kProgramLogLockWaitMs = 500;

} // namespace

TLog::TLog() : logFileName(ProgramLogFileName()) {}
TLog::TLog(ILogListBox *listBox) : TLog() { lb = listBox; }
TLog::TLog(QStringList *textList) : TLog() { tstr = textList; }
TLog::TLog(TThreadStringList *threadList) : TLog() { tsl = threadList; }

void TLog::Write(const QString &s)
{
    PosixFile file;
    if (logToFile) {
        try {
            ForceFolderOf(logFileName);
        } catch (const std::exception &) {
            return;
        }
        if (!file.open(logFileName, O_WRONLY | O_APPEND | O_CREAT) || !file.lock(true, kProgramLogLockWaitMs))
            return;
        if (file.size() == 0)
            file.writeAll(QByteArray("\xFF\xFE"));
    }
    const QString line = NowTimeStamp() + QStringLiteral(": ") + s;
    if (lb) {
        lb->insertTop(line);
        lb->repaintNow();
    }
    if (tstr)
        tstr->insert(0, line);
    if (logToFile) {
        QStringEncoder utf16(QStringConverter::Utf16LE);
        file.writeAll(utf16(line + QStringLiteral("\r\n")));
        file.close();
    }
    if (lb && lb->count() > 1000)
        lb->clear();
    if (tsl)
        tsl->Add(line);
}

TLog *ProgramLog()
{
    return g_programLog.load();
}

void SetProgramLog(TLog *log)
{
    g_programLog.store(log);
}

void TellWithoutWindow(const QString &text)
{
    // Boxes without a window often quote input (a path, a line, a page's text).
    std::fprintf(stderr, "%s\n", TerminalText(text, true).toLocal8Bit().constData());
    if (TLog *log = ProgramLog())
        log->Write(text);
}

TThreadStringList &pendingLogMessages()
{
    // Never destroyed: workers may still log while the process exits.
    static auto *list = new TThreadStringList;
    return *list;
}

void LogMessage(const QString &s)
{
    pendingLogMessages().Add(s);
}

int DrainLogMessages(const std::function<void(const QString &)> &sink)
{
    TThreadStringList &pending = pendingLogMessages();
    TThreadStringList::Locker lock(pending);
    int taken = 0;
    while (pending.Count() > 0) {
        sink(pending.Strings(0));
        pending.Delete(0);
        ++taken;
    }
    return taken;
}

void DebugMsg(const RunControl &run, const QString &s)
{
    if (!run.debugMode)
        return;
    if (TLog *log = ProgramLog())
        log->Write(s);
}

void LogToFile(const QString &fileName, const QString &text)
{
    std::lock_guard<std::mutex> lock(g_logFileLock);
    QString path = fileName;
    if (!fileName.contains(u'/')) {
        ForceFolder(GetSettingsFolder());
        path = SettingsPath(fileName);
    }
    AppendToFileLn_5x(path, NowTimeStamp() + QStringLiteral(": ") + text);
}

} // namespace orvix
