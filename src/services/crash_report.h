#pragma once

// C++ on Linux ends by a signal rather than by an exception: a fatal signal (SIGSEGV, SIGBUS,
// SIGFPE, SIGILL, SIGABRT) writes a short report (the signal and the faulting thread's stack)
// into the settings folder with async-signal-safe code, and the next start posts it through the
// exception reports and deletes it.

#include <QString>

namespace orvix {

class TExceptionReports;

inline constexpr const char *CrashReportFileName = "OrvixDownloader.crash.txt";

// Once per process, for the run's settings folder (ending with "/").
void InstallFatalSignalReport(const QString &settingsFolder);

// Posts the report a crashed earlier run left in the folder, then deletes it; false when
// there was none.
bool PostPendingCrashReport(TExceptionReports &reports, const QString &settingsFolder);

} // namespace orvix
