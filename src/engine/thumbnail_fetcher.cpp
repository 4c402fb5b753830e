#include "thumbnail_fetcher.h"

#include "engine/ie_http.h"
#include "foundation/file_names.h"
#include "foundation/run_control.h"

#include <QFile>
#include <QRandomGenerator>

#include <chrono>

#include <pthread.h>

namespace orvix {

namespace {

// The program's end is also noticed by the threads that only wait.
constexpr auto kClosingCheck = std::chrono::milliseconds(250);

// The extension (with its dot) of the URL's last path part, query left out.
QString urlExtension(const QString &url)
{
    const QString path = url.section(u'?', 0, 0);
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

QString ThumbnailSizeUrl(const QString &url)
{
    // Position length - 5, counted from 1, exists from six characters on.
    const qsizetype n = url.size();
    if (n >= 6 && url.at(n - 6) == u'_') {
        QString result = url;
        result[n - 5] = u't';
        return result;
    }
    QString result = url;
    return result.replace(QLatin1String(".jpg"), QLatin1String("_t.jpg"));
}

void TThumbnailRequests::Add(const QString &frameName, const QString &thumbUrl)
{
    ThumbnailRequests.Add(frameName + u'|' + thumbUrl);
    std::function<void()> wake;
    {
        std::lock_guard lock(m_wakeLock);
        wake = m_wake;
    }
    if (wake)
        wake();
}

void TThumbnailRequests::NewBatch()
{
    TThreadStringList::Locker lock(ThumbnailRequests);
    lock.list().clear();
    ++ThumbnailBatchId;
}

int TThumbnailRequests::NextFileNumber()
{
    TThreadStringList::Locker lock(ThumbnailRequests);
    return ++m_fileCounter;
}

void TThumbnailRequests::setWake(std::function<void()> wake)
{
    std::lock_guard lock(m_wakeLock);
    m_wake = std::move(wake);
}

TThreadIEThumbs::TThreadIEThumbs(TThumbnailRequests &requests, RunControl &run, IThumbnailDisplay &display,
                                 const QString &tempFolder)
    : m_requests(requests), m_run(run), m_display(display), m_tempFolder(tempFolder)
{
    for (int i = 0; i < kThreads; ++i)
        m_threads.push_back(std::make_unique<TThreadDownloadThumb>(*this));
}

TThreadIEThumbs::~TThreadIEThumbs()
{
    Stop();
}

void TThreadIEThumbs::Start()
{
    if (m_dispatcher.joinable())
        return;
    m_requests.setWake([this] { wake(); });
    for (auto &t : m_threads)
        t->Start();
    m_dispatcher = std::thread([this] { dispatch(); });
    // Named, so its CPU time can be told apart (the benchmark reads it).
    pthread_setname_np(m_dispatcher.native_handle(), "IeThumbs");
}

void TThreadIEThumbs::Stop()
{
    m_requests.setWake({});
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_dispatcher.joinable())
        m_dispatcher.join();
    for (auto &t : m_threads)
        t->Join();
}

int TThreadIEThumbs::busyThreads() const
{
    std::lock_guard lock(m_lock);
    int n = 0;
    for (const auto &t : m_threads)
        n += t->running;
    return n;
}

bool TThreadIEThumbs::ending() const
{
    return m_stopping || m_run.AppClosing;
}

void TThreadIEThumbs::wake()
{
    // Taking the lock orders the wake after a waiter's check of its condition.
    { std::lock_guard lock(m_lock); }
    m_changed.notify_all();
}

void TThreadIEThumbs::dispatch()
{
    std::unique_lock lock(m_lock);
    while (!ending()) {
        ++m_rounds;
        TThreadDownloadThumb *idle = nullptr;
        for (auto it = m_threads.rbegin(); it != m_threads.rend() && !idle; ++it)
            if (!(*it)->running)
                idle = it->get();
        // Nothing to hand out, or nobody free to take it: sleep until a request comes in or a
        // thread finishes (never spin).
        QString line;
        if (idle) {
            TThreadStringList::Locker requests(m_requests.ThumbnailRequests);
            QStringList &pending = requests.list();
            if (!pending.isEmpty())
                line = pending.takeAt(QRandomGenerator::global()->bounded(int(pending.size())));
        }
        if (line.isEmpty()) {
            m_changed.wait_for(lock, kClosingCheck);
            continue;
        }
        idle->thisBatchId = m_requests.ThumbnailBatchId;
        idle->line = line;
        idle->running = true;
        m_changed.notify_all();
    }
}

TThreadDownloadThumb::TThreadDownloadThumb(TThreadIEThumbs &owner) : m_owner(owner) {}

TThreadDownloadThumb::~TThreadDownloadThumb()
{
    Join();
}

void TThreadDownloadThumb::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Execute(); });
}

void TThreadDownloadThumb::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void TThreadDownloadThumb::Execute()
{
    std::unique_lock lock(m_owner.m_lock);
    while (!m_owner.ending()) {
        if (!running) {
            m_owner.m_changed.wait_for(lock, kClosingCheck);
            continue;
        }
        const QString request = line;
        const int batchId = thisBatchId;
        lock.unlock();
        try {
            handle(request, batchId);
        } catch (...) {
            // A thumbnail that cannot be had leaves its frame "loading".
        }
        lock.lock();
        line.clear();
        running = false;
        m_owner.m_changed.notify_all();
    }
}

void TThreadDownloadThumb::handle(const QString &request, int batchId)
{
    TThumbnailRequests &requests = m_owner.m_requests;
    if (requests.ThumbnailBatchId != batchId)
        return;
    const qsizetype bar = request.indexOf(u'|');
    if (bar < 0)
        return;
    const QString frameName = request.left(bar);
    const QString thumbUrl = request.mid(bar + 1);

    const int n = requests.NextFileNumber();
    const QString fileName = UniqueFileName(m_owner.m_tempFolder + QStringLiteral("IeThumb_") + QString::number(n)
                                            + u'_' + urlExtension(thumbUrl));

    // The program's cookie jar and certificate checks, like every other request.
    TIEHttp http;
    http.ForceHttpReload = false;
    http.StopWhen = &m_owner.m_stopping;
    http.ExecuteUrl(ThumbnailSizeUrl(thumbUrl));
    if (http.ErrorCode() != 0 || m_owner.ending())
        return;
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly) || file.write(http.ResultMs()) != http.ResultMs().size()) {
            file.remove();
            return;
        }
    }
    if (requests.ThumbnailBatchId == batchId && !m_owner.ending())
        m_owner.m_display.showThumbnail(frameName, fileName, batchId);
    // Shown or not, the file has served: none is left behind in the temporary folder.
    QFile::remove(fileName);
}

} // namespace orvix
