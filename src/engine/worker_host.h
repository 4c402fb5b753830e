#pragma once

// What the two download workers need from the program around them: the queue view's rows, the
// page queue's inserts, the private-picture panel, the hidden browser, the saved-picture
// display and the status line. The desktop program implements it on the main thread (each call
// runs there while the worker waits); orvix-cli and the tests implement it without a window.
//
// Every call is made from a worker's thread and returns once the host has done it. A worker
// never holds a queue lock while it calls the host.

#include "queue/queue_view.h"

#include <QString>
#include <QStringList>

#include <atomic>

namespace orvix {

// Row statuses the workers set.
inline constexpr char16_t kRowWorking[] = u"<working>";
inline constexpr char16_t kRowDone[] = u"done";
inline constexpr char16_t kRowFailed[] = u"failed";
inline constexpr char16_t kRowCanceled[] = u"canceled";

// The caption of a page line's row: "Q2: " + its URL. A media line's row is its download URL.
QString PageRowCaption(const QString &url);

// Shared with the private-picture panel: the panel is on screen, and the user asked to skip the
// picture it shows. The page worker clears the second before it asks for the panel.
extern std::atomic<bool> PrivatePanelShown;
extern std::atomic<bool> SkipPrivatePicture;

class IWorkerHost : public IQueueView
{
public:
    // Status of the first row whose caption is caption (see kRow...).
    virtual void SetListViewQueueStatus(const QString &caption, const QString &status) = 0;

    // Page worker.
    // The picture pages of a thumbnails page (entry lines) go right behind the line at the
    // front of the page queue, each with lineSuffix. False when it could not run because the
    // program is closing (the line then stays queued).
    virtual bool AddToQ2(const QStringList &entries, const QString &lineSuffix) = 0;
    // Shows the private-picture panel for url and sets PrivatePanelShown.
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
    // The status line ("Downloading: ..." or "-PAUSED-: ...").
    virtual void ShowDownloading(const QString &caption) = 0;
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
