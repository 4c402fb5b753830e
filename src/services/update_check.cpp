#include "update_check.h"

#include "report_scramble.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "app/settings_file.h"
#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QThread>

namespace orvix {

QString UpdateServiceUrl()
{
    return MakerRoot() + QStringLiteral("/CheckUpdates.aspx?app=varnel_orvix_downloader");
}

QString WindowUpdateRequestUrl(const QString &serviceUrl, const QString &versionText)
{
    QString url = serviceUrl + (serviceUrl.contains(u'?') ? u'&' : u'?') + QStringLiteral("build=") + versionText;
    return url.replace(u' ', QStringLiteral("%20"));
}

QString BackgroundUpdateRequestUrl(const QString &serviceUrl, const QString &versionText, int startsCount,
                                   const QString &installationDate)
{
    const QString statistics = QStringLiteral("%1").arg(startsCount, 6, 10, QLatin1Char('0')) + u'#' + installationDate;
    return serviceUrl + QStringLiteral("&build=") + versionText + QStringLiteral("&s=") + ReportScramble8Bit(statistics);
}

qint64 ParseUpdateSize(const QString &text)
{
    QString digits;
    const QString plain = QString(text).remove(u',');
    for (const QChar c : plain)
        if (c.isDigit())
            digits += c;
    if (digits.isEmpty())
        digits = QStringLiteral("-1");
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok ? n : 0;
}

TUpdateReply ParseUpdateReply(const QString &text)
{
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    TUpdateReply r;
    r.usable = text.contains(QStringLiteral("latest version"));
    r.latestVersion = GetSectionValue(lines, QStringLiteral("latest version"));
    r.size = ParseUpdateSize(GetSectionValue(lines, QStringLiteral("size")));
    r.url = GetSectionValue(lines, QStringLiteral("url")).section(QStringLiteral("\r\n"), 0, 0);
    r.sha256 = GetSectionValue(lines, QStringLiteral("sha256")).toLower();
    r.releaseNotes = GetSectionValue(lines, QStringLiteral("release notes"));
    return r;
}

QString UpdateSizeText(qint64 size)
{
    // A size that was no number reads -1; it is shown as nothing, not as "-0 KB".
    size = std::max<qint64>(size, 0);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    if (size > 1048575)
        return english.toString(double(size) / 1048576.0, 'f', 2) + QStringLiteral(" MB");
    return english.toString(double(size) / 1024.0, 'f', 0) + QStringLiteral(" KB");
}

TUpdateStatus CompareBuilds(const QString &thisVersion, const QString &latestVersion)
{
    const int mine = BuildNumberOf(thisVersion);
    const int remote = BuildNumberOf(latestVersion);
    if (remote < mine)
        return TUpdateStatus::PreRelease;
    return remote == mine ? TUpdateStatus::Latest : TUpdateStatus::NewVersion;
}

QString UpdateStatusText(TUpdateStatus status)
{
    switch (status) {
    case TUpdateStatus::PreRelease: return QStringLiteral("You are using a special pre-release version");
    case TUpdateStatus::Latest: return QStringLiteral("You already have the latest version");
    case TUpdateStatus::NewVersion: return QStringLiteral("New version available");
    }
    return {};
}

TUpdateCheck FetchUpdateReply(const QString &requestUrl, int attempts, int pauseMs, const std::atomic<bool> *stop,
                              bool blocking)
{
    TUpdateCheck check;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(ulong(pauseMs));
        TIEHttp http;
        http.setBlockingMode(blocking);
        http.StopWhen = stop;
        try {
            http.ExecuteUrl(requestUrl);
            if (http.Canceled()) {
                check.canceled = true;
                return check;
            }
            check.replyLines = http.ResultSl();
        } catch (const EOrvix &e) {
            check.replyLines << QStringLiteral("error: ") + e.message();
            check.errorDetail = e.message();
        }
        if (check.replyLines.join(QStringLiteral("\r\n")).contains(QStringLiteral("latest version")))
            break;
    }
    return check;
}

QString UpdateContactError(const QString &detail)
{
    return QStringLiteral("Error while contacting server.\r\nDetais: ") + detail
           + QStringLiteral("\r\n\r\nPlease check your internet connection.");
}

QString InstallerPathFor(const QString &url)
{
    const QString name = url.mid(url.lastIndexOf(u'/') + 1).left(50);
    return TempPath(name.isEmpty() ? QStringLiteral("update.bin") : name);
}

QString CheckDownloadedInstaller(const QString &path, const TUpdateReply &reply)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("The downloaded file could not be read: ") + f.errorString();
    if (f.size() != reply.size)
        return QStringLiteral("The downloaded file has %1 bytes instead of %2; it was not started.")
            .arg(f.size()).arg(reply.size);
    if (!reply.sha256.isEmpty()) {
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&f);
        if (QString::fromLatin1(hash.result().toHex()) != reply.sha256)
            return QStringLiteral("The downloaded file is not the one announced (its SHA-256 differs); it was not started.");
    }
    return {};
}

QString DownloadInstaller(const TUpdateReply &reply, const QString &settingsFolder,
                          const std::function<void(qint64, qint64)> &progress, const std::atomic<bool> *stop,
                          bool blocking)
{
    TIEHttp http;
    http.setBlockingMode(blocking);
    http.StopWhen = stop;
    http.FailOnHttpError = true;
    // Installers are larger than pages.
    http.MaxResponseBytes = std::max<qint64>(http.MaxResponseBytes, reply.size + 1);
    if (progress)
        http.OnPacketRead = [&progress](TIEHttp &sender) { progress(sender.BytesReadTotal(), sender.ContentSize()); };
    http.ExecuteUrl(reply.url);
    if (http.Canceled())
        return {};
    if (http.ErrorCode() != 0)
        throw EOrvix(QStringLiteral("The download timed out."));
    if (progress)
        progress(http.BytesReadTotal(), http.ContentSize());
    const QString path = InstallerPathFor(reply.url);
    WriteFileAtomic(path, http.ResultMs());
    const QString refused = CheckDownloadedInstaller(path, reply);
    if (!refused.isEmpty()) {
        QFile::remove(path);
        throw EOrvix(refused);
    }
    WriteCleanupMarker(settingsFolder, path);
    return path;
}

QString CleanupMarkerPath(const QString &settingsFolder)
{
    return settingsFolder + QStringLiteral("OrvixDownloader.delete_temp");
}

void WriteCleanupMarker(const QString &settingsFolder, const QString &installerPath)
{
    WriteFileAtomic(CleanupMarkerPath(settingsFolder), installerPath.toUtf8() + "\r\n");
}

void CleanupDownloadedInstaller(const QString &settingsFolder, const std::function<void(const QString &)> &tell,
                                int triesMs, int pauseMs)
{
    try {
        const QString marker = CleanupMarkerPath(settingsFolder);
        QFile markerFile(marker);
        if (!markerFile.open(QIODevice::ReadOnly))
            return;
        const QString installer = QString::fromUtf8(markerFile.readAll()).trimmed();
        markerFile.close();
        QElapsedTimer clock;
        clock.start();
        while (!installer.isEmpty() && QFile::exists(installer) && clock.elapsed() < triesMs) {
            if (QFile::remove(installer))
                break;
            QThread::msleep(ulong(pauseMs));
        }
        if (!installer.isEmpty() && QFile::exists(installer) && tell)
            tell(QStringLiteral("Could not delete file: ") + installer);
        QFile::remove(marker);
    } catch (...) {
    }
}

} // namespace orvix
