#include "ui/web_browser_k.h"

#include "foundation/log.h"
#include "browser/browser_page.h"
#include "browser/browser_profile.h"
#include "browser/document_snapshot.h"
#include "browser/page_source_fetcher.h"

#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

#include <algorithm>

#include <cmath>

namespace orvix {

namespace {

const QString kAboutBlank = QStringLiteral("about:blank");

// A check that has not answered after this long no longer holds back the timer (the page's
// renderer may have died under it).
constexpr int kStuckCheckMs = 5000;

// How often the address is looked at while a navigation waits for its document.
constexpr int kCommitPollMs = 100;

} // namespace

TWebBrowserK::TWebBrowserK(QWidget *parent) : TWebBrowserK(nullptr, parent) {}

TWebBrowserK::TWebBrowserK(QWebEngineProfile *profile, QWidget *parent) : QWidget(parent)
{
    if (!profile)
        profile = BrowserProfile();
    m_view = new QWebEngineView(this);
    m_page = new TBrowserPage(profile, m_view);
    m_view->setPage(m_page);
    m_fetcher = new PageSourceFetcher(this);
    m_fetcher->setUserAgent(profile->httpUserAgent());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);

    timer1.setInterval(m_intervalMs);
    m_commitPoll.setInterval(kCommitPollMs);
    connect(&timer1, &QTimer::timeout, this, &TWebBrowserK::TimerChecKHTML);
    connect(&m_commitPoll, &QTimer::timeout, this, &TWebBrowserK::probeCommit);

    m_page->onNavigationRequest = [this](const QUrl &url, QWebEnginePage::NavigationType,
                                         bool isMainFrame) { return navigationRequested(url, isMainFrame); };
    connect(m_page, &QWebEnginePage::loadingChanged, this, &TWebBrowserK::loadingChanged);
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (m_commitPending)
            probeCommit();
        else if (m_hasDocument)
            m_locationUrl = url.toString(); // a move inside the same document
        updateCommandStates();
    });
    connect(m_page, &QWebEnginePage::titleChanged, this, [this](const QString &title) {
        if (m_commitPending)
            probeCommit();
        Q_EMIT TitleChange(title);
    });
    connect(m_page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest &request) {
        // One browser window: links meant for a new one open here; pop-ups the user did not ask
        // for are not opened at all.
        if (request.isUserInitiated())
            m_page->load(request.requestedUrl());
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, [this] {
        // Checks sent to the dead renderer never answer; the reloaded page is watched anew.
        m_checksRunning = 0;
        if (m_timerAllowed)
            timer1.start();
    });
}

TWebBrowserK::~TWebBrowserK()
{
    // A page that goes away answers its pending script calls with nothing, at once. That must
    // happen now, while this object is whole, and the answers must find it closing.
    m_closing = true;
    m_page->onNavigationRequest = nullptr;
    disconnect(m_page, nullptr, this, nullptr);
    delete m_view;
}

QWebEnginePage *TWebBrowserK::page() const
{
    return m_page;
}

void TWebBrowserK::Navigate(const QString &url)
{
    m_page->load(QUrl::fromUserInput(url));
}

void TWebBrowserK::GoBack()
{
    if (m_page->history()->canGoBack())
        m_page->history()->back();
}

void TWebBrowserK::GoForward()
{
    if (m_page->history()->canGoForward())
        m_page->history()->forward();
}

QString TWebBrowserK::LocationURL() const
{
    return m_locationUrl;
}

bool TWebBrowserK::HasDocument() const
{
    return m_hasDocument;
}

QString TWebBrowserK::DocumentTitle() const
{
    return m_hasDocument ? m_page->title() : QString();
}

QString TWebBrowserK::GetBrowserHtml2() const
{
    return m_pageSource;
}

QString TWebBrowserK::GetBrowserHtml_Inner() const
{
    return m_serialisation;
}

bool TWebBrowserK::Silent() const
{
    return m_page->silent;
}

void TWebBrowserK::setSilent(bool silent)
{
    m_page->silent = silent;
}

void TWebBrowserK::SetFocusToDocument()
{
    m_view->setFocus(Qt::OtherFocusReason);
}

