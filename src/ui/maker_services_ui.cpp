#include "maker_services_ui.h"

#include "about_form.h"
#include "exception_dialog.h"
#include "feedback_form.h"
#include "main_menu.h"
#include "orvix_application.h"
#include "upgrade_form.h"
#include "web_browser_k.h"

#include "app/program_context.h"
#include "app/maker_host.h"
#include "app/program_version.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/time_stamps.h"
#include "services/crash_report.h"
#include "services/maker_posts.h"
#include "services/winhttp_x.h"

#include <QAction>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <QTimer>

namespace orvix {

namespace {

constexpr int kBackgroundCheckDelayMs = 5000;
constexpr int kBackgroundRetryMs = 2000;
constexpr int kCheckConnectTimeoutMs = 15000;
constexpr int kCheckReceiveTimeoutMs = 30000;

} // namespace

TMakerServicesUi::TMakerServicesUi(QMainWindow *window, ProgramContext &context, TMainMenu &menu,
                                   TWebBrowserK &browser)
    : QObject(window), m_window(window), m_context(context), m_browser(browser), m_reports(context.run().Threads)
{
    setObjectName(QStringLiteral("makerServices"));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_reports.displayLine = DisplayLine(screen->geometry().width(), screen->geometry().height(), screen->depth());
    m_reports.ShowDialog = [this](const QString &message, const QString &details) { showExceptionDialog(message, details); };
    if (auto *app = dynamic_cast<TOrvixApplication *>(QCoreApplication::instance()))
        app->onException = [this](std::exception_ptr error) { m_reports.ShowExceptionGui(error); };

    const QString folder = context.settingsFolder();
    InstallFatalSignalReport(folder);
    // Those an earlier run could not deliver first: the crash report below is a new one.
    m_reports.KeepUnsentReportsIn(folder + QLatin1String(UnsentReportsFolderName));
    m_reports.PostUnsentReports();
    PostPendingCrashReport(m_reports, folder);
    CleanupDownloadedInstaller(folder, [](const QString &text) { ErrorBox(text); });

    // The page events the reports carry as recent activity.
    connect(&browser, &TWebBrowserK::OnNewHTML, this, [this] { m_reports.AddActivity(1, m_browser.Get_LastUrl()); });
    connect(&browser, &TWebBrowserK::DocumentComplete, this, [this](const QString &url, bool) {
        if (url != QStringLiteral("about:blank"))
            m_reports.AddActivity(2, url);
    });

    auto enable = [this, &menu](const char *name, std::function<void()> fn) {
        if (QAction *item = menu.item(QLatin1String(name))) {
            item->setEnabled(true);
            connect(item, &QAction::triggered, this, std::move(fn));
        }
    };
    enable("miFeedback", [this] { ShowFeedback(); });
    enable("miCheckForUpdates", [this] { ExecuteUpgrade(true, QString()); });
    enable("miAbout", [this] { ShowAbout(); });
    enable("miSupportForums", [] { ShellOpen(SupportForumsUrl()); });

    QTimer::singleShot(kBackgroundCheckDelayMs, this, [this] { startBackgroundCheck(); });
}

QString SupportForumsUrl()
{
    return MakerRoot() + QStringLiteral("/ForumThreads.aspx?AppId=13");
}

TMakerServicesUi::~TMakerServicesUi()
{
    // The update check ends within about a second of being told (its requests are cut short).
    if (m_checkThread) {
        m_closing = true;
        m_checkThread->wait();
        delete m_checkThread;
    }
    // The dialogs count themselves out of the reports, which go with this object.
    for (const QPointer<TExceptionDialog> &d : std::as_const(m_dialogs))
        delete d.data();
    if (auto *app = dynamic_cast<TOrvixApplication *>(QCoreApplication::instance()))
        app->onException = nullptr;
}

void TMakerServicesUi::BeginClosing()
{
    m_closing = true;
    m_reports.BeginClosing();
    // The report dialogs belong to no window: left open they would keep the program running.
    for (const QPointer<TExceptionDialog> &d : std::as_const(m_dialogs))
        if (d)
            d->close();
}

void TMakerServicesUi::showExceptionDialog(const QString &message, const QString &details)
{
    auto *dialog = new TExceptionDialog(message, details, m_reports.OpenDialogs);
    m_dialogs.removeAll(nullptr);
    m_dialogs << dialog;
    dialog->show();
}

void TMakerServicesUi::startBackgroundCheck()
{
    if (m_closing)
        return;
    const QString url = BackgroundUpdateRequestUrl(UpdateServiceUrl(), ProgramVersionText(),
                                                   m_context.ApplicationSettings().GetStartsCount(),
                                                   FormatTimeStamp(m_context.ApplicationSettings().GetInstallationDate()));
    QPointer<TMakerServicesUi> self(this);
    // Network on its own thread; only a newer build comes back to the window. Closing cuts its
    // requests short, and the window waits for it.
    m_checkThread = QThread::create([self, url, closing = &m_closing] {
        QString reply;
        TWinHttpX client;
        client.ConnectTimeout = kCheckConnectTimeoutMs;
        client.ReceiveTimeout = kCheckReceiveTimeoutMs;
        client.StopWhen = closing;
        for (int attempt = 0; attempt < 2 && !reply.contains(QStringLiteral("latest version")) && !*closing; ++attempt) {
            for (int waited = 0; attempt > 0 && waited < kBackgroundRetryMs && !*closing; waited += 50)
                QThread::msleep(50);
            try {
                client.ExecuteUrl(url);
                reply = client.ResponseText();
            } catch (...) {
            }
        }
        const TUpdateReply parsed = ParseUpdateReply(reply);
        if (*closing || !parsed.usable
            || CompareBuilds(ProgramVersionText(), parsed.latestVersion) != TUpdateStatus::NewVersion)
            return;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, reply] {
            if (self && !self->m_closing)
                self->ExecuteUpgrade(true, reply);
        }, Qt::QueuedConnection);
    });
    m_checkThread->start();
}

