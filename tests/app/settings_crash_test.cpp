#include "settings_test_support.h"

#include "app/program_settings.h"
#include "library/qt_print.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <signal.h>

using namespace orvix;
using orvix::test::SettingsTest;

// A process killed in the middle of a save leaves a whole settings file: the previous one or
// the new one, never a part.
TEST_F(SettingsTest, KilledSaveLeavesAWholeFile)
{
    QRandomGenerator rng(42);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        QProcess saver;
        saver.start(ORVIX_SETTINGS_SAVE_HELPER, {folder});
        ASSERT_TRUE(saver.waitForStarted());
        ASSERT_TRUE(saver.waitForReadyRead(30000)); // at least one save done
        QThread::msleep(rng.bounded(5, 120));
        ::kill(pid_t(saver.processId()), SIGKILL);
        ASSERT_TRUE(saver.waitForFinished(10000));

        SettingsValueMap controls;
        AddProgramSettingsControls(controls);
        TVarnelProject store(controls);
        store.setPropertiesList(ApplicationSettingsEntries());
        store.SetSingleProject();
        const QString generation = controls.text("edStartPage").mid(4);
        ASSERT_FALSE(generation.isEmpty());
        EXPECT_EQ(controls.text("edOutputPath"), "end " + generation);
        const QStringList lines = controls.lines("edMinimizedWebPanelUrls");
        EXPECT_EQ(lines.size(), 100000);
        EXPECT_EQ(lines.count("line " + generation), lines.size());
    }
}
