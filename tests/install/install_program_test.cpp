// The built program as the user meets it: installing unattended, the wizard finishing the job,
// the installed copy removing itself; which names and folders show the wizard at all.
#include "install_fixture.h"
#include "test_support.h"

#include "foundation/dialogs.h"
#include "install/form_install.h"
#include "install/install_switches.h"
#include "ui/widgets/directory_edit.h"
#include "ui/widgets/page_control_k.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString output;
};

ProgramRun runProgram(const test::InstallHome &home, const QString &program, const QStringList &args, int timeoutMs = 60000)
{
    QProcess p;
    p.setProcessEnvironment(home.environment());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    ProgramRun r;
    r.finished = p.waitForFinished(timeoutMs);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    r.exitCode = p.exitCode();
    r.output = QString::fromLocal8Bit(p.readAll());
    return r;
}

} // namespace

TEST(InstalledProgramTest, UnattendedInstallThenTheWizardThenTheCopyRemovesItself)
{
    test::InstallHome home;
    const QString dir = home.root() + "/apps/Orvix Downloader";
    const ProgramRun install = runProgram(home, test::ProgramFile(),
                                   {"ForceInstall", "AutoStart", "AutoExit", "InstallationPath=" + dir, "DesktopIcon=1",
                                    "StartMenuEntry=1", "LocalProfile=0"});
    ASSERT_TRUE(install.finished) << install.output.toStdString();
    EXPECT_EQ(install.exitCode, 10) << install.output.toStdString();
    const QString installed = dir + "/OrvixDownloader";
    EXPECT_TRUE(test::SameBytes(installed, test::ProgramFile()));
    EXPECT_TRUE(QFileInfo(installed).isExecutable());
    EXPECT_TRUE(QFileInfo::exists(installed + ".roaming"));
    const InstallerPaths paths = home.paths(test::ProgramFile());
    EXPECT_TRUE(paths.InstallIniPath.startsWith(home.dataHome() + "OrvixDownloader/Varnel Software/"))
        << paths.InstallIniPath.toStdString();
    EXPECT_EQ(RememberedInstallFolder(paths.InstallIniPath), dir + "/");
    EXPECT_FALSE(QFileInfo::exists(paths.DesktopShortcut()));
    EXPECT_FALSE(QFileInfo::exists(paths.StartMenuFolder)) << "an unattended installation creates no entries";

    // The wizard of the same program proposes that folder; its own button finishes the job.
    ScriptedDialogs dialogs;
    ScopedDialogs guard(dialogs);
    InstallerSystem system = InstallerSystem::ForThisProcess(paths);
    system.isProgramRunning = [] { return false; };
    TFormInstall wizard(paths, InstallSwitches{}, system, false);
    wizard.show();
    EXPECT_EQ(wizard.edInstallationPath1->text(), dir + "/");
    EXPECT_TRUE(wizard.cbDesktopIcon->isChecked());
    EXPECT_TRUE(wizard.cbStartMenuIcon->isChecked());
    wizard.bInstall->click();
    EXPECT_EQ(wizard.pages()->ActivePage(), wizard.tsCompleted);
    EXPECT_EQ(dialogs.shown(), QStringList());
    for (const QString &entry : {paths.DesktopShortcut(), paths.StartMenuShortcut(), paths.UninstallShortcut()}) {
        ASSERT_TRUE(QFileInfo::exists(entry)) << entry.toStdString();
        EXPECT_EQ(test::ValidateDesktopEntry(entry), QString()) << entry.toStdString();
    }
    wizard.close();

    // What the menu's "Uninstall" entry starts, unattended.
    const ProgramRun uninstall = runProgram(home, installed, {"uninstall", "AutoStart", "AutoExit", "Uninstall"});
    ASSERT_TRUE(uninstall.finished) << uninstall.output.toStdString();
    EXPECT_EQ(uninstall.exitCode, 11) << uninstall.output.toStdString();
    EXPECT_TRUE(test::waitUntil([&] { return !QFileInfo::exists(dir); }, 10000)) << "the program file and its folder go";
    for (const QString &entry : {paths.DesktopShortcut(), paths.StartMenuShortcut(), paths.UninstallShortcut()})
        EXPECT_FALSE(QFileInfo::exists(entry)) << entry.toStdString();
    EXPECT_FALSE(QFileInfo::exists(paths.StartMenuFolder));
    EXPECT_FALSE(QFileInfo::exists(home.dataHome() + "icons/hicolor/48x48/apps/orvix.png"));
}

