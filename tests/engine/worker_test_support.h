#pragma once

// A sandbox for the download workers: the engine fixture (private settings folder, short fetch
// pauses, cleared flags), queues whose item files live in the sandbox, a small simulated photo
// site, and a host that records what the workers ask of the window.

#include "engine/worker_host.h"
#include "engine/worker_thread.h"
#include "engine_fixture.h"
#include "photosite/photo_site_server.h"
#include "queue/picture_records.h"
#include "queue/queue_state.h"

#include <QMutex>
#include <QStringList>

#include <functional>
#include <memory>

namespace orvix::test {

class WorkerFakeHost : public IWorkerHost
{
public:
    QueueState *queues = nullptr;

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
    void QueueFinished() override;
    void Heartbeat() override {}
    QString OutputFolder() override;
    QString DefaultTargetFolder() override;

    // The hidden browser's page for an address (empty text when it has none).
    std::function<QString(const QString &url)> hiddenPages;
    // Runs inside SetPrivatePanel (the user's answer).
    std::function<void(const QString &url)> onPrivatePanel;
    // Runs inside the status call that marks caption "<working>".
    std::function<void(const QString &caption)> onWorking;
    QString outputFolder;
    QString defaultTargetFolder;

    // "caption = status" in the order the calls came.
    QStringList statusEvents() const;
    // The last status of caption, empty when none was set.
    QString statusOf(const QString &caption) const;
    QStringList rows() const;
    QStringList published() const;
    QStringList privatePanels() const;
    QStringList downloadingTexts() const;
    QList<DownloadProgress> progressReports() const;
    int diskReports() const;
    int finishedReports() const;
    int hidePanelCalls() const;

private:
    mutable QMutex m_lock;
    QStringList m_statusEvents;
    QStringList m_rows;
    QStringList m_published;
    QStringList m_privatePanels;
    QStringList m_downloading;
    QList<DownloadProgress> m_progress;
    int m_diskReports = 0;
    int m_finished = 0;
    int m_hidePanel = 0;
    QString m_navigated;
};

struct WorkerFakePictures : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &pageUrl) override;
    void RecordQueuedPicture(const TImageData &d) override;
    void RecordFoundPicture(const TImageData &d, const QString &fileName) override;
    QStringList records() const;
    QStringList found() const; // "key|page URL|file" of each picture found saved
    bool failRecords = false; // RecordQueuedPicture raises
    QStringList onDisk;       // page URLs counted as downloaded

private:
    mutable QMutex m_lock;
    QStringList m_records;
    QStringList m_found;
};

class WorkerSandbox : public EngineFixture
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Short waits: every product pause shrunk to milliseconds.
    static WorkerTiming fastTiming();

    // Starts the site (more pictures or faults through options) and points the program at it.
    void startSite(photosite::ServerOptions options = smallSite());
    static photosite::ServerOptions smallSite();
    photosite::PhotoSiteServer &site() { return *m_site; }
    const photosite::ManifestPicture &publicPicture(int n = 0);
    const photosite::ManifestPicture &privatePicture();

    // A page line, queued as the window would (row and item file).
    QString queuePageLine(const QString &url, const QString &urlType = QStringLiteral("id:1"),
                          const QString &tags = QString());
    // A media line with its item file, as QueuePicture leaves it.
    QString queueMediaLine(const QString &downloadUrl, const QString &fileBase, const QString &pageUrl);

    // Starts a worker and stops it (AppClosing) at the end of the test.
    void run(TWorkerThread &worker);
    void stop();

    static QStringList lines(TThreadStringList &list);
    QStringList itemFiles(QueueKind kind) const;
    QStringList picturesIn(const QString &folder) const; // visible files only
    bool waitFor(const std::function<bool()> &condition, int ms = 20000);

    QString pictures() const { return m_settings.filePath(QStringLiteral("pictures")) + u'/'; }

    WorkerFakeHost host;
    WorkerFakePictures records;
    std::unique_ptr<QueueState> queues;

private:
    std::unique_ptr<photosite::PhotoSiteServer> m_site;
    QString m_previousHost;
    TWorkerThread *m_running = nullptr;
};

} // namespace orvix::test
