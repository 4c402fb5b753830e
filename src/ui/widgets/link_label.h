#pragma once

// A label whose caption is the mini mark-up. A caption holding a link ("href") becomes a
// hand-cursor link, blue, red under the mouse. The label does not follow the link target: owners
// act on clicked().

#include "markup_renderer.h"

#include <QColor>
#include <QWidget>

namespace orvix {

class TVarnelLinkLabel : public QWidget
{
    Q_OBJECT
public:
    explicit TVarnelLinkLabel(QWidget *parent = nullptr);
    TVarnelLinkLabel(const QString &caption, QWidget *parent);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // The caption, with "<x>" captions turned into an underlined link.
    QString MarkupText() const;
    bool IsLink() const;

    // An explicit colour stops links from taking the link blue.
    void setFontColor(const QColor &color);
    QColor FontColor() const { return m_fontColor; }
    void setColor(const QColor &color);
    void setTransparent(bool transparent);
    void setAlignment(Qt::Alignment alignment); // horizontal: which edge auto-size keeps
    void setLayout(Qt::Alignment layout);       // vertical: top, centre or bottom
    void setAutoSize(bool on);

    int MarkupWidth() const;
    int MarkupHeight() const;
    QSize sizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyLinkLook();
    void adjustSizeToMarkup();
    TMarkupRenderer::State state(const QColor &color, bool disabled) const;

    QString m_caption;
    QColor m_fontColor = Qt::black;
    QColor m_loadedFontColor = Qt::black; // the colour before hovering
    QColor m_color;
    bool m_parentFontColor = true;
    bool m_transparent = true;
    bool m_autoSize = true;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    Qt::Alignment m_layout = Qt::AlignTop;
};

} // namespace orvix
