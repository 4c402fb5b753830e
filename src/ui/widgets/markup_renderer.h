#pragma once

// The mini mark-up of link labels: links, b/i/s/u, font size and background colour, <BR>,
// <HR>, alignment, indentation and a few entities. Drawing goes through a canvas so that the
// same walk measures, paints and can be recorded.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QStringList>

class QPainter;

namespace orvix {

class IMarkupCanvas
{
public:
    virtual ~IMarkupCanvas() = default;
    virtual int textWidth(const QFont &font, const QString &text) = 0;
    virtual int lineHeight(const QFont &font) = 0;
    // (x, y) is the top-left corner of the text; an invalid background leaves it clear.
    virtual void drawText(int x, int y, const QString &text, const QFont &font, const QColor &color,
                          const QColor &background) = 0;
    virtual void drawRule(int x1, int x2, int y, int penWidth, const QColor &color) = 0;
};

// Canvas on a QPainter.
class TPainterMarkupCanvas : public IMarkupCanvas
{
public:
    explicit TPainterMarkupCanvas(QPainter &painter) : m_painter(painter) {}
    int textWidth(const QFont &font, const QString &text) override;
    int lineHeight(const QFont &font) override;
    void drawText(int x, int y, const QString &text, const QFont &font, const QColor &color,
                  const QColor &background) override;
    void drawRule(int x1, int x2, int y, int penWidth, const QColor &color) override;

private:
    QPainter &m_painter;
};

class TMarkupRenderer
{
public:
    struct State
    {
        QFont font;
        QColor color = Qt::black;
        // Disabled text ignores the font tags (size and background).
        bool disabled = false;
    };
    struct Extent
    {
        int width = 0;
        int height = 0;
    };

    // Entities replaced, CR LF pairs dropped, <BR> and <HR> turned into line ends; the lines.
    static QStringList PrepareLines(const QString &text);
    // Value of an attribute inside a tag (the tag without its closing ">").
    static QString TagAttribute(const QString &tag, const QString &name);

    static Extent DrawMarkup(IMarkupCanvas &canvas, const QRect &rect, const QString &text, const State &state);
    static Extent Measure(IMarkupCanvas &canvas, const QString &text, const State &state);
    static int MarkupWidth(IMarkupCanvas &canvas, const QString &text, const State &state)
    {
        return Measure(canvas, text, state).width;
    }
    static int MarkupHeight(IMarkupCanvas &canvas, const QString &text, const State &state)
    {
        return Measure(canvas, text, state).height;
    }

private:
    static Extent walk(IMarkupCanvas &canvas, const QRect &rect, const QString &text, const State &state, bool draw);
};

} // namespace orvix
