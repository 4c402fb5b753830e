#include "parse_reports.h"

#include "foundation/alerts.h"
#include "foundation/dialogs.h"
#include "foundation/log.h"

namespace orvix {

void TLogParseReports::alert(const QString &text)
{
    LogMessage(text);
}

void TLogParseReports::infoBox(const QString &text)
{
    LogMessage(text);
}

void TLogParseReports::message(const QString &text)
{
    LogMessage(text);
}

void TWindowParseReports::alert(const QString &text)
{
    ShowAlert(text);
}

void TWindowParseReports::infoBox(const QString &text)
{
    InfoBox(text);
}

void TWindowParseReports::message(const QString &text)
{
    LogMessage(text);
}

} // namespace orvix
