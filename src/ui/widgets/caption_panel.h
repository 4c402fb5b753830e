#pragma once

// A floating panel inside a window: a caption bar with a title and a close button, dragged by
// its caption bar or title, resized by its frame, and kept reachable inside its parent. The close
// button only raises OnButtonClick: each owner decides what closing means (some ask first).
// Tag 888 makes a panel without the sizing frame.

#include <QFrame>
#include <QPoint>

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace orvix {

class TCaptionPanelK : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kNoSizingFrameTag = 888;
    static constexpr int kSizingFrame = 4;
    static constexpr int kCaptionHeight = 22;
    // How much of the panel stays inside its parent.
    static constexpr int kKeepVisible = 100;

    TCaptionPanelK(const QString &caption, QWidget *parent);

    QVBoxLayout *contentLayout() const { return m_content; }
    QString Caption() const { return FCaption; }
    void setCaption(const QString &caption);
    QColor CaptionColor() const { return FCaptionColor; }
    void setCaptionColor(const QColor &color);
    int Tag() const { return m_tag; }
    void setTag(int tag);
    // A panel placed by a layout (or marked aligned) is never dragged.
    bool IsAligned() const;
    void setAligned(bool aligned) { m_aligned = aligned; }

    // Puts the panel back so that 100 pixels of it stay inside its parent.
    void MakeHeaderVisible();
    // Shows the panel in front of its siblings with its caption reachable.
    void ShowInFront();
    void CenterInParent();

    QWidget *headerPanel() const { return m_headerPanel; }
    QLabel *headerLabel() const { return m_headerLabel; }
    QToolButton *CloseButton() const { return m_closeButton; }

Q_SIGNALS:
    void OnButtonClick(QObject *sender);
    // After a drag by the caption bar ended, and on mouse release over the panel itself.
    void OnMouseUp(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::Edges edgesAt(const QPoint &pos) const;
    void applyFrame();

    QWidget *m_headerPanel;
    QLabel *m_headerLabel;
    QToolButton *m_closeButton;
    QVBoxLayout *m_content;
    int _headerMouseDownX = 0;
    int _headerMouseDownY = 0;
    bool _isHeaderMouseDown = false;
    QString FCaption;
    QColor FCaptionColor;
    int m_tag = 0;
    bool m_aligned = false;
    // Resizing by the frame.
    Qt::Edges m_resizeEdges;
    QPoint m_resizeStart;
    QRect m_resizeGeometry;
};

} // namespace orvix
