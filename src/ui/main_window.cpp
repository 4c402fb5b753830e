#include "main_window.h"

#include "debug_page.h"
#include "favorites_panel.h"
#include "main_menu.h"
#include "maker_services_ui.h"
#include "messages_panel.h"
#include "page_type_area.h"
#include "picture_strips.h"
#include "paste_urls_panel.h"
#include "queue_message_panel.h"
#include "queue_status_panel.h"
#include "resume_panel.h"
#include "settings_panel.h"
#include "thread_status_bar.h"
#include "top_bar.h"
#include "web_panel_host.h"
#include "window_settings_controls.h"
#include "worker_host_window.h"
#include "widgets/panel_x.h"
#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "app/program_context.h"
#include "app/queue_commands.h"
#include "foundation/alerts.h"
#include "foundation/desktop.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "library/db_integrity.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "queue/incomplete_session.h"
#include "queue/pasted_urls.h"
#include "queue/queue_state.h"
#include "ui/web_browser_k.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QTabBar>
#include <QToolButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace orvix {

namespace {

// Layout sizes are given for 96 pixels per inch.
int Scale(const QWidget *w, int n)
{
    return qRound(n * w->logicalDpiY() / 96.0);
}

QRect workArea(const QWidget *w)
{
    const QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

} // namespace

TFormMain::TFormMain(QWidget *parent)
    : QMainWindow(parent), m_dialogs(this), m_parser(this, nullptr)
{
    setObjectName(QStringLiteral("FormMain"));
    m_previousDialogs = SetDialogs(&m_dialogs);
    m_previousDesktop = SetDesktop(&m_desktop);
    m_previousAlerts = SetAlerts(&m_alerts);

    m_controls = std::make_unique<TWindowSettingsControls>(this);
    m_context = std::make_unique<ProgramContext>(*m_controls);
    buildWindow();
    FormCreate();
}

TFormMain::~TFormMain()
{
    // FormDestroy: workers first, then what they used. A worker waiting on a box would never
    // end, so those boxes go first.
    try {
        m_dialogs.WorkersStopping();
        // A thumbnail thread may be waiting for the main thread, which now waits for it.
        m_webPanel->frame()->detachThumbnails();
        m_thumbnails.reset();
        // The strips' preview threads are registered with the context's run: they end first.
        m_strips->StopThumbnails();
        m_context->StopWorkers();
        // The maker services report thread failures through the context's thread list: they
        // go while it is still there (as a child of the window they would go after it).
        delete findChild<TMakerServicesUi *>(QString(), Qt::FindDirectChildrenOnly);
        // It shows the context's rows, which go with the context before the window's children.
        delete m_queuePanel;
        m_queuePanel = nullptr;
        SetProgramLog(nullptr);
        m_log.reset();
    } catch (...) {
        InfoBox(QStringLiteral("exception destroy1"));
    }
    SetAlerts(m_previousAlerts);
    SetDesktop(m_previousDesktop);
    SetDialogs(m_previousDialogs);
}

TPicturePanel *TFormMain::picturePanel() const
{
    return m_pageType->picturePanel();
}

void TFormMain::buildWindow()
{
    setWindowTitle(appTitle());

    m_topBar = new TTopBar(*this, nullptr);
    m_pageType = new TPageTypeArea(*this, this, nullptr);
    m_pageType->setFixedWidth(560);
    connect(m_pageType, &TPageTypeArea::saveMultipleClicked, this, [this] { bSaveMultipleClick(true); });

    m_panelTop = new TPanelX;
    m_panelTop->setObjectName(QStringLiteral("panelTop"));
    auto *top = new QHBoxLayout(m_panelTop);
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_topBar, 1);
    top->addWidget(m_pageType);

