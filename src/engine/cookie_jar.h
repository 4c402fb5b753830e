#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace orvix {

enum class CookieChange { Added, Removed };

// The one cookie store of the process: every HTTP request reads it and stores what the server
// sets, and the embedded browser mirrors it both ways, so a picture the user unlocked in the
// browser is served to the download workers too. Thread-safe.
//
// Domains follow the usual convention: ".example.com" matches the domain and its subdomains,
// "example.com" (no dot) only that host.
class TCookieJar
{
public:
    using Listener = std::function<void(const QNetworkCookie &cookie, CookieChange change)>;

    static TCookieJar &instance();

    TCookieJar();
    ~TCookieJar();
    TCookieJar(const TCookieJar &) = delete;
    TCookieJar &operator=(const TCookieJar &) = delete;

    QList<QNetworkCookie> allCookies() const;
    // Cookies to send to url, most specific path first; secure ones only over https.
    QList<QNetworkCookie> cookiesForUrl(const QUrl &url) const;
    // The value of a Cookie header for url ("a=1; b=2"), empty when none applies.
    QByteArray cookieHeaderForUrl(const QUrl &url) const;

    // Stores the cookies of one Set-Cookie header received from url. Cookies that url may not
    // set are ignored; an expiry in the past removes the cookie.
    void setCookiesFromResponse(const QByteArray &setCookieValue, const QUrl &url);

    // Adds or replaces a cookie (same name, domain and path). Returns false, and notifies
    // nobody, when the jar already held the same cookie: mirrors can echo changes back safely.
    bool insertCookie(const QNetworkCookie &cookie);
    // Returns false when the jar held no such cookie.
    bool deleteCookie(const QNetworkCookie &cookie);
    void clear();

    // Listeners run on the thread that made the change, after the jar's lock is released.
    int addListener(Listener listener);
    void removeListener(int id);

private:
    class Store;
    void notify(const QList<std::pair<QNetworkCookie, CookieChange>> &changes);

    mutable std::mutex m_lock;
    std::unique_ptr<Store> m_store;
    std::mutex m_listenerLock;
    std::map<int, Listener> m_listeners;
    int m_nextListenerId = 1;
};

} // namespace orvix
