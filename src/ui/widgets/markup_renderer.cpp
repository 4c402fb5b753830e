#include "markup_renderer.h"

#include <QFontMetrics>
#include <QPainter>

namespace orvix {

int TPainterMarkupCanvas::textWidth(const QFont &font, const QString &text)
{
    return QFontMetrics(font).horizontalAdvance(text);
}

int TPainterMarkupCanvas::lineHeight(const QFont &font) { return QFontMetrics(font).height(); }

void TPainterMarkupCanvas::drawText(int x, int y, const QString &text, const QFont &font, const QColor &color,
                                    const QColor &background)
{
    const QFontMetrics fm(font);
    if (background.isValid())
        m_painter.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), background);
    m_painter.setFont(font);
    m_painter.setPen(color);
    m_painter.drawText(QPoint(x, y + fm.ascent()), text);
}

void TPainterMarkupCanvas::drawRule(int x1, int x2, int y, int penWidth, const QColor &color)
{
    m_painter.setPen(QPen(color, penWidth));
    m_painter.drawLine(x1, y, x2, y);
}

namespace {

enum class Align { Left, Center, Right };

struct Pen
{
    QFont font;
    QColor background; // invalid: clear
    QFont linkSaved;
    Align align = Align::Left;
};

bool startsWithCI(const QString &s, QLatin1String prefix) { return s.startsWith(prefix, Qt::CaseInsensitive); }

QString replaceCI(QString s, QLatin1String from, const QString &to)
{
    return s.replace(from, to, Qt::CaseInsensitive);
}

void setFontSize(QFont &font, int numerator)
{
    if (font.pointSize() > 0)
        font.setPointSize(std::max(1, font.pointSize() * numerator / 2));
    else if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, font.pixelSize() * numerator / 2));
}

// Colour numbers are written blue, green, red from the high byte down.
QColor colorFromNumber(uint n) { return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF)); }

} // namespace

