#pragma once

// The maker's services in the desktop program: exception reports (with their dialog and the
// report a crash left), the background update check, and the menu's "Feedback", "Check for
// Updates..." and "About" and the page report. A child of the main window, made by it once.

#include "foundation/thread_registry.h"
#include "services/exception_reports.h"

#include <QObject>
#include <QPointer>

class QMainWindow;
class QThread;

namespace orvix {

class ProgramContext;
class TExceptionDialog;
class TMainMenu;
class TOrvixApplication;
class TWebBrowserK;

// Where reports that could not be delivered wait for the next start, in the settings folder.
inline constexpr const char *UnsentReportsFolderName = "unsent_reports/";
// "Support forums": the maker's site with "/ForumThreads.aspx?AppId=13".
QString SupportForumsUrl();

class TMakerServicesUi : public QObject
{
    Q_OBJECT
public:
    TMakerServicesUi(QMainWindow *window, ProgramContext &context, TMainMenu &menu, TWebBrowserK &browser);
    ~TMakerServicesUi() override;

    TExceptionReports &reports() { return m_reports; }
    ThreadRegistry &threads();

    // Closing: reports are off from here on and their dialogs close.
    void BeginClosing();
    // The update window for a reply (empty: it asks itself); shown when forced or newer.
    void ExecuteUpgrade(bool forceShow, const QString &responseStr);
    void ShowFeedback();
    void ShowAbout();
    // The page report: mode 1 from the top bar, 2 from the web panel.
    void SubmitPage(int mode, const QString &pageUrl);
    // "window_screenshot=NAME:FILE": opens that window, saves a picture of it and ends the run.
    void TakeWindowScreenshot(const QString &name, const QString &file);

private:
    void showExceptionDialog(const QString &message, const QString &details);
    void startBackgroundCheck();

    QMainWindow *m_window;
    ProgramContext &m_context;
    TWebBrowserK &m_browser;
    TExceptionReports m_reports;
    QList<QPointer<TExceptionDialog>> m_dialogs;
    std::atomic<bool> m_closing{false};
    QThread *m_checkThread = nullptr; // the background update check, once started
};

} // namespace orvix
