#include "link_label.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orvix {

namespace {
const QColor kLinkColor = Qt::blue;
const QColor kHoverColor = Qt::red;
} // namespace

TVarnelLinkLabel::TVarnelLinkLabel(QWidget *parent) : TVarnelLinkLabel(QString(), parent) {}

TVarnelLinkLabel::TVarnelLinkLabel(const QString &caption, QWidget *parent) : QWidget(parent)
{
    m_fontColor = m_loadedFontColor = palette().color(QPalette::WindowText);
    m_color = palette().color(QPalette::Window);
    setCaption(caption);
}

void TVarnelLinkLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    applyLinkLook();
    adjustSizeToMarkup();
    update();
}

QString TVarnelLinkLabel::MarkupText() const
{
    if (m_caption.contains(QLatin1String("<x>")))
        return QStringLiteral("<a href=><u>") + m_caption;
    return m_caption;
}

bool TVarnelLinkLabel::IsLink() const { return MarkupText().contains(QLatin1String("href")); }

void TVarnelLinkLabel::applyLinkLook()
{
    if (IsLink()) {
        setCursor(Qt::PointingHandCursor);
        if (m_parentFontColor)
            m_fontColor = kLinkColor;
    } else {
        unsetCursor();
        if (m_parentFontColor)
            m_fontColor = palette().color(QPalette::WindowText);
    }
    m_loadedFontColor = m_fontColor;
}

void TVarnelLinkLabel::setFontColor(const QColor &color)
{
    m_parentFontColor = false;
    m_fontColor = m_loadedFontColor = color;
    update();
}

void TVarnelLinkLabel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void TVarnelLinkLabel::setTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void TVarnelLinkLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    adjustSizeToMarkup();
}

void TVarnelLinkLabel::setLayout(Qt::Alignment layout)
{
    m_layout = layout & Qt::AlignVertical_Mask;
    update();
}

void TVarnelLinkLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    adjustSizeToMarkup();
}

TMarkupRenderer::State TVarnelLinkLabel::state(const QColor &color, bool disabled) const
{
    TMarkupRenderer::State s;
    s.font = font();
    s.color = color;
    s.disabled = disabled;
    return s;
}

int TVarnelLinkLabel::MarkupWidth() const
{
    QImage probe(1, 1, QImage::Format_ARGB32);
    QPainter painter(&probe);
    TPainterMarkupCanvas canvas(painter);
    return TMarkupRenderer::MarkupWidth(canvas, MarkupText(), state(m_fontColor, !isEnabled()));
}

int TVarnelLinkLabel::MarkupHeight() const
{
    QImage probe(1, 1, QImage::Format_ARGB32);
    QPainter painter(&probe);
    TPainterMarkupCanvas canvas(painter);
    return TMarkupRenderer::MarkupHeight(canvas, MarkupText(), state(m_fontColor, !isEnabled()));
}

QSize TVarnelLinkLabel::sizeHint() const { return QSize(MarkupWidth(), MarkupHeight()); }

void TVarnelLinkLabel::adjustSizeToMarkup()
{
    updateGeometry();
    if (!m_autoSize)
        return;
    const QSize size = sizeHint();
    const int right = geometry().right();
    resize(size);
    if (m_alignment & Qt::AlignRight)
        move(right - size.width() + 1, y());
}

void TVarnelLinkLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), m_color);
    TPainterMarkupCanvas canvas(painter);
    const bool disabled = !isEnabled();
    int top = 0;
    const int free = height() - TMarkupRenderer::MarkupHeight(canvas, MarkupText(), state(m_fontColor, disabled));
    if (m_layout & Qt::AlignVCenter)
        top = free / 2;
    else if (m_layout & Qt::AlignBottom)
        top = free;
    const QRect area(0, top, width(), height() - top);
    if (disabled) {
        // Embossed: a highlight copy one pixel down-right under the shadow-coloured text.
        TMarkupRenderer::DrawMarkup(canvas, area.translated(1, 1), MarkupText(),
                                    state(palette().color(QPalette::Light), true));
        TMarkupRenderer::DrawMarkup(canvas, area, MarkupText(), state(palette().color(QPalette::Dark), true));
    } else {
        TMarkupRenderer::DrawMarkup(canvas, area, MarkupText(), state(m_fontColor, false));
    }
}

void TVarnelLinkLabel::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (IsLink()) {
        m_fontColor = kHoverColor;
        update();
    }
}

void TVarnelLinkLabel::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (IsLink())
        m_fontColor = m_loadedFontColor;
    update();
}

void TVarnelLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void TVarnelLinkLabel::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::EnabledChange)
        adjustSizeToMarkup();
}

} // namespace orvix
