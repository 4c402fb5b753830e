#pragma once

// The download queues of one running copy: the page queue ("q2"), the media queue ("q1") and
// QueueTemp, the picture pages the page worker is turning into media lines at this moment; with
// them the session's item files and the operations that add lines. The desktop program and
// orvix-cli each create one; the workers and the window share it, and reach the run's control
// flags through it.
//
// Threads: QueuePage and AddToQ2 run on the main thread, QueuePicture on the page worker's.
// Each list has its own lock; nothing here waits for another thread while holding one.

#include "foundation/thread_string_list.h"
#include "queue/queue_item_files.h"

#include <QString>
#include <QStringList>

namespace orvix {

class IPictureRecords;
struct TImageData;
class IQueueView;
class RunControl;

inline constexpr char16_t kQueueCancelingMessage[] = u"queue is being canceled. please try again in 5 seconds.";

class QueueState
{
public:
    // view receives the rows of lines queued on the main thread; pictures answers whether a
    // picture is on disk and records queued pictures. run, view and pictures must outlive this
    // object.
    QueueState(RunControl &run, const SessionFolders &session, IQueueView &view, IPictureRecords &pictures);

    RunControl &run() const { return m_run; }

    TThreadStringList PageQueue;  // page lines; the page worker serves index 0
    TThreadStringList MediaQueue; // media lines; the media worker serves index 0
    TThreadStringList QueueTemp;  // picture page URLs between page line and media line

    QueueItemFiles &itemFiles() { return m_itemFiles; }
    const QString &SessionName() const { return m_itemFiles.session().sessionName; }

    // Main thread. Appends queueLine to the page queue (insertAt -1) or inserts it at insertAt
    // (behind the end it is appended), adds its row "Q2: " + url and writes its item file.
    void QueuePage(const QString &url, const QString &queueLine, int insertAt = -1);

    // Main thread, for the page worker: the picture pages listed on a thumbnails page (entry
    // lines "page URL|thumbnail URL|title") become page lines right behind index 0, in listing
    // order, each with suffix appended (PictureLineSuffix). Pictures already on disk are skipped.
    void AddToQ2(const QStringList &urlsSl, const QString &synchQueueLine);

    // Page worker. Queues the media line of one picture: row through worker, the line, its line
    // in "queue1.log", its item file and the picture's record. Refused, with a message box,
    // while a queue is being canceled; returns whether the line was queued.
    bool QueuePicture(const QString &downloadUrl, const QString &pictureId, const QString &secretId,
                      const QString &title, const QString &reserved, const QString &pageUrl,
                      const QString &targetFolder, const QString &tags, IQueueView &worker);

    // Workers: the picture's file (full path) was found saved already; the picture database
    // counts it as downloaded from now on.
    void RecordFoundPicture(const TImageData &picture, const QString &fileName);

    // Main thread, on resume: a media line of an interrupted session goes back to the end of the
    // media queue with its row (caption: its download URL) and a new item file of this session.
    void QueueResumedMedia(const QString &line);

    // Deletes the item file of a finished line; the key is the whole page line, or the page
    // URL (field 4) of a media line, or a line's URL for the remove command.
    void DeleteQueueItemFile(QueueKind queue, const QString &key);
    // The cancel command: every item file of this session.
    void DeleteSessionQueueFiles();

    // Whether a line of the media queue, an entry of QueueTemp or a line of the page queue
    // contains text (case-sensitive); empty text is never queued.
    bool IsQueued(const QString &text);

private:
    RunControl &m_run;
    IQueueView &m_view;
    IPictureRecords &m_pictures;
    QueueItemFiles m_itemFiles;
};

// For the workers, which own index 0 of their queue. The line at index 0, or empty text.
QString FirstQueueLine(TThreadStringList &queue);
// Removes index 0 only while it is still the very entry `taken` was read from (by
// FirstQueueLine or a copy of it): the remove command or a cancel may have taken that line
// away, and then no other line may go in its place, not even an equal one queued again.
bool RemoveFirstIfStill(TThreadStringList &queue, const QString &taken);
// Whether index 0 is still that very entry.
bool IsFirstStill(TThreadStringList &queue, const QString &taken);
// Moves index 0 behind the last line, only while it is still the very entry taken.
bool MoveFirstToEndIfStill(TThreadStringList &queue, const QString &taken);

// A picture page URL listed in QueueTemp while the page worker turns it into a media line.
class QueueTempEntry
{
public:
    QueueTempEntry(QueueState &queues, const QString &pageUrl);
    ~QueueTempEntry();
    QueueTempEntry(const QueueTempEntry &) = delete;
    QueueTempEntry &operator=(const QueueTempEntry &) = delete;

private:
    TThreadStringList &m_list;
    QString m_url;
};

} // namespace orvix
