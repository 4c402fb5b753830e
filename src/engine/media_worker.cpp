#include "engine/media_worker.h"

#include "engine/http_decode.h"
#include "engine/ie_http.h"
#include "engine/picture_file.h"
#include "engine/worker_host.h"
#include "foundation/dialogs.h"
#include "foundation/durable_file.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/formats.h"
#include "foundation/log.h"
#include "foundation/message_quote.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/run_control.h"
#include "queue/queue_line.h"
#include "pages/image_data.h"
#include "queue/queue_state.h"

#include <QScopeGuard>
#include <QStorageInfo>

#include <algorithm>
#include <optional>

namespace orvix {

namespace {

constexpr int kFetchAttempts = 5;

// The server said how long the body is (without it the size check can tell nothing).
bool lengthAnnounced(const TIEHttp &http)
{
    return !http.GetResponseHeaderValue(QStringLiteral("Content-Length")).isEmpty()
           || !http.GetResponseHeaderValue(QStringLiteral("Custom-Content-Length")).isEmpty();
}

} // namespace

qint64 FreeDiskSpace(const QString &folder)
{
    // The volume of the folder, or of its nearest existing parent while it is not made yet.
    const QString root = DriveRoot(folder);
    if (root.isEmpty())
        return -1;
    const QStorageInfo storage(root);
    if (!storage.isValid() || !storage.isReady())
        return -1;
    return storage.bytesAvailable();
}

TThreadDownloadMediaItems::TThreadDownloadMediaItems(QueueState &queues, IWorkerHost &host,
                                                     MediaWorkerOptions options)
    : TWorkerThread(queues.run(), options.timing), m_queues(queues), m_host(host), m_options(std::move(options))
{
    if (!m_options.freeSpace)
        m_options.freeSpace = FreeDiskSpace;
}

TThreadDownloadMediaItems::~TThreadDownloadMediaItems()
{
    WaitFor();
}

void TThreadDownloadMediaItems::Execute()
{
    TIEHttp http;
    http.UnzipMethod = u'G';
    http.setBlockingMode(true);
    ApplyWorkerLimits(http, m_timing, m_run);
    http.MaxResponseBytes = kMaxPictureBytes;
    http.OnPacketRead = [this](TIEHttp &sender) { progress(sender); };
    // A stalled server raises no packet events; cancel must still reach the download.
    http.setTimerIntervalSeconds(1);
    http.OnTimer = [this](TIEHttp &sender) {
        if (m_run.Canceling())
            sender.StopRequest();
    };
    ie1 = &http;

    while (!m_run.AppClosing) {
        try {
            ServeCancelAndPause(m_queues.MediaQueue, m_run.CancelMediaQueue, m_host, [this](const QString &line) {
                m_queues.DeleteQueueItemFile(QueueKind::Media, MediaLineKey(line));
            });
            if (m_run.AppClosing)
                break;

            if (m_queues.MediaQueue.Count() == 0) {
                m_failedPasses.clear(); // counts of lines removed or canceled meanwhile
                // The page worker may still be producing lines.
                if (m_queues.PageQueue.Count() > 0) {
                    m_host.ShowDownloading(status());
                    m_host.ShowDownloadStatus();
                }
                if (!Pause(m_timing.pollMs))
                    break;
                m_host.Heartbeat();
                continue;
            }

            const QString outputFolder = m_host.OutputFolder();
            if (!outputFolder.isEmpty()) {
                const qint64 free = m_options.freeSpace(outputFolder);
                if (free >= 0 && free < kMinFreeDiskBytes) {
                    m_host.NotEnoughDiskSpace();
                    Pause(m_timing.diskWaitMs);
                    continue;
                }
            }

            m_host.ShowDownloadStatus();
            const QString line = FirstQueueLine(m_queues.MediaQueue);
            if (!line.isNull())
                serveLine(line);

            if (m_queues.PageQueue.Count() == 0 && m_queues.MediaQueue.Count() == 0)
                m_host.QueueFinished();
            m_host.ShowDownloading(status());
            m_host.ShowDownloadStatus();
        } catch (const std::exception &e) {
            // Nothing may end the worker: the line at the front is tried again after a pause.
            LogMessage(QStringLiteral("media queue: ") + exceptionMessage(e));
            Pause(m_timing.failurePauseMs);
        }
    }
    ie1 = nullptr;
}

void TThreadDownloadMediaItems::serveLine(const QString &line)
{
    const std::optional<MediaLine> parsed = ParseMediaLine(line);
    if (!parsed) {
        // Never followed, and never taken for done: its item file stays for the user to see.
        LogMessage(QStringLiteral("malformed line (not processed): ") + line.left(kMaxQuotedLine));
        m_host.SetListViewQueueStatus(FirstLineField(line), RowStatus::Failed);
        RemoveFirstIfStill(m_queues.MediaQueue, line);
        return;
    }
    const MediaLine &media = *parsed;
    const Result result = downloadPicture(media);
    if (result == Result::Interrupted)
        return; // closing: the line and its item file stay for the next run
    if (result == Result::Busy) {
        // Looked at again once the other run is done with it; not so often that waiting costs.
        Pause(qMax(m_timing.pollMs, 200));
        return;
    }
    if (result != Result::Failed) {
        m_failedPasses.remove(line);
        // Taken away meanwhile (remove or cancel), its item file went with it.
        if (RemoveFirstIfStill(m_queues.MediaQueue, line))
            m_queues.DeleteQueueItemFile(QueueKind::Media, media.pageUrl);
        return;
    }
    LogMessage(QStringLiteral("Could not download ") + QuoteForMessage(media.fileBase));
    Pause(m_timing.failurePauseMs);
    countFailure(line, media);
}

void TThreadDownloadMediaItems::countFailure(const QString &line, const MediaLine &media)
{
    if (m_options.maxFailedPasses <= 0)
        return; // tried at the front until it succeeds, is removed or the queue is canceled
    int &passes = m_failedPasses[line];
    if (++passes < m_options.maxFailedPasses) {
        // The lines that wait go first: one bad picture must not hold up the rest.
        MoveFirstToEndIfStill(m_queues.MediaQueue, line);
        return;
    }
    m_failedPasses.remove(line);
    // Its row stays "failed" and its item file stays, so "Requeue failed" and the next start's
    // resume take it up again.
    if (RemoveFirstIfStill(m_queues.MediaQueue, line))
        LogMessage(QStringLiteral("Gave up on ") + media.downloadUrl + QStringLiteral(" after ")
                   + QString::number(m_options.maxFailedPasses) + QStringLiteral(" failed passes"));
}

TThreadDownloadMediaItems::Result TThreadDownloadMediaItems::downloadPicture(const MediaLine &media)
{
    _imageUrl = media.downloadUrl;
    m_host.SetListViewQueueStatus(media.downloadUrl, RowStatus::Working);
    Result result = Result::Failed;
    try {
        const QString folder = PictureFolder(media.targetFolder.isEmpty() ? m_host.DefaultTargetFolder()
                                                                          : media.targetFolder);
        QString savedAs;
        if (folder.isEmpty())
            throw EOrvix(QStringLiteral("no folder to save to"));
        result = downloadInto(media, folder, PictureFileStem(media.fileBase), savedAs);
        if (result == Result::Saved) {
            try {
                m_host.PublishImage(savedAs, media.downloadUrl);
            } catch (const std::exception &) {
                // The picture is saved; showing it is not worth a retry.
            }
        }
    } catch (const std::exception &e) {
        LogMessage(QStringLiteral("Could not download ") + QuoteForMessage(media.downloadUrl)
                   + QStringLiteral(", error: ") + QuoteForMessage(exceptionMessage(e)));
        result = Result::Failed;
    }
    // A saved picture's row was set to "done" by PublishImage.
    if (result == Result::AlreadySaved)
        m_host.SetListViewQueueStatus(media.downloadUrl, RowStatus::Done);
    else if (result == Result::Canceled)
        m_host.SetListViewQueueStatus(media.downloadUrl, RowStatus::Canceled);
    else if (result == Result::Failed)
        m_host.SetListViewQueueStatus(media.downloadUrl, RowStatus::Failed);
    return result;
}

TThreadDownloadMediaItems::Result TThreadDownloadMediaItems::downloadInto(const MediaLine &media,
                                                                          const QString &folder,
                                                                          const QString &stem, QString &savedAs)
{
    const PictureNamer namer(folder, stem, PictureExtension(media.downloadUrl));
    if (namer.isTrimmed())
        LogMessage(QStringLiteral("msg: trimming long filename: ") + namer.untrimmedName());
    if (!m_options.fakeDownloadSample.isEmpty()) {
        if (!FileExists(m_options.fakeDownloadSample)) {
            InfoBox(QStringLiteral("The sample picture for fake_download is missing: ") + m_options.fakeDownloadSample);
            return Result::Failed;
        }
        savedAs = SaveNewPictureFile(namer, folder, ReadFileBytes(m_options.fakeDownloadSample));
        return Result::Saved;
    }

    if (!m_foldersChecked.contains(folder)) {
        RemoveStaleTemporaryFiles(folder);
        m_foldersChecked.insert(folder);
    }
    // Another run given the same list may have saved this picture, or be saving it now.
    const QString key = TextBefore(media.fileBase, u" ");
    const bool keyUsable = !key.isEmpty() && std::all_of(key.begin(), key.end(), [](QChar c) {
        return c == u'_' || (c.unicode() < 128 && c.isLetterOrNumber());
    });
    std::optional<PictureClaim> claim;
    if (keyUsable) {
        claim.emplace(folder, key);
        if (!claim->held())
            return Result::Busy;
        // The same picture queued twice in this run is saved twice, under a new name; one saved
        // elsewhere is not saved again.
        const QString saved = m_savedHere.contains(folder + key) ? QString() : FindPictureFileInFolder(folder, key);
        if (!saved.isEmpty()) {
            LogMessage(QStringLiteral("Picture already saved: ") + media.pageUrl);
            if (key.contains(u'_')) {
                TImageData picture;
                picture.ImageId = TextBefore(key, u"_");
                picture.ImageSecretID = TextAfter(key, u"_");
                picture.ImageIdX = key;
                picture.PageUrl = media.pageUrl;
                m_queues.RecordFoundPicture(picture, saved);
            }
            return Result::AlreadySaved;
        }
    }

    try {
        TemporaryPicture temp(folder);
        const Result result = downloadTo(media, temp);
        if (result != Result::Saved)
            return result;
        savedAs = temp.publish(namer);
        if (keyUsable)
            m_savedHere.insert(folder + key);
    } catch (const EFileError &e) {
        LogMessage(QStringLiteral("could not save \"") + namer.candidate(0) + QStringLiteral("\", error: ")
                   + exceptionMessage(e));
        return Result::Failed;
    }
    return Result::Saved;
}

// The picture's bytes in temp, checked; Saved when temp may be given its name.
TThreadDownloadMediaItems::Result TThreadDownloadMediaItems::downloadTo(const MediaLine &media, TemporaryPicture &temp)
{
    const bool fetched = fetch(media.downloadUrl, temp);
    if (fetched && ie1->Canceled())
        return m_run.AppClosing ? Result::Interrupted : Result::Canceled;
    if (!fetched || ie1->BytesReadTotal() == 0)
        return Result::Failed;
    temp.close();
    // An error page is no picture: saved, it would count as the downloaded file.
    const int status = ie1->StatusCode();
    if (status < 200 || status >= 300) {
        LogMessage(QStringLiteral("Could not download ") + QuoteForMessage(media.downloadUrl)
                   + QStringLiteral(": HTTP ") + QString::number(status));
        return Result::Failed;
    }
    // Checked before the file gets a name, so a cut-off body never becomes a picture file.
    // The bytes received are compared, not the body after any decompression.
    if (ie1->ContentSize() > 0 && lengthAnnounced(*ie1) && ie1->ContentSize() != ie1->BytesReadTotal()) {
        LogMessage(QStringLiteral("ie1.ContentSize <> ie1.ResultMs.Size"));
        return Result::Failed;
    }
    try {
        DecodeResponseFile(temp.name(), ie1->UnzipMethod);
    } catch (const EFileError &) {
        throw;
    } catch (const std::exception &e) {
        LogMessage(QStringLiteral("Could not download ") + QuoteForMessage(media.downloadUrl) + QStringLiteral(": ")
                   + exceptionMessage(e));
        return Result::Failed;
    }
    // A page or junk answered with success would otherwise be kept, and then pass for the
    // saved picture for good.
    if (!LooksLikePicture(temp.head(16))) {
        LogMessage(QStringLiteral("Could not download ") + QuoteForMessage(media.downloadUrl)
                   + QStringLiteral(": the answer is not a picture"));
        return Result::Failed;
    }
    return Result::Saved;
}

bool TThreadDownloadMediaItems::fetch(const QString &url, TemporaryPicture &temp)
{
    ie1->BodySink = [&temp](const char *data, qint64 size) { return temp.append(data, size); };
    const auto noSink = qScopeGuard([this] { ie1->BodySink = nullptr; });
    bool fetched = false;
    for (int attempt = 1; attempt <= kFetchAttempts && !fetched && !m_run.AppClosing; ++attempt) {
        try {
            temp.restart();
            ie1->ExecuteUrl(url);
            fetched = true;
        } catch (const EFileError &) {
            throw;
        } catch (const std::exception &e) {
            QString message = exceptionMessage(e);
            if (!temp.error().isEmpty())
                message += QStringLiteral(" (") + temp.error() + u')';
            LogMessage(QStringLiteral("connection reset: url: ") + QuoteForMessage(ie1->URL())
                       + QStringLiteral(", error: ") + message);
        }
    }
    m_bytesRead = -1;
    return fetched;
}

void TThreadDownloadMediaItems::progress(TIEHttp &http)
{
    m_bytesRead = http.BytesReadTotal();
    m_bytesTotal = http.ContentSize();
    m_host.ShowDownloading(status());
    if (m_run.Canceling())
        http.StopRequest();
}

DownloadProgress TThreadDownloadMediaItems::status() const
{
    DownloadProgress p;
    p.bytesRead = m_bytesRead;
    p.total = m_bytesTotal;
    p.picturesLeft = m_queues.MediaQueue.Count();
    p.pagesPending = m_queues.PageQueue.Count();
    p.paused = m_run.QueuePaused;
    return p;
}

} // namespace orvix