void TMakerServicesUi::ExecuteUpgrade(bool forceShow, const QString &responseStr)
{
    auto *form = new TFormUpgrade(UpdateServiceUrl(), QString::fromLatin1(UpdateWindowTitle), forceShow, responseStr,
                                  m_context.settingsFolder(), m_window);
    if (form->errorCode() >= 1)
        return; // told and closed
    if (forceShow || form->newVersionFound())
        form->show();
    else
        form->close();
}

void TMakerServicesUi::ShowFeedback()
{
    TFormFeedback form(m_window);
    form.exec();
}

void TMakerServicesUi::ShowAbout()
{
    auto *form = new TFormAbout(QStringLiteral("orvix_downloader"), threads(), m_window);
    form->exec();
}

ThreadRegistry &TMakerServicesUi::threads()
{
    return m_context.run().Threads;
}

void TMakerServicesUi::SubmitPage(int mode, const QString &pageUrl)
{
    const QString question = mode == 1
        ? QStringLiteral("Report problematic page\r\n-------\r\n\r\nYou are about to report a problematic page for examination.\r\n"
                         "Please do so if you think that the program did not correctly\r\n identified pictures on this page.\r\n\r\n"
                         "Url: ") + pageUrl + QStringLiteral("\r\n\r\nDo you want to submit this page?)")
        : QStringLiteral("The program did not identify any *additional* pages.\r\nIf you believe there are pages that the "
                         "program should had identified, \r\nplease submit this page so that we can examine it.\r\n\r\n"
                         "Do you want to submit this page? (no personal information will be sent)");
    if (ConfirmOkCancel(m_window, question, QStringLiteral("Report page")))
        return;
    const bool submitted = SubmitPageReport(pageUrl, m_browser.GetBrowserHtml2(), m_browser.Get_LastHtmlAjax(),
                                            TWebBrowserK::GetIEVersionMajor(), &m_closing);
    if (m_closing)
        return;
    if (submitted)
        InfoBox(QStringLiteral("Thank you!"));
    else
        ErrorBox(QStringLiteral("Page url could not be submitted"));
}

void TMakerServicesUi::TakeWindowScreenshot(const QString &name, const QString &file)
{
    QTimer::singleShot(1500, this, [this, name, file] {
        QWidget *shown = nullptr;
        if (name == QStringLiteral("about")) {
            shown = new TFormAbout(QStringLiteral("orvix_downloader"), threads(), m_window);
        } else if (name == QStringLiteral("feedback")) {
            auto *form = new TFormFeedback(m_window);
            form->setAttribute(Qt::WA_DeleteOnClose);
            shown = form;
        } else if (name == QStringLiteral("update")) {
            shown = new TFormUpgrade(UpdateServiceUrl(), QString::fromLatin1(UpdateWindowTitle), true, QString(),
                                     m_context.settingsFolder(), m_window);
        } else if (name == QStringLiteral("exception")) {
            try {
                throw EOrvix(QStringLiteral("test gui exception"));
            } catch (...) {
                m_reports.ShowExceptionGui(std::current_exception());
            }
        }
        if (shown)
            shown->show();
        QTimer::singleShot(2500, this, [this, shown, file] {
            QWidget *target = shown;
            if (!target && !m_dialogs.isEmpty())
                target = m_dialogs.last();
            const bool saved = target && target->grab().save(file, "PNG");
            TellWithoutWindow((saved ? QStringLiteral("screenshot saved: ") : QStringLiteral("screenshot failed: ")) + file);
            QCoreApplication::quit();
        });
    });
}

} // namespace orvix
