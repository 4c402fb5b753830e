#pragma once

#include <QString>


namespace orvix {

class RunControl;

// Pauses and limits of FetchPageText. The defaults are the product's; tests shorten them.
struct FetchPageTiming
{
    int pauseMs = 5000;      // after each failed attempt, and after giving up
    int timeoutSeconds = 90; // inactivity time-out of each attempt
    int connectTimeoutSeconds = 15; // reaching the server, inside the inactivity time-out
    int lowSpeedSeconds = 60;       // an attempt below 1 KB/s this long fails
};

FetchPageTiming GetFetchPageTiming();
void SetFetchPageTiming(const FetchPageTiming &timing);

// Fetches a page as text, trying up to 5 times. Each failed attempt (an answer with an HTTP
// error status among them) writes messagePrefix + its error to the message log and pauses. When no text comes back, "URL failed (L/O): " + url +
// ", error=" + error goes to "orvix.log" and the message log, and the result is empty; error
// holds the last failure's text (empty when no attempt raised). Pauses end early when the
// run closes. Raises nothing.
QString FetchPageText(const RunControl &run, const QString &url, QString &error, const QString &messagePrefix);

} // namespace orvix