QStringList TMarkupRenderer::PrepareLines(const QString &text)
{
    QString s = text;
    s = replaceCI(s, QLatin1String("&amp;"), QStringLiteral("&"));
    s = replaceCI(s, QLatin1String("&quot;"), QStringLiteral("\""));
    s = replaceCI(s, QLatin1String("&reg;"), QStringLiteral("\u00AE"));
    s = replaceCI(s, QLatin1String("&copy;"), QStringLiteral("\u00A9"));
    s = replaceCI(s, QLatin1String("&trade;"), QStringLiteral("\u2122"));
    s = replaceCI(s, QLatin1String("&euro;"), QStringLiteral("\u20AC"));
    s = replaceCI(s, QLatin1String("&nbsp;"), QStringLiteral(" "));
    s.remove(QStringLiteral("\r\n"));
    s = replaceCI(s, QLatin1String("<BR>"), QStringLiteral("\n"));
    s = replaceCI(s, QLatin1String("<HR>"), QStringLiteral("<HR>\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = s.split(QLatin1Char('\n'));
    // A final line end does not open another line.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString TMarkupRenderer::TagAttribute(const QString &tag, const QString &name)
{
    const int at = tag.indexOf(name, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    const QString rest = tag.mid(at + name.size());
    for (QChar quote : {QLatin1Char('"'), QLatin1Char('\'')}) {
        const int open = rest.indexOf(quote);
        if (open >= 0) {
            const int close = rest.indexOf(quote, open + 1);
            return close < 0 ? rest.mid(open + 1) : rest.mid(open + 1, close - open - 1);
        }
    }
    const int eq = rest.indexOf(QLatin1Char('='));
    QString value = (eq < 0 ? rest : rest.mid(eq + 1)).trimmed();
    const int space = value.indexOf(QLatin1Char(' '));
    return space < 0 ? value : value.left(space);
}

TMarkupRenderer::Extent TMarkupRenderer::walk(IMarkupCanvas &canvas, const QRect &rect, const QString &text,
                                              const State &state, bool draw)
{
    QStringList lines = PrepareLines(text);
    Pen pen;
    pen.font = state.font;
    pen.font.setBold(false);
    pen.font.setItalic(false);
    pen.font.setUnderline(false);
    pen.font.setStrikeOut(false);
    const QFont startFont = pen.font;
    pen.linkSaved = startFont;
    int y = 0;
    int widest = 0;

    // Runs one line from the pen it is given; draws only when asked. Returns the line's width
    // and, through rest, text that an <HR> pushed onto a new line.
    auto runLine = [&](const QString &line, Pen &p, int x0, int &yy, bool paint, QString &rest) {
        QString s = line;
        int x = x0;
        while (!s.isEmpty()) {
            const int lt = s.indexOf(QLatin1Char('<'));
            QString chunk = lt < 0 ? s : s.left(lt);
            if (!chunk.isEmpty()) {
                chunk = replaceCI(chunk, QLatin1String("&lt;"), QStringLiteral("<"));
                chunk = replaceCI(chunk, QLatin1String("&gt;"), QStringLiteral(">"));
                if (paint)
                    canvas.drawText(rect.left() + x, rect.top() + yy, chunk, p.font, state.color, p.background);
                x += canvas.textWidth(p.font, chunk);
            }
            if (lt < 0)
                break;
            s = s.mid(lt);
            if (s.indexOf(QLatin1Char('>')) < 0)
                s.insert(1, QLatin1Char('>'));
            const int gt = s.indexOf(QLatin1Char('>'));
            const QString tag = s.left(gt); // "<" ... without ">"
            s = s.mid(gt + 1);

            if (startsWithCI(tag, QLatin1String("</"))) {
                const QString t = tag.mid(2);
                if (startsWithCI(t, QLatin1String("A")))
                    p.font = p.linkSaved;
                else if (startsWithCI(t, QLatin1String("B")))
                    p.font.setBold(false);
                else if (startsWithCI(t, QLatin1String("I")))
                    p.font.setItalic(false);
                else if (startsWithCI(t, QLatin1String("S")))
                    p.font.setStrikeOut(false);
                else if (startsWithCI(t, QLatin1String("U")))
                    p.font.setUnderline(false);
                else if (startsWithCI(t, QLatin1String("F")) && !state.disabled) {
                    p.background = QColor();
                    if (startFont.pointSize() > 0)
                        p.font.setPointSize(startFont.pointSize());
                    else
                        p.font.setPixelSize(startFont.pixelSize());
                }
                continue;
            }
            const QString t = tag.mid(1);
            if (startsWithCI(t, QLatin1String("AL"))) {
                const QString up = t.toUpper();
                p.align = up.contains(QLatin1String("CENTER")) ? Align::Center
                          : up.contains(QLatin1String("RIGHT")) ? Align::Right
                                                                 : Align::Left;
            } else if (startsWithCI(t, QLatin1String("A"))) {
                p.linkSaved = p.font;
            } else if (startsWithCI(t, QLatin1String("B"))) {
                p.font.setBold(true);
            } else if (startsWithCI(t, QLatin1String("IN"))) {
                bool ok = false;
                const int ind = TagAttribute(t, QStringLiteral("IND")).toInt(&ok);
                if (ok)
                    x = ind;
            } else if (startsWithCI(t, QLatin1String("I"))) {
                p.font.setItalic(true);
            } else if (startsWithCI(t, QLatin1String("S"))) {
                p.font.setStrikeOut(true);
            } else if (startsWithCI(t, QLatin1String("U"))) {
                p.font.setUnderline(true);
            } else if (startsWithCI(t, QLatin1String("F"))) {
                if (state.disabled)
                    continue;
                const QString bg = TagAttribute(t, QStringLiteral("BGCOLOR"));
                if (bg.startsWith(QLatin1Char('#'))) {
                    bool ok = false;
                    const uint n = bg.mid(1).toUInt(&ok, 16);
                    if (ok)
                        p.background = colorFromNumber(n);
                } else if (bg.compare(QLatin1String("CLNONE"), Qt::CaseInsensitive) == 0) {
                    p.background = QColor();
                }
                if (t.contains(QLatin1String("SIZE"), Qt::CaseInsensitive)) {
                    bool ok = false;
                    int n = TagAttribute(t, QStringLiteral("SIZE")).toInt(&ok);
                    setFontSize(p.font, ok ? n : 2);
                }
            } else if (startsWithCI(t, QLatin1String("HR"))) {
                bool ok = false;
                int width = TagAttribute(t, QStringLiteral("SIZE")).toInt(&ok);
                if (!ok || width < 1)
                    width = 1;
                if (paint)
                    canvas.drawRule(rect.left(), rect.right(), rect.top() + yy + canvas.lineHeight(p.font), width,
                                    state.color);
                yy += width + 1;
                if (!s.isEmpty()) {
                    rest = s;
                    break;
                }
            }
        }
        return x;
    };

    for (int i = 0; i < lines.size(); ++i) {
        // Measure first (alignment set inside the line applies to it), then draw from the same pen.
        Pen measurePen = pen;
        int measureY = y;
        QString ignored;
        const int lineWidth = runLine(lines.at(i), measurePen, 0, measureY, false, ignored);
        int offset = 0;
        if (measurePen.align == Align::Right)
            offset = std::max(0, rect.width() - lineWidth);
        else if (measurePen.align == Align::Center)
            offset = std::max(0, (rect.width() - lineWidth) / 2);
        QString rest;
        const int endX = runLine(lines.at(i), pen, offset, y, draw, rest);
        Q_UNUSED(endX);
        widest = std::max(widest, lineWidth);
        y += canvas.lineHeight(pen.font);
        if (!rest.isEmpty())
            lines.insert(i + 1, rest);
    }
    const int height = std::max(y, canvas.lineHeight(startFont)) + 1;
    return {widest, height};
}

TMarkupRenderer::Extent TMarkupRenderer::DrawMarkup(IMarkupCanvas &canvas, const QRect &rect, const QString &text,
                                                    const State &state)
{
    return walk(canvas, rect, text, state, true);
}

TMarkupRenderer::Extent TMarkupRenderer::Measure(IMarkupCanvas &canvas, const QString &text, const State &state)
{
    return walk(canvas, QRect(0, 0, 100000, 100000), text, state, false);
}

} // namespace orvix
