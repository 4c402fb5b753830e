#include "browser/page_source_fetcher.h"

#include "engine/ie_http.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QThread>

#include <mutex>

namespace orvix {

struct PageSourceFetcher::Request
{
    QUrl url;
    QString userAgent;
    Done done;
    std::mutex lock;
    TIEHttp *http = nullptr; // set while the request runs, for stopping it
    bool stopped = false;

    void stop()
    {
        std::lock_guard guard(lock);
        stopped = true;
        if (http)
            http->StopRequest();
    }

    QString run(int timeoutSeconds)
    {
        if (url.isLocalFile()) {
            QFile f(url.toLocalFile());
            return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
        }
        const QString scheme = url.scheme().toLower();
        if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
            return QString();
        TIEHttp client;
        client.UnzipMethod = QLatin1Char('G');
        client.setTimeout(timeoutSeconds);
        if (!userAgent.isEmpty())
            client.HttpAgentString = userAgent;
        {
            std::lock_guard guard(lock);
            if (stopped)
                return QString();
            http = &client;
        }
        QString source;
        try {
            client.ExecuteUrl(url.toString(QUrl::RemoveFragment));
            if (client.ErrorCode() == 0)
                source = QString::fromLatin1(client.ResultMs());
        } catch (const std::exception &) {
            // The browser shows its own error page; there is no source to give.
        }
        std::lock_guard guard(lock);
        http = nullptr;
        return source;
    }
};

PageSourceFetcher::PageSourceFetcher(QObject *parent) : QObject(parent) {}

PageSourceFetcher::~PageSourceFetcher()
{
    cancel();
}

void PageSourceFetcher::fetch(const QUrl &url, Done done)
{
    cancel();
    auto request = std::make_shared<Request>();
    request->url = url;
    request->userAgent = m_userAgent;
    request->done = std::move(done);
    m_running = request;
    const int timeout = m_timeoutSeconds;
    QPointer<PageSourceFetcher> self(this);
    QThread *thread = QThread::create([self, request, timeout] {
        const QString source = request->run(timeout);
        // The fetcher may be gone by now; the queued call is then dropped with it.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, request, source] {
                if (self)
                    self->finished(request, source);
            },
            Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}

void PageSourceFetcher::cancel()
{
    if (m_running) {
        m_running->stop();
        m_running.reset();
    }
}

void PageSourceFetcher::finished(const std::shared_ptr<Request> &request, const QString &source)
{
    if (request != m_running)
        return;
    m_running.reset();
    if (request->done)
        request->done(source);
}

} // namespace orvix
