#pragma once

#include <QMap>
#include <QNetworkCookie>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <memory>

QT_BEGIN_NAMESPACE
class QWebEngineCookieStore;
QT_END_NAMESPACE

namespace orvix {

class TCookieJar;
struct CookieBridgeLink;

// Keeps the browser's cookie store and the HTTP client's cookie jar in step, both ways:
// cookies the browser receives or drops reach the jar (so the workers' requests carry the
// user's sign-in and approvals), and cookies the HTTP requests receive reach the browser.
// A change that one side passes on and the other reports back is not passed on again.
// Lives on the main thread; the jar's changes from worker threads are posted there.
class CookieBridge : public QObject
{
    Q_OBJECT

public:
    CookieBridge(QWebEngineCookieStore *store, TCookieJar &jar, QObject *parent = nullptr);
    ~CookieBridge() override;

    // Asks the browser for every cookie it keeps (persistent ones from earlier runs included);
    // they arrive as additions and are copied into the jar. The engine of this Qt version
    // answers nothing, hence the list below.
    void loadAllCookies();

    // Keeps the browser's persistent cookies listed in file (rewritten whole, a second after
    // the last change, and when the bridge ends) and copies the ones listed by the previous
    // run into the jar now, so the workers' first requests carry them.
    void keepPersistentCookiesIn(const QString &file);

private:
    void onStoreAdded(const QNetworkCookie &cookie);
    void onStoreRemoved(const QNetworkCookie &cookie);
    void applyJarAdded(const QNetworkCookie &cookie);
    void applyJarRemoved(const QNetworkCookie &cookie);
    void noteKept(const QNetworkCookie &cookie, bool added);
    void saveKept();

    QWebEngineCookieStore *m_store;
    TCookieJar &m_jar;
    std::shared_ptr<CookieBridgeLink> m_link;
    int m_listenerId = 0;
    bool m_fromStore = false;          // the jar is being changed on the browser's behalf
    QSet<QByteArray> m_sentToStore;    // changes passed to the browser, not yet reported back
    QString m_keptFile;
    QMap<QByteArray, QNetworkCookie> m_kept; // the browser's persistent cookies
    QTimer m_saveKept;
};

} // namespace orvix
