#pragma once

// The web panel in the main window: the floating "Download Multiple Pictures" panel that holds
// it, and what the panel asks of the window (queues, picture database, browser, page numbering).

#include "web_panel.h"

#include "widgets/caption_panel.h"

#include <functional>

namespace orvix {

class TFormMain;

// Where a stored web panel goes back: saved is left, top, width, height as stored (left 0 or
// less: never stored, current stays), window the window's size it is centred in, screen the
// screen's size. Widths and heights below 100 become 700 and 400; a panel near or over the
// screen's edges is centred in the window.
QRect RestoredWebPanelGeometry(const QRect &saved, const QRect &current, const QSize &window, const QSize &screen);
// The web panel kept within browser (the browser's area in the window's coordinates), so that it
// never lies over the picture strips below the browser: a panel reaching past the browser's
// bottom or right edge is made smaller, down to a usable size, and moved up or left only as far
// as that size needs. Its left and top stay where they are whenever that is enough.
QRect FitWebPanelIntoBrowser(const QRect &panel, const QRect &browser);

class TWebPanelCaption : public TCaptionPanelK
{
    Q_OBJECT
public:
    TWebPanelCaption(QWidget *window, IWebPanelHost &host, TThumbnailRequests &requests);

    TFrameWebPanel *frame() const { return m_frame; }
    // Told of every move or resize (the settings keep the panel's bounds).
    std::function<void(const QRect &)> onGeometryChanged;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    TFrameWebPanel *m_frame;
};

class TWindowWebPanelHost : public IWebPanelHost
{
public:
    explicit TWindowWebPanelHost(TFormMain &window) : m_window(window) {}

    QString ensuredPicturesFolder() override;
    void queuePage(const QString &url, const QString &line) override;
    bool isQueued(const QString &text) override;
    QString pictureKeyByPageUrl(const QString &pageUrl) override;
    QString findLocalFileByKey(const QString &key) override;
    bool showQueued(int n) override;
    void debugMsg(const QString &text) override;
    void navigate(const QString &url) override;
    QString addressText() override;
    QString currentUrl() override;
    TPageNumbering &pageNumbering() override;
    IParseReports &reports() override;
    void reparse() override;
    void maximizePanel() override;
    void closePanel() override;
    void focusPanel() override;
    void subfolderChanged(const QString &text) override;

private:
    TFormMain &m_window;
};

} // namespace orvix