    m_browser = new TWebBrowserK(this);
    m_browser->setObjectName(QStringLiteral("wbMainBrowser"));
    connect(m_browser, &TWebBrowserK::BeforeNavigate2, this, &TFormMain::wbMainBrowserBeforeNavigate2);
    connect(m_browser, &TWebBrowserK::OnNewHTML, this, &TFormMain::wbMainBrowserNewHTML);
    connect(m_browser, &TWebBrowserK::CommandStateChange, m_topBar, &TTopBar::CommandStateChange);
    connect(m_browser, &TWebBrowserK::TitleChange, this, [this](const QString &t) { m_pageTitle = t; });
    connect(m_browser, &TWebBrowserK::NavigateComplete2, this,
            [this](const QString &url) { DebugMsg(m_context->run(), QStringLiteral("NavigateComplete2: ") + url); });
    connect(m_browser, &TWebBrowserK::DocumentComplete, this,
            [this](const QString &url, bool ok) {
                DebugMsg(m_context->run(),
                         QStringLiteral("DocumentComplete: ") + url + (ok ? QString() : QStringLiteral(" (failed)")));
            });

    m_pcPanels = new TVarnelPageControlX;
    m_pcPanels->setObjectName(QStringLiteral("pcPanels"));
    TTabSheetX *tsBrowser = m_pcPanels->AddPage(QStringLiteral("Browser"));
    tsBrowser->setObjectName(QStringLiteral("tsBrowser"));
    auto *browserLayout = new QVBoxLayout(tsBrowser);
    browserLayout->setContentsMargins(0, 0, 0, 0);
    browserLayout->addWidget(m_browser);
    TTabSheetX *tsDebug = m_pcPanels->AddPage(QStringLiteral("Debug"));
    tsDebug->setObjectName(QStringLiteral("tsDebug"));
    auto *debugLayout = new QVBoxLayout(tsDebug);
    debugLayout->setContentsMargins(0, 0, 0, 0);
    m_debugPage = new TDebugPage(nullptr, m_context->run());
    debugLayout->addWidget(m_debugPage);
    m_pcPanels->setHideAllTabs(true);
    m_pcPanels->Loaded();
    // The strips growing below the browser, or the window shrinking, must not leave the web
    // panel lying over them.
    m_pcPanels->installEventFilter(this);

    auto *splitter1 = new QSplitter(Qt::Vertical);
    splitter1->setObjectName(QStringLiteral("splitter1"));
    splitter1->addWidget(m_pcPanels);
    buildLibraryParts(splitter1, top);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_panelTop);
    layout->addWidget(splitter1, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    m_threadStatus = new TThreadStatusBar;
    m_threadStatus->hide();
    statusBar()->addPermanentWidget(m_threadStatus);

    m_messages = new TMessagesPanel(this);
    m_resumePanel = new TResumePanel(this);
    m_queueMessage = new TQueueMessagePanel(this);
    m_webPanelHost = std::make_unique<TWindowWebPanelHost>(*this);
    m_webPanel = new TWebPanelCaption(this, *m_webPanelHost, m_thumbnailRequests);
    auto *maximize = new QShortcut(QKeySequence(QStringLiteral("Ctrl+M")), this);
    connect(maximize, &QShortcut::activated, this, [this] {
        if (!m_webPanel->isHidden())
            MaximizeWebPanel();
    });
    TPasteUrlsPanel::Host pasteHost;
    pasteHost.ensuredPicturesFolder = [this] { return ensuredPicturesFolder(); };
    pasteHost.queuePage = [this](const QString &url, const QString &line) { queuePage(url, line); };
    m_pastePanel = new TPasteUrlsPanel(this, std::move(pasteHost));
    buildSettingsPanels();

    TMainMenuActions actions;
    actions.exit = [this] { close(); };
    actions.checkDatabase = [this] { miCheckDBIntegrityClick(); };
    actions.rescanOutputPath = [this] { miScanFilesClick(); };
    actions.pasteMultipleUrls = [this] { m_pastePanel->Open(); };
    actions.generalSettings = [this] { m_settingsPanel->miGeneralSettingsClick(TSettingsPanel::kPageGeneral); };
    actions.browsingSettings = [this] { m_settingsPanel->miGeneralSettingsClick(TSettingsPanel::kPageBrowsing); };
    actions.favorites = [this] { m_favoritesPanel->bFavoritesClick(); };
    actions.toggleDebugPage = [this] { ToggleDebugPage(); };
    actions.openSettingsFolder = [] { ShellOpen(GetSettingsFolder()); };
    m_menu = new TMainMenu(this, actions);
    auto *maker = new TMakerServicesUi(this, *m_context, *m_menu, *m_browser);
    m_topBar->bSubmitPage()->setEnabled(true);
    connect(m_topBar->bSubmitPage(), &QToolButton::clicked, maker,
            [this, maker] { maker->SubmitPage(1, m_topBar->edURL()->text()); });
    connect(m_webPanel->frame()->bSubmitPage2(), &QToolButton::clicked, maker,
            [this, maker] { maker->SubmitPage(2, m_topBar->edURL()->text()); });

    m_timerInit = new QTimer(this);
    m_timerInit->setSingleShot(true);
    m_timerInit->setInterval(kTimerInitMs);
    connect(m_timerInit, &QTimer::timeout, this, &TFormMain::TimerInitTimer);
    m_timerLogMessages = new QTimer(this);
    m_timerLogMessages->setInterval(kTimerLogMessagesMs);
    connect(m_timerLogMessages, &QTimer::timeout, this, &TFormMain::TimerLogMessagesTimer);
    m_timerLogMessages->start();

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_shownOnce)
            ApplicationEvents1Activate();
    });
    resize(1280, 860);
}

