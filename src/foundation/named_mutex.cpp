#include "named_mutex.h"

#include "dialogs.h"
#include "posix_file.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvix {

namespace {

// Without $XDG_RUNTIME_DIR: a folder of the user's own in the temporary folder.
QString fallbackFolder()
{
    return QDir::tempPath() + QStringLiteral("/orvix-mutex-%1").arg(::geteuid());
}

QString lockFilePath(const QString &name)
{
    const QString folder = MutexFolder();
    if (folder.isEmpty())
        return {};
    QString file = NormalizeMutexName(name);
    file.replace(u'\\', u'_');
    file.replace(u'/', u'_');
    return folder + file + QStringLiteral(".lock");
}

// A folder of our own under /tmp: created closed to others, or, when it exists, used only while
// it is ours and closed to others. Otherwise another user could plant lock files or links in it,
// block our start, or listen for the addresses a second start hands over.
bool ensurePrivateFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
           && (st.st_mode & 077) == 0;
}

} // namespace

QString NormalizeMutexName(const QString &name)
{
    QString n = name;
    if (!n.contains(QStringLiteral("Global\\")))
        n = QStringLiteral("Global\\") + n;
    n = n.toLower();
    n[0] = u'G';
    return n;
}

QString MutexFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).absolutePath() + u'/';
    const QString folder = fallbackFolder();
    return ensurePrivateFolder(folder) ? folder + u'/' : QString();
}

QString FolderMutexName(const QString &name, const QString &folder)
{
    QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QDir(folder).absolutePath());
    const QByteArray bytes = QFile::encodeName(canonical);
    return name + u'_'
           + QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16));
}

bool MutexExists(const QString &name)
{
    PosixFile f;
    // A link in place of the lock file is never followed.
    if (!f.open(lockFilePath(name), O_RDONLY | O_NOFOLLOW))
        return false; // never created, so nobody holds it
    // A shared probe: it fails only while somebody holds the mutex.
    const bool free = f.lock(false, 0);
    f.unlock();
    return !free;
}

NamedMutexHandle SetMutex(const QString &name)
{
    const QString file = lockFilePath(name);
    if (file.isEmpty()) {
        ErrorBox(QStringLiteral("No private folder for the lock files: %1 belongs to another user or is open to "
                                "others (or set XDG_RUNTIME_DIR)")
                     .arg(fallbackFolder()));
        return NamedMutexHandle();
    }
    PosixFile f;
    if (!f.open(file, O_RDWR | O_CREAT | O_NOFOLLOW, 0600)) {
        ErrorBox(f.errorText());
        return NamedMutexHandle();
    }
    // A few tries: another process may be probing with MutexExists at this very moment.
    if (!f.lock(true, 50)) {
        InfoBox(QStringLiteral("Mutex already created: ") + NormalizeMutexName(name));
        return NamedMutexHandle();
    }
    const int fd = f.release();
    return NamedMutexHandle(fd);
}

void UnSetMutex(NamedMutexHandle &handle)
{
    if (handle.isNull()) {
        InfoBox(QStringLiteral("UnSetMutex: Mutex handle=0"));
        return;
    }
    ::flock(handle.fd(), LOCK_UN);
    ::close(handle.fd());
    handle = NamedMutexHandle();
}

} // namespace orvix
