#pragma once

#include "engine/page_loader.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

QT_BEGIN_NAMESPACE
class QWebEngineProfile;
class QWebEnginePage;
QT_END_NAMESPACE

namespace orvix {

// The hidden browser (WebBrowser3): a page without a view on the program's profile, so it
// shares the user's cookies. For a minute after each Navigate3 the page's serialisation is
// read again every half second, so ReadDocument() answers at once with a recent snapshot
// instead of waiting for the page's script engine.
class THiddenPageLoader : public QObject, public IPageLoader
{
    Q_OBJECT

public:
    // Without a profile the loader uses the program's profile (BrowserProfile()).
    explicit THiddenPageLoader(QWebEngineProfile *profile = nullptr, QObject *parent = nullptr);
    ~THiddenPageLoader() override;

    void Navigate3(const QString &url) override;
    QString ReadDocument() override;

    QWebEnginePage *page() const { return m_page; }
    void setRefreshIntervalMs(int ms) { m_refresh.setInterval(ms); }

Q_SIGNALS:
    // A fresh snapshot of the document was read (tests wait for it).
    void DocumentRead();

private:
    void refresh();

    QWebEnginePage *m_page = nullptr;
    QTimer m_refresh;
    QDeadlineTimer m_refreshDeadline;
    QString m_snapshot;
    quint64 m_generation = 0;
    double m_originBefore = 0; // identity of the document shown when the load was asked for
    double m_lastOrigin = 0;
    bool m_reading = false;
    bool m_closing = false;
};

} // namespace orvix
