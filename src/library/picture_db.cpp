#include "picture_db.h"

#include "picture_match.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/folder_listing.h"
#include "foundation/formats.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/retry_timing.h"
#include "foundation/text.h"
#include "foundation/text_codec.h"
#include "foundation/text_files.h"
#include "foundation/text_list.h"
#include "foundation/time_stamps.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <memory>
#include <thread>

namespace orvix {

namespace {

constexpr int kRecordAttempts = 11;
// Another instance's write shows as a file time that moved by this much (0.00001 day).
constexpr qint64 kReloadThresholdMs = 864;
constexpr qsizetype kTailBytes = 64;

// Bytes [from, to) of the file; raises EFileError when they cannot all be read.
QByteArray readRange(const QString &path, qint64 from, qint64 to)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(from))
        throw EFileError(QStringLiteral("Cannot read file ") + path);
    const QByteArray bytes = f.read(to - from);
    if (bytes.size() != to - from)
        throw EFileError(QStringLiteral("Cannot read file ") + path);
    return bytes;
}

} // namespace

PictureDatabase::PictureDatabase(const QString &folder)
    : m_imagesPath(IncludeTrailingBackslash(folder) + QStringLiteral("pd_images.db")),
      m_filesPath(IncludeTrailingBackslash(folder) + QStringLiteral("pd_files.db"))
{
}

namespace {

bool convertLegacyTextFile(const QString &path)
{
    if (!FileExists(path))
        return false;
    try {
        const QByteArray bytes = ReadFileBytes(path);
        if (HasUtf8Mark(bytes))
            return false;
        // Older releases wrote the 8-bit code page (or UTF-16 with its mark); the decoder also
        // keeps a file that is already UTF-8 without the mark intact instead of widening its
        // bytes twice.
        SaveListUtf8(SplitTextLines(DecodeTextBytes(bytes)), path);
        return true;
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
        return false;
    }
}

} // namespace

bool PictureDatabase::ConvertLegacyImagesDb()
{
    return convertLegacyTextFile(m_imagesPath);
}

bool PictureDatabase::ConvertLegacyFilesDb()
{
    return convertLegacyTextFile(m_filesPath);
}

void PictureDatabase::loadImagesLocked()
{
    imagesDbFileTime = FileTime(m_imagesPath);
    m_syncedBytes = m_sizeSeen = -1;
    m_syncedTail.clear();
    QStringList loaded;
    QByteArray bytes;
    const bool exists = FileExists(m_imagesPath);
    if (exists
        && !RetryAttempts(GetRetryTiming().listPauseMs, [&] { bytes = ReadFileBytes(m_imagesPath); })) {
        QThread::msleep(100);
        m_pageIndex.rebuild(imagesDB_sl);
        return;
    }
    if (exists) {
        // The list is in step up to the last line end: a last line without one may still be
        // being written by another instance, so a reload reads it again.
        const qsizetype synced = qMax(bytes.lastIndexOf('\n') + 1, HasUtf8Mark(bytes) ? qsizetype(3) : 0);
        m_syncedBytes = synced;
        m_syncedTail = bytes.left(synced).right(kTailBytes);
        m_sizeSeen = bytes.size();
        loaded = SplitTextLines(DecodeTextBytes(bytes));
    }
    // The index does not depend on the order of the records, so it is built beside the sort
    // (which dominates a large load). forIndex shares the texts; the sort detaches its own list.
    PageUrlIndex index;
    {
        const QStringList forIndex = loaded;
        std::jthread indexer([&index, &forIndex] { index.rebuild(forIndex); });
        SortListNoCase(loaded);
    }
    imagesDB_sl = std::move(loaded);
    m_pageIndex = std::move(index);
}