int TWebBrowserK::GetIEVersionMajor()
{
    const QString version = QString::fromLatin1(qWebEngineChromiumVersion());
    bool ok = false;
    const int major = version.section(QLatin1Char('.'), 0, 0).toInt(&ok);
    return ok ? major : -1;
}

void TWebBrowserK::setCheckIntervalMs(int ms)
{
    m_intervalMs = ms;
    timer1.setInterval(ms);
}

bool TWebBrowserK::navigationRequested(const QUrl &url, bool isMainFrame)
{
    const QString s = url.toString();
    if (s == kAboutBlank)
        return true;
    originalUrl = s;
    currentUrl = s;
    timer1.stop();
    m_timerAllowed = false;
    lastHtmlAjax.clear();
    bool cancel = false;
    Q_EMIT BeforeNavigate2(s, isMainFrame, cancel);
    if (cancel) {
        // The document on screen stays, so it stays watched.
        if (m_hasDocument && !m_commitPending)
            enableTimer();
        return false;
    }
    if (isMainFrame) {
        ++m_generation;
        if (!m_commitPending) {
            m_originBefore = m_lastOrigin;
            m_supersededUrls.clear();
        } else if (url != m_pendingUrl) {
            m_supersededUrls.append(m_pendingUrl);
        }
        m_commitPending = true;
        m_pendingUrl = url;
        m_checksRunning = 0;
        m_waiting.clear();
        m_commitPoll.start();
    } else {
        // The engine tells nothing when a frame's document exists; give it one check period.
        QTimer::singleShot(m_intervalMs, this, [this, g = m_generation] { frameSettled(g); });
    }
    return true;
}

void TWebBrowserK::loadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        updateCommandStates();
        return;
    }
    // The end of a load that a later navigation replaced says nothing about the later one.
    if (m_commitPending && info.url() != m_pendingUrl)
        return;
    const bool ok = info.status() == QWebEngineLoadingInfo::LoadSucceededStatus;
    const QString url = info.url().toString();
    const quint64 g = m_generation;
    ReadDocumentSnapshot(
        m_page,
        [this, g, url, ok](const DocumentSnapshot &s) {
            if (m_closing || g != m_generation)
                return;
            if (s.valid)
                m_lastOrigin = s.timeOrigin;
            if (m_commitPending) {
                const bool newDocument = s.valid && s.href != kAboutBlank && s.timeOrigin != m_originBefore
                                         && !isSupersededDocument(s);
                if (!newDocument) {
                    // Stopped before anything arrived: the old document is still shown.
                    m_commitPending = false;
                    m_commitPoll.stop();
                    if (m_hasDocument)
                        enableTimer();
                    return;
                }
                commitDocument();
            }
            completeDocument(url, ok);
        },
        false);
}

void TWebBrowserK::probeCommit()
{
    if (!m_commitPending || m_commitProbeRunning)
        return;
    m_commitProbeRunning = true;
    const quint64 g = m_generation;
    ReadDocumentSnapshot(
        m_page,
        [this, g](const DocumentSnapshot &s) {
            if (m_closing)
                return;
            m_commitProbeRunning = false;
            if (g != m_generation || !m_commitPending || !s.valid)
                return;
            m_lastOrigin = s.timeOrigin;
            if (s.href == kAboutBlank || s.timeOrigin == m_originBefore)
                return;
            if (isSupersededDocument(s)) {
                // The page asked for before this one arrived late; keep waiting past it.
                m_originBefore = s.timeOrigin;
                return;
            }
            commitDocument();
        },
        false);
}

bool TWebBrowserK::isSupersededDocument(const DocumentSnapshot &snapshot) const
{
    const QUrl href = QUrl(snapshot.href).adjusted(QUrl::RemoveFragment);
    if (href == m_pendingUrl.adjusted(QUrl::RemoveFragment))
        return false;
    return std::any_of(m_supersededUrls.cbegin(), m_supersededUrls.cend(),
                       [&](const QUrl &url) { return url.adjusted(QUrl::RemoveFragment) == href; });
}

