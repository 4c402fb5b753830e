#pragma once

// The media worker: serves the media queue. Each line's picture streams into a temporary file
// in its target folder as it arrives, is checked against the announced size and for being a
// picture at all, then named from its file base under a name no other file has and handed to
// the host. A picture that another run saved or is saving is left to it. A failed picture
// goes behind the waiting lines and is tried again after a pause, until it has failed the
// allowed number of passes; the queue is held while the pictures folder's volume is nearly full.

#include "engine/worker_thread.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>

namespace orvix {

class IWorkerHost;
struct DownloadProgress;
class QueueState;
class TIEHttp;
class TemporaryPicture;
struct MediaLine;

inline constexpr qint64 kMinFreeDiskBytes = 20971520; // 20 MiB
// A picture body beyond this fails: it goes to disk, so the limit guards the disk, not memory.
inline constexpr qint64 kMaxPictureBytes = qint64(1) << 30;

struct MediaWorkerOptions
{
    WorkerTiming timing;
    // Debugging aid: instead of downloading, copy this sample picture (the "fake_download"
    // switch). Empty: download.
    QString fakeDownloadSample;
    // Failed passes after which a line leaves the queue with its item file kept, for resume;
    // until then a failed line goes behind the lines that wait. 0: it stays at the front and
    // is tried until it succeeds, is removed or the queue is canceled.
    int maxFailedPasses = 0;
    // Free bytes on the volume of a folder, -1 when it cannot be found out (the queue then
    // goes on).
    std::function<qint64(const QString &folder)> freeSpace;
};

// Free bytes on the volume that holds folder (or would hold it), -1 when unknown.
qint64 FreeDiskSpace(const QString &folder);

class TThreadDownloadMediaItems : public TWorkerThread
{
public:
    // queues and host must outlive the worker.
    TThreadDownloadMediaItems(QueueState &queues, IWorkerHost &host, MediaWorkerOptions options = {});
    ~TThreadDownloadMediaItems() override;

protected:
    void Execute() override;
    QString ThreadClassName() const override { return QStringLiteral("TThreadDownloadMediaItems"); }

private:
    // Busy: another run is saving the picture; Interrupted: the program is closing and the
    // line stays for the next run.
    enum class Result { Saved, AlreadySaved, Canceled, Busy, Interrupted, Failed };

    void serveLine(const QString &line);
    Result downloadPicture(const MediaLine &media);
    Result downloadInto(const MediaLine &media, const QString &folder, const QString &stem, QString &savedAs);
    Result downloadTo(const MediaLine &media, TemporaryPicture &temp);
    bool fetch(const QString &url, TemporaryPicture &temp);
    void progress(TIEHttp &http);
    DownloadProgress status() const;
    void countFailure(const QString &line, const MediaLine &media);

    QueueState &m_queues;
    IWorkerHost &m_host;
    MediaWorkerOptions m_options;
    TIEHttp *ie1 = nullptr; // lives on the worker's stack while Execute runs

    QString _imageUrl;
    // The download under way, for the status line; -1 between downloads.
    qint64 m_bytesRead = -1;
    qint64 m_bytesTotal = 0;

    QHash<QString, int> m_failedPasses; // failed passes of each line still queued
    QSet<QString> m_foldersChecked; // folders already cleared of stale temporary files
    QSet<QString> m_savedHere;      // folder + picture key of each picture this worker saved
};

} // namespace orvix
