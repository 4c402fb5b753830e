#include "engine/picture_file.h"

#include "foundation/durable_file.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvix {

namespace {

const QString kTempPrefix = QStringLiteral(".orvix-");
const QString kTempSuffix = QStringLiteral(".part");
const QString kClaimSuffix = QStringLiteral(".claim");

// Cuts text to at most n characters without leaving half of a surrogate pair at the end.
QString leftWhole(const QString &text, qsizetype n)
{
    n = qMax<qsizetype>(n, 1);
    if (n >= text.size())
        return text;
    if (text[n - 1].isHighSurrogate() && n > 1)
        --n;
    return text.left(n);
}

void chopOneCharacter(QString &text)
{
    const qsizetype n = text.size();
    text.chop(n >= 2 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate() ? 2 : 1);
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

enum class Publish { Done, NameTaken };

// Gives the temporary file its name unless a file of that name exists, in one step.
Publish publishNoReplace(const QString &temp, const QString &target, bool &tempGone)
{
    const QByteArray from = QFile::encodeName(temp);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        tempGone = true;
        return Publish::Done;
    }
    if (errno == EEXIST)
        return Publish::NameTaken;
    // File systems without the no-replace rename: a hard link fails just as safely on a name
    // in use.
    if (::link(from.constData(), to.constData()) == 0)
        return Publish::Done;
    if (errno == EEXIST)
        return Publish::NameTaken;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        throw EFileError(QStringLiteral("could not name ") + target + QStringLiteral(": ") + systemError(errno));
    // Neither: only this program names pictures, and a clash is merely unlikely.
    if (QFileInfo::exists(target))
        return Publish::NameTaken;
    if (::rename(from.constData(), to.constData()) != 0)
        throw EFileError(QStringLiteral("could not name ") + target + QStringLiteral(": ") + systemError(errno));
    tempGone = true;
    return Publish::Done;
}

} // namespace

QString PictureExtension(const QString &url)
{
    if (TextContains(url, u"jpg"))
        return QStringLiteral(".jpg");
    if (TextContains(url, u"png"))
        return QStringLiteral(".png");
    return QStringLiteral(".jpg");
}

QString PictureFileStem(const QString &fileBase)
{
    return TextReplaceAll(SafeFileName(fileBase), u"__", u"_");
}

QString PictureFolder(const QString &targetFolder)
{
    // The user's folder as it is: only the parts the program names were made safe, when the
    // line was made (a folder "Photos (2024) & more" is not a look-alike "Photos _2024_ _ more").
    return IncludeTrailingBackslash(WithoutTrailingDots(targetFolder));
}

PictureNamer::PictureNamer(const QString &folder, const QString &stem, const QString &extension)
    : m_folder(IncludeTrailingBackslash(folder)), m_stem(stem), m_extension(extension)
{
    m_trimmed = untrimmedName().size() > kMaxFullNameLength;
}

QString PictureNamer::candidate(int counter) const
{
    const QString number = counter > 0 ? QStringLiteral("_%1").arg(counter, 5, 10, QLatin1Char('0')) : QString();
    QString stem = m_stem;
    QString tail;
    if (m_folder.size() + stem.size() + number.size() + m_extension.size() > kMaxFullNameLength) {
        // A size suffix such as "_o" stays in front of the extension.
        if (stem.size() >= 2 && stem[stem.size() - 2] == u'_') {
            tail = stem.right(2);
            stem.chop(2);
        }
        stem = leftWhole(stem, kMaxFullNameLength - m_folder.size() - number.size() - tail.size()
                                   - m_extension.size());
    }
    const QString ending = number + tail + m_extension;
    const qsizetype endingBytes = ending.toUtf8().size();
    while (stem.size() > 1 && stem.toUtf8().size() + endingBytes > kMaxNameBytes)
        chopOneCharacter(stem);
    return m_folder + stem + ending;
}

