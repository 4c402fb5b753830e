// Page controls with hidden tabs and the navigation bar that drives them.
#include "test_support.h"

#include "foundation/errors.h"
#include "ui/widgets/nav_bar.h"
#include "ui/widgets/nav_bar_frame.h"
#include "ui/widgets/tab_sheet_x.h"
#include "ui/widgets/varnel_page_control_x.h"

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct Pages
{
    explicit Pages(const QStringList &captions)
    {
        pc.resize(300, 200);
        for (const QString &c : captions)
            pc.AddPage(c);
        pc.setOnChangeX([this](QObject *sender) {
            senders.append(sender);
            active.append(pc.ActivePageIndex());
        });
    }
    TVarnelPageControlX pc;
    QList<QObject *> senders;
    QList<int> active;
};

QString errorOf(const std::function<void()> &fn)
{
    try {
        fn();
    } catch (const EOrvix &e) {
        return e.message();
    }
    return QString();
}

} // namespace

TEST(PageControl, LoadingShowsTheFirstPageAndFiresForIt)
{
    Pages p({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    p.pc.setActivePageIndex(2); // as stored
    EXPECT_TRUE(p.active.isEmpty()); // nothing fires before loading
    p.pc.Loaded();
    EXPECT_EQ(p.pc.ActivePageIndex(), 0);
    EXPECT_EQ(p.active, QList<int>{0});
    EXPECT_TRUE(p.pc.Pages(0)->isVisibleTo(&p.pc));
    EXPECT_FALSE(p.pc.Pages(2)->isVisibleTo(&p.pc));

    p.pc.SetTab(0); // the same page again
    p.pc.SetTab(p.pc.Pages(1));
    EXPECT_EQ(p.active, (QList<int>{0, 0, 1}));
    EXPECT_EQ(p.senders.last(), &p.pc);

    TVarnelPageControlX other;
    auto *foreign = other.AddPage(QStringLiteral("x"));
    p.pc.setActivePage(foreign);
    EXPECT_EQ(p.pc.ActivePageIndex(), 1);
}

TEST(PageControl, UserTabClicksFireOnChangeX)
{
    Pages p({QStringLiteral("one"), QStringLiteral("two")});
    p.pc.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.pc));
    ASSERT_TRUE(p.pc.IsLoaded());
    p.active.clear();
    QTest::mouseClick(p.pc.TabBar(), Qt::LeftButton, Qt::NoModifier, p.pc.TabBar()->tabRect(1).center());
    EXPECT_EQ(p.pc.ActivePageIndex(), 1);
    EXPECT_EQ(p.active, QList<int>{1});
    EXPECT_EQ(p.pc.Pages(1)->geometry().top(), p.pc.TabBar()->sizeHint().height());
}

TEST(PageControl, HidingTabsKeepsThePageFiresOnceAndFillsTheControl)
{
    Pages p({QStringLiteral("one"), QStringLiteral("two")});
    p.pc.setClientBorderWidth(3);
    p.pc.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.pc));
    p.pc.SetTab(1);
    p.active.clear();
    p.pc.setHideAllTabs(true);
    EXPECT_EQ(p.active, QList<int>{1});
    EXPECT_EQ(p.pc.ClientBorderWidth(), 0);
    EXPECT_EQ(p.pc.Pages(1)->geometry(), p.pc.rect());
    EXPECT_FALSE(p.pc.TabBar()->isVisible());
    EXPECT_EQ(p.pc.Pages(1)->TabIndex(), -1);
    p.pc.setHideAllTabs(false);
    EXPECT_EQ(p.pc.Pages(1)->TabIndex(), 1);
    EXPECT_GT(p.pc.Pages(1)->geometry().top(), 0);
}

TEST(PageControl, NoPagesStillFiresAndHighlightNeedsAControl)
{
    TVarnelPageControlX pc;
    int fired = 0;
    pc.setOnChangeX([&](QObject *) { ++fired; });
    pc.Loaded();
    EXPECT_EQ(fired, 1);
    pc.setActivePageIndex(0);
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(pc.ActivePage(), nullptr);

    TTabSheetX loose(QStringLiteral("loose"));
    EXPECT_EQ(errorOf([&] { loose.setHighlighted(true); }), QStringLiteral("PageControl must first be assigned"));
}

TEST(NavBar, BuildsLabelsRadiosAndTreeFromCaptions)
{
    Pages p({QStringLiteral("General"), QStringLiteral("_Hidden"), QStringLiteral("Browsing"), QStringLiteral("Other")});
    TVarnelNavBar bar;
    bar.setPagecontrol(&p.pc);
    QWidget *level3 = bar.Frame()->Panel_NAVBAR_Level3;
    const int top = bar.Frame()->label_NAVBAR_dummy->y();
    const struct { QString name; QString text; int row; } labels[] = {
        {QStringLiteral("navlabel_0"), QStringLiteral("General"), 0},
        {QStringLiteral("navlabel_2"), QStringLiteral("Browsing"), 1},
        {QStringLiteral("navlabel_3"), QStringLiteral("Other"), 2},
    };
    for (const auto &l : labels) {
        auto *label = level3->findChild<QLabel *>(l.name);
        ASSERT_NE(label, nullptr) << l.name.toStdString();
        EXPECT_EQ(label->text(), l.text);
        EXPECT_EQ(label->y(), top + l.row * 22);
        auto *radio = bar.Frame()->Panel_RADIO->findChild<QRadioButton *>(QStringLiteral("navradio_") + l.name.mid(9));
        ASSERT_NE(radio, nullptr);
        EXPECT_EQ(radio->y(), bar.Frame()->radio_NAVBAR_dummy->y() + l.row * 22);
    }
    EXPECT_EQ(level3->findChild<QLabel *>(QStringLiteral("navlabel_1")), nullptr);
    EXPECT_FALSE(bar.Frame()->label_NAVBAR_dummy->isVisibleTo(&bar));
    QTreeWidget *tree = bar.Frame()->TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("Browsing"));

    bar.Regenerate(); // rebuilding does not pile up entries
    EXPECT_EQ(level3->findChildren<QLabel *>(Qt::FindDirectChildrenOnly).size(), 4);
}

