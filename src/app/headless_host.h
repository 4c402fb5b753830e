#pragma once

// The workers' host without a window (orvix-cli): rows go to the row model, saved pictures to
// the picture database, the hidden browser is made on the main thread the first time a listing
// page is asked for (when the host was given a way to make one), and what the window would
// show becomes lines for the terminal.
//
// A private picture cannot be approved without the browser: it is reported and skipped.

#include "engine/worker_host.h"

#include <mutex>
#include <QString>
#include <QList>
#include <QPair>
#include <QStringList>

#include <atomic>
#include <functional>

namespace orvix {

class IPageLoader;
class PictureDatabase;
class QueueState;
class TMainThreadBridge;
class TQueueRows;

class THeadlessHost : public IWorkerHost
{
public:
    // Everything given must outlive the host; the bridge belongs to the main thread.
    THeadlessHost(QueueState &queues, TQueueRows &rows, PictureDatabase &pictures, TMainThreadBridge &bridge);

    // The pictures folder (checked for free space) and the subfolder for lines without a
    // target folder.
    void setFolders(const QString &outputFolder, const QString &subfolder);
    // Makes the hidden browser on the main thread; without it listing pages cannot be read.
    void setPageLoaderFactory(std::function<IPageLoader *()> factory);

    void AddToListViewQueue(const QString &caption, const QString &queueLine) override;
    void SetListViewQueueStatus(const QString &caption, RowStatus status) override;
    bool AddToQ2(const QStringList &entries, const QString &lineSuffix) override;
    void SetPrivatePanel(const QString &url) override;
    void HidePrivatePanel() override;
    void Navigate3(const QString &url) override;
    QString ReadHiddenBrowser() override;
    void ShowDownloadStatus() override {}
    void PublishImage(const QString &fileName, const QString &url) override;
    void ShowDownloading(const DownloadProgress &progress) override;
    void NotEnoughDiskSpace() override;
    void QueueFinished() override {}
    void Heartbeat() override {}
    QString OutputFolder() override;
    QString DefaultTargetFolder() override;
    void WorkersStopping() override;

    // Main thread: the waiting messages of the message log, oldest first. The newest one shown
    // is remembered, so the disk-space message is not repeated while it is the newest.
    int DrainMessages(const std::function<void(const QString &)> &sink);

    // What happened since the last call, for the terminal: "saved: " + file, and
    // "private picture skipped (approve it in the browser): " + address.
    QStringList takeEvents();
    DownloadProgress downloading() const;
    // The row last marked "<working>": what the workers are busy with.
    QString workingOn() const;
    int savedCount() const { return m_saved; }
    // The folders pictures were saved in, in the order first used, with how many went to each.
    QList<QPair<QString, int>> savedFolders() const;
    int privateSkipped() const { return m_privateSkipped; }

private:
    void addEvent(const QString &event);

    QueueState &m_queues;
    TQueueRows &m_rows;
    PictureDatabase &m_pictures;
    TMainThreadBridge &m_bridge;
    std::function<IPageLoader *()> m_loaderFactory;
    IPageLoader *m_loader = nullptr; // main thread only

    mutable std::mutex m_lock; // a standard lock: the thread sanitizer sees it
    QString m_outputFolder;
    QString m_subfolder;
    QStringList m_events;
    QList<QPair<QString, int>> m_savedFolders;
    DownloadProgress m_downloading;
    QString m_workingOn;
    QString m_lastShownMessage;
    std::atomic<int> m_saved{0};
    std::atomic<int> m_privateSkipped{0};
};

} // namespace orvix
