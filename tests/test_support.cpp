#include "test_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <functional>
#include <unistd.h>

namespace orvix::test {

void applyHeadlessDefaults()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QString fixturePath(const QString &relative)
{
    return QStringLiteral(ORVIX_FIXTURES_DIR_VALUE) + QLatin1Char('/') + relative;
}

QString readFixtureLatin1(const QString &relative)
{
    QFile f(fixturePath(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(f.readAll());
}

QString binaryDir()
{
    return QStringLiteral(ORVIX_BINARY_DIR_VALUE);
}

bool waitUntil(const std::function<bool()> &pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

} // namespace orvix::test
