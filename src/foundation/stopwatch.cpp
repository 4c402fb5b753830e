#include "stopwatch.h"

#include <QElapsedTimer>
#include <atomic>

namespace orvix {

namespace {

qint64 nowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

std::atomic<qint64> g_startMs{0};
std::atomic<qint64> g_totalMs{0};

} // namespace

void StopwatchStart()
{
    g_startMs = nowMs();
    g_totalMs = 0;
}

qint64 StopwatchElapsed()
{
    const qint64 now = nowMs();
    g_totalMs += now - g_startMs.exchange(now);
    return g_totalMs;
}

QString StopwatchElapsedText()
{
    return QString::number(StopwatchElapsed()) + QStringLiteral(" ms");
}

} // namespace orvix
