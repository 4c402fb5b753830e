#include "browser/hidden_page_loader.h"

#include "browser/browser_page.h"
#include "browser/browser_profile.h"
#include "browser/document_snapshot.h"

#include <QWebEngineSettings>

namespace orvix {

namespace {

constexpr int kRefreshMs = 500;
// The worker reads a page some ten seconds after asking for it; a page nobody read for a
// minute is left alone.
constexpr int kRefreshForMs = 60000;

} // namespace

THiddenPageLoader::THiddenPageLoader(QWebEngineProfile *profile, QObject *parent) : QObject(parent)
{
    if (!profile)
        profile = BrowserProfile();
    auto *page = new TBrowserPage(profile, this);
    // The worker wants the listing's markup, not its pictures: the thumbnails are not fetched.
    page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    page->setAudioMuted(true);
    m_page = page;
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &THiddenPageLoader::refresh);
    connect(m_page, &QWebEnginePage::loadFinished, this, &THiddenPageLoader::refresh);
}

THiddenPageLoader::~THiddenPageLoader()
{
    // The page answers its pending script calls with nothing as it goes; they must find this
    // object whole and closing.
    m_closing = true;
    delete m_page;
}

void THiddenPageLoader::Navigate3(const QString &url)
{
    ++m_generation;
    m_snapshot.clear();
    m_originBefore = m_lastOrigin;
    m_page->load(QUrl::fromUserInput(url));
    m_refreshDeadline.setRemainingTime(kRefreshForMs);
    m_refresh.start();
}

QString THiddenPageLoader::ReadDocument()
{
    return m_snapshot;
}

void THiddenPageLoader::refresh()
{
    if (m_refreshDeadline.hasExpired()) {
        m_refresh.stop();
        return;
    }
    if (m_reading)
        return;
    m_reading = true;
    const quint64 g = m_generation;
    ReadDocumentSnapshot(m_page, [this, g](const DocumentSnapshot &s) {
        if (m_closing)
            return;
        m_reading = false;
        if (!s.valid)
            return;
        m_lastOrigin = s.timeOrigin;
        // Until the requested document exists, the script reads the one before it.
        if (g != m_generation || s.href == QLatin1String("about:blank") || s.timeOrigin == m_originBefore)
            return;
        m_snapshot = s.html;
        Q_EMIT DocumentRead();
    });
}

} // namespace orvix
