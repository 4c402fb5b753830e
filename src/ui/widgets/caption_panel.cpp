#include "caption_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix {

TCaptionPanel::TCaptionPanel(const QString &caption, QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    m_captionBar = new QWidget(this);
    m_captionBar->setObjectName(QStringLiteral("captionBar"));
    m_captionBar->setAutoFillBackground(true);
    QPalette pal = m_captionBar->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Highlight));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::HighlightedText));
    m_captionBar->setPalette(pal);
    m_captionBar->setCursor(Qt::SizeAllCursor);
    m_captionBar->installEventFilter(this);

    m_title = new QLabel(caption, m_captionBar);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_close = new QToolButton(m_captionBar);
    m_close->setObjectName(QStringLiteral("captionCloseButton"));
    m_close->setText(QStringLiteral("\u00D7"));
    m_close->setAutoRaise(true);
    m_close->setCursor(Qt::ArrowCursor);
    connect(m_close, &QToolButton::clicked, this, &TCaptionPanel::closeClicked);

    auto *bar = new QHBoxLayout(m_captionBar);
    bar->setContentsMargins(6, 2, 2, 2);
    bar->addWidget(m_title, 1);
    bar->addWidget(m_close);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->setSpacing(0);
    outer->addWidget(m_captionBar);
    m_content = new QVBoxLayout;
    m_content->setContentsMargins(6, 6, 6, 6);
    outer->addLayout(m_content, 1);
}

void TCaptionPanel::setCaption(const QString &caption) { m_title->setText(caption); }
QString TCaptionPanel::caption() const { return m_title->text(); }

void TCaptionPanel::MakeCaptionVisible()
{
    QWidget *p = parentWidget();
    if (!p)
        return;
    const int barHeight = m_captionBar->sizeHint().height();
    const int x = std::clamp(this->x(), 0, std::max(0, p->width() - 60));
    const int y = std::clamp(this->y(), 0, std::max(0, p->height() - barHeight));
    move(x, y);
}

void TCaptionPanel::ShowInFront()
{
    show();
    raise();
    MakeCaptionVisible();
}

void TCaptionPanel::CenterInParent()
{
    if (QWidget *p = parentWidget())
        move((p->width() - width()) / 2, (p->height() - height()) / 2);
}

bool TCaptionPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_captionBar)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::LeftButton) {
            m_dragging = true;
            m_dragOffset = me->globalPosition().toPoint() - pos();
            raise();
            return true;
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            move(static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - m_dragOffset);
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (m_dragging) {
            m_dragging = false;
            Q_EMIT mouseReleased();
            return true;
        }
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void TCaptionPanel::mouseReleaseEvent(QMouseEvent *event)
{
    QFrame::mouseReleaseEvent(event);
    Q_EMIT mouseReleased();
}

} // namespace orvix