void TFormMain::buildSettingsPanels()
{
    m_settingsPanel = new TSettingsPanel(*m_context, [this](int index) {
        picturePanel()->cbImageSizeToSave()->setCurrentIndex(index);
        if (auto *webPanelSize = findChild<QComboBox *>(QStringLiteral("cbImageSizeToSave2")))
            webPanelSize->setCurrentIndex(index);
    }, this);

    TFavoritesHost favorites;
    favorites.address = [this] { return m_topBar->edURL()->text(); };
    favorites.pageTitle = [this] { return m_pageTitle; };
    favorites.open = [this](const QString &url) {
        m_topBar->edURL()->setText(url);
        m_topBar->bOpenURLClick();
    };
    favorites.save = [this] { m_context->ApplicationSettings().SaveSettingsX(); };
    m_favoritesPanel = new TFavoritesPanel(std::move(favorites), this);
    connect(m_topBar->bAddToFavorites(), &QToolButton::clicked, m_favoritesPanel,
            &TFavoritesPanel::bAddToFavoritesClick);
    connect(m_topBar->bFavorites(), &QToolButton::clicked, m_favoritesPanel, &TFavoritesPanel::bFavoritesClick);
}

void TFormMain::FormCreate()
{
    m_context->PrepareDataFiles();
    setWindowTitle(appTitle());
    m_pcPanels->SetTab(0);
    ResetPageArea();

    if (!m_context->StartSession())
        throw EOrvix(QStringLiteral("Could not initialize session"));

    m_log = std::make_unique<TLog>(&m_debugPage->logListBox());
    SetProgramLog(m_log.get());
    m_topBar->setStatusLight(TStatusLight::Hidden);
    m_context->CreateQueues(*this);
    m_queuePanel = new TQueueStatusPanel(this, m_context->queueRows(), m_context->queueCommands(), m_context->queues(),
                                         [this](const QString &url) { navigate(url); });

    m_pageType->ShowStartState();
    m_threadStatus->setVisible(m_context->switches().debug);
    m_settingsPanel->TrimMemos();
    placeFloatingPanels();
    m_workerHost = std::make_unique<TWindowWorkerHost>(*this, *m_context);
    m_context->SetWorkerHost(m_workerHost.get());
    m_context->StartPageWorker();
    m_thumbnails = std::make_unique<TThreadIEThumbs>(m_thumbnailRequests, m_context->run(), *m_webPanel->frame(),
                                                     TempPath(QString()));
    m_thumbnails->Start();
}

