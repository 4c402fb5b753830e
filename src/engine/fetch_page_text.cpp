#include "engine/fetch_page_text.h"

#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/message_quote.h"
#include "foundation/run_control.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace orvix {

namespace {

constexpr int kAttempts = 5;

std::mutex g_timingLock;
FetchPageTiming g_timing;

// Sleeps in short steps so that closing the program is not held up by a retry pause.
void pause(const RunControl &run, int ms)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + milliseconds(ms);
    while (!run.AppClosing && steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<steady_clock::duration>(milliseconds(100), end - steady_clock::now()));
}

} // namespace

FetchPageTiming GetFetchPageTiming()
{
    std::lock_guard<std::mutex> lock(g_timingLock);
    return g_timing;
}

void SetFetchPageTiming(const FetchPageTiming &timing)
{
    std::lock_guard<std::mutex> lock(g_timingLock);
    g_timing = timing;
}

QString FetchPageText(const RunControl &run, const QString &url, QString &error, const QString &messagePrefix)
{
    const FetchPageTiming timing = GetFetchPageTiming();
    TIEHttp http;
    http.UnzipMethod = u'G';
    http.setTimeout(timing.timeoutSeconds);
    http.ConnectTimeoutSeconds = timing.connectTimeoutSeconds;
    http.LowSpeedSeconds = timing.lowSpeedSeconds;
    http.StopWhen = &run.AppClosing;
    // An error page is no sizes page.
    http.FailOnHttpError = true;
    http.setURL(url);
    for (int attempt = 1; attempt <= kAttempts && !run.AppClosing; ++attempt) {
        try {
            http.Execute();
            break;
        } catch (const std::exception &e) {
            http.ResultSl().clear();
            error = QuoteForMessage(exceptionMessage(e));
            LogMessage(messagePrefix + error);
            pause(run, timing.pauseMs);
        }
    }

    const QString text = http.ResultText();
    if (!text.isEmpty())
        return text;
    try {
        LogToFile(run.SettingsFile(QStringLiteral("orvix.log")), QStringLiteral("URL failed (L/O): ") + url + QStringLiteral(", error=") + error);
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
    LogMessage(messagePrefix + error);
    pause(run, timing.pauseMs);
    return {};
}

} // namespace orvix
