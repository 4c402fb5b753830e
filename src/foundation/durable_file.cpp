#include "durable_file.h"

#include "errors.h"
#include "files.h"
#include "paths.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvix {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

EFileError fileError(const char *what, const QString &file, int error)
{
    return EFileError(QStringLiteral("%1 \"%2\". %3").arg(QLatin1String(what), file, systemError(error)));
}

int lastError()
{
    return errno ? errno : EIO;
}

} // namespace

DurableFile::DurableFile(const QString &folder) : m_folder(IncludeTrailingBackslash(folder))
{
    ForceFolder(m_folder);
    for (;;) {
        m_name = m_folder + QString::fromUtf16(kDurableTempPrefix) + QString::number(::getpid()) + u'-'
                 + QString::number(QRandomGenerator::global()->generate(), 36) + QString::fromUtf16(kDurableTempSuffix);
        m_fd = ::open(QFile::encodeName(m_name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            return;
        if (errno != EEXIST)
            throw fileError("Cannot create file", m_name, errno);
    }
}

DurableFile::~DurableFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_placed)
        ::unlink(QFile::encodeName(m_name).constData());
}

void DurableFile::fail(const char *what, int error) const
{
    throw fileError(what, m_name, error);
}

void DurableFile::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        fail("Cannot write file", EBADF);
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail("Cannot write file", n < 0 ? errno : ENOSPC);
        data += n;
        left -= n;
    }
}

void DurableFile::setModificationTime(timespec stamp)
{
    m_stamp = stamp;
    m_stamped = true;
}

void DurableFile::finishWriting()
{
    if (m_finished)
        return;
    if (m_stamped) {
        const timespec times[2] = {{0, UTIME_OMIT}, m_stamp};
        ::futimens(m_fd, times);
    }
    // The bytes reach the disk before any name points at them.
    if (::fdatasync(m_fd) != 0)
        fail("Cannot write file", lastError());
    const int rc = ::close(m_fd);
    m_fd = -1;
    if (rc != 0)
        fail("Cannot write file", lastError());
    m_finished = true;
}

void DurableFile::named(bool temporaryGone)
{
    m_placed = true;
    if (!temporaryGone)
        ::unlink(QFile::encodeName(m_name).constData());
    SyncFolder(m_folder);
}

void DurableFile::replace(const QString &target)
{
    // The new contents keep the old file's permissions (a private file stays private).
    struct stat old{};
    if (m_fd >= 0 && ::stat(QFile::encodeName(target).constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(m_fd, old.st_mode & 07777);
    finishWriting();
    if (::rename(QFile::encodeName(m_name).constData(), QFile::encodeName(target).constData()) != 0)
        throw fileError("Cannot write file", target, lastError());
    named(true);
}

bool DurableFile::placeNew(const QString &target)
{
    finishWriting();
    const QByteArray from = QFile::encodeName(m_name);
    const QByteArray to = QFile::encodeName(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        named(true);
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
        throw fileError("Cannot create file", target, errno);
    // A file system without the no-replace rename: a hard link refuses a name in use as well.
    if (::link(from.constData(), to.constData()) == 0) {
        named(false);
        return true;
    }
    if (errno == EEXIST)
        return false;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        throw fileError("Cannot create file", target, errno);
    // Neither: a clash between the look and the rename is merely unlikely.
    if (::access(to.constData(), F_OK) == 0)
        return false;
    if (::rename(from.constData(), to.constData()) != 0)
        throw fileError("Cannot create file", target, lastError());
    named(true);
    return true;
}

bool WriteNewFileAtomic(const QString &file, const QByteArray &bytes)
{
    DurableFile f(QFileInfo(file).path());
    f.write(bytes);
    return f.placeNew(file);
}

void SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw fileError("Cannot open folder", folder, errno);
    // Some file systems cannot sync a folder (EINVAL); their names are as safe as they get.
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0 && error != EINVAL && error != EROFS)
        throw fileError("Cannot write folder", folder, error);
}

void RemoveStaleDurableFiles(const QString &folder)
{
    const QDir dir(folder);
    const QString prefix = QString::fromUtf16(kDurableTempPrefix);
    const QStringList names =
        dir.entryList({prefix + u'*' + QString::fromUtf16(kDurableTempSuffix)}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        bool ok = false;
        const pid_t pid = name.mid(prefix.size()).section(u'-', 0, 0).toInt(&ok);
        if (!ok || pid <= 0 || pid == ::getpid())
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            QFile::remove(dir.filePath(name));
    }
}

} // namespace orvix
