#pragma once

// The page worker: serves the page queue. A picture page becomes a media line for the media
// worker; a thumbnails page, loaded in the hidden browser, becomes one page line per listed
// picture right behind itself. It waits for the user's approval of a private picture, and drops
// the rest of a numbered listing once a page of it shows no pictures.
//
// The line at index 0 stays in the queue while it is worked on; only this worker removes it,
// and only while it is still the line it took.

#include "engine/worker_thread.h"
#include "pages/page_parser.h"
#include "queue/queue_row.h"

#include <QString>

namespace orvix {

class IWorkerHost;
class QueueState;
class TIEHttp;
struct PageLine;
struct TImageData;

class TThreadDownloadPageItems : public TWorkerThread
{
public:
    // queues and host must outlive the worker.
    TThreadDownloadPageItems(QueueState &queues, IWorkerHost &host, WorkerTiming timing = {});
    ~TThreadDownloadPageItems() override;

    // The hidden browser's last request and answer.
    QString synchNavigate3url;
    QString synchNavigate3result;

protected:
    void Execute() override;
    QString ThreadClassName() const override { return QStringLiteral("TThreadDownloadPageItems"); }

private:
    enum class Fetch { Done, Abandoned };

    void processLine(const QString &line);
    Fetch fetchPage(const PageLine &page, QString &text, QString &lastError);
    Fetch hiddenBrowserFetch(const QString &url, QString &text);
    // True when the line is a confirmation page that was dealt with.
    bool handlePrivatePicture(const QString &line, const QString &url, const QString &text);
    void picturePage(const QString &line, const PageLine &page);
    // False when the picture should have been queued and could not be (its file was not found).
    bool queuePicture(const TImageData &picture, const PageLine &page);
    bool alreadyQueuedOrSaved(const TImageData &picture, const PageLine &page);
    void thumbnailsPage(const QString &line, const PageLine &page);
    void dropListing(const QString &url);
    // The line is done: its row, then (if still at the front) the line and its item file.
    void finishLine(const QString &line, const QString &url);
    // A failure: message log, pause, "orvix.log", the line leaves the queue (its item file stays)
    // and its row says "failed".
    void failLine(const QString &line, const QString &url, const QString &message, const QString &logLine);
    void setStatus(const QString &url, RowStatus status);

    QueueState &m_queues;
    IWorkerHost &m_host;
    TPageWorkerContext m_context;
    TIEHttp *m_http = nullptr; // lives on the worker's stack while Execute runs
};

} // namespace orvix
