#include "engine/page_worker.h"

#include "engine/ie_http.h"
#include "engine/picture_size.h"
#include "engine/listing_drop.h"
#include "engine/picture_file.h"
#include "engine/worker_host.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/message_quote.h"
#include "foundation/text.h"
#include "pages/page_mode.h"
#include "pages/parse_reports.h"
#include "foundation/run_control.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <chrono>
#include <thread>

namespace orvix {

namespace {

constexpr int kFetchAttempts = 5;

QString failedUrlText(const QString &url)
{
    return QStringLiteral("URL failed (M): ") + url;
}

// What a listing line's page turned out to be, for the message that says it held no pictures.
QString listingPageKind(int pageMode, QStringView text)
{
    const QString empty = QStringLiteral(" showing no pictures");
    switch (pageMode) {
    case pmSetThumbs:
        return QStringLiteral("a set page") + empty;
    case pmPhotoParagraphs:
        return QStringLiteral("a page of photo paragraphs (tags)") + empty;
    case pmPoolHoldPhotos:
        return QStringLiteral("a group pool page") + empty;
    case pmPhotoContainerPool:
        return QStringLiteral("a pool page with one photo container") + empty;
    case pmPhotoContainers:
        return QStringLiteral("a page of photo containers (photostream, favorites)") + empty;
    case pmSearchResults:
        return QStringLiteral("a page of search results") + empty;
    default:
        break;
    }
    QString kind = QStringLiteral("a page the program does not recognise: neither a picture page nor a listing");
    const qsizetype open = text.indexOf(u"<title", 0, Qt::CaseInsensitive);
    const qsizetype start = open < 0 ? -1 : text.indexOf(u'>', open);
    const qsizetype end = start < 0 ? -1 : text.indexOf(u"</title", start, Qt::CaseInsensitive);
    if (end > start)
        kind += QStringLiteral(", titled \"")
                + QuoteForMessage(text.mid(start + 1, end - start - 1).toString().simplified()) + u'"';
    return kind;
}

} // namespace

TThreadDownloadPageItems::TThreadDownloadPageItems(QueueState &queues, IWorkerHost &host, WorkerTiming timing)
    : TWorkerThread(queues.run(), timing), m_queues(queues), m_host(host)
{
}

TThreadDownloadPageItems::~TThreadDownloadPageItems()
{
    WaitFor();
}

void TThreadDownloadPageItems::Execute()
{
    TIEHttp http;
    http.UnzipMethod = u'G';
    ApplyWorkerLimits(http, m_timing, m_run);
    http.FailOnHttpError = true; // an error page is no picture page
    m_http = &http;
    TLogParseReports reports;
    m_context.Reports = &reports;

    while (!m_run.AppClosing) {
        Pause(m_timing.pollMs);
        try {
            ServeCancelAndPause(m_queues.PageQueue, m_run.CancelPageQueue, m_host, [this](const QString &line) {
                m_queues.DeleteQueueItemFile(QueueKind::Page, PageLineKey(line));
            });
            if (m_run.AppClosing)
                break;
            if (m_run.CancelPageQueue || m_queues.PageQueue.Count() == 0)
                continue;
        } catch (const std::exception &e) {
            LogMessage(QStringLiteral("page queue: ") + exceptionMessage(e));
            continue;
        }

        const QString line = FirstQueueLine(m_queues.PageQueue);
        if (line.isNull())
            continue;
        try {
            processLine(line);
        } catch (const std::exception &e) {
            // A parser, the picture's queuing or a file may raise; the line fails like one
            // whose page could not be read, and the queue goes on.
            const QString url = TextTrim(FirstLineField(line));
            const QString text = failedUrlText(url) + QStringLiteral(", error=") + exceptionMessage(e);
            try {
                failLine(line, url, text, text);
            } catch (const std::exception &again) {
                LogMessage(QStringLiteral("page queue: ") + exceptionMessage(again));
            }
        }
    }
    m_context.Reports = nullptr;
    m_http = nullptr;
}

void TThreadDownloadPageItems::processLine(const QString &line)
{
    const std::optional<PageLine> parsed = ParsePageLine(line);
    if (!parsed) {
        // Never followed, and never taken for done: its item file stays for the user to see.
        RemoveFirstIfStill(m_queues.PageQueue, line);
        LogMessage(QStringLiteral("malformed line (not processed): ") + line.left(kMaxQuotedLine));
        setStatus(FirstLineField(line), RowStatus::Failed);
        return;
    }
    const PageLine &page = *parsed;
    setStatus(page.url, RowStatus::Working);

    QString text;
    QString lastError;
    if (fetchPage(page, text, lastError) == Fetch::Abandoned)
        return; // closing: the line stays queued, its item file with it
    if (m_run.CancelPageQueue) {
        setStatus(page.url, RowStatus::Canceled);
        return;
    }
    if (text.isEmpty()) {
        const QString message = failedUrlText(page.url) + QStringLiteral(", error=") + lastError;
        failLine(line, page.url, message, message);
        return;
    }
    m_context.WorkerPageText = text;
    if (handlePrivatePicture(line, page.url, text))
        return;
    if (page.isThumbnailsPage())
        thumbnailsPage(line, page);
    else
        picturePage(line, page);
}

TThreadDownloadPageItems::Fetch TThreadDownloadPageItems::fetchPage(const PageLine &page, QString &text,
                                                                    QString &lastError)
{
    for (int attempt = 1; attempt <= kFetchAttempts; ++attempt) {
        if (page.isThumbnailsPage()) {
            if (hiddenBrowserFetch(page.url, text) == Fetch::Abandoned)
                return Fetch::Abandoned;
            // A page that never shows its end within the attempts is read as it stands.
            if (TextContainsNoCase(text, u"/body"))
                return Fetch::Done;
            continue;
        }
        try {
            m_http->ExecuteUrl(page.url);
            if (m_run.AppClosing)
                return Fetch::Abandoned;
            text = m_http->ResultText();
            return Fetch::Done;
        } catch (const std::exception &e) {
            text.clear();
            lastError = QuoteForMessage(exceptionMessage(e));
            LogMessage(lastError);
            if (m_run.AppClosing)
                return Fetch::Abandoned;
        }
    }
    return Fetch::Done;
}

TThreadDownloadPageItems::Fetch TThreadDownloadPageItems::hiddenBrowserFetch(const QString &url, QString &text)
{
    using namespace std::chrono;
    synchNavigate3url = url;
    m_host.Navigate3(synchNavigate3url);
    // The listing builds its thumbnails by script: it is given this long before it is read.
    const auto end = steady_clock::now() + milliseconds(m_timing.browserWaitMs);
    for (auto now = steady_clock::now(); now < end; now = steady_clock::now()) {
        if (m_run.AppClosing)
            return Fetch::Abandoned;
        std::this_thread::sleep_for(std::min(duration_cast<milliseconds>(end - now),
                                             milliseconds(qMax(m_timing.browserCheckMs, 1))));
    }
    if (m_run.AppClosing)
        return Fetch::Abandoned;
    synchNavigate3result = m_host.ReadHiddenBrowser();
    text = synchNavigate3result;
    return Fetch::Done;
}

bool TThreadDownloadPageItems::handlePrivatePicture(const QString &line, const QString &url, const QString &text)
{
    if (!TextContains(text, u"class=\"confirmation_button\"")) {
        // The user approved the picture in the browser: the page shows it now.
        if (m_run.PrivatePanelShown)
            m_host.HidePrivatePanel();
        return false;
    }
    if (!m_run.PrivatePanelShown) {
        m_run.SkipPrivatePicture = false;
        m_host.SetPrivatePanel(url);
    } else if (m_run.SkipPrivatePicture) {
        // The row keeps its status; the line will not come back on resume.
        if (RemoveFirstIfStill(m_queues.PageQueue, line))
            m_queues.DeleteQueueItemFile(QueueKind::Page, line);
        m_host.HidePrivatePanel();
    }
    // Otherwise the same page is fetched again next pass, until it is approved or skipped.
    return true;
}

void TThreadDownloadPageItems::picturePage(const QString &line, const PageLine &page)
{
    TImageData &data = m_context.WorkerImageData;
    data.ImageId.clear();
    data.ImageSecretID.clear();
    data.PageUrl = page.url;
    ParseWorkerPicturePage(m_context);
    if (data.ImageId.isEmpty() || data.ImageSecretID.isEmpty()) {
        failLine(line, page.url, QStringLiteral("Could not read image for url: ") + page.url, failedUrlText(page.url));
        return;
    }
    const TImageData picture = data;
    // Removed or canceled while its page was read: nothing may be queued, nor an item file
    // written, for a line the user took away. Its row says so already.
    if (!IsFirstStill(m_queues.PageQueue, line))
        return;
    bool queued = false;
    {
        const QueueTempEntry inProgress(m_queues, picture.PageUrl);
        queued = queuePicture(picture, page);
    }
    if (m_run.AppClosing)
        return; // the line stays for the next run
    if (!queued && !m_run.CancelPageQueue && !m_run.CancelMediaQueue) {
        // Nothing was queued for a picture that should have been: the line is tried again on resume.
        failLine(line, page.url, QStringLiteral("Could not find the picture file for url: ") + QuoteForMessage(page.url),
                 failedUrlText(page.url));
        return;
    }
    finishLine(line, page.url);
}

bool TThreadDownloadPageItems::queuePicture(const TImageData &picture, const PageLine &page)
{
    // Only the current page layout leads to the sizes page; for others nothing is queued and
    // the line still counts as done.
    if (picture.PageVersion != 2)
        return true;
    if (alreadyQueuedOrSaved(picture, page))
        return true;
    const QString downloadUrl = ResolvePictureFileUrl(m_run, picture.ImageId, picture.ImageSecretID,
                                                      SizeLetter(page.sizeIndex()).at(0), picture.PageUrl);
    if (downloadUrl.isEmpty())
        return false;
    m_queues.QueuePicture(downloadUrl, picture.ImageId, picture.ImageSecretID, picture.ImageName, QString(),
                          picture.PageUrl, page.targetFolder, page.tags, m_host);
    return true;
}

// A page line that comes back on resume after its picture had been queued (the program ended
// between queuing the picture and finishing the page line) must not fetch the picture again:
// its media line is still waiting, or its file was saved meanwhile.
bool TThreadDownloadPageItems::alreadyQueuedOrSaved(const TImageData &picture, const PageLine &page)
{
    {
        TThreadStringList::Locker lock(m_queues.MediaQueue);
        for (const QString &queued : std::as_const(lock.list())) {
            // Most lines are other pictures: a plain search passes them over before any split.
            if (!TextContains(queued, picture.PageUrl))
                continue;
            const std::optional<MediaLine> media = ParseMediaLine(queued);
            if (media && media->pageUrl == picture.PageUrl && media->targetFolder == page.targetFolder) {
                LogMessage(QStringLiteral("Picture already queued: ") + picture.PageUrl);
                return true;
            }
        }
    }
    const QString folder = page.targetFolder.isEmpty() ? m_host.DefaultTargetFolder() : page.targetFolder;
    const QString saved = folder.isEmpty() ? QString() : FindPictureFileInFolder(PictureFolder(folder), picture.ImageIdX);
    if (!saved.isEmpty()) {
        LogMessage(QStringLiteral("Picture already saved: ") + picture.PageUrl);
        // Counted as saved from now on, so the lookups agree with the folder and the next
        // attempt to save it is not queued at all.
        m_queues.RecordFoundPicture(picture, saved);
        return true;
    }
    return false;
}

void TThreadDownloadPageItems::thumbnailsPage(const QString &line, const PageLine &page)
{
    m_context.WorkerPageEntries.clear();
    const int pageMode = ParseWorkerMatrixPage(m_context);
    if (!m_context.WorkerPageEntries.isEmpty()) {
        if (!IsFirstStill(m_queues.PageQueue, line))
            return; // removed meanwhile: its listing is not wanted any more
        if (m_host.AddToQ2(m_context.WorkerPageEntries, PictureLineSuffix(page)))
            finishLine(line, page.url);
        return;
    }
    // A listing that ran past its last page still shows its layout. A page the program does not
    // recognise is no such end: it fails, whatever its address holds.
    if (pageMode != pmNotThumbnails && !ListingPrefix(page.url).isEmpty()) {
        dropListing(page.url);
        return;
    }
    failLine(line, page.url,
             QStringLiteral("No images found in page: ") + page.url + QStringLiteral(" (")
                 + listingPageKind(pageMode, m_context.WorkerPageText) + u')',
             failedUrlText(page.url));
}

void TThreadDownloadPageItems::dropListing(const QString &url)
{
    const QStringList removed = RemoveListingLines(m_queues.PageQueue, ListingPrefix(url));
    // Files and rows only once the queue's lock is released.
    for (const QString &pageUrl : removed)
        m_queues.DeleteQueueItemFile(QueueKind::Page, pageUrl);
    for (const QString &pageUrl : removed)
        setStatus(pageUrl, RowStatus::Done);
}

void TThreadDownloadPageItems::finishLine(const QString &line, const QString &url)
{
    setStatus(url, m_run.CancelPageQueue ? RowStatus::Canceled : RowStatus::Done);
    // Taken away meanwhile (remove or cancel), its item file went with it.
    if (RemoveFirstIfStill(m_queues.PageQueue, line))
        m_queues.DeleteQueueItemFile(QueueKind::Page, line);
}

void TThreadDownloadPageItems::failLine(const QString &line, const QString &url, const QString &message,
                                        const QString &logLine)
{
    LogMessage(message);
    Pause(m_timing.failurePauseMs);
    try {
        LogToFile(m_run.SettingsFile(QStringLiteral("orvix.log")), logLine);
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
    RemoveFirstIfStill(m_queues.PageQueue, line);
    setStatus(url, RowStatus::Failed);
}

void TThreadDownloadPageItems::setStatus(const QString &url, RowStatus status)
{
    m_host.SetListViewQueueStatus(PageRowCaption(url), status);
}

} // namespace orvix
