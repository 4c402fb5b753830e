#pragma once

// Makes strip previews off the main thread: decoding a camera picture, scaling it and writing its
// cached thumbnail takes far longer than the window may stall, and a search shows a hundred at
// once. A small pool of the run's registered threads takes requests in order; each result comes
// back to the main thread as ready(ticket, picture). A canceled ticket never reports, so a frame
// that is gone never receives a picture. Destroying the maker drops what is still queued and
// waits only for the pictures in hand.

#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace orvix {

class RunControl;

// The preview of a picture file at the given height (the width follows the picture; a picture
// smaller than that is kept at its own size), or a null image when it cannot be read. JPEGs are
// decoded at the smallest of libjpeg's reduced sizes still at least that high, then scaled with
// Lanczos-3. Callable from any thread.
QImage MakeThumbnail(const QString &picturePath, int height);

// The size MakeThumbnail will give, read from the file's header only; an empty size when unknown.
QSize PredictThumbnailSize(const QString &picturePath, int height);

class TThumbnailMaker : public QObject
{
    Q_OBJECT
public:
    // The threads are registered with run's thread list and stop taking work once it closes.
    // run must outlive them: stop() (or destroy) the maker before run goes.
    explicit TThumbnailMaker(RunControl &run, QObject *parent = nullptr, int threads = 2);
    ~TThumbnailMaker() override;

    // Queues a preview of picturePath; when cachedPath is not empty the result is written there
    // too. The answer comes as ready(ticket, ...), the error picture when the file cannot be read.
    quint64 request(const QString &picturePath, const QString &cachedPath, int height);
    // The ticket's result is not wanted any more.
    void cancel(quint64 ticket);
    // Requests not yet answered nor canceled.
    int pending() const { return int(m_live.size()); }
    // Drops the queue and waits for the threads; later requests are never answered.
    void stop();

Q_SIGNALS:
    void ready(quint64 ticket, const QImage &picture);

private:
    struct Job
    {
        quint64 ticket = 0;
        QString picturePath;
        QString cachedPath;
        int height = 0;
    };
    void run();
    void deliver(quint64 ticket, const QImage &picture);

    RunControl &m_run;
    const int m_threadCount;
    std::vector<std::thread> m_threads;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Job> m_queue; // guarded by m_lock
    bool m_stopping = false; // guarded by m_lock
    // Main thread only.
    QSet<quint64> m_live;
    quint64 m_lastTicket = 0;
};

} // namespace orvix
