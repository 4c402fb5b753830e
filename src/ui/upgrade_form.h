#pragma once

// "Live Update": asks the maker's service for a newer build (or reads a reply the background
// check already has), shows it, downloads the installer with progress, checks its size and
// SHA-256, and starts it with "/InstallationPath=..." before the program closes.

#include "services/update_check.h"

#include <QDialog>

#include <atomic>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace orvix {

class TVarnelPageControlX;

class TFormUpgrade : public QDialog
{
    Q_OBJECT
public:
    // Runs the check while it is made; errorCode() 2 when no usable reply came (the error was
    // told and the window closed). responseStr: a reply already fetched, or empty.
    TFormUpgrade(const QString &latestVersionUrl, const QString &windowTitle, bool showProgress,
                 const QString &responseStr, const QString &settingsFolder, QWidget *parent = nullptr);

    int errorCode() const { return m_errorCode; }
    bool newVersionFound() const { return m_newVersionFound; }
    QString statusText() const;

    void bDownloadClick();
    void bInstallClick();

protected:
    void reject() override; // asks while a download runs
    void done(int result) override; // a download under way stops

private:
    void CheckForUpdate();
    QPlainTextEdit *notesMemo(QWidget *page, const char *name);

    QString m_latestVersionUrl;
    QString m_responseStr;
    QString m_settingsFolder;
    QString m_newFilename;
    TUpdateReply m_reply;
    int m_errorCode = 0;
    bool m_newVersionFound = false;
    std::atomic<bool> m_stopDownload{false};
    bool m_downloading = false;

    TVarnelPageControlX *m_pages;
    QLabel *m_labelStatus;
    QLabel *m_labelThisVersion;
    QLabel *m_labelRemoteVersion;
    QLabel *m_labelRemoteUrl;
    QLabel *m_labelManualDownload;
    QProgressBar *m_progressCheck;
    QPushButton *m_bDownload;
    QLabel *m_labelDownloadProgress;
    QLabel *m_labelDownloadPerc;
    QProgressBar *m_progressDownload;
    QPushButton *m_bInstall;
    QList<QPlainTextEdit *> m_notes;
};

} // namespace orvix
