#include "web_panel_host.h"

#include "main_window.h"
#include "queue_message_panel.h"
#include "queue_status_panel.h"
#include "web_browser_k.h"

#include "app/program_context.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "library/picture_db.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace orvix {

QRect RestoredWebPanelGeometry(const QRect &saved, const QRect &current, const QSize &window, const QSize &screen)
{
    QRect r = saved.x() > 0 ? saved : current;
    if (r.width() < 100)
        r.setWidth(700);
    if (r.height() < 100)
        r.setHeight(400);
    if (r.left() < 50 || r.left() > screen.width() - 200 || r.top() < 50 || r.top() > screen.height() - 200)
        r.moveTo((window.width() - r.width()) / 2, (window.height() - r.height()) / 2);
    return r;
}

QRect FitWebPanelIntoBrowser(const QRect &panel, const QRect &browser)
{
    // Below this the panel's top rows and one row of frames no longer fit.
    constexpr int kMinWidth = 400;
    constexpr int kMinHeight = 250;
    QRect r = panel;
    if (r.bottom() > browser.bottom()) {
        const int height = std::max(browser.bottom() - r.top() + 1, std::min(kMinHeight, browser.height()));
        r.setHeight(std::min(r.height(), height));
        if (r.bottom() > browser.bottom())
            r.moveBottom(browser.bottom());
    }
    if (r.right() > browser.right()) {
        const int width = std::max(browser.right() - r.left() + 1, std::min(kMinWidth, browser.width()));
        r.setWidth(std::min(r.width(), width));
        if (r.right() > browser.right())
            r.moveRight(browser.right());
    }
    return r;
}

TWebPanelCaption::TWebPanelCaption(QWidget *window, IWebPanelHost &host, TThumbnailRequests &requests)
    : TCaptionPanelK(QStringLiteral("Download Multiple Pictures"), window)
{
    setObjectName(QStringLiteral("panelWebPanel"));
    m_frame = new TFrameWebPanel(host, requests, this);
    contentLayout()->addWidget(m_frame, 1);
    connect(this, &TCaptionPanelK::OnButtonClick, this, [&host] { host.closePanel(); });
    connect(this, &TCaptionPanelK::OnMouseUp, this, [this] { MakeHeaderVisible(); });
    setMouseTracking(true);
    resize(700, 560);
    hide();
}

void TWebPanelCaption::resizeEvent(QResizeEvent *event)
{
    TCaptionPanelK::resizeEvent(event);
    if (onGeometryChanged)
        onGeometryChanged(geometry());
}

void TWebPanelCaption::moveEvent(QMoveEvent *event)
{
    TCaptionPanelK::moveEvent(event);
    if (onGeometryChanged)
        onGeometryChanged(geometry());
}

QString TWindowWebPanelHost::ensuredPicturesFolder()
{
    return m_window.ensuredPicturesFolder();
}

void TWindowWebPanelHost::queuePage(const QString &url, const QString &line)
{
    m_window.queuePage(url, line);
}

bool TWindowWebPanelHost::isQueued(const QString &text)
{
    return m_window.context().queues().IsQueued(text);
}

QString TWindowWebPanelHost::pictureKeyByPageUrl(const QString &pageUrl)
{
    return m_window.context().pictures().GetPictureKeyByPageUrl(pageUrl);
}

QString TWindowWebPanelHost::findLocalFileByKey(const QString &key)
{
    return m_window.context().pictures().FindLocalFileByKey(key);
}

bool TWindowWebPanelHost::showQueued(int n)
{
    TQueueStatusPanel *status = m_window.queueStatusPanel();
    if (n > 0 && !status->isVisible()) {
        status->ShowStatusLine(m_window.context().run().QueuePaused ? QStringLiteral("--PAUSED-- click resume...")
                                                                    : QStringLiteral("preparing queue.."));
        status->show();
        status->repaint();
    }
    TQueueMessagePanel *message = m_window.queueMessagePanel();
    if (n == 0 && message->isVisible())
        return false;
    message->ShowQueueMessage(QString::number(n) + QStringLiteral(" images added to download queue."));
    return true;
}

void TWindowWebPanelHost::debugMsg(const QString &text)
{
    DebugMsg(m_window.context().run(), text);
}

void TWindowWebPanelHost::navigate(const QString &url)
{
    m_window.navigate(url);
}

QString TWindowWebPanelHost::addressText()
{
    return m_window.addressText();
}

QString TWindowWebPanelHost::currentUrl()
{
    return m_window.currentUrl();
}

TPageNumbering &TWindowWebPanelHost::pageNumbering()
{
    return m_window.parser().PageNumbering();
}

IParseReports &TWindowWebPanelHost::reports()
{
    return m_window.reports();
}

void TWindowWebPanelHost::reparse()
{
    try {
        m_window.ParseHTMLSourceGui();
    } catch (const std::exception &e) {
        ErrorBox(exceptionMessage(e));
    }
}

void TWindowWebPanelHost::maximizePanel()
{
    m_window.MaximizeWebPanel();
}

void TWindowWebPanelHost::closePanel()
{
    m_window.CloseWebPanel();
}

void TWindowWebPanelHost::focusPanel()
{
    TWebPanelCaption *panel = m_window.webPanel();
    QWidget *focus = QApplication::focusWidget();
    const bool panelHasFocus = focus && panel->isAncestorOf(focus);
    const bool browserHasFocus = focus && (focus == m_window.wbMainBrowser() || m_window.wbMainBrowser()->isAncestorOf(focus));
    if (panelHasFocus && !browserHasFocus)
        return;
    panel->frame()->edImageTags2()->setFocus();
    if (!panel->frame()->edImageTags2()->hasFocus())
        panel->frame()->setFocus();
}

void TWindowWebPanelHost::subfolderChanged(const QString &text)
{
    m_window.subfolderChanged(text);
}

} // namespace orvix
