#pragma once

// "Download Multiple Pictures": the web panel over the browser while it shows a thumbnails
// page. One frame per picture found, marked saved or queued; the user selects pictures and
// queues them, moves through the listing's numbered pages or queues a range of them.

#include "web_frame.h"

#include "engine/thumbnail_fetcher.h"
#include "pages/page_numbering.h"
#include "pages/web_frame_entry.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;

namespace orvix {

class IParseReports;
class TMainThreadBridge;
class TSubfolderEdit;
class TVarnelLinkLabel;

// What the panel needs from the window around it.
class IWebPanelHost
{
public:
    virtual ~IWebPanelHost() = default;
    virtual QString ensuredPicturesFolder() = 0;
    // QueuePage (url, line, -1).
    virtual void queuePage(const QString &url, const QString &line) = 0;
    // A line of the media queue, an entry of QueueTemp or a line of the page queue holds text.
    virtual bool isQueued(const QString &text) = 0;
    virtual QString pictureKeyByPageUrl(const QString &pageUrl) = 0;
    virtual QString findLocalFileByKey(const QString &key) = 0;
    // The queue's panels after "Save selected" queued n pictures: the status panel, and the
    // "Queue Manager" note unless nothing was queued while it is showing. True when the note
    // was shown.
    virtual bool showQueued(int n) = 0;
    virtual void debugMsg(const QString &text) = 0;
    virtual void navigate(const QString &url) = 0;
    virtual QString addressText() = 0;
    virtual QString currentUrl() = 0;
    virtual TPageNumbering &pageNumbering() = 0;
    virtual IParseReports &reports() = 0;
    virtual void reparse() = 0;       // "refresh": the browser's page read again
    virtual void maximizePanel() = 0; // "maximize"
    virtual void closePanel() = 0;    // "X"
    virtual void focusPanel() = 0;    // mouse over the pictures
    virtual void subfolderChanged(const QString &text) = 0;
};

class TFrameWebPanel : public QWidget, public IThumbnailDisplay
{
    Q_OBJECT
public:
    TFrameWebPanel(IWebPanelHost &host, TThumbnailRequests &requests, QWidget *parent);
    ~TFrameWebPanel() override;

    // How often frames shown as queued look whether their picture is still in a queue.
    static constexpr int kQueuedCheckMs = 1000;
    QTimer *queuedCheck() const { return m_queuedCheck; } // tests shorten it

    // Frames for the entries; size is the layout (the window passes 1). The same list shown
    // again changes nothing.
    void CreateFrames(const TWebFrameEntryList &list, int size);
    void ClearFramesMiddle();
    void bRefreshStatusClick();
    void UpdateFrame(TFrameWebFrame *frame);
    // The paginator's state for the page buttons and menus.
    void ApplyPaging(const TPagingView &paging);
    // Forgotten when the thumbnails page changes, so returning to a page rebuilds its frames.
    void ForgetShownEntries() { ShownEntriesText.clear(); }

    // Commands.
    void SelectClick(QObject *sender); // btnSelectAll or btnSelectNone
    void DownloadSelectedClick();
    void bSaveAllPagesClick(QObject *sender);
    void GotoPageLink(QString &storedLink);
    void GotoPageNumber(int n);
    void miOpenInOrvixClick();
    void miOpenSavedPictureClick();
    void miLocateInExplorerClick();
    void piCopyDetailsClick();
    void FrameImageClick(TFrameWebFrame *frame);

    // IThumbnailDisplay: any thread; the thumbnail is shown on the main thread.
    void showThumbnail(const QString &frameName, const QString &fileName, int batchId) override;
    // Calls still waiting for the main thread give up (the fetcher is about to be stopped).
    void detachThumbnails();

    QList<TFrameWebFrame *> frames() const;
    TFrameWebFrame *frameByName(const QString &name) const;
    TFrameWebFrame *HoverFrame() const { return m_hoverFrame; }
    void setHoverFrame(TFrameWebFrame *frame) { m_hoverFrame = frame; }
    const QString &shownEntriesText() const { return ShownEntriesText; }

    QWidget *FlowPanel1() const { return m_flowPanel; }
    QScrollArea *sbSelectPictures() const { return m_scroll; }
    QLineEdit *edImageTags2() const { return m_edImageTags2; }
    QComboBox *cbImageSizeToSave2() const { return m_cbImageSizeToSave2; }
    TSubfolderEdit *edOutputPathInner2() const { return m_edOutputPathInner2; }
    QPushButton *btnDownloadSelected() const { return m_btnDownloadSelected; }
    QLabel *lblCurrentPage() const { return m_lblCurrentPage; }
    QToolButton *bPage_Prev() const { return m_bPagePrev; }
    QToolButton *bPage_Next() const { return m_bPageNext; }
    QToolButton *bGotoPage() const { return m_bGotoPage; }
    QToolButton *bSavePopup() const { return m_bSavePopup; }
    QToolButton *bSubmitPage2() const { return m_bSubmitPage2; }
    QMenu *popupSavePages() const { return m_popupSavePages; }
    QMenu *popupNavigationPages() const { return m_popupNavigationPages; }
    QMenu *popupWebFrame() const { return m_popupWebFrame; }
    QMenu *piGotoPage() const { return m_piGotoPage; }
    QAction *action(const QString &name) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildTopBar();
    void buildMenus();
    void layFrames(const WebFrameLayout &layout, int count);
    QString requestSuffix(const QString &urlType);
    QString absoluteSiteUrl(const QString &url) const;
    void showThumbnailNow(const QString &frameName, const QString &fileName, int batchId);
    void refreshFrame(TFrameWebFrame *frame);
    void recheckQueuedFrames();

    IWebPanelHost &m_host;
    TThumbnailRequests &m_requests;
    QString ShownEntriesText;
    QPointer<TFrameWebFrame> m_hoverFrame;
    QList<TFrameWebFrame *> m_frames;
    std::unique_ptr<TMainThreadBridge> m_bridge; // the fetcher's threads reach the frames through it

    QPushButton *m_btnSelectAll;
    QPushButton *m_btnSelectNone;
    QLineEdit *m_edImageTags2;
    QComboBox *m_cbImageSizeToSave2;
    TSubfolderEdit *m_edOutputPathInner2;
    QToolButton *m_btnOpenSubfolder;
    QPushButton *m_btnDownloadSelected;
    QToolButton *m_bSavePopup;
    QToolButton *m_bPagePrev;
    QLabel *m_lblCurrentPage;
    QToolButton *m_bPageNext;
    QToolButton *m_bGotoPage;
    TVarnelLinkLabel *m_bReload;
    TVarnelLinkLabel *m_bMaximizeMulti;
    QToolButton *m_bSubmitPage2;
    QToolButton *m_btnClose;
    QPushButton *m_bRefreshStatus;
    QPushButton *m_bSaveAllPages;
    QScrollArea *m_scroll;
    QWidget *m_flowPanel;
    int m_wheelRest = 0; // wheel distance not yet scrolled
    QTimer *m_queuedCheck; // runs while a frame shows "queued"

    QMenu *m_popupSavePages;
    QMenu *m_popupNavigationPages;
    QMenu *m_popupWebFrame;
    QMenu *m_piGotoPage;
};

} // namespace orvix
