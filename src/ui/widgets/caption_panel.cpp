#include "caption_panel.h"

#include "foundation/dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix {

TCaptionPanelK::TCaptionPanelK(const QString &caption, QWidget *parent) : QFrame(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    FCaptionColor = pal.color(QPalette::Active, QPalette::Highlight);
    setMouseTracking(true);

    m_headerPanel = new QWidget(this);
    m_headerPanel->setObjectName(QStringLiteral("headerPanel"));
    m_headerPanel->setAutoFillBackground(true);
    m_headerPanel->setFixedHeight(kCaptionHeight);
    m_headerPanel->installEventFilter(this);

    m_headerLabel = new QLabel(QStringLiteral("Header caption1"), m_headerPanel);
    m_headerLabel->setObjectName(QStringLiteral("headerLabel"));
    QPalette white = m_headerLabel->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_headerLabel->setPalette(white);
    QFont bold = m_headerLabel->font();
    bold.setBold(true);
    m_headerLabel->setFont(bold);
    m_headerLabel->move(5, 5);
    m_headerLabel->installEventFilter(this);

    m_closeButton = new QToolButton(m_headerPanel);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFixedSize(kCaptionHeight - 2, kCaptionHeight - 2);
    m_closeButton->setCursor(Qt::ArrowCursor);
    connect(m_closeButton, &QToolButton::clicked, this, [this] { Q_EMIT OnButtonClick(this); });

    auto *outer = new QVBoxLayout(this);
    outer->setSpacing(0);
    outer->addWidget(m_headerPanel);
    auto *contentArea = new QWidget(this);
    contentArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_content = new QVBoxLayout(contentArea);
    m_content->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(contentArea, 1);

    // Focus arriving anywhere inside brings the panel to the front.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && isAncestorOf(now))
            raise();
    });

    setCaptionColor(FCaptionColor);
    setCaption(caption);
    applyFrame();
}

void TCaptionPanelK::setCaption(const QString &caption)
{
    FCaption = caption;
    m_headerLabel->setText(caption);
    m_headerLabel->adjustSize();
}

void TCaptionPanelK::setCaptionColor(const QColor &color)
{
    FCaptionColor = color;
    QPalette pal = m_headerPanel->palette();
    pal.setColor(QPalette::Window, color);
    m_headerPanel->setPalette(pal);
}

void TCaptionPanelK::setTag(int tag)
{
    m_tag = tag;
    applyFrame();
}

void TCaptionPanelK::applyFrame()
{
    const int f = m_tag == kNoSizingFrameTag ? 0 : kSizingFrame;
    layout()->setContentsMargins(f, f, f, f);
    update();
}

bool TCaptionPanelK::IsAligned() const
{
    if (m_aligned)
        return true;
    QWidget *p = parentWidget();
    return p && p->layout() && p->layout()->indexOf(const_cast<TCaptionPanelK *>(this)) >= 0;
}

void TCaptionPanelK::MakeHeaderVisible()
{
    auto keepLeftTop = [this] {
        int left = x();
        int top = y();
        if (top < 0)
            top = 0;
        if (left + width() < kKeepVisible)
            left = kKeepVisible - width();
        move(left, top);
    };
    keepLeftTop();
    QWidget *p = parentWidget();
    if (!p) {
        InfoBox(QStringLiteral("CaptionPanelK [") + objectName() + QStringLiteral("] does not have a parent"));
        return;
    }
    int left = x();
    int top = y();
    if (top > p->height() - kKeepVisible)
        top = p->height() - kKeepVisible;
    if (left > p->width() - kKeepVisible)
        left = p->width() - kKeepVisible;
    move(left, top);
    keepLeftTop();
}

void TCaptionPanelK::ShowInFront()
{
    show();
    raise();
    MakeHeaderVisible();
}

void TCaptionPanelK::CenterInParent()
{
    if (QWidget *p = parentWidget())
        move((p->width() - width()) / 2, (p->height() - height()) / 2);
}

