#include "app/worker_timing_env.h"

#include "engine/fetch_page_text.h"

#include <QString>
#include <QStringList>

namespace orvix {

WorkerTiming ApplyWorkerTimingFromEnvironment(WorkerTiming timing)
{
    const QString given = qEnvironmentVariable(kWorkerTimingVariable);
    FetchPageTiming fetch = GetFetchPageTiming();
    for (const QString &item : given.split(u',', Qt::SkipEmptyParts)) {
        const QString name = item.section(u'=', 0, 0).trimmed();
        bool ok = false;
        const int value = item.section(u'=', 1).trimmed().toInt(&ok);
        if (!ok || value < 0)
            continue;
        if (name == QLatin1String("poll"))
            timing.pollMs = value;
        else if (name == QLatin1String("pause"))
            timing.failurePauseMs = value;
        else if (name == QLatin1String("disk"))
            timing.diskWaitMs = value;
        else if (name == QLatin1String("browser"))
            timing.browserWaitMs = value;
        else if (name == QLatin1String("check"))
            timing.browserCheckMs = value;
        else if (name == QLatin1String("http"))
            timing.httpTimeoutSeconds = value;
        else if (name == QLatin1String("fetchpause"))
            fetch.pauseMs = value;
        else if (name == QLatin1String("connect"))
            timing.connectTimeoutSeconds = fetch.connectTimeoutSeconds = value;
        else if (name == QLatin1String("lowspeed"))
            timing.lowSpeedSeconds = fetch.lowSpeedSeconds = value;
    }
    SetFetchPageTiming(fetch);
    return timing;
}

} // namespace orvix