bool PictureDatabase::readAppendedLocked()
{
    if (m_syncedBytes <= 0)
        return false;
    try {
        const qint64 size = FileSize(m_imagesPath);
        if (size < m_syncedBytes
            || readRange(m_imagesPath, m_syncedBytes - m_syncedTail.size(), m_syncedBytes) != m_syncedTail)
            return false; // rewritten (a repair): read it whole
        QByteArray added = readRange(m_imagesPath, m_syncedBytes, size);
        m_sizeSeen = size;
        added.truncate(added.lastIndexOf('\n') + 1);
        imagesDbFileTime = FileTime(m_imagesPath);
        for (const QString &line : SplitTextLines(QString::fromUtf8(added))) {
            // This process's own records may sit among them; they are in the list already.
            if (line.isEmpty() || positionInList(line) >= 0)
                continue;
            SortedInsert(imagesDB_sl, line);
            m_pageIndex.add(line);
        }
        m_syncedBytes += added.size();
        m_syncedTail = (m_syncedTail + added).right(kTailBytes);
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool PictureDatabase::noteOwnAppendLocked(qint64 sizeBefore, const QByteArray &line)
{
    // Only when nobody else wrote between the last read and this line does the list still
    // hold exactly the start of the file.
    if (m_syncedBytes < 0 || sizeBefore != m_syncedBytes || FileSize(m_imagesPath) != sizeBefore + line.size())
        return false;
    m_syncedBytes += line.size();
    m_sizeSeen = m_syncedBytes;
    m_syncedTail = (m_syncedTail + line).right(kTailBytes);
    return true;
}

void PictureDatabase::LoadImagesDb()
{
    std::lock_guard lock(m_imagesLock);
    if (!FileExists(m_imagesPath)) {
        try {
            SaveListUtf8(QStringList(), m_imagesPath);
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
        }
    }
    loadImagesLocked();
}

void PictureDatabase::RecordQueuedPicture(const TImageData &imageData)
{
    const QString record = imageData.ImageId + QLatin1Char('_') + imageData.ImageSecretID
        + QLatin1Char('|') + imageData.PageUrl + QLatin1Char('|')
        + FormatTimeStampMs(QDateTime::currentDateTime());
    bool inMemory = false;
    for (int attempt = 1; attempt <= kRecordAttempts; ++attempt) {
        try {
            std::lock_guard lock(m_imagesLock);
            // A retry repeats only what failed: the record goes into the list once.
            if (!inMemory) {
                SortedInsert(imagesDB_sl, record);
                m_pageIndex.add(record);
                inMemory = true;
            }
            const qint64 sizeBefore = FileSize(m_imagesPath);
            AppendTextUtf8(m_imagesPath, record + QStringLiteral("\r\n"));
            // When another instance wrote since the last read, the file time is left alone:
            // taking this write's time would hide that instance's records from the next reload.
            if (noteOwnAppendLocked(sizeBefore, (record + QStringLiteral("\r\n")).toUtf8()) || m_syncedBytes < 0)
                imagesDbFileTime = FileTime(m_imagesPath);
            return;
        } catch (const std::exception &) {
            LogMessage(QStringLiteral("exception s1. recovering"));
        }
    }
}

void PictureDatabase::RecordFoundPicture(const TImageData &imageData, const QString &fileName)
{
    const QString key = imageData.ImageId + QLatin1Char('_') + imageData.ImageSecretID;
    // The record the page lookups take first must be this picture's; a corrupt or foreign one
    // would leave the picture looking unsaved.
    if (!FindImageRecordByPageUrl(imageData.PageUrl).startsWith(key + QLatin1Char('|')))
        RecordQueuedPicture(imageData);
    if (FindLocalFileByKey(key).isEmpty())
        RegisterSavedFile(fileName);
}

qsizetype PictureDatabase::positionInList(const QString &record) const
{
    // Records that compare equal without case keep their own order: find this exact one.
    qsizetype lo = 0, hi = imagesDB_sl.size();
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo) / 2;
        if (CompareTextNoCase(imagesDB_sl.at(mid), record) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    for (qsizetype i = lo; i < imagesDB_sl.size(); ++i) {
        if (imagesDB_sl.at(i) == record)
            return i;
        if (CompareTextNoCase(imagesDB_sl.at(i), record) != 0)
            break;
    }
    return -1;
}

QString PictureDatabase::scanForPageUrl(const QString &cut) const
{
    for (const QString &record : imagesDB_sl) {
        if (RecordMatchesPageUrl(record, cut))
            return record;
    }
    return QString();
}

QString PictureDatabase::FindImageRecordByPageUrl(const QString &pageUrl) const
{
    const QString cut = CutPageUrlForLookup(pageUrl);
    std::lock_guard lock(m_imagesLock);
    const auto candidates = m_pageIndex.candidates(cut);
    if (!candidates)
        return scanForPageUrl(cut);
    QString best;
    qsizetype bestPos = -1;
    for (const QString &record : *candidates) {
        if (!RecordMatchesPageUrl(record, cut) || record == best)
            continue;
        const qsizetype pos = positionInList(record);
        if (pos >= 0 && (bestPos < 0 || pos < bestPos)) {
            best = record;
            bestPos = pos;
        }
    }
    return best;
}

QString PictureDatabase::GetPictureKeyByPageUrl(const QString &pageUrl) const
{
    const QString record = FindImageRecordByPageUrl(pageUrl);
    if (record.isEmpty())
        return QString();
    const QStringList fields = TextSplit(record, u"|");
    if (fields.size() == 3)
        return fields.first();
    InfoBox(QStringLiteral("Images DB is corrupt"));
    return QString();
}

QString PictureDatabase::FindLocalFileByKey(const QString &key) const
{
    std::lock_guard lock(m_filesLock);
    for (qsizetype pos : m_fileIndex.candidates(key)) {
        const QString &path = filesDB_sl.at(pos);
        if (FileNameMatchesKey(path, key) && FileExists(path))
            return path;
    }
    return QString();
}

bool PictureDatabase::IsAlreadyDownloaded(const QString &pageUrl) const
{
    const QString key = GetPictureKeyByPageUrl(pageUrl);
    return !key.isEmpty() && !FindLocalFileByKey(key).isEmpty();
}

QString PictureDatabase::FindImageRecordByKey(const QString &key) const
{
    std::lock_guard lock(m_imagesLock);
    return GetSortedPrefixLine(imagesDB_sl, key + QLatin1Char('|'));
}

void PictureDatabase::setFilesLocked(QStringList files)
{
    filesDB_sl = std::move(files);
    m_fileIndex.rebuild(filesDB_sl);
}

void PictureDatabase::LoadOrRebuildFilesDb(const QString &picturesFolder)
{
    if (FileExists(m_filesPath)) {
        QStringList files;
        LoadListRetry(files, m_filesPath);
        std::lock_guard lock(m_filesLock);
        setFilesLocked(std::move(files));
    } else if (!picturesFolder.isEmpty() && QFileInfo(picturesFolder).isDir()) {
        RebuildFilesDb(picturesFolder);
    }
}

void PictureDatabase::RegisterSavedFile(const QString &fileName)
{
    std::lock_guard lock(m_filesLock);
    filesDB_sl.append(fileName);
    m_fileIndex.add(fileName);
    AppendLineUtf8(m_filesPath, fileName); // a lost line comes back with the next rescan
}

qsizetype PictureDatabase::RebuildFilesDb(const QString &picturesFolder)
{
    std::lock_guard lock(m_filesLock);
    // The new list replaces the old one in one step: a crash while the folder is scanned or the
    // list written leaves the old list, never none.
    QStringList files;
    try {
        if (!picturesFolder.isEmpty()) {
            const QString root = IncludeTrailingBackslash(picturesFolder);
            for (const QString &relative : ListFilesRecursive(root)) {
                // Hidden files are not pictures of the library: the media worker's temporary
                // ".orvix-*.part" files and claims among them.
                if (!relative.section(u'/', -1).startsWith(u'.'))
                    files.append(root + relative);
            }
        }
        setFilesLocked(files);
        SaveListUtf8(filesDB_sl, m_filesPath);
    } catch (const std::exception &e) {
        // A partial list is better than none; the next rescan completes it.
        setFilesLocked(files);
        LogMessage(exceptionMessage(e));
    }
    return filesDB_sl.size();
}

PictureDatabase::ReloadResult PictureDatabase::ReloadImagesDbIfChanged(
    const std::function<void(const QString &)> &drawScreenText)
{
    std::lock_guard lock(m_imagesLock);
    if (!imagesDbFileTime.isValid())
        return {};
    const QDateTime current = FileTime(m_imagesPath);
    if (current.isValid() && qAbs(imagesDbFileTime.msecsTo(current)) < kReloadThresholdMs
        && (m_sizeSeen < 0 || FileSize(m_imagesPath) == m_sizeSeen))
        return {};
    if (drawScreenText)
        drawScreenText(QStringLiteral("reloading images_db"));
    QElapsedTimer stopwatch;
    stopwatch.start();
    const bool appendedOnly = current.isValid() && readAppendedLocked();
    if (!appendedOnly)
        loadImagesLocked();
    // The window tells the time in debug mode; the database shows nothing itself.
    return {true, appendedOnly, stopwatch.elapsed()};
}

void PictureDatabase::ReplaceImages(QStringList lines, const QDateTime &fileTime)
{
    std::lock_guard lock(m_imagesLock);
    SortListNoCase(lines);
    imagesDB_sl = std::move(lines);
    m_pageIndex.rebuild(imagesDB_sl);
    imagesDbFileTime = fileTime;
    m_syncedBytes = m_sizeSeen = -1; // the next change reads the file whole
}

void PictureDatabase::withImagesLocked(const std::function<void()> &fn)
{
    std::lock_guard lock(m_imagesLock);
    fn();
}

QStringList PictureDatabase::imagesSnapshot() const
{
    std::lock_guard lock(m_imagesLock);
    return imagesDB_sl;
}

QStringList PictureDatabase::filesSnapshot() const
{
    std::lock_guard lock(m_filesLock);
    return filesDB_sl;
}

QDateTime PictureDatabase::ImagesDbFileTime() const
{
    std::lock_guard lock(m_imagesLock);
    return imagesDbFileTime;
}

qsizetype RescanPicturesFolder(PictureDatabase &db, const QString &picturesFolder)
{
    const qsizetype n = db.RebuildFilesDb(picturesFolder);
    InfoBox(QStringLiteral("Library files updated from ") + picturesFolder + QStringLiteral("\r\nFiles located: ")
            + FormatCount(n));
    return n;
}

} // namespace orvix