void TWebBrowserK::commitDocument()
{
    m_commitPending = false;
    m_commitPoll.stop();
    m_hasDocument = true;
    m_locationUrl = m_page->url().toString();

    // The page source of this document, fetched once; the reports wait for it.
    m_pageSource.clear();
    m_sourcePending = true;
    const quint64 sourceId = ++m_sourceId;
    m_fetcher->fetch(m_page->url(), [this, sourceId](const QString &source) {
        if (sourceId != m_sourceId)
            return;
        m_pageSource = source;
        m_sourcePending = false;
        const QList<WaitingCheck> waiting = std::exchange(m_waiting, {});
        for (const WaitingCheck &w : waiting)
            finishCheck(w.kind, w.html);
    });

    requestCheck(CheckKind::Commit);
    enableTimer();
    updateCommandStates();
    Q_EMIT NavigateComplete2(m_locationUrl);
}

void TWebBrowserK::completeDocument(const QString &url, bool ok)
{
    requestCheck(CheckKind::Complete);
    updateCommandStates();
    Q_EMIT DocumentComplete(url, ok);
}

void TWebBrowserK::frameSettled(quint64 generation)
{
    if (generation != m_generation || m_commitPending || !m_hasDocument)
        return;
    requestCheck(CheckKind::Frame);
    enableTimer();
}

void TWebBrowserK::requestCheck(CheckKind kind)
{
    ++m_checksRunning;
    m_checkStarted = QDateTime::currentDateTimeUtc();
    const quint64 g = m_generation;
    ReadDocumentSnapshot(m_page, [this, g, kind](const DocumentSnapshot &s) { checkRead(g, kind, s); });
}

void TWebBrowserK::checkRead(quint64 generation, CheckKind kind, const DocumentSnapshot &snapshot)
{
    if (m_closing || generation != m_generation)
        return;
    if (m_checksRunning > 0)
        --m_checksRunning;
    if (snapshot.valid)
        m_lastOrigin = snapshot.timeOrigin;
    const QString html = snapshot.valid ? snapshot.html : QString();
    if (m_sourcePending)
        m_waiting.append({kind, html});
    else
        finishCheck(kind, html);
}

void TWebBrowserK::finishCheck(CheckKind kind, const QString &html)
{
    m_serialisation = html;
    try {
        CheckIfNewHTML(html);
    } catch (const std::exception &e) {
        // A failing handler must not stop the watching.
        LogMessage(QStringLiteral("CheckIfNewHTML: ") + QString::fromUtf8(e.what()));
    }
    if (kind == CheckKind::Timer && m_timerAllowed)
        timer1.start();
}

void TWebBrowserK::CheckIfNewHTML(const QString &h)
{
    if (h.isEmpty())
        return;
    lastHtmlCheckDt = QDateTime::currentDateTime();
    if (currentUrl != lastUrl) {
        // A swap, not a copy: after a navigation the next check finds the two different again
        // and reports once more, then with the complete document.
        currentUrl = lastUrl;
        lastUrl = LocationURL();
        lastHtmlAjax = h;
        reportNewHtml();
    } else if (h != lastHtmlAjax) {
        lastHtmlAjax = h;
        reportNewHtml();
    }
}

void TWebBrowserK::reportNewHtml()
{
    m_reporting = true;
    try {
        Q_EMIT OnNewHTML();
    } catch (...) {
        m_reporting = false;
        throw;
    }
    m_reporting = false;
}

void TWebBrowserK::TimerChecKHTML()
{
    if (m_sourcePending)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    if (m_checksRunning > 0 && m_checkStarted.msecsTo(QDateTime::currentDateTimeUtc()) < kStuckCheckMs)
        return;
    const float elapsed = lastHtmlCheckDt.isValid()
                              ? std::fabs(static_cast<float>(lastHtmlCheckDt.msecsTo(now)) / 1000.0f)
                              : 1e9f;
    if (elapsed < static_cast<float>(m_intervalMs) / 1000.0f)
        return;
    timer1.stop();
    requestCheck(CheckKind::Timer);
}

void TWebBrowserK::enableTimer()
{
    m_timerAllowed = true;
    timer1.start();
}

void TWebBrowserK::updateCommandStates()
{
    const bool back = m_page->history()->canGoBack();
    const bool forward = m_page->history()->canGoForward();
    if (forward != m_canGoForward) {
        m_canGoForward = forward;
        Q_EMIT CommandStateChange(1, forward);
    }
    if (back != m_canGoBack) {
        m_canGoBack = back;
        Q_EMIT CommandStateChange(2, back);
    }
}

} // namespace orvix
