#pragma once

// A raw file descriptor with flock, for the few places that need what QFile does not offer:
// appending with other writers shut out (two instances share the log files) and the lock files
// behind named mutexes. Failures are reported through the return values and errorText().

#include <QByteArray>
#include <QString>

namespace orvix {

class PosixFile
{
public:
    PosixFile() = default;
    ~PosixFile() { close(); }
    PosixFile(const PosixFile &) = delete;
    PosixFile &operator=(const PosixFile &) = delete;
    PosixFile(PosixFile &&other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

    // flags as for open(2); O_CLOEXEC is added.
    bool open(const QString &path, int flags, int mode = 0666);
    // Polls for the lock until waitMs passed (0: one try). Released by unlock() or close().
    bool lock(bool exclusive, int waitMs);
    void unlock();
    bool writeAll(const QByteArray &bytes);
    qint64 size() const;
    void close();
    // Hands the descriptor (and any lock on it) to the caller, who closes it.
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // The system's text for the last failure.
    QString errorText() const { return m_error; }

private:
    void setError(int err);
    int m_fd = -1;
    QString m_error;
};

} // namespace orvix