TemporaryPicture::TemporaryPicture(const QString &folder)
{
    ForceFolder(folder);
    static std::atomic<unsigned> serial{0};
    const QString prefix = IncludeTrailingBackslash(folder) + kTempPrefix + QString::number(::getpid()) + u'-';
    for (;;) {
        m_name = prefix + QString::number(++serial) + kTempSuffix;
        m_fd = ::open(QFile::encodeName(m_name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            return;
        if (errno != EEXIST)
            throw EFileError(QStringLiteral("could not create ") + m_name + QStringLiteral(": ") + systemError(errno));
    }
}

TemporaryPicture::~TemporaryPicture()
{
    close();
    if (!m_released)
        ::unlink(QFile::encodeName(m_name).constData());
}

bool TemporaryPicture::append(const char *data, qint64 size)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("could not write ") + m_name + QStringLiteral(": closed");
        return false;
    }
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = QStringLiteral("could not write ") + m_name + QStringLiteral(": ") + systemError(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

void TemporaryPicture::restart()
{
    m_error.clear();
    if (m_fd < 0)
        m_fd = ::open(QFile::encodeName(m_name).constData(), O_WRONLY | O_CLOEXEC);
    if (m_fd < 0 || ::ftruncate(m_fd, 0) != 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        throw EFileError(QStringLiteral("could not empty ") + m_name + QStringLiteral(": ") + systemError(errno));
}

void TemporaryPicture::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QByteArray TemporaryPicture::head(qint64 n) const
{
    QFile f(m_name);
    return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
}

QString TemporaryPicture::publish(const PictureNamer &namer)
{
    close();
    // All bytes on the disk before the name appears (a full disk shows at the latest here).
    const int fd = ::open(QFile::encodeName(m_name).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fdatasync(fd) == 0;
    const int error = errno ? errno : EIO;
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        throw EFileError(QStringLiteral("could not write ") + m_name + QStringLiteral(": ") + systemError(error));
    for (int counter = 0;; ++counter) {
        const QString target = namer.candidate(counter);
        if (QFileInfo::exists(target))
            continue;
        bool tempGone = false;
        if (publishNoReplace(m_name, target, tempGone) == Publish::Done) {
            m_released = tempGone;
            SyncFolder(QFileInfo(target).absolutePath()); // the name survives a power cut too
            return target;
        }
    }
}

QString SaveNewPictureFile(const PictureNamer &namer, const QString &folder, const QByteArray &bytes)
{
    DurableFile temp(folder);
    temp.write(bytes);
    for (int counter = 0;; ++counter) {
        const QString target = namer.candidate(counter);
        // Never over another picture, even one saved by another run a moment ago.
        if (!QFileInfo::exists(target) && temp.placeNew(target))
            return target;
    }
}

PictureClaim::PictureClaim(const QString &folder, const QString &key)
{
    ForceFolder(folder);
    m_name = IncludeTrailingBackslash(folder) + kTempPrefix + key + kClaimSuffix;
    m_fd = ::open(QFile::encodeName(m_name).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (m_fd < 0)
        throw EFileError(QStringLiteral("could not create ") + m_name + QStringLiteral(": ") + systemError(errno));
    m_held = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

PictureClaim::~PictureClaim()
{
    // Removed while still held: a run that opened it meanwhile finds the picture saved once it
    // gets the lock.
    if (m_held)
        ::unlink(QFile::encodeName(m_name).constData());
    ::close(m_fd);
}

bool LooksLikePicture(QByteArrayView head)
{
    static const QByteArrayView marks[] = {
        QByteArrayView("\xFF\xD8\xFF", 3),                      // JPEG
        QByteArrayView("\x89PNG\r\n\x1A\n", 8),                  // PNG
        QByteArrayView("GIF87a", 6), QByteArrayView("GIF89a", 6), // GIF
        QByteArrayView("\x00\x00\x01\x00", 4),                  // icon
    };
    for (const QByteArrayView mark : marks) {
        if (head.startsWith(mark))
            return true;
    }
    // A bitmap names its own file size and pixel offset after "BM".
    return head.size() >= 14 && head.startsWith("BM");
}

void RemoveStaleTemporaryFiles(const QString &folder)
{
    const QDir dir(folder);
    const QStringList claims = dir.entryList({kTempPrefix + QStringLiteral("*") + kClaimSuffix},
                                             QDir::Files | QDir::Hidden);
    for (const QString &name : claims) {
        const QString path = dir.filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(QFile::encodeName(path).constData()); // nobody holds it
        ::close(fd);
    }
    RemoveStaleDurableFiles(folder);
}

QString FindPictureFileInFolder(const QString &folder, const QString &key)
{
    if (key.isEmpty())
        return QString();
    const bool plainKey = !key.contains(u'*') && !key.contains(u'?') && !key.contains(u'[');
    const QStringList names = QDir(folder).entryList(plainKey ? QStringList{key + u'*'} : QStringList(),
                                                     QDir::Files);
    for (const QString &name : names) {
        if (name.size() > key.size() && name.startsWith(key)
            && (name[key.size()] == u' ' || name[key.size()] == u'.'))
            return QDir(folder).filePath(name);
    }
    return QString();
}

} // namespace orvix
