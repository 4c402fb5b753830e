#pragma once

// A floating panel inside a window: a caption bar with a title and a close button, dragged by
// its caption, over a content area. The close button only raises closeClicked: each owner
// decides what closing means (some ask first).

#include <QFrame>
#include <QPoint>

class QLabel;
class QToolButton;
class QVBoxLayout;

namespace orvix {

class TCaptionPanel : public QFrame
{
    Q_OBJECT
public:
    TCaptionPanel(const QString &caption, QWidget *parent);

    QVBoxLayout *contentLayout() const { return m_content; }
    void setCaption(const QString &caption);
    QString caption() const;
    // Moves the panel back inside its parent when its caption bar was dragged out of reach.
    void MakeCaptionVisible();
    // Shows the panel in front of its siblings with its caption reachable.
    void ShowInFront();
    void CenterInParent();

Q_SIGNALS:
    void closeClicked();
    void mouseReleased();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *m_captionBar;
    QLabel *m_title;
    QToolButton *m_close;
    QVBoxLayout *m_content;
    QPoint m_dragOffset;
    bool m_dragging = false;
};

} // namespace orvix
