#include "nav_bar_frame.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orvix {

namespace {

class TGradientBar : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, width(), 0);
        gradient.setColorAt(0, Qt::white);
        gradient.setColorAt(1, QColor(TFrame2::kGradientEnd));
        painter.fillRect(rect(), gradient);
    }
};

QFrame *colouredPanel(const QString &name, const QColor &color, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, color);
    panel->setPalette(pal);
    return panel;
}

QFont tahoma(bool bold)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    font.setBold(bold);
    return font;
}

} // namespace

TFrame2::TFrame2(QWidget *parent) : QWidget(parent)
{
    Panel_NAVBAR_Level1 = colouredPanel(QStringLiteral("Panel_NAVBAR_Level1"), Qt::gray, this);
    auto *level1 = new QVBoxLayout(Panel_NAVBAR_Level1);
    level1->setContentsMargins(8, 8, 8, 8);
    Panel_NAVBAR_Level2 = colouredPanel(QStringLiteral("Panel_NAVBAR_Level2"), Qt::white, Panel_NAVBAR_Level1);
    level1->addWidget(Panel_NAVBAR_Level2);
    for (int corner = 0; corner < 2; ++corner) {
        QFrame *c = colouredPanel(QStringLiteral("PanelCorner%1").arg(corner + 1), Qt::gray, Panel_NAVBAR_Level1);
        c->setFixedSize(9, 9);
    }

    auto *level2 = new QVBoxLayout(Panel_NAVBAR_Level2);
    level2->setContentsMargins(0, 0, 0, 0);
    level2->setSpacing(0);
    GradientBar = new TGradientBar(Panel_NAVBAR_Level2);
    GradientBar->setFixedHeight(28);
    level2->addWidget(GradientBar);
    Label_Title = new QLabel(GradientBar);
    Label_Title->setObjectName(QStringLiteral("Label_Title"));
    Label_Title->setFont(tahoma(true));
    QPalette titlePal = Label_Title->palette();
    titlePal.setColor(QPalette::WindowText, QColor(kTitleColor));
    Label_Title->setPalette(titlePal);
    Label_Title->move(10, 9);

    auto *level3Holder = new QWidget(Panel_NAVBAR_Level2);
    auto *level3Margins = new QVBoxLayout(level3Holder);
    level3Margins->setContentsMargins(1, 0, 1, 1);
    Panel_NAVBAR_Level3 = colouredPanel(QStringLiteral("Panel_NAVBAR_Level3"), QColor(kLevel3Color), level3Holder);
    level3Margins->addWidget(Panel_NAVBAR_Level3);
    level2->addWidget(level3Holder, 1);
    label_NAVBAR_dummy = new QLabel(QStringLiteral("label_NAVBAR_dummy"), Panel_NAVBAR_Level3);
    label_NAVBAR_dummy->setObjectName(QStringLiteral("label_NAVBAR_dummy"));
    label_NAVBAR_dummy->setFont(tahoma(false));
    label_NAVBAR_dummy->setPalette(titlePal);
    label_NAVBAR_dummy->move(14, 21);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    Panel_RADIO = new QFrame(this);
    Panel_RADIO->setObjectName(QStringLiteral("Panel_RADIO"));
    radio_NAVBAR_dummy = new QRadioButton(QStringLiteral("radio_NAVBAR_dummy"), Panel_RADIO);
    radio_NAVBAR_dummy->setObjectName(QStringLiteral("radio_NAVBAR_dummy"));
    radio_NAVBAR_dummy->setGeometry(6, 8, 153, 17);
    radio_NAVBAR_dummy->hide();
}

} // namespace orvix
