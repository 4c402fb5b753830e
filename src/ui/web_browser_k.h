#pragma once

// The main window's browser (wbMainBrowser): a web view with the operations the window needs,
// navigation events in a fixed order, and the detection of new page content.
//
// Events are Qt signals, always emitted on the main thread. For each load they come in the
// order BeforeNavigate2, NavigateComplete2, DocumentComplete. Connect them directly (the
// default for objects of the main thread): BeforeNavigate2 hands its cancel flag by reference,
// which a queued connection cannot carry.
//
// New content: after each load is committed, when it completes, and on a one-second timer
// while a page is shown, the browser serialises the document (by script, asynchronously) and
// raises OnNewHTML when the address or the serialisation changed since the last report. When
// OnNewHTML is raised, Get_LastUrl(), Get_LastHtmlAjax(), GetBrowserHtml_Inner() and
// GetBrowserHtml2() all describe the same document: the page source is fetched once per load,
// off the main thread, and the reports of a load wait for it.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

QT_BEGIN_NAMESPACE
class QWebEngineLoadingInfo;
class QWebEngineProfile;
class QWebEnginePage;
class QWebEngineView;
QT_END_NAMESPACE

namespace orvix {

class TBrowserPage;
class PageSourceFetcher;
struct DocumentSnapshot;

class TWebBrowserK : public QWidget
{
    Q_OBJECT

public:
    // Without a profile the browser uses the program's profile (BrowserProfile()).
    explicit TWebBrowserK(QWidget *parent = nullptr);
    TWebBrowserK(QWebEngineProfile *profile, QWidget *parent);
    ~TWebBrowserK() override;

    // Operations.
    void Navigate(const QString &url); // an address without a scheme gets "http://"
    void GoBack();                     // nothing when there is no history that way
    void GoForward();
    QString LocationURL() const;       // address of the top-level document now shown
    bool HasDocument() const;          // false while nothing is loaded
    QString DocumentTitle() const;

    // The page source: the top document as the bytes the server sent, one character per
    // byte. Empty while there is no document or while it is still being fetched.
    QString GetBrowserHtml2() const;
    // The document serialisation (content of the document element) read by the last check;
    // the legacy upper-case form for a document in quirks mode. Empty without a document.
    QString GetBrowserHtml_Inner() const;
    QString Get_LastUrl() const { return lastUrl; }
    QString Get_LastHtmlAjax() const { return lastHtmlAjax; }

    // True while the handlers of OnNewHTML run: the browser delivers nothing else until they
    // return, so nothing may wait on the user there.
    bool Reporting() const { return m_reporting; }

    // Silent (the default): script errors, alerts and questions of pages show nothing.
    bool Silent() const;
    void setSilent(bool silent);

    void SetFocusToDocument();

    // Major version of the browser engine; -1 if it cannot be read.
    static int GetIEVersionMajor();

    QWebEngineView *view() const { return m_view; }
    QWebEnginePage *page() const;

    // The period of the content check and the least time between two timer-driven checks
    // (1000 ms). Tests shorten it.
    void setCheckIntervalMs(int ms);

Q_SIGNALS:
    // A navigation is about to start, in the top document or in a frame. Setting cancel stops
    // it. Not raised for "about:blank".
    void BeforeNavigate2(const QString &url, bool isMainFrame, bool &cancel);
    // The new top document exists (its address is committed).
    void NavigateComplete2(const QString &url);
    // The document, frames included, finished loading; ok is false for a failed load.
    void DocumentComplete(const QString &url, bool ok);
    // command 1 = forward, 2 = back; enabled tells whether it is available now.
    void CommandStateChange(int command, bool enabled);
    void TitleChange(const QString &text);
    // The address or the serialised document changed; raised at most once per check.
    void OnNewHTML();

private:
    enum class CheckKind { Commit, Complete, Timer, Frame };
    struct WaitingCheck
    {
        CheckKind kind;
        QString html;
    };

    bool navigationRequested(const QUrl &url, bool isMainFrame);
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void probeCommit();
    bool isSupersededDocument(const DocumentSnapshot &snapshot) const;
    void commitDocument();
    void completeDocument(const QString &url, bool ok);
    void frameSettled(quint64 generation);
    void requestCheck(CheckKind kind);
    void checkRead(quint64 generation, CheckKind kind, const DocumentSnapshot &snapshot);
    void finishCheck(CheckKind kind, const QString &html);
    void CheckIfNewHTML(const QString &h);
    void reportNewHtml();
    void TimerChecKHTML();
    void enableTimer();
    void updateCommandStates();

    QWebEngineView *m_view = nullptr;
    TBrowserPage *m_page = nullptr;
    PageSourceFetcher *m_fetcher = nullptr;
    bool m_closing = false;
    bool m_reporting = false;

    QTimer timer1;            // the content check; runs only while a document is settled
    QDateTime lastHtmlCheckDt; // when a check last read a non-empty serialisation
    QString lastUrl;          // LocationURL at the last address change reported
    QString lastHtmlAjax;     // the serialisation last reported
    QString originalUrl;      // the latest navigation other than "about:blank"
    QString currentUrl;       // compared with lastUrl; see CheckIfNewHTML
    int m_intervalMs = 1000;
    bool m_timerAllowed = false; // false from a navigation request until its document exists

    // Each top-level navigation starts a generation; late answers of older ones are dropped.
    quint64 m_generation = 0;
    bool m_commitPending = false;
    bool m_commitProbeRunning = false;
    QTimer m_commitPoll;
    QUrl m_pendingUrl;            // the top-level address being loaded
    double m_originBefore = 0;    // identity of the document shown when it was requested
    // Top-level addresses requested earlier that a newer request replaced before their document
    // was seen: such a document may still arrive, and is not the one now awaited.
    QList<QUrl> m_supersededUrls;
    double m_lastOrigin = 0;
    bool m_hasDocument = false;
    QString m_locationUrl;

    int m_checksRunning = 0;
    QDateTime m_checkStarted;
    QString m_serialisation;
    QString m_pageSource;
    bool m_sourcePending = false;
    quint64 m_sourceId = 0;
    QList<WaitingCheck> m_waiting; // checks read while the page source was still on its way

    bool m_canGoBack = false;
    bool m_canGoForward = false;
};

} // namespace orvix
