#include "browser/browser_page.h"

namespace orvix {

TBrowserPage::TBrowserPage(QWebEngineProfile *profile, QObject *parent) : QWebEnginePage(profile, parent) {}

bool TBrowserPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (onNavigationRequest)
        return onNavigationRequest(url, type, isMainFrame);
    return true;
}

void TBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                            int lineNumber, const QString &sourceID)
{
    // The site's script errors are its own business; the default handler would fill the
    // program's output with them.
    if (!silent)
        QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

void TBrowserPage::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    if (!silent)
        QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool TBrowserPage::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    return silent ? false : QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool TBrowserPage::javaScriptPrompt(const QUrl &securityOrigin, const QString &msg,
                                    const QString &defaultValue, QString *result)
{
    return silent ? false : QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

} // namespace orvix
