#include "nav_bar.h"

#include "foundation/errors.h"
#include "nav_bar_frame.h"
#include "tab_sheet_x.h"
#include "varnel_page_control_x.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QStackedLayout>
#include <QTreeWidget>

namespace orvix {

namespace {

constexpr int kRowStep = 22;
constexpr int kMaxLevels = 10;

struct Entry
{
    bool shown = false;
    int level = 1;
    QString prefix;
    QString text;
};

Entry entryOf(const QString &caption)
{
    Entry e;
    e.shown = !caption.isEmpty() && !caption.startsWith(QLatin1Char('_'));
    const QStringList pieces = caption.split(QLatin1Char(','));
    if (pieces.size() > 1) {
        e.prefix = pieces.at(0);
        e.text = pieces.at(1);
    } else {
        e.text = caption;
    }
    e.level = std::max(1, int(e.prefix.size()));
    return e;
}

void setLabelLook(QLabel *label, const QColor &color, bool bold, bool underline)
{
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    QFont font = label->font();
    font.setBold(bold);
    font.setUnderline(underline);
    label->setFont(font);
    label->adjustSize();
}

} // namespace

TVarnelNavBar::TVarnelNavBar(QWidget *parent) : QFrame(parent), Fframe(new TFrame2(this))
{
    setFrameShape(QFrame::NoFrame);
    Fframe->Label_Title->clear();
    Fframe->hide();
    m_views = new QStackedLayout(this);
    m_views->setContentsMargins(0, 0, 0, 0);
    m_views->addWidget(Fframe->Panel_NAVBAR_Level1);
    m_views->addWidget(Fframe->TreeView1);
    m_views->addWidget(Fframe->Panel_RADIO);
    resize(100, 300);
    fix_count = 0;
    Q_UNUSED(fix_count);
}

QString TVarnelNavBar::EntryText(const QString &caption) { return entryOf(caption).text; }

void TVarnelNavBar::setTitle(const QString &title)
{
    Ftitle = title;
    Fframe->Label_Title->setText(title);
    Fframe->Label_Title->adjustSize();
}

void TVarnelNavBar::setKind(int kind)
{
    switch (kind) {
    case navClassic:
        m_views->setCurrentWidget(Fframe->Panel_NAVBAR_Level1);
        break;
    case navTree:
        m_views->setCurrentWidget(Fframe->TreeView1);
        break;
    case navRadio:
        m_views->setCurrentWidget(Fframe->Panel_RADIO);
        break;
    default:
        throw EOrvix(QStringLiteral("Unknown navbar kind"));
    }
    Fkind = varnelNavBarKind(kind);
}

void TVarnelNavBar::setPagecontrol(TVarnelPageControlX *pageControl)
{
    Fpagecontrol = pageControl;
    F_saved_PanelsControl_OnChangeX = nullptr;
    if (pageControl) {
        QStringList seen;
        for (int i = 0; i < pageControl->PageCount(); ++i) {
            const QString text = entryOf(pageControl->Pages(i)->Caption()).text;
            if (seen.contains(text))
                throw EOrvix(QStringLiteral("Duplicate tab name ") + text);
            seen.append(text);
        }
        F_saved_PanelsControl_OnChangeX = pageControl->OnChangeX();
        // The page control may outlive the bar: then only the saved handler is left to run.
        pageControl->setOnChangeX([self = QPointer<TVarnelNavBar>(this), saved = F_saved_PanelsControl_OnChangeX](
                                      QObject *sender) {
            if (!self) {
                if (saved)
                    saved(sender);
                return;
            }
            if (self->Fpagecontrol)
                self->Select(self->Fpagecontrol->ActivePageIndex());
            if (self->F_saved_PanelsControl_OnChangeX)
                self->F_saved_PanelsControl_OnChangeX(self.data());
        });
    }
    Regenerate();
}

void TVarnelNavBar::Regenerate()
{
    buildClassic();
    buildTree();
    buildRadio();
}

namespace {

// The panel's first child is the dummy that gives the rows their look; every other child is a
// row of an earlier build and goes.
template <typename Dummy>
Dummy *keepOnlyDummy(QWidget *panel, QLatin1String dummyName)
{
    QList<QWidget *> widgets;
    for (QObject *child : panel->children())
        if (auto *w = qobject_cast<QWidget *>(child))
            widgets.append(w);
    if (widgets.isEmpty())
        throw EOrvix(QStringLiteral("dummy component not found 1"));
    auto *dummy = qobject_cast<Dummy *>(widgets.first());
    if (!dummy || dummy->objectName() != dummyName)
        throw EOrvix(QStringLiteral("dummy component not found 2"));
    for (int i = 1; i < widgets.size(); ++i)
        delete widgets.at(i);
    return dummy;
}

} // namespace

QList<QPair<int, QString>> TVarnelNavBar::shownRows() const
{
    QList<QPair<int, QString>> rows;
    if (!Fpagecontrol)
        return rows;
    for (int i = 0; i < Fpagecontrol->PageCount(); ++i) {
        const Entry e = entryOf(Fpagecontrol->Pages(i)->Caption());
        if (!e.shown)
            continue;
        QString indent(e.prefix.size(), QLatin1Char(' '));
        if (indent == QLatin1String(" "))
            indent.clear();
        rows.append({i, indent + e.text.trimmed()});
    }
    return rows;
}

void TVarnelNavBar::buildClassic()
{
    QWidget *level3 = Fframe->Panel_NAVBAR_Level3;
    auto *dummy = keepOnlyDummy<QLabel>(level3, QLatin1String("label_NAVBAR_dummy"));
    int r = 0;
    for (const auto &[i, text] : shownRows()) {
        auto *label = new QLabel(text, level3);
        label->setObjectName(QStringLiteral("navlabel_%1").arg(i));
        label->setFont(dummy->font());
        setLabelLook(label, dummy->palette().color(QPalette::WindowText), false, false);
        label->move(dummy->x(), dummy->y() + r * kRowStep);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        label->show();
        ++r;
    }
    dummy->hide();
}

void TVarnelNavBar::buildRadio()
{
    QWidget *panel = Fframe->Panel_RADIO;
    auto *dummy = keepOnlyDummy<QRadioButton>(panel, QLatin1String("radio_NAVBAR_dummy"));
    int r = 0;
    for (const auto &[i, text] : shownRows()) {
        auto *radio = new QRadioButton(text, panel);
        radio->setObjectName(QStringLiteral("navradio_%1").arg(i));
        radio->setGeometry(dummy->x(), dummy->y() + r * kRowStep, dummy->width(), dummy->height());
        connect(radio, &QRadioButton::clicked, this, [this, radio] {
            const int index = indexFromName(radio->objectName());
            Select(index);
            if (!flagSelectingTab)
                activatePage(index);
        });
        radio->show();
        ++r;
    }
    dummy->hide();
}

void TVarnelNavBar::buildTree()
{
    QTreeWidget *tree = Fframe->TreeView1;
    disconnect(tree, nullptr, this, nullptr);
    tree->clear();
    if (!Fpagecontrol)
        return;
    QTreeWidgetItem *last[kMaxLevels + 1] = {};
    int previous = 1;
    for (int i = 0; i < Fpagecontrol->PageCount(); ++i) {
        const Entry e = entryOf(Fpagecontrol->Pages(i)->Caption());
        if (!e.shown)
            continue;
        const int level = e.level;
        if (level > kMaxLevels)
            throw EOrvix(QStringLiteral("Max levels reached"));
        QTreeWidgetItem *node = nullptr;
        if (level == 1) {
            node = new QTreeWidgetItem(tree, QStringList{e.text});
        } else {
            if (level > previous + 1 || !last[level - 1])
                throw EOrvix(QStringLiteral("Please Add one level at a time"));
            node = new QTreeWidgetItem(last[level - 1], QStringList{e.text});
        }
        last[level] = node;
        previous = level;
    }
    tree->expandAll();
    connect(tree, &QTreeWidget::itemClicked, this, [this] { treeClick(); });
    // Keyboard moves select pages; selections made by code do not.
    connect(tree, &QTreeWidget::currentItemChanged, this, [this] {
        if (Fframe->TreeView1->hasFocus())
            treeClick();
    });
}

int TVarnelNavBar::indexFromName(const QString &name)
{
    QString digits;
    for (QChar c : name)
        if (c.isDigit())
            digits.append(c);
    if (digits.isEmpty())
        digits = QStringLiteral("-1");
    return digits.toInt();
}

void TVarnelNavBar::activatePage(int index)
{
    if (Fpagecontrol)
        Fpagecontrol->setActivePageIndex(index);
}

void TVarnelNavBar::SelectTab(int page_idx)
{
    if (page_idx == -1)
        return; // selecting nothing leaves the page control alone
    Select(page_idx);
    if (!flagSelectingTab)
        activatePage(page_idx);
}

void TVarnelNavBar::SelectTab(TTabSheetX *tab)
{
    if (!Fpagecontrol)
        return;
    const int index = Fpagecontrol->IndexOfPage(tab);
    if (index >= 0)
        SelectTab(index);
}

void TVarnelNavBar::Select(int index)
{
    if (flagSelectingTab || index == -1)
        return;
    flagSelectingTab = true;
    const QString text = Fpagecontrol && index < Fpagecontrol->PageCount() && index >= 0
                             ? entryOf(Fpagecontrol->Pages(index)->Caption()).text
                             : QString();
    if (auto *label = Fframe->Panel_NAVBAR_Level3->findChild<QLabel *>(QStringLiteral("navlabel_%1").arg(index),
                                                                       Qt::FindDirectChildrenOnly))
        labelClick(label);
    if (auto *radio = Fframe->Panel_RADIO->findChild<QRadioButton *>(QStringLiteral("navradio_%1").arg(index),
                                                                     Qt::FindDirectChildrenOnly))
        radio->setChecked(true);
    QTreeWidget *tree = Fframe->TreeView1;
    const QSignalBlocker blockTree(tree);
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->text(0) == text) {
            tree->setCurrentItem(*it);
            break;
        }
    }
    flagSelectingTab = false;
    Q_EMIT OnTabChange(this);
}

