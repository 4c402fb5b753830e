// The extended list view: column specs that survive header drags, rows, moves, centring,
// selection save/restore for ordinary and virtual lists, and the header's events.
#include "test_support.h"

#include "foundation/errors.h"
#include "ui/widgets/list_box_ex.h"
#include "ui/widgets/list_view_ex.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// A shown list with rows "r0".."r{n-1}" of three fields.
struct ShownList
{
    explicit ShownList(int rows = 0, const QStringList &specs = {QStringLiteral("picture:120:L:1"),
                                                                  QStringLiteral("status:70:L:2"),
                                                                  QStringLiteral("size:60:R:3")})
    {
        lv.resize(400, 300);
        lv.LoadColumns(specs);
        for (int i = 0; i < rows; ++i)
            lv.AddRange({QStringLiteral("r%1").arg(i), QStringLiteral("s%1").arg(i), QString::number(i)});
        lv.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&lv));
    }
    void clickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        lv.scrollTo(lv.Model()->index(row, 0));
        const QRect r = lv.visualRect(lv.Model()->index(row, 0));
        QTest::mouseClick(lv.viewport(), Qt::LeftButton, mods, r.center());
    }
    TListViewEx lv;
};

} // namespace

TEST(ListViewEx, ColumnSpecsGiveCaptionWidthAlignmentAndTag)
{
    TListViewEx lv;
    lv.LoadColumns({QStringLiteral("picture:230"), QStringLiteral("status:70:R"), QStringLiteral("details"),
                    QStringLiteral("size : 55 : L : 7"), QStringLiteral("when:x:R:y")});
    struct Expect { QString caption; int width; bool right; int tag; };
    const Expect expected[] = {
        {QStringLiteral("picture"), 230, false, 0},
        {QStringLiteral("status"), 70, true, 0},
        {QStringLiteral("details"), 70, false, 0},  // the width stored before
        {QStringLiteral("size"), 55, false, 7},
        {QStringLiteral("when"), 55, true, 7},      // unreadable width and tag keep the previous
    };
    ASSERT_EQ(lv.Model()->columnCount(), 5);
    for (int i = 0; i < 5; ++i) {
        const auto &c = lv.Model()->Columns().at(i);
        EXPECT_EQ(c.caption, expected[i].caption);
        EXPECT_EQ(lv.header()->sectionSize(i), expected[i].width) << i;
        EXPECT_EQ(c.rightAligned, expected[i].right) << i;
        EXPECT_EQ(c.tag, expected[i].tag) << i;
    }
    EXPECT_EQ(lv.columsCurrentSl, lv.columsOriginalSl);
}

TEST(ListViewEx, SavedLayoutWinsOverTheDesignedOne)
{
    TListViewEx lv;
    lv.columsCurrentSl = {QStringLiteral("status:90:L:2"), QStringLiteral("picture:200:L:1")};
    lv.LoadColumns({QStringLiteral("picture:120:L:1"), QStringLiteral("status:70:L:2")});
    lv.AddRange({QStringLiteral("pic"), QStringLiteral("done")});
    EXPECT_EQ(lv.Model()->Columns().at(0).caption, QStringLiteral("status"));
    EXPECT_EQ(lv.header()->sectionSize(0), 90);
    // Texts stay with their column: the status column shows the status.
    EXPECT_EQ(lv.Model()->index(0, 0).data().toString(), QStringLiteral("done"));
    EXPECT_EQ(lv.GetLVLineAr(0), (QStringList{QStringLiteral("pic"), QStringLiteral("done")}));
}

