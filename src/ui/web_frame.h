#pragma once

// One picture of the web panel: its thumbnail inside a coloured border, "loading" until the
// thumbnail arrives, and "saved" or "queued" under the border.

#include <QFrame>

#include <optional>

class QCheckBox;
class QLabel;

namespace orvix {

class TImageX;

// The three layouts of the panel: flow panel size, columns, frame and border sizes.
struct WebFrameLayout
{
    int size = 1;
    QSize flowPanel;
    int columns = 0;
    QSize frame;
    QSize border;
};
// Layouts 1, 2 and 3; nothing for any other size.
std::optional<WebFrameLayout> WebFrameLayoutFor(int size);

class TFrameWebFrame : public QFrame
{
    Q_OBJECT
public:
    static inline const QColor kSelectedColour{128, 128, 255};
    static inline const QColor kSavedColour{255, 255, 128};
    static inline const QColor kQueuedColour{Qt::red};
    static inline const QColor kCream{255, 251, 240};

    TFrameWebFrame(const QString &name, const WebFrameLayout &layout, QWidget *parent);

    QCheckBox *cbSelected;
    QFrame *panelBorder;
    QLabel *edFrameStatus;
    QFrame *Panel1x;
    QLabel *edLoading;
    TImageX *WebImage;
    bool _disposed = false;
    QString PhotoUrl;
    QString PhotoThumbUrl;
    QString ImageIdx;
    bool ImageAlreadyOnDisk = false;
    QString LocalFn;

    bool selected() const;
    void setBorderColour(const QColor &colour);
    QColor borderColour() const;
    // "saved", "queued", or hidden for empty text.
    void setStatus(const QString &text);
    // The thumbnail file, best fit into the border; "loading" goes.
    void showThumbnail(const QString &fileName);

Q_SIGNALS:
    void imageClicked(TFrameWebFrame *frame);
    void imageEntered(TFrameWebFrame *frame);
    // Mouse down or movement over the picture (the panel takes the focus).
    void mouseActivity();
    void menuRequested(TFrameWebFrame *frame, QPoint globalPos);
    void selectionChanged(TFrameWebFrame *frame);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    WebFrameLayout m_layout;
};

} // namespace orvix
