#pragma once

// Moves settings left by older releases to where this release looks for them.

#include <QString>
#include <QStringList>

#include <functional>

namespace orvix {

// Each works in the settings folder it is given (ending with "/").

// Before the main window exists: copies "orvix_downloader.ini" and "orvix_downloader.Session.ini"
// to "OrvixDownloader.ini" and "OrvixDownloader.Session.ini" where those are missing.
void RenameOlderSettingsFirstStep(const QString &folder);
// After the first step: the window bounds older releases kept in "orvixdownloader.positions.ini"
// become the first section of the session file, which is by then the one the older session
// file was copied to (merged earlier, the positions would make the session file exist and the
// copy would be passed over, losing the old session's values). The positions file is deleted.
void MergeOlderPositionsFile(const QString &folder);
// Merges "orvix_downloader2.ini" into "orvix_downloader.ini" when the latter lacks the pictures
// folder (the two files of one older release).
void RenameOlderSettingsSecondStep(const QString &folder);
// At the first show: the old file to hand to SetSessionProject ("orvix_downloader2.ini" in the
// settings folder), prepared from "orvix_downloader.ini" when that exists.
QString PrepareOlderSessionFile(const QString &folder);

// Files an installed program's folder may hold from a release that kept its settings there.
// Only names this program writes are taken: the program's folder may be a shared one.
bool IsTransferCandidate(const QString &fileName);

struct SettingsTransfer {
    QString source;       // the program's folder
    QString destination;  // the settings folder it moves to
    bool isAdmin = false; // running as root, or the switch "is_admin"
    // Starts the program again with root rights (asked for first).
    std::function<void()> restartElevated;
};

enum class TransferOutcome { Continue, EndProcess };

// Moves the candidates from source to destination, asking before overwriting. Without admin
// rights it offers an elevated restart; the process then ends either way.
TransferOutcome TransferSettings(const SettingsTransfer &t);

// Start-up: makes the settings folder current and, for a program under the install prefix
// (outside "pstools"), transfers its settings to the local application-data folder.
TransferOutcome TransferSettingsFromProgramFilesToLocalSettings();

} // namespace orvix
