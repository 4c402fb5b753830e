#pragma once

// The picture database: which pictures were queued from which page ("pd_images.db", one
// record "key|page address|time" per queued picture) and which picture files were saved
// ("pd_files.db", one path per line). Both files are append-only in normal use and held in
// memory for the lookups.
//
// Threads: the page worker records queued pictures while the main thread looks them up and
// reloads the list when another instance wrote the file. The images list, its index and
// imagesDbFileTime are guarded by m_imagesLock, held for every access, reads included; the
// files list and its index by m_filesLock.

#include "file_key_index.h"
#include "page_url_index.h"

#include "pages/image_data.h"

#include <QDateTime>
#include <mutex>
#include <QString>
#include <QStringList>

#include <functional>

namespace orvix {

class PictureDatabase
{
public:
    // The two files in folder (which ends with "/").
    explicit PictureDatabase(const QString &folder);

    QString imagesDbPath() const { return m_imagesPath; }
    QString filesDbPath() const { return m_filesPath; }

    // Start-up, while the window is created: an "pd_images.db" without the UTF-8 mark, left by
    // an older release (8-bit or UTF-16 text), is rewritten as UTF-8 with the mark, in one step
    // that leaves the old file in place until the new one is whole. True when it was converted.
    bool ConvertLegacyImagesDb();
    // The same for "pd_files.db", to which new paths are appended as UTF-8.
    bool ConvertLegacyFilesDb();
    void ConvertLegacyDatabases()
    {
        ConvertLegacyImagesDb();
        ConvertLegacyFilesDb();
    }
    // First show: creates an empty "pd_images.db" when missing, loads and sorts it.
    void LoadImagesDb();
    // Loads "pd_files.db", or builds it from the pictures folder when it is missing.
    void LoadOrRebuildFilesDb(const QString &picturesFolder);

    // Page worker: the record of a picture just put into the media queue, in memory and on disk.
    void RecordQueuedPicture(const TImageData &imageData);
    // A worker found the picture's file already in its folder: from now on the picture counts as
    // saved, as if this run had saved it. Its record and its file are each added when missing.
    void RecordFoundPicture(const TImageData &imageData, const QString &fileName);

    QString FindImageRecordByPageUrl(const QString &pageUrl) const;
    // The picture key recorded for the page; empty when none (a corrupt record is reported
    // "Images DB is corrupt" and answers none).
    QString GetPictureKeyByPageUrl(const QString &pageUrl) const;
    // The first saved file whose name starts with the key (or picture id) and still exists.
    QString FindLocalFileByKey(const QString &key) const;
    bool IsAlreadyDownloaded(const QString &pageUrl) const;
    QString FindImageRecordByKey(const QString &key) const;

    // The data step of a saved picture: listed in memory and appended to "pd_files.db".
    void RegisterSavedFile(const QString &fileName);
    // Lists every file below the pictures folder into "pd_files.db", except the "thumbs" cache
    // and every entry whose name starts with ".".
    // Returns the number of files listed.
    qsizetype RebuildFilesDb(const QString &picturesFolder);

    struct ReloadResult {
        bool reloaded = false;
        bool appendedOnly = false; // only the lines added at the end of the file were read
        qint64 elapsedMs = 0;
    };
    // Reloads the images list when the file changed on disk since this process last read or
    // wrote it (another instance recorded pictures). When the file only grew, the lines added
    // at its end are inserted instead of reading and sorting the whole library again.
    // drawScreenText gets "reloading images_db" before the reload starts.
    ReloadResult ReloadImagesDbIfChanged(const std::function<void(const QString &)> &drawScreenText = {});

    // Replaces the in-memory images list by lines (sorted here) and sets the file time; used
    // after the file was rewritten by a repair.
    void ReplaceImages(QStringList lines, const QDateTime &fileTime);

    // Runs fn with the images lock held (for a repair, which must not race an insert).
    void withImagesLocked(const std::function<void()> &fn);

    QStringList imagesSnapshot() const;
    QStringList filesSnapshot() const;
    QDateTime ImagesDbFileTime() const;

private:
    void loadImagesLocked();
    bool readAppendedLocked();
    // True when the list was in step with the file before this process appended line.
    bool noteOwnAppendLocked(qint64 sizeBefore, const QByteArray &line);
    qsizetype positionInList(const QString &record) const;
    QString scanForPageUrl(const QString &cut) const;
    void setFilesLocked(QStringList files);

    const QString m_imagesPath;
    const QString m_filesPath;

    // Standard locks rather than Qt's: their locking is visible to the thread sanitizer.
    mutable std::recursive_mutex m_imagesLock;
    QStringList imagesDB_sl;    // sorted by CompareTextNoCase
    PageUrlIndex m_pageIndex;
    QDateTime imagesDbFileTime; // invalid when not known
    // How much of the file the list holds: its first m_syncedBytes bytes, which end with
    // m_syncedTail (to notice a file rewritten rather than appended to); -1 when not known.
    // m_sizeSeen is the file's size when this process last read or wrote it: a write by
    // another instance may fall within the file-time tolerance, but it changes the size.
    qint64 m_syncedBytes = -1;
    QByteArray m_syncedTail;
    qint64 m_sizeSeen = -1;

    mutable std::mutex m_filesLock;
    QStringList filesDB_sl;     // in the order the files were saved
    FileKeyIndex m_fileIndex;
};

// "Rescan output path": rebuilds the saved-files list from the pictures folder and tells the
// user how many files it found. Returns the count.
qsizetype RescanPicturesFolder(PictureDatabase &db, const QString &picturesFolder);

} // namespace orvix