TEST(InstalledProgramTest, SetupNameOrDesktopShowsTheWizardElseTheProgramStarts)
{
    test::InstallHome home;
    const QString settings = home.root() + "/settings";
    struct Case {
        const char *what;
        QString program;
        bool wizard;
    } cases[] = {
        {"setup name", home.root() + "/Downloads/OrvixDownloader_setup", true},
        {"on the desktop", home.desktop() + "OrvixDownloader", true},
        {"elsewhere", home.root() + "/apps/OrvixDownloader", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(test::CopyProgram(test::ProgramFile(), c.program));
        const QString dir = home.root() + "/target-" + QFileInfo(QFileInfo(c.program).absolutePath()).fileName();
        // Started without "ForceInstall": only the name or the folder can bring the wizard.
        const QStringList args{"AutoStart", "AutoExit", "InstallationPath=" + dir, "settings=" + settings,
                               "site=127.0.0.1:1", "maker=127.0.0.1:1", "nomutex"};
        if (c.wizard) {
            const ProgramRun r = runProgram(home, c.program, args);
            EXPECT_EQ(r.exitCode, 10) << r.output.toStdString();
            EXPECT_TRUE(QFileInfo::exists(dir + "/OrvixDownloader"));
            continue;
        }
        QProcess p;
        p.setProcessEnvironment(home.environment());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(c.program, args);
        // The program itself takes its session slot once its window is made.
        EXPECT_TRUE(test::waitUntil([&] { return QFileInfo::exists(settings + "/orvix_sessions"); }, 60000))
            << p.readAll().toStdString();
        EXPECT_EQ(p.state(), QProcess::Running);
        EXPECT_FALSE(QFileInfo::exists(dir));
        p.terminate();
        if (!p.waitForFinished(20000)) {
            p.kill();
            p.waitForFinished();
        }
    }
}

// An unattended run ends on each refusal too, with 1, instead of waiting on a page nobody reads.
TEST(InstalledProgramTest, UnattendedRefusalsEndTheRunWithOne)
{
    test::InstallHome home;
    QDir().mkpath(home.desktop());
    // Another copy of the installed program running: a process of that name.
    const QString other = home.root() + "/running/OrvixDownloader";
    ASSERT_TRUE(QDir().mkpath(QFileInfo(other).absolutePath()));
    ASSERT_TRUE(QFile::copy("/bin/sleep", other));
    QProcess running;
    running.start(other, {"120"});
    ASSERT_TRUE(running.waitForStarted(10000));
    struct Case {
        const char *what;
        QString folder;
        bool otherRunning;
        const char *message;
    } cases[] = {
        {"program running", home.root() + "/apps/Orvix", true,
         "The program is already running. Please close all instanses before installing"},
        {"root folder", "/", false, "Cannot install at this location"},
        {"desktop folder", home.desktop(), false, "Cannot install at this location"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.otherRunning) {
            running.kill();
            running.waitForFinished(10000);
        }
        const ProgramRun r = runProgram(home, test::ProgramFile(),
                                        {"ForceInstall", "AutoStart", "AutoExit", "InstallationPath=" + c.folder}, 30000);
        EXPECT_TRUE(r.finished) << r.output.toStdString();
        EXPECT_EQ(r.exitCode, 1) << r.output.toStdString();
        EXPECT_TRUE(r.output.contains(QLatin1String(c.message))) << r.output.toStdString();
        EXPECT_FALSE(QFileInfo::exists(c.folder + "/OrvixDownloader"));
    }
    running.kill();
    running.waitForFinished(10000);
}
