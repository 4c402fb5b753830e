#pragma once

// The main window (TFormMain): the browser with the top bar and its page-type area, the
// floating panels, the menu, the start-up order of the window's part of the program and its
// closing. It owns everything that lives for the whole run through ProgramContext.

#include "alert_popup.h"
#include "picture_panel.h"
#include "qt_desktop.h"
#include "qt_dialogs.h"
#include "top_bar.h"

#include "engine/thumbnail_fetcher.h"
#include "foundation/log.h"
#include "pages/page_parser.h"
#include "pages/parse_reports.h"
#include "queue/queue_view.h"
#include "ui/new_html_filter.h"

#include <QMainWindow>

#include <memory>

class QGroupBox;
class QHBoxLayout;
class QImage;
class QSplitter;
class QTimer;

namespace orvix {

class FoundSession;
class ProgramContext;
class TCaptionPanelK;
class TDebugPage;
class TEditTagsPanel;
class TImageX;
class TPictureStrips;
class TFavoritesPanel;
class TSettingsPanel;
class TMainMenu;
class TMessagesPanel;
class TPageTypeArea;
class TQueueStatusPanel;
class TPasteUrlsPanel;
class TQueueMessagePanel;
class TResumePanel;
class TVarnelPageControlX;
class TWebPanelCaption;
class TWindowWebPanelHost;
class TPanelX;
class TThreadStatusBar;
class TWebBrowserK;
class TWindowWorkerHost;
class TWindowSettingsControls;

class TFormMain : public QMainWindow,
                  public IPageWindow,
                  public ITopBarHost,
                  public IPicturePanelHost,
                  public IQueueView
{
    Q_OBJECT
public:
    static constexpr int kTimerInitMs = 300;
    static constexpr int kTimerLogMessagesMs = 1000;
    // The last-picture box; the media worker's host makes the saved picture this small.
    static constexpr int kLastPictureWidth = 110;
    static constexpr int kLastPictureHeight = 70;

    explicit TFormMain(QWidget *parent = nullptr);
    ~TFormMain() override;

    static QString appTitle() { return QStringLiteral("Orvix picture downloader"); }

    ProgramContext &context() { return *m_context; }
    TWebBrowserK *wbMainBrowser() const { return m_browser; }
    TTopBar *topBar() const { return m_topBar; }
    TPageTypeArea *pageTypeArea() const { return m_pageType; }
    TPicturePanel *picturePanel() const;
    TThreadStatusBar *threadStatus() const { return m_threadStatus; }
    TMessagesPanel *messagesPanel() const { return m_messages; }
    TResumePanel *resumePanel() const { return m_resumePanel; }
    TQueueStatusPanel *queueStatusPanel() const { return m_queuePanel; }
    TPasteUrlsPanel *pasteUrlsPanel() const { return m_pastePanel; }
    TQueueMessagePanel *queueMessagePanel() const { return m_queueMessage; }
    TSettingsPanel *settingsPanel() const { return m_settingsPanel; }
    TFavoritesPanel *favoritesPanel() const { return m_favoritesPanel; }
    TWebPanelCaption *webPanel() const { return m_webPanel; }
    TThumbnailRequests &thumbnailRequests() { return m_thumbnailRequests; }
    TWindowWorkerHost *workerHost() const { return m_workerHost.get(); }
    TPictureStrips *strips() const { return m_strips; }
    TEditTagsPanel *editTagsPanel() const { return m_editTags; }
    TDebugPage *debugPage() const { return m_debugPage; }
    TCaptionPanelK *panelSearching() const { return m_panelSearching; }
    QGroupBox *gbImageLast() const { return m_gbImageLast; }
    TImageX *imageLast() const { return m_imageLast; }
    QString lastSavedFn() const { return m_lastSavedFn; }
    TPageParser &parser() { return m_parser; }
    TLog *programLog() const { return m_log.get(); }

    bool programInitialized() const { return m_programInitialized; }
    bool documentParsed() const { return m_documentParsed; }
    QString NavigationUrl() const { return m_navigationUrl; }
    QString PageTitle() const { return m_pageTitle; }
    QString OutputSubfolder() const { return m_outputSubfolder; }

    // Browser events.
    void wbMainBrowserBeforeNavigate2(const QString &url, bool isMainFrame, bool &cancel);
    void wbMainBrowserNewHTML();
    void ParseHTMLSourceGui();
    // True from a report of new content until its parse ran.
    bool parsePending() const { return m_parsePending; }

    // Logging.
    void LogMessageInternal(const QString &s);
    void TimerLogMessagesTimer();
    void DrawScreenText(const QString &text, int line);

    // Start-up and activation.
    void TimerInitTimer();
    void ApplicationEvents1Activate();
    // A second start asked this copy to come forward (with its address, if any).
    void WakeUp(const QString &url);

    // Once the page has been read and the window painted, saves a picture of the window and
    // ends the program (the hidden "screenshot=FILE" switch).
    void setScreenshotFile(const QString &file) { m_screenshotFile = file; }

    // The incomplete-session offer (shortly after start-up).
    void OfferIncompleteSession();

    // IPageWindow
    QString pageSource() override;
    QString documentSerialisation() override;
    QString lastUrl() override;
    QString addressText() override;
    QString navigationUrl() override { return m_navigationUrl; }
    QString currentUrl() override;
    IParseReports &reports() override { return m_reports; }
    void showWorking() override;
    void showPicture(const TImageData &picture) override;
    bool thumbnailsShown() override;
    QString shownImageId() override;
    void showPagePanel(TPagePanel panel) override;
    void forgetThumbnailsPage() override;
    void showThumbnailsPage(const TPagingView &paging) override;
    void showEntries(const TWebFrameEntryList &entries) override;

    // ITopBarHost
    void navigate(const QString &url) override;
    void goBack() override;
    void goForward() override;
    void forgetParsedPage() override;
    bool openInNewInstanceAllowed() override { return m_programInitialized; }
    void openInNewInstance(const QString &url) override;
    void searchLibrary(const QString &term) override;
    void pastedSeveralAddresses(const QStringList &addresses) override;

    // IPicturePanelHost
    QString ensuredPicturesFolder() override;
    QString findLocalFileByKey(const QString &key) override;
    bool mediaQueueContains(const QString &text) override;
    bool pageQueueContains(const QString &text) override;
    void queuePage(const QString &url, const QString &line) override;
    void showQueueAnalyzing() override;
    void focusBrowser() override;
    void subfolderChanged(const QString &text) override;

    // IQueueView
    void AddToListViewQueue(const QString &caption, const QString &queueLine) override;

    // Save pictures: the web panel, or its button while the panel is closed.
    void bSaveMultipleClick(bool fromButton);
    // The web panel: closed (its button back on ts4), its frames' status after a saved picture
    // (while it shows), and placed over the browser's whole height.
    void CloseWebPanel();
    void RefreshWebPanel();
    void MaximizeWebPanel();
    void miCheckDBIntegrityClick();
    void miScanFilesClick();
    void ToggleDebugPage();

    // The library's side of the window (main_window_library.cpp).
    // A picture was saved (on the main thread for the media worker); preview is the picture
    // made small for the last-picture box.
    void ImageDownloaded(const QString &fn, const QImage &preview);
    void AddSessionPicture(const QString &fileName);
    // The search box's library search, with the term as typed.
    void bSearchLocalClick(const QString &term);
    void bOpenLastClick();
    void bEditTagsClick();
    void ShowEditTags(const QString &fileName, int mode);
    void bUpdateTagsClick();
    // "Locate in Orvix": the page the saved picture came from.
    void LocateInOrvix(const QString &fileName);
    void bGotoPageFromFilename2Click();
    void bGotoPageFromFilename1Click();

Q_SIGNALS:
    // Closing has begun (the window is never kept open): the program ends once it returns.
    void closing();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildSettingsPanels();
    void FormCreate();
    void FormShow();
    void ResetPageArea();
    void parseNewContent();
    void placeFloatingPanels();
    void restoreQueuePanel();
    void restoreWebPanel();
    void keepAskingPanelsInFront();
    // Keeps the web panel off the strips when it shows or the browser's area changes.
    void fitWebPanelIntoBrowser();
    void queueScriptedLines();
    void takeScreenshotSoon();
    void buildLibraryParts(QSplitter *splitter1, QHBoxLayout *top);

    std::unique_ptr<TWindowSettingsControls> m_controls;
    std::unique_ptr<ProgramContext> m_context;
    std::unique_ptr<TWindowWorkerHost> m_workerHost; // what the download workers ask of the window
    TQtDialogs m_dialogs;
    TQtDesktop m_desktop;
    TWindowAlerts m_alerts;
    TWindowParseReports m_reports;
    IDialogs *m_previousDialogs = nullptr;
    IDesktop *m_previousDesktop = nullptr;
    IAlerts *m_previousAlerts = nullptr;

    TTopBar *m_topBar = nullptr;
    TPageTypeArea *m_pageType = nullptr;
    TPanelX *m_panelTop = nullptr;
    TThreadStatusBar *m_threadStatus = nullptr;
    TVarnelPageControlX *m_pcPanels = nullptr;
    TPictureStrips *m_strips = nullptr;
    TEditTagsPanel *m_editTags = nullptr;
    TCaptionPanelK *m_panelSearching = nullptr;
    QGroupBox *m_gbImageLast = nullptr;
    TImageX *m_imageLast = nullptr;
    QString m_lastSavedFn;
    TWebBrowserK *m_browser = nullptr;
    TMessagesPanel *m_messages = nullptr;
    TDebugPage *m_debugPage = nullptr;
    TResumePanel *m_resumePanel = nullptr;
    TQueueStatusPanel *m_queuePanel = nullptr;
    TPasteUrlsPanel *m_pastePanel = nullptr;
    TQueueMessagePanel *m_queueMessage = nullptr;
    TSettingsPanel *m_settingsPanel = nullptr;
    TFavoritesPanel *m_favoritesPanel = nullptr;
    TThumbnailRequests m_thumbnailRequests; // shared by the web panel and the thumbnail threads
    std::unique_ptr<TWindowWebPanelHost> m_webPanelHost;
    TWebPanelCaption *m_webPanel = nullptr;
    std::unique_ptr<TThreadIEThumbs> m_thumbnails; // stopped before the web panel goes
    TMainMenu *m_menu = nullptr;
    QTimer *m_timerInit = nullptr;
    QTimer *m_timerLogMessages = nullptr;
    std::unique_ptr<TLog> m_log;

    TPageParser m_parser;
    NewHtmlFilter m_newHtml;
    std::unique_ptr<FoundSession> m_foundSession;

    bool m_programInitialized = false;
    bool m_documentParsed = false;
    bool m_parsePending = false;
    quint64 m_navigationCount = 0; // page resets so far; a parse asked for before one is dropped
    quint64 m_parseNavigation = 0; // the navigation of the newest content reported for parsing
    bool m_shownOnce = false;
    QString m_navigationUrl;
    QString m_pageTitle;
    QString m_outputSubfolder;
    QString m_screenshotFile;
    bool m_screenshotTaken = false;
    QTimer *m_screenshotTimer = nullptr;
};

} // namespace orvix
