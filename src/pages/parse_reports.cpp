#include "parse_reports.h"

#include "foundation/main_thread_call.h"
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
    ORVIX_ASSERT_MAIN_THREAD();
    ShowAlert(text);
}

void TWindowParseReports::infoBox(const QString &text)
{
    ORVIX_ASSERT_MAIN_THREAD();
    InfoBox(text);
}

void TWindowParseReports::message(const QString &text)
{
    ORVIX_ASSERT_MAIN_THREAD();
    LogMessage(text);
}

} // namespace orvix
