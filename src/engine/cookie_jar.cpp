#include "engine/cookie_jar.h"

#include <QDateTime>
#include <QNetworkCookieJar>

#include <optional>

namespace orvix {

// Qt's jar brings the matching rules (domain, path, secure, public suffixes); it is not
// thread-safe on its own, so every use goes through m_lock.
class TCookieJar::Store : public QNetworkCookieJar
{
public:
    using QNetworkCookieJar::allCookies;
    using QNetworkCookieJar::setAllCookies;
    using QNetworkCookieJar::validateCookie;
};

namespace {

std::optional<QNetworkCookie> findSame(const QList<QNetworkCookie> &cookies, const QNetworkCookie &c)
{
    for (const QNetworkCookie &existing : cookies) {
        if (existing.hasSameIdentifier(c))
            return existing;
    }
    return std::nullopt;
}

bool isExpired(const QNetworkCookie &c)
{
    return !c.isSessionCookie() && c.expirationDate() < QDateTime::currentDateTimeUtc();
}

} // namespace

TCookieJar &TCookieJar::instance()
{
    // Never destroyed: request threads may still be finishing while the process exits.
    static TCookieJar *jar = new TCookieJar;
    return *jar;
}

TCookieJar::TCookieJar() : m_store(std::make_unique<Store>()) {}

TCookieJar::~TCookieJar() = default;

QList<QNetworkCookie> TCookieJar::allCookies() const
{
    std::lock_guard guard(m_lock);
    return m_store->allCookies();
}

QList<QNetworkCookie> TCookieJar::cookiesForUrl(const QUrl &url) const
{
    std::lock_guard guard(m_lock);
    return m_store->cookiesForUrl(url);
}

QByteArray TCookieJar::cookieHeaderForUrl(const QUrl &url) const
{
    QByteArray header;
    for (const QNetworkCookie &c : cookiesForUrl(url)) {
        if (!header.isEmpty())
            header += "; ";
        header += c.toRawForm(QNetworkCookie::NameAndValueOnly);
    }
    return header;
}

void TCookieJar::setCookiesFromResponse(const QByteArray &setCookieValue, const QUrl &url)
{
    QList<std::pair<QNetworkCookie, CookieChange>> changes;
    {
        std::lock_guard guard(m_lock);
        for (QNetworkCookie cookie : QNetworkCookie::parseCookies(setCookieValue)) {
            cookie.normalize(url);
            if (!m_store->validateCookie(cookie, url))
                continue;
            const std::optional<QNetworkCookie> old = findSame(m_store->allCookies(), cookie);
            if (isExpired(cookie)) {
                if (old && m_store->deleteCookie(*old))
                    changes.append({cookie, CookieChange::Removed});
            } else if (!old || !(*old == cookie)) {
                m_store->insertCookie(cookie);
                changes.append({cookie, CookieChange::Added});
            }
        }
    }
    notify(changes);
}

bool TCookieJar::insertCookie(const QNetworkCookie &cookie)
{
    {
        std::lock_guard guard(m_lock);
        const std::optional<QNetworkCookie> old = findSame(m_store->allCookies(), cookie);
        if (old && *old == cookie)
            return false;
        m_store->insertCookie(cookie);
    }
    notify({{cookie, CookieChange::Added}});
    return true;
}

bool TCookieJar::deleteCookie(const QNetworkCookie &cookie)
{
    {
        std::lock_guard guard(m_lock);
        if (!m_store->deleteCookie(cookie))
            return false;
    }
    notify({{cookie, CookieChange::Removed}});
    return true;
}

void TCookieJar::clear()
{
    QList<std::pair<QNetworkCookie, CookieChange>> changes;
    {
        std::lock_guard guard(m_lock);
        for (const QNetworkCookie &c : m_store->allCookies())
            changes.append({c, CookieChange::Removed});
        m_store->setAllCookies({});
    }
    notify(changes);
}

int TCookieJar::addListener(Listener listener)
{
    std::lock_guard guard(m_listenerLock);
    const int id = m_nextListenerId++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void TCookieJar::removeListener(int id)
{
    std::lock_guard guard(m_listenerLock);
    m_listeners.erase(id);
}

void TCookieJar::notify(const QList<std::pair<QNetworkCookie, CookieChange>> &changes)
{
    if (changes.isEmpty())
        return;
    std::map<int, Listener> listeners;
    {
        std::lock_guard guard(m_listenerLock);
        listeners = m_listeners;
    }
    for (const auto &[cookie, change] : changes) {
        for (const auto &[id, listener] : listeners)
            listener(cookie, change);
    }
}

} // namespace orvix
