#include "posix_file.h"

#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvix {

bool PosixFile::open(const QString &path, int flags, int mode)
{
    close();
    do {
        m_fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, mode);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) {
        setError(errno);
        return false;
    }
    return true;
}

bool PosixFile::lock(bool exclusive, int waitMs)
{
    const int op = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int waited = 0;
    for (;;) {
        if (::flock(m_fd, op) == 0)
            return true;
        const int err = errno;
        if (err != EWOULDBLOCK && err != EINTR) {
            setError(err);
            return false;
        }
        if (waited >= waitMs) {
            setError(err);
            return false;
        }
        QThread::msleep(5);
        waited += 5;
    }
}

void PosixFile::unlock()
{
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_UN);
}

bool PosixFile::writeAll(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setError(errno);
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

qint64 PosixFile::size() const
{
    struct stat st;
    return ::fstat(m_fd, &st) == 0 ? qint64(st.st_size) : -1;
}

void PosixFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void PosixFile::setError(int err)
{
    m_error = QString::fromLocal8Bit(std::strerror(err));
}

} // namespace orvix
