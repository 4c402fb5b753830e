#pragma once

// Thumbnails of the web panel's frames, fetched in the background: one dispatcher thread hands
// the pending requests, in random order, to ten download threads; each writes its thumbnail to
// a temporary file and has the main thread show it. A batch id, raised whenever the frames are
// removed, keeps a thumbnail of an earlier page from reaching a new page's frame of the same name.

#include "foundation/thread_string_list.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvix {

class RunControl;

// The thumbnail address of the size the frames show: "..._s.jpg" becomes "..._t.jpg" (when the
// character at position length - 5, counted from 1, is "_", the one after it becomes "t"),
// otherwise every ".jpg" becomes "_t.jpg". An address too short to have that position (five
// characters or fewer) only gets the ".jpg" rule.
QString ThumbnailSizeUrl(const QString &url);

// What the web panel and the fetcher share. The panel appends and clears on the main thread;
// the fetcher's threads take lines and read the batch id.
class TThumbnailRequests
{
public:
    // Lines frame name + "|" + thumbnail URL; always locked while read or changed.
    TThreadStringList ThumbnailRequests;
    // Raised by one each time the frames are removed; a request of an older batch is dropped.
    std::atomic<int> ThumbnailBatchId{0};

    void Add(const QString &frameName, const QString &thumbUrl);
    // Pending requests dropped and the batch raised, so thumbnails in flight are dropped too.
    void NewBatch();
    // Numbers the temporary files; raised under the requests' lock.
    int NextFileNumber();

    // The fetcher waits here for lines; Add wakes it.
    void setWake(std::function<void()> wake);

private:
    int m_fileCounter = 0;
    std::mutex m_wakeLock;
    std::function<void()> m_wake;
};

// Shows a finished thumbnail. Called on a download thread; the implementation runs the display
// on the main thread and returns when it is done (or refused). The fetcher deletes the file
// after the call in every case.
class IThumbnailDisplay
{
public:
    virtual ~IThumbnailDisplay() = default;
    virtual void showThumbnail(const QString &frameName, const QString &fileName, int batchId) = 0;
};

class TThreadDownloadThumb;

// The dispatcher (TThreadIEThumbs) with its ten download threads.
class TThreadIEThumbs
{
public:
    static constexpr int kThreads = 10;

    // Everything given outlives the fetcher. Temporary files go to tempFolder (ending in "/").
    TThreadIEThumbs(TThumbnailRequests &requests, RunControl &run, IThumbnailDisplay &display,
                    const QString &tempFolder);
    // Stops first.
    ~TThreadIEThumbs();
    TThreadIEThumbs(const TThreadIEThumbs &) = delete;
    TThreadIEThumbs &operator=(const TThreadIEThumbs &) = delete;

    void Start();
    // Ends every thread: running requests are stopped, a waiting display is left to the
    // display's own release (the window detaches it first). Waits for them.
    void Stop();

    // How often the dispatcher has woken up (it must sleep, not spin, while every thread is busy).
    quint64 dispatcherRounds() const { return m_rounds; }
    int busyThreads() const;

private:
    friend class TThreadDownloadThumb;
    bool ending() const;
    void dispatch();
    void wake();

    TThumbnailRequests &m_requests;
    RunControl &m_run;
    IThumbnailDisplay &m_display;
    const QString m_tempFolder;

    mutable std::mutex m_lock; // guards the download threads' assignment and running flags
    std::condition_variable m_changed;
    std::atomic<bool> m_stopping{false};
    std::atomic<quint64> m_rounds{0};
    std::vector<std::unique_ptr<TThreadDownloadThumb>> m_threads;
    std::thread m_dispatcher;
};

// One download thread: at most one request at a time.
class TThreadDownloadThumb
{
public:
    explicit TThreadDownloadThumb(TThreadIEThumbs &owner);
    ~TThreadDownloadThumb();

    // Written by the dispatcher only while running is false, under the owner's lock.
    QString line;
    int thisBatchId = 0;
    bool running = false;

    void Start();
    void Join();

private:
    void Execute();
    void handle(const QString &request, int batchId);

    TThreadIEThumbs &m_owner;
    std::thread m_thread;
};

} // namespace orvix
