#include "browser/cookie_bridge.h"

#include "engine/cookie_jar.h"
#include "foundation/files.h"
#include "foundation/text_files.h"

#include <QDateTime>
#include <QMetaObject>
#include <QThread>
#include <QWebEngineCookieStore>

#include <memory>
#include <mutex>

namespace orvix {

namespace {

// A cookie as both sides name it: the engine writes a host-only domain without the dot that
// marks a domain cookie, the jar the same, so the dot is left out of the comparison.
QByteArray identityOf(const QNetworkCookie &c)
{
    QString domain = c.domain();
    if (domain.startsWith(QLatin1Char('.')))
        domain.remove(0, 1);
    return c.name() + '\n' + domain.toUtf8() + '\n' + c.path().toUtf8();
}

QByteArray cookieKey(const QNetworkCookie &c)
{
    return identityOf(c) + '\n' + c.value();
}

bool isExpired(const QNetworkCookie &c)
{
    return !c.isSessionCookie() && c.expirationDate() <= QDateTime::currentDateTimeUtc();
}

QUrl originOf(const QNetworkCookie &c)
{
    QString host = c.domain();
    if (host.startsWith(QLatin1Char('.')))
        host.remove(0, 1);
    QUrl url;
    url.setScheme(c.isSecure() ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(host);
    url.setPath(c.path().isEmpty() ? QStringLiteral("/") : c.path());
    return url;
}

// What the engine gets: a host-only cookie goes without a domain, so the engine takes the
// origin's host and keeps it host-only instead of widening it to subdomains.
QNetworkCookie forStore(const QNetworkCookie &c)
{
    QNetworkCookie copy = c;
    if (!c.domain().startsWith(QLatin1Char('.')))
        copy.setDomain(QString());
    return copy;
}

} // namespace

// The jar calls its listeners on whatever thread changed it; this link lets a worker thread
// post to the bridge without racing its destruction.
struct CookieBridgeLink
{
    std::mutex lock;
    CookieBridge *bridge = nullptr;
};

CookieBridge::CookieBridge(QWebEngineCookieStore *store, TCookieJar &jar, QObject *parent)
    : QObject(parent), m_store(store), m_jar(jar), m_link(std::make_shared<CookieBridgeLink>())
{
    m_link->bridge = this;
    connect(m_store, &QWebEngineCookieStore::cookieAdded, this, &CookieBridge::onStoreAdded);
    connect(m_store, &QWebEngineCookieStore::cookieRemoved, this, &CookieBridge::onStoreRemoved);
    m_saveKept.setSingleShot(true);
    m_saveKept.setInterval(1000);
    connect(&m_saveKept, &QTimer::timeout, this, &CookieBridge::saveKept);
    m_listenerId = m_jar.addListener([link = m_link](const QNetworkCookie &cookie, CookieChange change) {
        std::lock_guard guard(link->lock);
        CookieBridge *bridge = link->bridge;
        if (!bridge)
            return;
        // The bridge's own changes on the browser's behalf are not sent back.
        if (QThread::currentThread() == bridge->thread() && bridge->m_fromStore)
            return;
        QMetaObject::invokeMethod(
            bridge,
            [bridge, cookie, change] {
                if (change == CookieChange::Added)
                    bridge->applyJarAdded(cookie);
                else
                    bridge->applyJarRemoved(cookie);
            },
            Qt::QueuedConnection);
    });
}

CookieBridge::~CookieBridge()
{
    if (m_saveKept.isActive())
        saveKept();
    m_jar.removeListener(m_listenerId);
    std::lock_guard guard(m_link->lock);
    m_link->bridge = nullptr;
}

void CookieBridge::loadAllCookies()
{
    m_store->loadAllCookies();
}

void CookieBridge::keepPersistentCookiesIn(const QString &file)
{
    m_keptFile = file;
    m_fromStore = true;
    for (const QString &line : LoadTextList(file)) {
        for (const QNetworkCookie &cookie : QNetworkCookie::parseCookies(line.toUtf8())) {
            if (cookie.isSessionCookie() || isExpired(cookie))
                continue;
            m_kept.insert(identityOf(cookie), cookie);
            m_jar.insertCookie(cookie);
        }
    }
    m_fromStore = false;
}

void CookieBridge::noteKept(const QNetworkCookie &cookie, bool added)
{
    if (m_keptFile.isEmpty() || cookie.isSessionCookie())
        return;
    if (added && !isExpired(cookie))
        m_kept.insert(identityOf(cookie), cookie);
    else
        m_kept.remove(identityOf(cookie));
    m_saveKept.start();
}

void CookieBridge::saveKept()
{
    m_saveKept.stop();
    QByteArray text = "\xEF\xBB\xBF";
    for (const QNetworkCookie &cookie : std::as_const(m_kept)) {
        if (!isExpired(cookie))
            text += cookie.toRawForm(QNetworkCookie::Full) + "\r\n";
    }
    try {
        WriteFileAtomic(m_keptFile, text);
    } catch (const std::exception &) {
        // The engine keeps its own copy; this list only speeds up the next start.
    }
}

void CookieBridge::onStoreAdded(const QNetworkCookie &cookie)
{
    noteKept(cookie, true);
    if (m_sentToStore.remove(cookieKey(cookie)))
        return; // the jar's own cookie coming back
    m_fromStore = true;
    m_jar.insertCookie(cookie);
    m_fromStore = false;
}

void CookieBridge::onStoreRemoved(const QNetworkCookie &cookie)
{
    // The engine also reports a cookie it replaces. When the jar's cookie replaced it, the jar
    // already holds the newer value, and that one must stay.
    noteKept(cookie, false);
    const QByteArray key = cookieKey(cookie);
    if (m_sentToStore.contains(key))
        return;
    for (const QNetworkCookie &held : m_jar.allCookies()) {
        if (cookieKey(held) == key) {
            m_fromStore = true;
            m_jar.deleteCookie(held);
            m_fromStore = false;
            return;
        }
    }
}

void CookieBridge::applyJarAdded(const QNetworkCookie &cookie)
{
    m_sentToStore.insert(cookieKey(cookie));
    m_store->setCookie(forStore(cookie), originOf(cookie));
}

void CookieBridge::applyJarRemoved(const QNetworkCookie &cookie)
{
    m_store->deleteCookie(forStore(cookie), originOf(cookie));
}

} // namespace orvix