TEST(ListViewEx, HeaderDragRewritesSpecsKeepsWidthsAndFiresOnce)
{
    ShownList s(3);
    QSignalSpy finished(&s.lv, &TListViewEx::OnDraggingFinished);
    s.lv.header()->resizeSection(0, 150); // the user widened "picture" before dragging
    s.lv.header()->moveSection(1, 0);     // "status" dragged before "picture"
    ASSERT_TRUE(test::waitUntil([&] { return finished.count() > 0; }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(s.lv.columsCurrentSl, (QStringList{QStringLiteral("status:70:L:2"), QStringLiteral("picture:150:L:1"),
                                                 QStringLiteral("size:60:R:3")}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(s.lv.header()->visualIndex(i), i);
    EXPECT_EQ(s.lv.header()->sectionSize(1), 150);
    EXPECT_EQ(s.lv.Model()->index(2, 0).data().toString(), QStringLiteral("s2"));
    EXPECT_EQ(s.lv.Model()->index(2, 1).data().toString(), QStringLiteral("r2"));
    EXPECT_EQ(s.lv.GetLVLineAr(2), (QStringList{QStringLiteral("r2"), QStringLiteral("s2"), QStringLiteral("2")}));
    EXPECT_EQ(s.lv.columsOriginalSl.first(), QStringLiteral("picture:120:L:1"));
}

TEST(ListViewEx, RowsFromArraysAndLines)
{
    TListViewEx lv;
    lv.LoadColumns({QStringLiteral("a:50"), QStringLiteral("b:50"), QStringLiteral("c:50")});
    EXPECT_EQ(lv.AddRange(ArStrX{}), 0);
    EXPECT_EQ(lv.GetLVLineAr(0), QStringList{QString()});
    lv.AddRange({QStringLiteral("x"), QStringLiteral("1")});
    EXPECT_EQ(lv.AddRangeTop({QStringLiteral("top")}), 0);
    EXPECT_EQ(lv.GetLVLineAr(0), QStringList{QStringLiteral("top")});
    EXPECT_EQ(lv.GetLVLineAr(2), (QStringList{QStringLiteral("x"), QStringLiteral("1")}));
    EXPECT_TRUE(lv.GetLVLineAr(7).isEmpty());

    // Replacing keeps the row's fields: a shorter array empties the rest.
    lv.SetLVLineAr(2, {QStringLiteral("y")});
    EXPECT_EQ(lv.GetLVLineAr(2), (QStringList{QStringLiteral("y"), QString()}));
    lv.SetLVLineAr(9, {QStringLiteral("nothing")});
    EXPECT_EQ(lv.RowCount(), 3);

    lv.SetFromSL(QStringLiteral(" one | 1 \r\ntwo|2"), QLatin1Char('|'));
    ASSERT_EQ(lv.RowCount(), 2);
    EXPECT_EQ(lv.GetLVLineAr(0), (QStringList{QStringLiteral("one"), QStringLiteral("1")}));
    EXPECT_EQ(lv.GetLVLineAr(1), (QStringList{QStringLiteral("two"), QStringLiteral("2")}));
}

TEST(ListViewEx, IndexOfCaptionFindsTheFirstRowFromTheTopThroughEveryChange)
{
    TListViewEx lv;
    lv.LoadColumns({QStringLiteral("url:100"), QStringLiteral("status:50")});
    lv.AddToTop = true;
    lv.AddRange({QStringLiteral("http://a/"), QStringLiteral("old")});
    lv.AddRange({QStringLiteral("http://b/")});
    lv.AddRange({QStringLiteral(" HTTP://A/ "), QStringLiteral("new")}); // same caption, on top
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://a/")), 0);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("  http://B/")), 1);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://c/")), -1);

    lv.RemoveRow(0);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://a/")), 1);
    lv.ExchangeItems(0, 1);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://a/")), 0);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://b/")), 1);
    lv.SetLVLineAr(0, {QStringLiteral("http://c/")});
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://a/")), -1);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://c/")), 0);
    lv.AddToTop = false;
    lv.AddRange({QStringLiteral("http://c/")});
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://c/")), 0);
    lv.Clear();
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("http://c/")), -1);
}

TEST(ListViewEx, MoveSelectedSwapsWithItsNeighbourAndStopsAtTheEnds)
{
    ShownList s(3);
    s.lv.Model()->SetCheckboxes(true);
    s.lv.Model()->SetChecked(1, true);
    s.clickRow(1);
    EXPECT_EQ(s.lv.GetText_K(), QStringLiteral("r1"));
    s.lv.MoveSelectedByX(1);
    EXPECT_EQ(s.lv.GetLVLineAr(2).first(), QStringLiteral("r1"));
    EXPECT_EQ(s.lv.GetLVLineAr(1).first(), QStringLiteral("r2"));
    EXPECT_TRUE(s.lv.Model()->Checked(2));
    EXPECT_FALSE(s.lv.Model()->Checked(1));
    EXPECT_EQ(s.lv.SelectedRow(), 2);

    s.lv.MoveSelectedByX(1); // already last
    EXPECT_EQ(s.lv.GetLVLineAr(2).first(), QStringLiteral("r1"));
    EXPECT_EQ(s.lv.SelectedRow(), 2);

    s.lv.AddRange({QStringLiteral("short")});
    s.clickRow(3);
    try {
        s.lv.MoveSelectedByX(-1);
        FAIL() << "rows of different length were exchanged";
    } catch (const EOrvix &e) {
        EXPECT_EQ(e.message(), QStringLiteral("cannot exhcange rows"));
    }

    s.clickRow(0);
    s.lv.MoveFocusByX(-5);
    EXPECT_EQ(s.lv.SelectedRow(), 0);
    s.lv.MoveFocusByX(10);
    EXPECT_EQ(s.lv.SelectedRow(), 3);
}

TEST(ListViewEx, CentringPutsTheRowInTheMiddle)
{
    ShownList s(100);
    const int perPage = s.lv.ItemsPerPage();
    ASSERT_GT(perPage, 4);
    s.lv.EnsureVisibleCentered(3);
    EXPECT_EQ(s.lv.GetTopItem(), 0);
    s.lv.EnsureVisibleCentered(50);
    EXPECT_EQ(s.lv.GetTopItem(), 50 - perPage / 2);
    s.lv.SetTopItem(7);
    EXPECT_EQ(s.lv.GetTopItem(), 7);
    EXPECT_TRUE(s.lv.IsTopItemChanged());
    EXPECT_FALSE(s.lv.IsTopItemChanged());
    s.lv.EnsureVisibleCentered(-1); // nothing
    EXPECT_EQ(s.lv.GetTopItem(), 7);
    try {
        s.lv.EnsureVisibleCentered(100);
        FAIL() << "a row past the end was accepted";
    } catch (const EOrvix &e) {
        EXPECT_EQ(e.message(), QStringLiteral("SPropertyOutOfRange"));
    }
    s.lv.SelectItemIdCentered_OrNearer(100);
    EXPECT_EQ(s.lv.SelectedRow(), 99);
}

TEST(ListViewEx, OrdinarySelectionIsRestoredOrMovesToTheNewLastRow)
{
    ShownList s(60);
    s.lv.SetTopItem(20);
    s.clickRow(25);
    s.lv.SaveSelectionExXX();
    s.clickRow(22);
    s.lv.SetTopItem(0);
    s.lv.RestoreSelectionExXX();
    EXPECT_EQ(s.lv.SelectedRow(), 25);
    EXPECT_EQ(s.lv.GetTopItem(), 20);

    s.clickRow(59);
    s.lv.SaveSelection2();
    s.lv.RemoveRow(59);
    s.lv.RestoreSelection2();
    EXPECT_EQ(s.lv.SelectedRow(), 58);
}

TEST(ListViewEx, VirtualSelectionFollowsRecordIdsQuietly)
{
    TListViewEx lv;
    lv.resize(300, 200);
    lv.LoadColumns({QStringLiteral("name:100")});
    QList<int> ids = {10, 11, 12, 13, 14, 15};
    lv.SetVirtual([&](int row, int) { return QStringLiteral("rec%1").arg(ids.value(row)); });
    for (int id : ids)
        lv.LvItems.Add(id);
    lv.SetItemsCount(int(ids.size()));
    lv.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lv));

    auto click = [&](int row, Qt::KeyboardModifiers mods) {
        QTest::mouseClick(lv.viewport(), Qt::LeftButton, mods, lv.visualRect(lv.Model()->index(row, 0)).center());
    };
    click(1, Qt::NoModifier);
    click(4, Qt::ControlModifier);
    ASSERT_EQ(lv.SelectedRows(), (QList<int>{1, 4}));
    lv.SaveSelectionExXX();
    EXPECT_EQ(lv.selectedRecordId, (QList<int>{11, 14}));

    // The records are shown in another order now.
    ids = {14, 15, 10, 11, 12, 13};
    lv.LvItems.Clear();
    for (int id : ids)
        lv.LvItems.Add(id);
    lv.SetItemsCount(int(ids.size()));
    QSignalSpy changed(&lv, &TListViewEx::OnSelectionChanged);
    lv.RestoreSelectionExXX();
    EXPECT_EQ(lv.SelectedRows(), (QList<int>{0, 3}));
    EXPECT_EQ(lv.currentIndex().row(), 0);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(lv.IndexOf_CI(QStringLiteral("REC12")), 4);
}

