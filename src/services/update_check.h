#pragma once

// The update check without a window: the request addresses, the reply's sections, the build
// comparison, the size text, the downloaded installer's checks and its clean-up marker. The
// "Live Update" window and orvix-cli update-check both stand on it.

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace orvix {

inline constexpr const char *UpdateWindowTitle = "Varnel Orvix image downloader";

// "http://" + the maker's host + "/CheckUpdates.aspx?app=varnel_orvix_downloader".
QString UpdateServiceUrl();
// The window's request: "?" or "&", "build=" and the version text; spaces as "%20".
QString WindowUpdateRequestUrl(const QString &serviceUrl, const QString &versionText);
// The background request: "&build=" version, "&s=" and the scrambled start count and install date.
QString BackgroundUpdateRequestUrl(const QString &serviceUrl, const QString &versionText, int startsCount,
                                   const QString &installationDate);

struct TUpdateReply
{
    bool usable = false; // the text holds "latest version"
    QString latestVersion;
    qint64 size = 0;
    QString url;         // the first line of the section
    QString sha256;      // lower case; empty when the reply has none
    QString releaseNotes;
};
TUpdateReply ParseUpdateReply(const QString &text);
// "," removed, digits kept ("-1" when none), read as a number (0 when that fails).
qint64 ParseUpdateSize(const QString &text);
// "1.50 MB" above 1048575 bytes, else "512 KB".
QString UpdateSizeText(qint64 size);

enum class TUpdateStatus { PreRelease, Latest, NewVersion };
TUpdateStatus CompareBuilds(const QString &thisVersion, const QString &latestVersion);
QString UpdateStatusText(TUpdateStatus status);

// The window's check: up to attempts requests, a pause between them, until the reply holds
// "latest version". errorDetail: the last request's failure.
struct TUpdateCheck
{
    QStringList replyLines;
    QString errorDetail;
    bool canceled = false;
};
TUpdateCheck FetchUpdateReply(const QString &requestUrl, int attempts = 4, int pauseMs = 1000,
                              const std::atomic<bool> *stop = nullptr, bool blocking = true);
// "Error while contacting server.\r\nDetais: ..." as the window says it.
QString UpdateContactError(const QString &detail);

// Where the installer of url is saved: its name after the last "/" (at most 50 characters)
// in the program's temporary folder.
QString InstallerPathFor(const QString &url);
// Why a downloaded installer must not be run (size or SHA-256 other than the reply's); empty
// when it may.
QString CheckDownloadedInstaller(const QString &path, const TUpdateReply &reply);

// Downloads the reply's installer to InstallerPathFor(url), refuses it (deleted, EOrvix with the
// reason) unless CheckDownloadedInstaller passes, and writes the clean-up marker. Returns the
// saved path. A stop ends it with an empty path.
QString DownloadInstaller(const TUpdateReply &reply, const QString &settingsFolder,
                          const std::function<void(qint64 read, qint64 total)> &progress = {},
                          const std::atomic<bool> *stop = nullptr, bool blocking = true);

// "OrvixDownloader.delete_temp" in the settings folder names the installer to delete next start.
QString CleanupMarkerPath(const QString &settingsFolder);
void WriteCleanupMarker(const QString &settingsFolder, const QString &installerPath);
// At start: deletes the installer the marker names (4 s of tries, 200 ms apart), then the
// marker. tell() gets "Could not delete file: PATH" when it stays. Errors are swallowed.
void CleanupDownloadedInstaller(const QString &settingsFolder, const std::function<void(const QString &)> &tell,
                                int triesMs = 4000, int pauseMs = 200);

} // namespace orvix
