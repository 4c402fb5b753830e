#include "single_instance.h"

#include "foundation/dialogs.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace orvix {

namespace {

constexpr char kWakePrefix[] = "wake\n";
constexpr char kWakeAnswer[] = "ok\n";

} // namespace

QString WakeServerName()
{
    const QString folder = MutexFolder();
    if (folder.isEmpty())
        return {}; // never a socket in a folder someone else could control
    QString file = NormalizeMutexName(QString::fromUtf16(kProgramMutexName));
    file.replace(u'\\', u'_');
    return folder + file + QStringLiteral(".wake");
}

TSingleInstance::TSingleInstance(QObject *parent) : QObject(parent) {}

TSingleInstance::~TSingleInstance()
{
    if (m_server)
        m_server->close();
    if (!m_mutex.isNull()) {
        ::close(m_mutex.fd());
        m_mutex = NamedMutexHandle();
    }
}

bool TSingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

TSingleInstance::Result TSingleInstance::CheckSingleInstance(bool noMutex, const QString &url, int waitMs, int closingWaitMs)
{
    const QString mutexName = QString::fromUtf16(kProgramMutexName);
    if (noMutex) {
        if (!MutexExists(mutexName)) {
            // SetMutex reports a taken mutex; here that only means another copy beat us to it.
            ScriptedDialogs silent;
            ScopedDialogs scope(silent);
            m_mutex = SetMutex(mutexName);
            if (!m_mutex.isNull())
                listen();
        }
        return Result::FirstInstance;
    }
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (wakeRunningCopy(url, waitMs))
            return Result::WokeOther;
        if (!MutexExists(mutexName)) {
            {
                ScriptedDialogs silent; // another copy starting at this instant: we try again
                ScopedDialogs scope(silent);
                m_mutex = SetMutex(mutexName);
            }
            if (!m_mutex.isNull()) {
                listen();
                return Result::FirstInstance;
            }
        }
        if (clock.elapsed() >= closingWaitMs)
            return Result::OtherStarting;
        QThread::msleep(100);
    }
}

void TSingleInstance::StopListening()
{
    if (!m_server)
        return;
    m_server->close();
    QLocalServer::removeServer(WakeServerName());
}

bool TSingleInstance::wakeRunningCopy(const QString &url, int waitMs)
{
    if (WakeServerName().isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(WakeServerName());
    if (!socket.waitForConnected(waitMs))
        return false;
    socket.write(kWakePrefix + url.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(waitMs))
        return false;
    // The answer comes once the first copy has handled the wake-up.
    while (socket.bytesAvailable() < qint64(sizeof(kWakeAnswer) - 1)) {
        if (!socket.waitForReadyRead(waitMs))
            return false;
    }
    return socket.readAll().startsWith(kWakeAnswer);
}

void TSingleInstance::listen()
{
    // We hold the program mutex, so a socket file left by a copy that crashed is stale.
    QLocalServer::removeServer(WakeServerName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(WakeServerName()))
        return;
    connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::onNewConnection);
}

void TSingleInstance::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // The request is two lines: the word and the address (maybe empty).
            if (socket->peek(socket->bytesAvailable()).count('\n') < 2)
                return;
            if (socket->readLine() != kWakePrefix) {
                socket->disconnectFromServer();
                return;
            }
            const QString url = QString::fromUtf8(socket->readLine()).trimmed();
            Q_EMIT wakeUpRequested(url);
            socket->write(kWakeAnswer);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

} // namespace orvix