bool TCaptionPanelK::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((watched != m_headerPanel && watched != m_headerLabel)
        || (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease))
        return QFrame::eventFilter(watched, event);
    auto *me = static_cast<QMouseEvent *>(event);
    switch (type) {
    case QEvent::MouseButtonPress: {
        // Positions are taken in caption-bar coordinates: the bar moves with the panel.
        const QPoint pos = watched == m_headerLabel ? m_headerLabel->mapToParent(me->position().toPoint())
                                                    : me->position().toPoint();
        _headerMouseDownX = pos.x();
        _headerMouseDownY = pos.y();
        _isHeaderMouseDown = true;
        raise();
        return true;
    }
    case QEvent::MouseMove:
        if (_isHeaderMouseDown && !IsAligned()) {
            const QPoint pos = watched == m_headerLabel ? m_headerLabel->mapToParent(me->position().toPoint())
                                                        : me->position().toPoint();
            move(x() + pos.x() - _headerMouseDownX, y() + pos.y() - _headerMouseDownY);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (_isHeaderMouseDown) {
            _isHeaderMouseDown = false;
            MakeHeaderVisible();
            Q_EMIT OnMouseUp(this, me->button(), me->modifiers(),
                             static_cast<QWidget *>(watched)->mapTo(this, me->position().toPoint()));
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

Qt::Edges TCaptionPanelK::edgesAt(const QPoint &pos) const
{
    Qt::Edges edges;
    if (m_tag == kNoSizingFrameTag)
        return edges;
    const int f = kSizingFrame;
    if (pos.x() < f)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - f)
        edges |= Qt::RightEdge;
    if (pos.y() < f)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - f)
        edges |= Qt::BottomEdge;
    return edges;
}

void TCaptionPanelK::mousePressEvent(QMouseEvent *event)
{
    // A click anywhere on the panel activates it like a small window.
    raise();
    MakeHeaderVisible();
    m_resizeEdges = event->button() == Qt::LeftButton ? edgesAt(event->position().toPoint()) : Qt::Edges();
    m_resizeStart = event->globalPosition().toPoint();
    m_resizeGeometry = geometry();
    QFrame::mousePressEvent(event);
}

void TCaptionPanelK::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_resizeEdges) {
        const Qt::Edges edges = edgesAt(event->position().toPoint());
        if ((edges & (Qt::LeftEdge | Qt::RightEdge)) && (edges & (Qt::TopEdge | Qt::BottomEdge)))
            setCursor(((edges & Qt::LeftEdge) && (edges & Qt::TopEdge)) ||
                              ((edges & Qt::RightEdge) && (edges & Qt::BottomEdge))
                          ? Qt::SizeFDiagCursor
                          : Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        QFrame::mouseMoveEvent(event);
        return;
    }
    const QPoint d = event->globalPosition().toPoint() - m_resizeStart;
    QRect g = m_resizeGeometry;
    const QSize min = minimumSizeHint().expandedTo(QSize(60, kCaptionHeight + 2 * kSizingFrame));
    if (m_resizeEdges & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + d.x(), g.right() - min.width()));
    if (m_resizeEdges & Qt::RightEdge)
        g.setRight(std::max(g.right() + d.x(), g.left() + min.width()));
    if (m_resizeEdges & Qt::TopEdge)
        g.setTop(std::min(g.top() + d.y(), g.bottom() - min.height()));
    if (m_resizeEdges & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + d.y(), g.top() + min.height()));
    setGeometry(g);
}

void TCaptionPanelK::mouseReleaseEvent(QMouseEvent *event)
{
    m_resizeEdges = {};
    QFrame::mouseReleaseEvent(event);
    Q_EMIT OnMouseUp(this, event->button(), event->modifiers(), event->position().toPoint());
}

void TCaptionPanelK::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_closeButton->move(m_headerPanel->width() - m_closeButton->width() - 1, 1);
    // Only a panel inside a window can be out of reach.
    if (parentWidget())
        MakeHeaderVisible();
}

void TCaptionPanelK::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_tag == kNoSizingFrameTag)
        return;
    QPainter painter(this);
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), kSizingFrame), palette().color(QPalette::Button));
    painter.fillRect(QRect(r.left(), r.bottom() - kSizingFrame + 1, r.width(), kSizingFrame),
                     palette().color(QPalette::Button));
    painter.fillRect(QRect(r.left(), r.top(), kSizingFrame, r.height()), palette().color(QPalette::Button));
    painter.fillRect(QRect(r.right() - kSizingFrame + 1, r.top(), kSizingFrame, r.height()),
                     palette().color(QPalette::Button));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(r.adjusted(0, 0, -1, -1));
}

} // namespace orvix
