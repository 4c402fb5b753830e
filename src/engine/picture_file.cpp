#include "engine/picture_file.h"

#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace orvix {

namespace {

const QString kTempPrefix = QStringLiteral(".orvix-");
const QString kTempSuffix = QStringLiteral(".part");

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

// The hidden file a picture is written to before it gets its name; removed unless released.
// Created like any new file (the user's umask applies), not private to the owner.
class TemporaryPicture
{
public:
    explicit TemporaryPicture(const QString &folder)
    {
        static std::atomic<unsigned> serial{0};
        for (;;) {
            m_name = folder + kTempPrefix + QString::number(::getpid()) + u'-' + QString::number(++serial)
                     + kTempSuffix;
            m_fd = ::open(QFile::encodeName(m_name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0)
                return;
            if (errno != EEXIST)
                throw EFileError(QStringLiteral("could not create ") + m_name + QStringLiteral(": ")
                                 + systemError(errno));
        }
    }
    ~TemporaryPicture()
    {
        closeFile();
        if (!m_released)
            ::unlink(QFile::encodeName(m_name).constData());
    }
    TemporaryPicture(const TemporaryPicture &) = delete;
    TemporaryPicture &operator=(const TemporaryPicture &) = delete;

    const QString &name() const { return m_name; }

    // All bytes on the disk, or EFileError (a full disk shows at the latest when they must
    // reach it).
    void write(const QByteArray &bytes)
    {
        const char *data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(m_fd, data, size_t(left));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                fail();
            data += n;
            left -= n;
        }
        if (::fdatasync(m_fd) != 0)
            fail();
        if (!closeFile())
            fail();
    }

    // The file has its real name now; with gone, the temporary name no longer exists either.
    void release(bool gone) { m_released = gone; }

private:
    bool closeFile()
    {
        if (m_fd < 0)
            return true;
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0;
    }
    [[noreturn]] void fail()
    {
        const int error = errno ? errno : EIO;
        throw EFileError(QStringLiteral("could not write ") + m_name + QStringLiteral(": ") + systemError(error));
    }

    QString m_name;
    int m_fd = -1;
    bool m_released = false;
};

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
    return IncludeTrailingBackslash(SafePath(targetFolder));
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

QString SaveNewPictureFile(const PictureNamer &namer, const QString &folder, const QByteArray &bytes)
{
    ForceFolder(folder);
    TemporaryPicture temp(IncludeTrailingBackslash(folder));
    temp.write(bytes);
    for (int counter = 0;; ++counter) {
        const QString target = namer.candidate(counter);
        if (QFileInfo::exists(target))
            continue;
        bool tempGone = false;
        if (publishNoReplace(temp.name(), target, tempGone) == Publish::Done) {
            temp.release(tempGone);
            return target;
        }
    }
}

void RemoveStaleTemporaryFiles(const QString &folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({kTempPrefix + QStringLiteral("*") + kTempSuffix},
                                            QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        bool ok = false;
        const pid_t pid = name.mid(kTempPrefix.size()).section(u'-', 0, 0).toInt(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(dir.filePath(name));
    }
}

bool PictureFileInFolder(const QString &folder, const QString &key)
{
    if (key.isEmpty())
        return false;
    const bool plainKey = !key.contains(u'*') && !key.contains(u'?') && !key.contains(u'[');
    const QStringList names = QDir(folder).entryList(plainKey ? QStringList{key + u'*'} : QStringList(),
                                                     QDir::Files);
    for (const QString &name : names) {
        if (name.size() > key.size() && name.startsWith(key)
            && (name[key.size()] == u' ' || name[key.size()] == u'.'))
            return true;
    }
    return false;
}

} // namespace orvix