void TFormMain::placeFloatingPanels()
{
    const QRect area = workArea(this);
    // Until the user places it (the session settings then keep its place).
    m_queuePanel->setGeometry(20, 160, std::min(680, area.width() - 40), 260);
    m_messages->move(std::max(0, std::min(width(), area.width()) - m_messages->width() - 100), 400);
    m_webPanel->setGeometry(60, 120, 700, std::min(600, area.height() - 200));
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The application store's part of the first show: settings loaded, start counted, bounds.
    m_context->LoadApplicationSettings();
    const FormPlacement placement = m_context->ApplicationSettings().FormSize_Load(workArea(this));
    if (placement.setPosition)
        move(placement.position);
    if (placement.setSize)
        resize(placement.size);
    if (placement.maximize)
        setWindowState(windowState() | Qt::WindowMaximized);
    FormShow();
}

void TFormMain::restoreQueuePanel()
{
    const auto number = [this](const char *name) { return qRound(m_controls->value(QLatin1String(name))); };
    const QRect saved(number("queuePanel_left"), number("queuePanel_top"), number("queuePanel_width"),
                      number("queuePanel_height"));
    m_queuePanel->setGeometry(RestoredQueuePanelGeometry(saved, m_queuePanel->geometry(), workArea(this).size()));
    // From now on its place is the user's.
    m_queuePanel->onGeometryChanged = [this](const QRect &r) {
        m_controls->setValue(QStringLiteral("queuePanel_left"), r.left());
        m_controls->setValue(QStringLiteral("queuePanel_top"), r.top());
        m_controls->setValue(QStringLiteral("queuePanel_width"), r.width());
        m_controls->setValue(QStringLiteral("queuePanel_height"), r.height());
    };
}

void TFormMain::restoreWebPanel()
{
    const auto number = [this](const char *name) { return qRound(m_controls->value(QLatin1String(name))); };
    const QRect saved(number("multiqueue_left"), number("multiqueue_top"), number("multiqueue_width"),
                      number("multiqueue_height"));
    m_webPanel->setGeometry(RestoredWebPanelGeometry(saved, m_webPanel->geometry(), size(), workArea(this).size()));
    m_webPanel->onGeometryChanged = [this](const QRect &r) {
        m_controls->setValue(QStringLiteral("multiqueue_left"), r.left());
        m_controls->setValue(QStringLiteral("multiqueue_top"), r.top());
        m_controls->setValue(QStringLiteral("multiqueue_width"), r.width());
        m_controls->setValue(QStringLiteral("multiqueue_height"), r.height());
    };
}

