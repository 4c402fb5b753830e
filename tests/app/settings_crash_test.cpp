#include "settings_test_support.h"

#include "app/program_settings.h"
#include "library/qt_print.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <signal.h>

using namespace orvix;
using orvix::test::SettingsTest;

namespace {

// True while a save is visibly writing: a temporary file beside the settings file, or the
// settings file itself shorter than a whole one. (A temporary file may also have no name until
// it is committed; the kill then lands at the deadline, somewhere in a save.)
bool saveInProgress(const QString &folder, qint64 wholeSize)
{
    if (!QDir(folder).entryList({"OrvixDownloader.ini?*"}, QDir::Files | QDir::Hidden).isEmpty())
        return true;
    return QFileInfo(folder + "OrvixDownloader.ini").size() < wholeSize - 1000;
}

} // namespace

// A process killed in the middle of a save leaves a whole settings file: the previous one or
// the new one, never a part. The kill is aimed at the moment the file is being written.
TEST_F(SettingsTest, KilledSaveLeavesAWholeFile)
{
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        QProcess saver;
        saver.start(ORVIX_SETTINGS_SAVE_HELPER, {folder});
        ASSERT_TRUE(saver.waitForStarted());
        ASSERT_TRUE(saver.waitForReadyRead(30000)); // one whole save done
        const qint64 wholeSize = QFileInfo(path("OrvixDownloader.ini")).size();
        QDeadlineTimer deadline(1000); // a few saves
        while (!deadline.hasExpired() && !saveInProgress(folder, wholeSize)) {
        }
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
        EXPECT_EQ(lines.size(), 200);
        EXPECT_EQ(lines.count("line " + generation + QString(50000, 'x')), lines.size());
    }
}
