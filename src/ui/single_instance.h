#pragma once

// One copy of the program per user unless asked otherwise ("nomutex"). The first copy holds the
// program mutex and listens on a local socket named after it; a second start connects, hands
// over its "url" switch, waits until the first copy has taken the wake-up, and ends.

#include "foundation/named_mutex.h"

#include <QObject>
#include <QString>

class QLocalServer;

namespace orvix {

inline constexpr char16_t kProgramMutexName[] = u"Global\\ORVIX";

// The socket of the first copy: in the mutex folder, named after the program mutex.
QString WakeServerName();

class TSingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Result { FirstInstance, WokeOther, OtherStarting };

    explicit TSingleInstance(QObject *parent = nullptr);
    ~TSingleInstance() override;

    // noMutex skips the test (the copy still answers wake-ups when the name is free). url is
    // passed to a running copy. A copy that holds the mutex but does not answer is closing (or
    // just starting): this start waits up to closingWaitMs for it to answer or end, and then
    // ends as "OtherStarting".
    Result CheckSingleInstance(bool noMutex, const QString &url, int waitMs = 5000, int closingWaitMs = 20000);
    bool isListening() const;
    // Closing: no start is answered any more, so none wakes this copy; the next start waits
    // for it to end and comes up by itself.
    void StopListening();

Q_SIGNALS:
    // Another start asked this copy to come to the front; url is its "url" switch, if any.
    void wakeUpRequested(const QString &url);

private:
    bool wakeRunningCopy(const QString &url, int waitMs);
    void listen();
    void onNewConnection();

    NamedMutexHandle m_mutex;
    QLocalServer *m_server = nullptr;
};

} // namespace orvix