TEST(ListViewEx, HeaderResizeEndsOnceAndRightClickShowsTheHeaderMenu)
{
    ShownList s(2);
    QSignalSpy resized(&s.lv, &TListViewEx::OnResizingFinished);
    QWidget *hv = s.lv.header()->viewport();
    const int edge = s.lv.header()->sectionViewportPosition(0) + s.lv.header()->sectionSize(0) - 1;
    const int y = s.lv.header()->height() / 2;
    QTest::mousePress(hv, Qt::LeftButton, Qt::NoModifier, QPoint(edge, y));
    QTest::mouseMove(hv, QPoint(edge + 30, y));
    EXPECT_TRUE(s.lv.LvResizingColumn);
    QTest::mouseRelease(hv, Qt::LeftButton, Qt::NoModifier, QPoint(edge + 30, y));
    EXPECT_EQ(resized.count(), 1);
    EXPECT_FALSE(s.lv.LvResizingColumn);
    EXPECT_GT(s.lv.header()->sectionSize(0), 120);

    QMenu menu;
    menu.addAction(QStringLiteral("Reset columns"));
    s.lv.PopupMenu_Header = &menu;
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(10, y), hv->mapToGlobal(QPoint(10, y)));
    QApplication::sendEvent(hv, &rightClick);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST(ListBoxEx, VerticalScrollIsReported)
{
    TListBoxEx lb;
    lb.resize(100, 60);
    for (int i = 0; i < 50; ++i)
        lb.addItem(QString::number(i));
    lb.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&lb));
    QSignalSpy scrolled(&lb, &TListBoxEx::OnVerticalScroll);
    QTest::keyClick(&lb, Qt::Key_End);
    EXPECT_GE(scrolled.count(), 1);
}