void TFormMain::FormShow()
{
    m_context->OpenSessionSettings();
    restoreWebPanel();
    restoreQueuePanel();
    m_context->LoadPictureDatabase();
    m_context->run().debugMode = m_context->switches().debug || m_controls->checked(QStringLiteral("cbDebug"));
    m_programInitialized = false;

    const QString folder = ensuredPicturesFolder();
    if (!CanWriteToFolder(folder)) {
        InfoBox(QStringLiteral("You have no access right to write to: ") + folder
                + QStringLiteral("\r\nPlease select another folder."));
        m_settingsPanel->miGeneralSettingsClick(TSettingsPanel::kPageGeneral);
    }
    m_context->setCacheThumbnails(m_controls->checked(QStringLiteral("cbCacheThumbnails")));

    if (m_controls->itemIndex(QStringLiteral("rg_ImageSizeToSave")) < 0)
        m_controls->setItemIndex(QStringLiteral("rg_ImageSizeToSave"), TPicturePanel::SizeOriginal);
    picturePanel()->cbImageSizeToSave()->setCurrentIndex(
        m_controls->itemIndex(QStringLiteral("rg_ImageSizeToSave")));
    m_webPanel->frame()->cbImageSizeToSave2()->setCurrentIndex(
        m_controls->itemIndex(QStringLiteral("rg_ImageSizeToSave")));

    const QString urlSwitch = m_context->switches().url;
    if (!urlSwitch.isEmpty()) {
        m_topBar->edURL()->setText(urlSwitch);
        m_topBar->bOpenURLClick();
    }
    m_context->StartMediaWorker();
    queueScriptedLines();

    m_settingsPanel->ShowStartPageChoice();
    const QString versionMarker = QStringLiteral("cbVersion1_0_0_10_initialized");
    const bool startPage2 = m_controls->text(QStringLiteral("edStartUrlIdx")) == QLatin1String("1");
    if (m_controls->checked(versionMarker)) {
        const QString startPage = m_controls->text(QStringLiteral("edStartPage"));
        if (!startPage2 && !m_topBar->edURL()->text().isEmpty()) {
            m_topBar->bOpenURLClick();
        } else if (startPage2 && !startPage.isEmpty()) {
            m_topBar->edURL()->setText(startPage);
            m_topBar->bOpenURLClick();
        }
    } else {
        // First run: the marker is written when the settings are closed. A new user gets the
        // site's index (it leads to the sample set), unless the command line named a page.
        m_controls->setChecked(versionMarker, true);
        m_settingsPanel->miGeneralSettingsClick(TSettingsPanel::kPageGeneral);
        if (urlSwitch.isEmpty()) {
            m_topBar->edURL()->setText(SiteRoot() + QLatin1Char('/'));
            m_topBar->bOpenURLClick();
        }
    }

    picturePanel()->pcSinglePictureMode()->setFixedHeight(Scale(this, 70));
    m_panelTop->setFixedHeight(Scale(this, 110));
    m_context->LoadFilesDatabase();
    m_timerInit->start();
}

void TFormMain::queueScriptedLines()
{
    const StartSwitches &switches = m_context->switches();
    if (switches.pasteFile.isEmpty())
        return;
    QFile file(switches.pasteFile);
    if (!file.open(QIODevice::ReadOnly)) {
        LogMessage(QStringLiteral("cannot read ") + switches.pasteFile);
        return;
    }
    const QString folder = DownloadTargetFolder(ensuredPicturesFolder(), m_outputSubfolder);
    for (const QString &url : TakePastedUrls(QString::fromUtf8(file.readAll())).accepted)
        queuePage(url, PastedPageLine(url, QStringLiteral("2"), folder));
    if (!switches.removeText.isEmpty())
        m_context->queueCommands().RemoveByText(switches.removeText);
}

void TFormMain::TimerInitTimer()
{
    m_timerInit->stop();
    ForceForeground(this);
    OfferIncompleteSession();
    if (m_context->switches().debug) {
        // The self-test of a debug start: the library searched for "11".
        m_topBar->edSearchTerm()->setText(QStringLiteral("11"));
        m_topBar->cbSearchIn()->setCurrentIndex(TTopBar::kSearchInLibrary);
        m_topBar->bSearchClick();
    }
    m_programInitialized = true;
    if (TWebBrowserK::GetIEVersionMajor() >= 0 && TWebBrowserK::GetIEVersionMajor() <= 7)
        ErrorBox(QStringLiteral("It looks like you have an old version of Internet Explorer.\r\n\r\n"
                                "This program requires IE8 or newer, to operate properly.\r\n"
                                "Please upgrade your browser (free of charge) from its maker's web site."));
}

void TFormMain::OfferIncompleteSession()
{
    std::unique_ptr<FoundSession> found;
    try {
        found = m_context->FindIncompleteSession();
    } catch (const EOrvix &e) {
        LogMessage(e.message());
        return;
    }
    if (!found)
        return;
    m_resumePanel->Offer(std::move(found), m_context->queues(), [this](const QString &url) { navigate(url); });
}

