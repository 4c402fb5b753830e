#pragma once

// What the two download workers need from the program around them: the queue view's rows, the
// page queue's inserts, the private-picture panel, the hidden browser, the saved-picture
// display and the status line. The desktop program implements it on the main thread (each call
// runs there while the worker waits); orvix-cli and the tests implement it without a window.
//
// Every call is made from a worker's thread and returns once the host has done it. A worker
// never holds a queue lock while it calls the host.

#include "queue/queue_row.h"
#include "queue/queue_view.h"

#include <QString>
#include <QStringList>


namespace orvix {

// The media worker's state for the status line, reported as numbers; each host words it.
struct DownloadProgress
{
    qint64 bytesRead = -1; // of the picture being downloaded; -1 while none is
    qint64 total = 0;      // its announced size, 0 when unknown
    int picturesLeft = 0;  // media lines queued, the one being downloaded included
    int pagesPending = 0;  // page lines queued
    bool paused = false;

    bool downloading() const { return bytesRead >= 0; }
    // "Downloading: " (or "-PAUSED-: ") + "R KB of T KB (P%)" while a picture downloads, then
    // " (N images left)" and " (+N pending pages)" when more than one is queued.
    QString text() const;
};

class IWorkerHost : public IQueueView
{
public:
    // Status of the first row whose caption is caption.
    virtual void SetListViewQueueStatus(const QString &caption, RowStatus status) = 0;

    // Page worker.
    // The picture pages of a thumbnails page (entry lines) go right behind the line at the
    // front of the page queue, each with lineSuffix. False when it could not run because the
    // program is closing (the line then stays queued).
    virtual bool AddToQ2(const QStringList &entries, const QString &lineSuffix) = 0;
    // Shows the private-picture panel for url and sets the run's PrivatePanelShown.
    virtual void SetPrivatePanel(const QString &url) = 0;
    // Hides it and clears PrivatePanelShown.
    virtual void HidePrivatePanel() = 0;
    // Starts loading url in the hidden browser; returns at once.
    virtual void Navigate3(const QString &url) = 0;
    // The hidden browser's document serialisation as it stands now.
    virtual QString ReadHiddenBrowser() = 0;

    // Both workers: shows or hides the queue panel's controls for the queues' state.
    virtual void ShowDownloadStatus() = 0;

    // Media worker.
    // A picture was saved as fileName: record and show it, refresh the web panel, row "done".
    virtual void PublishImage(const QString &fileName, const QString &url) = 0;
    // The status line (see DownloadProgress::text).
    virtual void ShowDownloading(const DownloadProgress &progress) = 0;
    // The pictures folder's volume is nearly full (reported once until another message).
    virtual void NotEnoughDiskSpace() = 0;
    // Both queues ran empty after a picture.
    virtual void QueueFinished() = 0;
    // Once a second while the media queue is empty.
    virtual void Heartbeat() = 0;
    // The pictures folder, whose volume is checked for free space; empty: no check.
    virtual QString OutputFolder() = 0;
    // Where a media line without a target folder saves: the pictures folder (made to exist)
    // and the subfolder setting.
    virtual QString DefaultTargetFolder() = 0;

    // The owner set AppClosing and is about to wait for the workers: calls that still wait for
    // the main thread must give up, or the wait would never end. Later calls return at once.
    virtual void WorkersStopping() {}
};

} // namespace orvix
