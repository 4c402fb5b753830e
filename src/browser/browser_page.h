#pragma once

#include <QWebEnginePage>

#include <functional>

namespace orvix {

// The engine's page with the program's manners: navigation requests go to the owner first,
// and in silent mode scripts cannot open dialogs (errors, alerts, questions are dropped the
// way the user would dismiss them).
class TBrowserPage : public QWebEnginePage
{
    Q_OBJECT

public:
    using NavigationHandler = std::function<bool(const QUrl &url, NavigationType type, bool isMainFrame)>;

    explicit TBrowserPage(QWebEngineProfile *profile, QObject *parent = nullptr);

    bool silent = true;
    // Returns false to cancel. Without a handler every navigation goes ahead.
    NavigationHandler onNavigationRequest;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &msg, const QString &defaultValue,
                          QString *result) override;
};

} // namespace orvix
