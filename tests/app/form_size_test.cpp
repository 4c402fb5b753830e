#include "app/form_size.h"
#include "library/qt_print.h"

#include <gtest/gtest.h>

using namespace orvix;

namespace {
const QRect kWork(0, 0, 1600, 880);
}

TEST(FormSize, StoredValue)
{
    EXPECT_EQ(FormSizeValue(QRect(10, 20, 800, 600), false, kWork), "10,20,800,600,Normal");
    EXPECT_EQ(FormSizeValue(QRect(10, 20, 800, 600), true, kWork), "100,110,1400,660,Max");
    EXPECT_EQ(FormSizeValue(QRect(-100, -100, 800, 600), false, kWork), "-100,-100,800,600,Normal");
    EXPECT_EQ(FormSizeValue(QRect(-101, 0, 800, 600), false, kWork), "");
    EXPECT_EQ(FormSizeValue(QRect(0, -101, 800, 600), false, kWork), "");
}

TEST(FormSize, PlacementForStoredValue)
{
    const FormPlacement fill{true, QPoint(0, 0), true, kWork.size(), false};
    const FormPlacement max{true, QPoint(0, 0), true, kWork.size(), true};
    struct Case {
        const char *stored;
        FormPlacement placement;
    } cases[] = {
        {"", fill},
        {"10,20,800,600,Normal", {true, QPoint(10, 20), true, QSize(800, 600), false}},
        {"10,20,800,600", {true, QPoint(10, 20), true, QSize(800, 600), false}},  // padded
        {"10,20,0,600,Normal", {true, QPoint(10, 20), false, QSize(), false}},     // bad size kept
        {"10,20,wide,600,Normal", {true, QPoint(10, 20), false, QSize(), false}},
        {"100,110,1400,660,Max", max},
        {"-150,20,800,600,Normal", max},  // far off screen
        {"10,-101,800,600,Normal", max},
        {"x,20,800,600,Normal", max},      // unreadable position
        {"10", max},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FormPlacementFor(c.stored, kWork), c.placement) << c.stored;
}
