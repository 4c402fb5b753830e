#pragma once

// The download workers' host in the desktop program: every call runs on the main thread while
// the worker waits, and reaches the window's parts (rows of the queue, the private-picture
// panel, the hidden browser, the status line, the picture panel).

#include "engine/worker_host.h"

#include "foundation/main_thread_call.h"

#include <atomic>
#include <memory>

class QSystemTrayIcon;

namespace orvix {

class ProgramContext;
class TFormMain;
class THiddenPageLoader;
class TPrivatePicturePanel;

class TWindowWorkerHost : public IWorkerHost
{
public:
    // Made on the main thread; window and context outlive it, and the workers are stopped
    // before it goes.
    TWindowWorkerHost(TFormMain &window, ProgramContext &context);
    ~TWindowWorkerHost() override;

    TPrivatePicturePanel *privatePanel() const { return m_privatePanel; }

    void AddToListViewQueue(const QString &caption, const QString &queueLine) override;
    void SetListViewQueueStatus(const QString &caption, RowStatus status) override;
    bool AddToQ2(const QStringList &entries, const QString &lineSuffix) override;
    void SetPrivatePanel(const QString &url) override;
    void HidePrivatePanel() override;
    void Navigate3(const QString &url) override;
    QString ReadHiddenBrowser() override;
    void ShowDownloadStatus() override;
    void PublishImage(const QString &fileName, const QString &url) override;
    void ShowDownloading(const DownloadProgress &progress) override;
    void NotEnoughDiskSpace() override;
    void QueueFinished() override;
    void Heartbeat() override;
    QString OutputFolder() override;
    QString DefaultTargetFolder() override;
    void WorkersStopping() override;

private:
    TFormMain &m_window;
    ProgramContext &m_context;
    TMainThreadBridge m_bridge;
    TPrivatePicturePanel *m_privatePanel;
    std::unique_ptr<THiddenPageLoader> m_hiddenBrowser; // WebBrowser3, made when first needed
    QSystemTrayIcon *m_tray = nullptr;
    std::shared_ptr<std::atomic<bool>> m_heartbeatPending = std::make_shared<std::atomic<bool>>(false);
};

} // namespace orvix