TEST(NavBar, TreeLevelsAndTheirErrors)
{
    Pages p({QStringLiteral("a,Top"), QStringLiteral("bb,Child"), QStringLiteral("cc,Child2"), QStringLiteral("d,Next")});
    TVarnelNavBar bar;
    bar.setPagecontrol(&p.pc);
    QTreeWidget *tree = bar.Frame()->TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->child(1)->text(0), QStringLiteral("Child2"));
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());
    // Labels are indented by the level prefix (one space of indent counts as none).
    EXPECT_EQ(bar.Frame()->Panel_NAVBAR_Level3->findChild<QLabel *>(QStringLiteral("navlabel_1"))->text(),
              QStringLiteral("  Child"));

    const struct { QStringList captions; QString error; } bad[] = {
        {{QStringLiteral("a,Top"), QStringLiteral("ccc,Deep")}, QStringLiteral("Please Add one level at a time")},
        {{QStringLiteral("a,Top"), QStringLiteral("xxxxxxxxxxx,Eleven")}, QStringLiteral("Max levels reached")},
        {{QStringLiteral("x,Same"), QStringLiteral("Same")}, QStringLiteral("Duplicate tab name Same")},
        {{QStringLiteral("_x,Same"), QStringLiteral("Same")}, QStringLiteral("Duplicate tab name Same")},
    };
    for (const auto &b : bad) {
        Pages q(b.captions);
        TVarnelNavBar other;
        EXPECT_EQ(errorOf([&] { other.setPagecontrol(&q.pc); }), b.error) << b.captions.join(' ').toStdString();
    }
    EXPECT_EQ(errorOf([&] { bar.setKind(3); }), QStringLiteral("Unknown navbar kind"));
    bar.setKind(navTree);
    EXPECT_EQ(bar.kind(), navTree);

    delete bar.Frame()->label_NAVBAR_dummy;
    EXPECT_EQ(errorOf([&] { bar.Regenerate(); }), QStringLiteral("dummy component not found 2"));
}

TEST(NavBar, PageControlAndViewsStayInStepBothWays)
{
    Pages p({QStringLiteral("General"), QStringLiteral("Browsing"), QStringLiteral("Other")});
    p.pc.Loaded();
    p.senders.clear();
    p.active.clear();
    TVarnelNavBar bar;
    bar.setPagecontrol(&p.pc);
    bar.resize(180, 300);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QSignalSpy tabChange(&bar, &TVarnelNavBar::OnTabChange);

    p.pc.SetTab(1); // by code
    auto *label1 = bar.Frame()->Panel_NAVBAR_Level3->findChild<QLabel *>(QStringLiteral("navlabel_1"));
    auto *label0 = bar.Frame()->Panel_NAVBAR_Level3->findChild<QLabel *>(QStringLiteral("navlabel_0"));
    EXPECT_EQ(label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(label1->font().bold());
    EXPECT_EQ(label0->palette().color(QPalette::WindowText), QColor(TFrame2::kTitleColor));
    EXPECT_TRUE(bar.Frame()->Panel_RADIO->findChild<QRadioButton *>(QStringLiteral("navradio_1"))->isChecked());
    EXPECT_EQ(bar.Frame()->TreeView1->currentItem()->text(0), QStringLiteral("Browsing"));
    EXPECT_EQ(tabChange.count(), 1);
    EXPECT_EQ(p.senders, QList<QObject *>{&bar}); // the earlier handler still runs, with the bar as sender

    // By the user: a label click in the classic view.
    QTest::mouseClick(bar.Frame()->Panel_NAVBAR_Level3->findChild<QLabel *>(QStringLiteral("navlabel_2")),
                      Qt::LeftButton);
    EXPECT_EQ(p.pc.ActivePageIndex(), 2);
    EXPECT_EQ(p.active.last(), 2);

    // Keyboard in the tree.
    bar.setKind(navTree);
    QTreeWidget *tree = bar.Frame()->TreeView1;
    tree->setFocus();
    ASSERT_TRUE(test::waitUntil([&] { return tree->hasFocus(); }, 2000));
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(p.pc.ActivePageIndex(), 1);

    const int before = int(tabChange.count());
    bar.SelectTab(-1);
    EXPECT_EQ(tabChange.count(), before);
    EXPECT_EQ(p.pc.ActivePageIndex(), 1);
}
