// The mini mark-up and the link label: what is drawn where and how, links and their looks.
#include "test_support.h"

#include "ui/widgets/link_label.h"
#include "ui/widgets/markup_renderer.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct Drawn
{
    int x, y;
    QString text;
    QFont font;
    QColor background;
};

// Real font measures; remembers every piece of text and every rule.
class RecordingCanvas : public IMarkupCanvas
{
public:
    int textWidth(const QFont &font, const QString &text) override { return QFontMetrics(font).horizontalAdvance(text); }
    int lineHeight(const QFont &font) override { return QFontMetrics(font).height(); }
    void drawText(int x, int y, const QString &text, const QFont &font, const QColor &, const QColor &bg) override
    {
        drawn.append({x, y, text, font, bg});
    }
    void drawRule(int, int, int y, int penWidth, const QColor &) override { rules.append({y, penWidth}); }
    QList<Drawn> drawn;
    QList<QPair<int, int>> rules;
    QString all() const
    {
        QString s;
        for (const Drawn &d : drawn)
            s += d.text;
        return s;
    }
    QList<int> lineTops() const
    {
        QList<int> ys;
        for (const Drawn &d : drawn)
            if (!ys.contains(d.y))
                ys.append(d.y);
        return ys;
    }
};

TMarkupRenderer::State plain(bool disabled = false)
{
    TMarkupRenderer::State s;
    s.font = QFont(QStringLiteral("Sans"), 10);
    s.disabled = disabled;
    return s;
}

RecordingCanvas draw(const QString &text, bool disabled = false, QRect rect = QRect(0, 0, 400, 200))
{
    RecordingCanvas c;
    TMarkupRenderer::DrawMarkup(c, rect, text, plain(disabled));
    return c;
}

} // namespace

TEST(Markup, TextChunksLinesAndEntities)
{
    struct Case { QString markup; QString drawn; int lines; };
    const Case cases[] = {
        {QStringLiteral("<a href=><u>&lt;&lt; Back"), QStringLiteral("<< Back"), 1},
        {QStringLiteral("1 &lt; 2 &GT; 0"), QStringLiteral("1 < 2 > 0"), 1},
        {QStringLiteral("a<BR>b"), QStringLiteral("ab"), 2},
        {QStringLiteral("a<br>b<Br>c"), QStringLiteral("abc"), 3},
        {QStringLiteral("a\r\nb"), QStringLiteral("ab"), 1},
        {QStringLiteral("x <"), QStringLiteral("x "), 1},                  // lone "<" at the end
        {QStringLiteral("a < b<BR>c"), QStringLiteral("a  bc"), 2},        // lone "<" swallows nothing
        {QStringLiteral("&amp;&quot;&copy;&REG;&trade;&euro;&nbsp;!"), QStringLiteral("&\"\u00A9\u00AE\u2122\u20AC !"), 1},
        {QStringLiteral("<zz>odd</zz> tag"), QStringLiteral("odd tag"), 1},
    };
    for (const Case &c : cases) {
        const RecordingCanvas canvas = draw(c.markup);
        EXPECT_EQ(canvas.all(), c.drawn) << c.markup.toStdString();
        EXPECT_EQ(canvas.lineTops().size(), c.lines) << c.markup.toStdString();
    }
}

TEST(Markup, StylesSizesColoursAlignmentAndIndent)
{
    const RecordingCanvas styled = draw(QStringLiteral("<b>B</b><i>I</i><s>S</s><u>U</u>n"));
    ASSERT_EQ(styled.drawn.size(), 5);
    EXPECT_TRUE(styled.drawn[0].font.bold());
    EXPECT_TRUE(styled.drawn[1].font.italic());
    EXPECT_TRUE(styled.drawn[2].font.strikeOut());
    EXPECT_TRUE(styled.drawn[3].font.underline());
    const QFont last = styled.drawn[4].font;
    EXPECT_FALSE(last.bold() || last.italic() || last.strikeOut() || last.underline());
    EXPECT_GT(styled.drawn[1].x, styled.drawn[0].x);

    // A link keeps the font it started with.
    const RecordingCanvas link = draw(QStringLiteral("<a href=\"x\"><b>l</b><u>k</a>after"));
    EXPECT_FALSE(link.drawn.last().font.underline());

    const RecordingCanvas sized = draw(QStringLiteral("<F SIZE=4 BGCOLOR=#0000FF>big</F>small<F bgcolor=clNone>x"));
    ASSERT_EQ(sized.drawn.size(), 3);
    EXPECT_EQ(sized.drawn[0].font.pointSize(), 20);
    EXPECT_EQ(sized.drawn[0].background, QColor(255, 0, 0)); // colour numbers run blue, green, red
    EXPECT_EQ(sized.drawn[1].font.pointSize(), 10);
    EXPECT_FALSE(sized.drawn[1].background.isValid());
    EXPECT_FALSE(sized.drawn[2].background.isValid());

    const RecordingCanvas disabled = draw(QStringLiteral("<F SIZE=4 BGCOLOR=#0000FF>big"), true);
    EXPECT_EQ(disabled.drawn[0].font.pointSize(), 10);
    EXPECT_FALSE(disabled.drawn[0].background.isValid());

    const QFontMetrics fm(plain().font);
    const RecordingCanvas centred = draw(QStringLiteral("<AL CENTER>ab<BR>cd"), false, QRect(0, 0, 200, 100));
    EXPECT_EQ(centred.drawn[0].x, (200 - fm.horizontalAdvance(QStringLiteral("ab"))) / 2);
    EXPECT_EQ(centred.drawn[1].x, (200 - fm.horizontalAdvance(QStringLiteral("cd"))) / 2); // following lines too
    const RecordingCanvas right = draw(QStringLiteral("<al right>ab"), false, QRect(10, 0, 200, 100));
    EXPECT_EQ(right.drawn[0].x, 10 + 200 - fm.horizontalAdvance(QStringLiteral("ab")));
    const RecordingCanvas indented = draw(QStringLiteral("<IN IND=20>x"));
    EXPECT_EQ(indented.drawn[0].x, 20);
}

