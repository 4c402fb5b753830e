// The caption panel (dragging, limits, frame, close button) and its two companions.
#include "test_support.h"

#include "foundation/dialogs.h"
#include "ui/widgets/caption_panel.h"
#include "ui/widgets/main_menu_k.h"
#include "ui/widgets/panel_x.h"

#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct Floating
{
    Floating()
    {
        parent.resize(800, 600);
        panel = new TCaptionPanelK(QStringLiteral("Messages"), &parent);
        panel->setGeometry(100, 100, 379, 200);
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    // Drags by the caption bar from (50, 10) by (dx, dy).
    void drag(int dx, int dy, QWidget *by = nullptr)
    {
        QWidget *bar = by ? by : panel->headerPanel();
        const QPoint start(by ? 2 : 50, by ? 2 : 10);
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(bar, start + QPoint(dx, dy));
        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, start + QPoint(dx, dy));
    }
    QWidget parent;
    TCaptionPanelK *panel;
};

} // namespace

TEST(CaptionPanel, DraggingIsLimitedSoTheHeaderStaysReachable)
{
    struct Case { QPoint from; QPoint by; QPoint expected; };
    const Case cases[] = {
        {{100, 100}, {-700, 0}, {-279, 100}},  // left -600 with width 379: 100 pixels stay visible
        {{100, 100}, {0, -120}, {100, 0}},     // top -20
        {{100, 100}, {0, 480}, {100, 500}},    // 20 above the bottom edge: client height - 100
        {{100, 100}, {650, 0}, {700, 100}},    // right edge: client width - 100
        {{100, 100}, {30, 40}, {130, 140}},    // an ordinary drag
    };
    for (const Case &c : cases) {
        Floating f;
        f.panel->move(c.from);
        QSignalSpy up(f.panel, &TCaptionPanelK::OnMouseUp);
        f.drag(c.by.x(), c.by.y());
        EXPECT_EQ(f.panel->pos(), c.expected) << c.by.x() << "," << c.by.y();
        EXPECT_EQ(up.count(), 1);
    }
    Floating byTitle;
    byTitle.drag(25, 5, byTitle.panel->headerLabel());
    EXPECT_EQ(byTitle.panel->pos(), QPoint(125, 105));
}

TEST(CaptionPanel, AlignedPanelsDoNotMoveButStillReportMouseUp)
{
    QWidget parent;
    auto *layout = new QVBoxLayout(&parent);
    auto *panel = new TCaptionPanelK(QStringLiteral("Docked"), &parent);
    layout->addWidget(panel);
    parent.resize(400, 300);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const QPoint before = panel->pos();
    QSignalSpy up(panel, &TCaptionPanelK::OnMouseUp);
    QTest::mousePress(panel->headerPanel(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    QTest::mouseMove(panel->headerPanel(), QPoint(120, 60));
    QTest::mouseRelease(panel->headerPanel(), Qt::LeftButton, Qt::NoModifier, QPoint(120, 60));
    EXPECT_EQ(panel->pos(), before);
    EXPECT_EQ(up.count(), 1);
}

TEST(CaptionPanel, Tag888HasNoSizingFrameOthersResizeByTheirFrame)
{
    Floating f;
    const int frame = TCaptionPanelK::kSizingFrame;
    EXPECT_EQ(f.panel->headerPanel()->geometry().topLeft(), QPoint(frame, frame));
    EXPECT_EQ(f.panel->headerPanel()->width(), f.panel->width() - 2 * frame);
    EXPECT_EQ(f.panel->headerPanel()->height(), 22);
    EXPECT_EQ(f.panel->headerLabel()->pos(), QPoint(5, 5));

    // Dragging the right frame edge resizes.
    const QPoint edge(f.panel->width() - 2, 100);
    QTest::mousePress(f.panel, Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseMove(f.panel, edge + QPoint(50, 0));
    QTest::mouseRelease(f.panel, Qt::LeftButton, Qt::NoModifier, edge + QPoint(50, 0));
    EXPECT_EQ(f.panel->width(), 379 + 50);

    f.panel->setTag(888);
    f.panel->layout()->activate();
    EXPECT_EQ(f.panel->headerPanel()->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(f.panel->headerPanel()->width(), f.panel->width());
    const QSize size = f.panel->size();
    QTest::mousePress(f.panel, Qt::LeftButton, Qt::NoModifier, QPoint(f.panel->width() - 1, 100));
    QTest::mouseMove(f.panel, QPoint(f.panel->width() + 49, 100));
    QTest::mouseRelease(f.panel, Qt::LeftButton, Qt::NoModifier, QPoint(f.panel->width() + 49, 100));
    EXPECT_EQ(f.panel->size(), size);
}

TEST(CaptionPanel, CloseButtonOnlyTellsTheOwner)
{
    Floating f;
    f.panel->show();
    QSignalSpy closed(f.panel, &TCaptionPanelK::OnButtonClick);
    QTest::mouseClick(f.panel->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.first().first().value<QObject *>(), f.panel);
    EXPECT_TRUE(f.panel->isVisible());
}

TEST(CaptionPanel, WithoutAParentTheUserIsTold)
{
    ScriptedDialogs dialogs;
    ScopedDialogs scope(dialogs);
    TCaptionPanelK loose(QStringLiteral("x"), nullptr);
    loose.setObjectName(QStringLiteral("panelDebug"));
    loose.move(-50, -30);
    loose.MakeHeaderVisible();
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: CaptionPanelK [panelDebug] does not have a parent")});
    EXPECT_EQ(loose.pos().y(), 0);
}

TEST(MainMenuK, AddsASeparatorLineUnderTheMenuOfAMainWindowOnly)
{
    QMainWindow window;
    auto *menu = new TMainMenuK(&window);
    menu->addMenu(QStringLiteral("&File"));
    window.setMenuBar(menu);
    window.setCentralWidget(new QWidget);
    window.resize(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_NE(menu->Separator(), nullptr);
    EXPECT_EQ(menu->Separator()->height(), 2);
    EXPECT_EQ(menu->Separator()->geometry().bottom(), menu->height() - 1);
    EXPECT_EQ(menu->Separator()->width(), menu->width());

    ScriptedDialogs dialogs;
    ScopedDialogs scope(dialogs);
    QWidget notAForm;
    TMainMenuK stray(&notAForm);
    EXPECT_EQ(stray.Separator(), nullptr);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: TMainMenuK parent is not a form")});
}
