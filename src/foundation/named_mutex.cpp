#include "named_mutex.h"

#include "dialogs.h"
#include "posix_file.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvix {

namespace {

QString lockFilePath(const QString &name)
{
    QString file = NormalizeMutexName(name);
    file.replace(u'\\', u'_');
    file.replace(u'/', u'_');
    return MutexFolder() + file + QStringLiteral(".lock");
}

// A private folder under /tmp must be ours and closed to others, or someone could plant
// lock files (or links) in it.
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
    const QString folder = QStringLiteral("/tmp/orvix-mutex-%1").arg(::geteuid());
    ensurePrivateFolder(folder);
    return folder + u'/';
}

bool MutexExists(const QString &name)
{
    PosixFile f;
    if (!f.open(lockFilePath(name), O_RDONLY))
        return false; // never created, so nobody holds it
    // A shared probe: it fails only while somebody holds the mutex.
    const bool free = f.lock(false, 0);
    f.unlock();
    return !free;
}

NamedMutexHandle SetMutex(const QString &name)
{
    PosixFile f;
    if (!f.open(lockFilePath(name), O_RDWR | O_CREAT, 0600)) {
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