void TFormMain::ApplicationEvents1Activate()
{
    TVarnelProject &settings = m_context->ApplicationSettings();
    if (settings.ProjectModifiedExternally()) {
        ShowAlert(QStringLiteral("settings changed. reloading"));
        settings.ReloadProject();
        m_settingsPanel->ShowStartPageChoice();
    }
    const auto result = m_context->pictures().ReloadImagesDbIfChanged(
        [this](const QString &text) { DrawScreenText(text, 0); });
    if (result.reloaded && m_context->run().debugMode)
        ShowAlert(QStringLiteral("imagesDB_sl.LoadFromFile: ") + QString::number(result.elapsedMs)
                  + QStringLiteral(" ms"));
}

void TFormMain::WakeUp(const QString &url)
{
    if (m_context->run().AppClosing)
        return; // a closing window is never brought back
    DebugMsg(m_context->run(), QStringLiteral("woken by another start: ") + url);
    ForceForeground(this);
    if (!url.isEmpty()) {
        m_topBar->edURL()->setText(url);
        m_topBar->bOpenURLClick();
    }
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (m_context->run().AppClosing) {
        event->accept(); // closed once already (a signal after the close button, say)
        return;
    }
    Q_EMIT closing();
    if (auto *maker = findChild<TMakerServicesUi *>())
        maker->BeginClosing(); // nothing is reported from here on
    m_context->BeginClosing();
    // The workers are waited for when the window goes: none may still wait on a box then.
    m_dialogs.WorkersStopping();
    // No thumbnail may be written after the cache is trimmed.
    m_strips->StopThumbnails();
    TPictureStrips::TrimThumbnails(m_context->outputFolder());
    const bool maximized = isMaximized();
    m_context->SaveOnClose(maximized ? normalGeometry() : geometry(), maximized, workArea(this));
    // The window's own dialogs go with it, unasked (done() ends a modal one's loop too).
    for (QWidget *w : findChildren<QWidget *>()) {
        if (!w->isWindow() || !w->isVisible())
            continue;
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->done(QDialog::Rejected);
        else
            w->hide();
    }
    event->accept();
}

bool TFormMain::event(QEvent *event)
{
    if (event->type() == QEvent::Resize && m_messages && m_messages->isVisible())
        m_messages->MakeHeaderVisible();
    if (event->type() == QEvent::Resize && m_settingsPanel)
        m_settingsPanel->FormResize();
    return QMainWindow::event(event);
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pcPanels && event->type() == QEvent::Resize)
        fitWebPanelIntoBrowser();
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::LogMessageInternal(const QString &s)
{
    m_messages->LogMessageInternal(s, m_log.get());
}

void TFormMain::TimerLogMessagesTimer()
{
    if (!m_programInitialized)
        return;
    m_timerLogMessages->stop();
    try {
        DrainLogMessages([this](const QString &s) { LogMessageInternal(s); });
    } catch (...) {
        // The message stays first in the list; the next tick tries it again.
    }
    m_timerLogMessages->start();
}

void TFormMain::DrawScreenText(const QString &text, int line)
{
    statusBar()->showMessage(QStringLiteral("----------------") + text + QStringLiteral("  [")
                             + QString::number(line) + QLatin1Char(']'));
    statusBar()->repaint();
}

void TFormMain::ToggleDebugPage()
{
    m_pcPanels->SetTab(m_pcPanels->ActivePageIndex() == 0 ? 1 : 0);
}

void TFormMain::miCheckDBIntegrityClick()
{
    CheckImagesDbIntegrity(m_context->pictures(), [this] {
        return m_context->queues().PageQueue.Count() > 0 || m_context->queues().MediaQueue.Count() > 0;
    });
}

void TFormMain::miScanFilesClick()
{
    const QString folder = ensuredPicturesFolder();
    RescanPicturesFolder(m_context->pictures(), folder);
}

} // namespace orvix
