#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace orvix {

class TIEHttp;

// Fetches the source of the page the browser shows: the engine keeps no copy of the bytes it
// received, so the document is requested again through the program's HTTP client, which
// shares the browser's cookies. The request runs on a thread of its own; the result comes
// back on the fetcher's thread. Only the latest fetch reports: starting another, cancel() and
// destruction stop the one running.
class PageSourceFetcher : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(const QString &source)>;

    explicit PageSourceFetcher(QObject *parent = nullptr);
    ~PageSourceFetcher() override;

    // The body as bytes widened one per character; empty text when the request failed or the
    // address is not one the program fetches (file addresses are read from disk).
    void fetch(const QUrl &url, Done done);
    void cancel();
    bool busy() const { return m_running != nullptr; }

    void setTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }
    // Sent as the client's name, so the site answers as it answered the browser.
    void setUserAgent(const QString &agent) { m_userAgent = agent; }

private:
    struct Request;
    void finished(const std::shared_ptr<Request> &request, const QString &source);

    std::shared_ptr<Request> m_running;
    int m_timeoutSeconds = 30;
    QString m_userAgent;
};

} // namespace orvix
