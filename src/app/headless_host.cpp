#include "app/headless_host.h"

#include "app/disk_space_report.h"
#include "foundation/main_thread_call.h"
#include "app/output_folder.h"
#include "app/queue_rows.h"
#include "engine/page_loader.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/run_control.h"
#include "library/picture_db.h"
#include "queue/queue_state.h"

#include <QFileInfo>

#include <algorithm>

namespace orvix {

THeadlessHost::THeadlessHost(QueueState &queues, TQueueRows &rows, PictureDatabase &pictures,
                             TMainThreadBridge &bridge)
    : m_queues(queues), m_rows(rows), m_pictures(pictures), m_bridge(bridge)
{
}

void THeadlessHost::setFolders(const QString &outputFolder, const QString &subfolder)
{
    std::lock_guard lock(m_lock);
    m_outputFolder = outputFolder;
    m_subfolder = subfolder;
}

void THeadlessHost::setPageLoaderFactory(std::function<IPageLoader *()> factory)
{
    m_loaderFactory = std::move(factory);
}

void THeadlessHost::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    m_rows.AddToListViewQueue(caption, queueLine);
}

void THeadlessHost::SetListViewQueueStatus(const QString &caption, RowStatus status)
{
    m_rows.SetListViewQueueStatus(caption, status);
    if (status == RowStatus::Working) {
        std::lock_guard lock(m_lock);
        m_workingOn = caption;
    }
}

bool THeadlessHost::AddToQ2(const QStringList &entries, const QString &lineSuffix)
{
    // The queues guard themselves; without a window there is nothing to wait for.
    m_queues.AddToQ2(entries, lineSuffix);
    return true;
}

void THeadlessHost::SetPrivatePanel(const QString &url)
{
    // Nobody can approve it here: the worker skips it at its next pass.
    m_queues.run().PrivatePanelShown = true;
    m_queues.run().SkipPrivatePicture = true;
    ++m_privateSkipped;
    addEvent(QStringLiteral("private picture skipped (approve it in the browser): ") + url);
}

void THeadlessHost::HidePrivatePanel()
{
    m_queues.run().PrivatePanelShown = false;
}

void THeadlessHost::Navigate3(const QString &url)
{
    m_bridge.call([&] {
        if (!m_loader && m_loaderFactory)
            m_loader = m_loaderFactory();
        if (m_loader)
            m_loader->Navigate3(url);
        else
            LogMessage(QStringLiteral("No browser to read the listing page ") + url);
    });
}

QString THeadlessHost::ReadHiddenBrowser()
{
    QString text;
    m_bridge.call([&] {
        if (m_loader)
            text = m_loader->ReadDocument();
    });
    return text;
}

void THeadlessHost::PublishImage(const QString &fileName, const QString &url)
{
    m_pictures.RegisterSavedFile(fileName);
    m_rows.SetListViewQueueStatus(url, RowStatus::Done);
    {
        const QString folder = QFileInfo(fileName).path();
        std::lock_guard lock(m_lock);
        const auto it = std::find_if(m_savedFolders.begin(), m_savedFolders.end(),
                                     [&](const QPair<QString, int> &f) { return f.first == folder; });
        if (it == m_savedFolders.end())
            m_savedFolders.append({folder, 1});
        else
            ++it->second;
    }
    ++m_saved;
    addEvent(QStringLiteral("saved: ") + fileName);
}

QList<QPair<QString, int>> THeadlessHost::savedFolders() const
{
    std::lock_guard lock(m_lock);
    return m_savedFolders;
}

void THeadlessHost::ShowDownloading(const DownloadProgress &progress)
{
    std::lock_guard lock(m_lock);
    m_downloading = progress;
}

void THeadlessHost::NotEnoughDiskSpace()
{
    QString folder;
    QString newestShown;
    {
        std::lock_guard lock(m_lock);
        folder = m_outputFolder;
        newestShown = m_lastShownMessage;
    }
    ReportNotEnoughDiskSpace(folder, newestShown);
}

QString THeadlessHost::OutputFolder()
{
    std::lock_guard lock(m_lock);
    return m_outputFolder;
}

QString THeadlessHost::DefaultTargetFolder()
{
    QString folder;
    QString subfolder;
    {
        std::lock_guard lock(m_lock);
        folder = m_outputFolder;
        subfolder = m_subfolder;
    }
    return DownloadTargetFolder(EnsureOutputFolder(folder), subfolder);
}

void THeadlessHost::WorkersStopping()
{
    m_bridge.detach();
}

int THeadlessHost::DrainMessages(const std::function<void(const QString &)> &sink)
{
    ORVIX_ASSERT_MAIN_THREAD();
    return DrainLogMessages([&](const QString &message) {
        sink(message);
        std::lock_guard lock(m_lock);
        m_lastShownMessage = message;
    });
}

QStringList THeadlessHost::takeEvents()
{
    std::lock_guard lock(m_lock);
    return std::exchange(m_events, {});
}

DownloadProgress THeadlessHost::downloading() const
{
    std::lock_guard lock(m_lock);
    return m_downloading;
}

QString THeadlessHost::workingOn() const
{
    std::lock_guard lock(m_lock);
    return m_workingOn;
}

void THeadlessHost::addEvent(const QString &event)
{
    std::lock_guard lock(m_lock);
    m_events << event;
}

} // namespace orvix
