#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>

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
    // A home of the test's own: the default pictures folder, the browser engine's profile and
    // the desktop's folders lie under it, and nothing a test saves may reach the real home,
    // where the next run would find it.
    QTemporaryDir home;
    if (home.isValid())
        qputenv("HOME", QFile::encodeName(home.path()));
    ::testing::InitGoogleTest(&argc, argv);
    TestApp app(argc, argv);
    return RUN_ALL_TESTS();
}