TEST(Markup, RulesAndMeasures)
{
    const QFontMetrics fm(plain().font);
    const RecordingCanvas ruled = draw(QStringLiteral("top<HR>below"));
    ASSERT_EQ(ruled.rules.size(), 1);
    EXPECT_EQ(ruled.rules[0], qMakePair(fm.height(), 1));
    EXPECT_EQ(ruled.drawn.last().text, QStringLiteral("below"));
    EXPECT_EQ(ruled.drawn.last().y, fm.height() + 2);

    // A sized rule with text after it in the same line starts a new line for the text.
    const RecordingCanvas thick = draw(QStringLiteral("<HR SIZE=3>after"));
    ASSERT_EQ(thick.rules.size(), 1);
    EXPECT_EQ(thick.rules[0].second, 3);
    EXPECT_EQ(thick.drawn.last().y, fm.height() + 4);

    RecordingCanvas c;
    EXPECT_EQ(TMarkupRenderer::MarkupWidth(c, QStringLiteral("ab<BR><b>abcdef</b>"), plain()),
              QFontMetrics([] { QFont f = plain().font; f.setBold(true); return f; }())
                  .horizontalAdvance(QStringLiteral("abcdef")));
    EXPECT_EQ(TMarkupRenderer::MarkupHeight(c, QStringLiteral("a<BR>b"), plain()), 2 * fm.height() + 1);
    EXPECT_EQ(TMarkupRenderer::MarkupHeight(c, QString(), plain()), fm.height() + 1);
    EXPECT_EQ(TMarkupRenderer::TagAttribute(QStringLiteral("<a href='x y' b"), QStringLiteral("HREF")),
              QStringLiteral("x y"));
    EXPECT_EQ(TMarkupRenderer::TagAttribute(QStringLiteral("<F size = 3 bgcolor=1"), QStringLiteral("SIZE")),
              QStringLiteral("3"));
}

TEST(LinkLabel, LinksGetTheHandCursorAndHoverColours)
{
    TVarnelLinkLabel link(QStringLiteral("<a href=><u>&lt;&lt; Back"), nullptr);
    TVarnelLinkLabel plainLabel(QStringLiteral("Plain text"), nullptr);
    TVarnelLinkLabel deleteLabel(QStringLiteral("Delete <x>"), nullptr);
    EXPECT_TRUE(link.IsLink());
    EXPECT_FALSE(plainLabel.IsLink());
    EXPECT_TRUE(deleteLabel.IsLink());
    EXPECT_EQ(deleteLabel.MarkupText(), QStringLiteral("<a href=><u>Delete <x>"));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_NE(plainLabel.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link.FontColor(), QColor(Qt::blue));

    for (TVarnelLinkLabel *label : {&link, &plainLabel}) {
        const QColor before = label->FontColor();
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(label, &enter);
        EXPECT_EQ(label->FontColor(), label->IsLink() ? QColor(Qt::red) : before);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(label, &leave);
        EXPECT_EQ(label->FontColor(), before);
    }

    QSignalSpy clicked(&link, &TVarnelLinkLabel::clicked);
    link.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&link));
    QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(link.size(), QSize(link.MarkupWidth(), link.MarkupHeight())); // auto-size
}

TEST(LinkLabel, DisabledTextIsEmbossedAndIgnoresFontTags)
{
    TVarnelLinkLabel label(QStringLiteral("<F SIZE=8>IIII"), nullptr);
    QFont font(QStringLiteral("Sans"), 10);
    font.setStyleStrategy(QFont::NoAntialias);
    label.setFont(font);
    label.setTransparent(false);
    label.setColor(Qt::white);
    QPalette pal = label.palette();
    pal.setColor(QPalette::Light, QColor(0, 255, 0));
    pal.setColor(QPalette::Dark, QColor(0, 0, 255));
    label.setPalette(pal);
    label.setEnabled(false);
    label.setAutoSize(false);
    label.resize(200, 100);

    QImage image(label.size(), QImage::Format_RGB32);
    label.render(&image);
    QRect light, dark;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y) & 0xFFFFFF;
            if (p == 0x00FF00)
                light |= QRect(x, y, 1, 1);
            else if (p == 0x0000FF)
                dark |= QRect(x, y, 1, 1);
        }
    ASSERT_FALSE(light.isEmpty());
    ASSERT_FALSE(dark.isEmpty());
    // The highlight copy sits one pixel right and down of the shadow-coloured text.
    EXPECT_EQ(light.bottomRight(), dark.bottomRight() + QPoint(1, 1));
    // Drawn at the label's own size: the size tag (4x) is ignored.
    EXPECT_LE(dark.height(), QFontMetrics(font).height());
}
