#include "worker_host_window.h"

#include "main_window.h"
#include "messages_panel.h"
#include "picture_panel.h"
#include "private_picture_panel.h"
#include "queue_status_panel.h"
#include "thread_status_bar.h"

#include "app/disk_space_report.h"
#include "app/program_context.h"
#include "app/queue_rows.h"
#include "browser/hidden_page_loader.h"
#include "foundation/file_names.h"
#include "foundation/paths.h"
#include "library/picture_db.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QStyle>
#include <QSystemTrayIcon>

namespace orvix {

TWindowWorkerHost::TWindowWorkerHost(TFormMain &window, ProgramContext &context)
    : m_window(window), m_context(context),
      m_privatePanel(new TPrivatePicturePanel(&window, context.run(), [&window](const QString &url) { window.navigate(url); }))
{
}

TWindowWorkerHost::~TWindowWorkerHost()
{
    m_bridge.detach();
}

void TWindowWorkerHost::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    m_bridge.call([&] { m_window.AddToListViewQueue(caption, queueLine); });
}

void TWindowWorkerHost::SetListViewQueueStatus(const QString &caption, RowStatus status)
{
    m_bridge.call([&] { m_context.queueRows().SetListViewQueueStatus(caption, status); });
}

bool TWindowWorkerHost::AddToQ2(const QStringList &entries, const QString &lineSuffix)
{
    return m_bridge.call([&] { m_context.queues().AddToQ2(entries, lineSuffix); });
}

void TWindowWorkerHost::SetPrivatePanel(const QString &url)
{
    m_bridge.call([&] { m_privatePanel->ShowPrivatePanel(url); });
}

void TWindowWorkerHost::HidePrivatePanel()
{
    m_bridge.call([&] { m_privatePanel->hide(); });
    m_context.run().PrivatePanelShown = false;
}

void TWindowWorkerHost::Navigate3(const QString &url)
{
    m_bridge.call([&] {
        if (!m_hiddenBrowser)
            m_hiddenBrowser = std::make_unique<THiddenPageLoader>();
        m_hiddenBrowser->Navigate3(url);
    });
}

QString TWindowWorkerHost::ReadHiddenBrowser()
{
    QString text;
    m_bridge.call([&] {
        if (m_hiddenBrowser)
            text = m_hiddenBrowser->ReadDocument();
    });
    return text;
}

void TWindowWorkerHost::Heartbeat()
{
    // Posted, not waited for: the worker must not stall on a blinking square. One post at a time,
    // so a worker polling without pause cannot flood the event queue. Dropped when the window is
    // gone.
    if (m_heartbeatPending->exchange(true))
        return;
    TFormMain *window = &m_window;
    QMetaObject::invokeMethod(
        window,
        [window, pending = m_heartbeatPending] {
            pending->store(false);
            window->threadStatus()->ToggleHeartbeat();
        },
        Qt::QueuedConnection);
}

void TWindowWorkerHost::ShowDownloadStatus()
{
    m_bridge.call([&] { m_window.queueStatusPanel()->ShowDownloadStatus(); });
}

void TWindowWorkerHost::PublishImage(const QString &fileName, const QString &url)
{
    // The saved file is listed even when the window is closing meanwhile.
    m_context.pictures().RegisterSavedFile(fileName);
    // Made small here, on the worker's thread: the window only shows it.
    QImage preview;
    try {
        QImageReader reader(fileName);
        reader.setAutoTransform(true);
        const QSize full = reader.size();
        const QSize box(TFormMain::kLastPictureWidth, TFormMain::kLastPictureHeight);
        if (full.isValid() && (full.width() > box.width() || full.height() > box.height()))
            reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio));
        preview = reader.read();
    } catch (...) {
        // Shown without a preview; the file itself is saved.
    }
    m_bridge.call([&] {
        m_window.ImageDownloaded(fileName, preview);
        m_window.RefreshWebPanel();
        m_context.queueRows().SetListViewQueueStatus(url, RowStatus::Done);
    });
}

void TWindowWorkerHost::ShowDownloading(const DownloadProgress &progress)
{
    const QString text = progress.text();
    m_bridge.call([&] { m_window.queueStatusPanel()->ShowStatusLine(text); });
}

void TWindowWorkerHost::NotEnoughDiskSpace()
{
    m_bridge.call([&] {
        const QStringList shown = m_window.messagesPanel()->lines();
        ReportNotEnoughDiskSpace(m_context.outputFolder(), shown.value(0));
    });
}

void TWindowWorkerHost::QueueFinished()
{
    m_bridge.call([&] {
        // Only when the user is elsewhere: the window itself shows the empty queue.
        if (QApplication::activeWindow() || !QSystemTrayIcon::isSystemTrayAvailable())
            return;
        if (!m_tray) {
            m_tray = new QSystemTrayIcon(m_window.windowIcon().isNull()
                                             ? m_window.style()->standardIcon(QStyle::SP_ComputerIcon)
                                             : m_window.windowIcon(),
                                         &m_window);
        }
        m_tray->show();
        m_tray->showMessage(QStringLiteral("Orvix Downloader"), QStringLiteral("All queued images have been downloaded"),
                            QSystemTrayIcon::Information);
    });
}

QString TWindowWorkerHost::OutputFolder()
{
    QString folder;
    m_bridge.call([&] { folder = m_context.outputFolder(); });
    return folder;
}

QString TWindowWorkerHost::DefaultTargetFolder()
{
    QString folder;
    m_bridge.call([&] { folder = DownloadTargetFolder(m_window.ensuredPicturesFolder(), m_window.OutputSubfolder()); });
    return folder;
}

void TWindowWorkerHost::WorkersStopping()
{
    m_bridge.detach();
}

} // namespace orvix
