#include "test_support.h"

#include <gtest/gtest.h>

#ifdef ORVIX_TEST_GUI
#include <QApplication>
using TestApp = QApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    orvix::test::applyHeadlessDefaults();
    ::testing::InitGoogleTest(&argc, argv);
    TestApp app(argc, argv);
    return RUN_ALL_TESTS();
}
