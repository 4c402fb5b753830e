#pragma once

// Named mutexes between processes of the same user: an flock on a lock file named after the
// mutex in the user's runtime folder. The kernel lets go when the holder dies, however it dies,
// so a crashed instance never leaves its name taken.

#include <QString>

namespace orvix {

class NamedMutexHandle
{
public:
    NamedMutexHandle() = default;
    explicit NamedMutexHandle(int fd) : m_fd(fd) {}
    bool isNull() const { return m_fd < 0; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

// "Global\" put in front when missing, lower-cased, first letter "G".
QString NormalizeMutexName(const QString &name);
// The folder holding the lock files and the wake-up socket: $XDG_RUNTIME_DIR, else
// "orvix-mutex-" + user id in the temporary folder ($TMPDIR or /tmp), created with mode 0700. Empty when that folder belongs to
// another user or is open to others: then no mutex can be taken.
QString MutexFolder();

// name + "_" + a short hash of the folder: a mutex that only copies working on one folder
// share. One folder reached through different spellings or links gives one name.
QString FolderMutexName(const QString &name, const QString &folder);

bool MutexExists(const QString &name);
// Takes the mutex. When it is held already: "Mutex already created: " + normalised name is
// shown and the handle is null; a system failure is shown with the system's text.
NamedMutexHandle SetMutex(const QString &name);
// Lets go and clears the handle; a null handle shows "UnSetMutex: Mutex handle=0".
void UnSetMutex(NamedMutexHandle &handle);

} // namespace orvix