void TVarnelNavBar::labelClick(QLabel *clicked)
{
    for (QLabel *label : Fframe->Panel_NAVBAR_Level3->findChildren<QLabel *>(Qt::FindDirectChildrenOnly)) {
        if (label == Fframe->label_NAVBAR_dummy)
            continue;
        if (label == clicked)
            setLabelLook(label, QColor(kSelectedColor), true, false);
        else
            setLabelLook(label, QColor(TFrame2::kTitleColor), false, false);
    }
    const int index = indexFromName(clicked->objectName());
    Select(index);
    if (!flagSelectingTab)
        activatePage(index);
}

void TVarnelNavBar::treeClick()
{
    if (flagSelectingTab || flag_changing_border || !Fpagecontrol)
        return;
    QTreeWidgetItem *node = Fframe->TreeView1->currentItem();
    if (!node)
        return;
    for (int i = 0; i < Fpagecontrol->PageCount(); ++i) {
        if (entryOf(Fpagecontrol->Pages(i)->Caption()).text == node->text(0)) {
            Select(i);
            if (!flagSelectingTab)
                activatePage(i);
        }
    }
}

bool TVarnelNavBar::eventFilter(QObject *watched, QEvent *event)
{
    auto *label = qobject_cast<QLabel *>(watched);
    if (label && label->objectName().startsWith(QLatin1String("navlabel_"))) {
        const bool selected = label->palette().color(QPalette::WindowText) == QColor(kSelectedColor);
        switch (event->type()) {
        case QEvent::Enter:
            if (!selected)
                setLabelLook(label, label->palette().color(QPalette::WindowText), false, true);
            break;
        case QEvent::Leave:
            if (!selected)
                setLabelLook(label, label->palette().color(QPalette::WindowText), false, false);
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
                labelClick(label);
            return true;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TVarnelNavBar::enterEvent(QEnterEvent *event)
{
    QFrame::enterEvent(event);
    Q_EMIT OnMouseEnter(this);
}

void TVarnelNavBar::leaveEvent(QEvent *event)
{
    QFrame::leaveEvent(event);
    Q_EMIT OnMouseLeave(this);
}

} // namespace orvix
