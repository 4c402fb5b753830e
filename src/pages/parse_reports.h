#pragma once

#include <QString>

namespace orvix {

// Where the page parsers send their reports. The window shows alerts and message boxes on the
// main thread; the page worker must never block on one, so its reports go to the message log.
class IParseReports
{
public:
    virtual ~IParseReports() = default;
    virtual void alert(const QString &text) = 0;   // non-blocking notice for the user
    virtual void infoBox(const QString &text) = 0; // message box in the window
    virtual void message(const QString &text) = 0; // line of the message log
};

// Sends every report to the message log; used by the page worker.
class TLogParseReports : public IParseReports
{
public:
    void alert(const QString &text) override;
    void infoBox(const QString &text) override;
    void message(const QString &text) override;
};

// Alerts, message boxes and the message log of the program; main thread only.
class TWindowParseReports : public IParseReports
{
public:
    void alert(const QString &text) override;
    void infoBox(const QString &text) override;
    void message(const QString &text) override;
};

} // namespace orvix
