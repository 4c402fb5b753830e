#include "web_frame.h"

#include "widgets/image_x.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMouseEvent>

namespace orvix {

namespace {

constexpr int kBorderWidth = 3;
constexpr int kStatusWidth = 60;

void fill(QWidget *w, const QColor &colour)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

} // namespace

std::optional<WebFrameLayout> WebFrameLayoutFor(int size)
{
    switch (size) {
    case 1:
        return WebFrameLayout{1, {653, 1020}, 6, {100, 100}, {85, 85}};
    case 2:
        return WebFrameLayout{2, {793, 1200}, 3, {240, 240}, {220, 220}};
    case 3:
        return WebFrameLayout{3, {700, 600}, 6, {110, 110}, {100, 100}};
    default:
        return std::nullopt;
    }
}

TFrameWebFrame::TFrameWebFrame(const QString &name, const WebFrameLayout &layout, QWidget *parent)
    : QFrame(parent), m_layout(layout)
{
    setObjectName(name);
    setFixedSize(layout.frame);

    cbSelected = new QCheckBox(this);
    cbSelected->setObjectName(QStringLiteral("cbSelected"));
    cbSelected->hide();

    panelBorder = new QFrame(this);
    panelBorder->setObjectName(QStringLiteral("panelBorder"));
    panelBorder->setGeometry(QRect(QPoint(0, 0), layout.border));
    setBorderColour(palette().color(QPalette::Button));

    Panel1x = new QFrame(panelBorder);
    Panel1x->setObjectName(QStringLiteral("Panel1x"));
    Panel1x->setGeometry(panelBorder->rect().adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth));
    fill(Panel1x, kCream);

    edLoading = new QLabel(QStringLiteral("loading"), Panel1x);
    edLoading->setObjectName(QStringLiteral("edLoading"));
    edLoading->adjustSize();
    // Centred in the border, 5 pixels up and left.
    const QPoint centre = panelBorder->rect().center() - QPoint(5, 5) - Panel1x->pos();
    edLoading->move(centre - QPoint(edLoading->width() / 2, edLoading->height() / 2));

    WebImage = new TImageX(Panel1x);
    WebImage->setObjectName(QStringLiteral("WebImage"));
    WebImage->setGeometry(Panel1x->rect());
    WebImage->installEventFilter(this);
    WebImage->setMouseTracking(true);
    Panel1x->installEventFilter(this);

    edFrameStatus = new QLabel(this);
    edFrameStatus->setObjectName(QStringLiteral("edFrameStatus"));
    // Under the border's bottom right corner, its text flush with the border.
    edFrameStatus->resize(kStatusWidth, fontMetrics().height());
    edFrameStatus->setAlignment(Qt::AlignRight | Qt::AlignTop);
    edFrameStatus->move(layout.border.width() - kStatusWidth, layout.border.height() - 2);
    edFrameStatus->hide();

    connect(cbSelected, &QCheckBox::toggled, this, [this] { Q_EMIT selectionChanged(this); });
}

bool TFrameWebFrame::selected() const
{
    return cbSelected->isChecked();
}

void TFrameWebFrame::setBorderColour(const QColor &colour)
{
    fill(panelBorder, colour);
}

QColor TFrameWebFrame::borderColour() const
{
    return panelBorder->palette().color(QPalette::Window);
}

void TFrameWebFrame::setStatus(const QString &text)
{
    edFrameStatus->setText(text);
    edFrameStatus->setVisible(!text.isEmpty());
}

void TFrameWebFrame::showThumbnail(const QString &fileName)
{
    edLoading->hide();
    WebImage->setGeometry(Panel1x->rect());
    WebImage->LoadAndResampleImage(fileName, TResampleModeX::RESAMPLE_BF);
    // The fitted picture sits in the middle of the cream area.
    WebImage->move((Panel1x->width() - WebImage->width()) / 2, (Panel1x->height() - WebImage->height()) / 2);
}

bool TFrameWebFrame::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        Q_EMIT mouseActivity();
        // Taken here, so the release comes back here too (unclaimed, the press would reach the
        // floating panel, which then gets the release and starts a drag).
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && (watched == WebImage || watched == Panel1x))
            return true;
        break;
    case QEvent::MouseMove:
        Q_EMIT mouseActivity();
        break;
    case QEvent::MouseButtonRelease:
        // Taken, so that the release does not travel on from the picture to the area around
        // it and toggle the selection a second time.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton
            && (watched == WebImage || watched == Panel1x)) {
            Q_EMIT imageClicked(this);
            return true;
        }
        break;
    case QEvent::Enter:
        Q_EMIT imageEntered(this);
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}

void TFrameWebFrame::contextMenuEvent(QContextMenuEvent *event)
{
    Q_EMIT imageEntered(this);
    Q_EMIT menuRequested(this, event->globalPos());
}

} // namespace orvix
