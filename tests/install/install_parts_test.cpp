// The installer's parts without the wizard: switches, the decision rule, desktop entries, the
// process table, the delayed delete.
#include "install_fixture.h"
#include "test_support.h"

#include "foundation/command_line.h"
#include "install/desktop_entries.h"
#include "install/install_actions.h"
#include "install/install_switches.h"
#include "install/process_table.h"
#include "install/self_delete.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct ArgsGuard {
    explicit ArgsGuard(const QStringList &args) { SetCommandLineArgs(args); }
    ~ArgsGuard() { SetCommandLineArgs({}); }
};

} // namespace

TEST(InstallSwitchesTest, BothSeparatorsSlashesAndBoxValues)
{
    struct Case {
        QStringList args;
        QString path;
        std::optional<bool> desktop, startMenu, roaming;
    } cases[] = {
        {{"/InstallationPath:/home/a/Tools"}, "/home/a/Tools", {}, {}, {}},
        {{"/InstallationPath=/home/a/Tools"}, "/home/a/Tools", {}, {}, {}},
        {{"InstallationPath=/home/a/my tools"}, "/home/a/my tools", {}, {}, {}},
        // As the update window passes it: the quotes arrive with the value.
        {{"/InstallationPath=\"/opt/Varnel Software\""}, "/opt/Varnel Software", {}, {}, {}},
        {{"DesktopIcon=1", "/StartMenuEntry=0", "LocalProfile=0"}, "", true, false, true},
        {{"/DesktopIcon:yes", "StartMenuEntry=1", "/LocalProfile=1"}, "", false, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        ArgsGuard args(c.args);
        const InstallSwitches s = InstallSwitches::FromCommandLine();
        EXPECT_EQ(s.installationPath.value_or(QString()), c.path);
        EXPECT_EQ(s.desktopIcon, c.desktop);
        EXPECT_EQ(s.startMenuEntry, c.startMenu);
        EXPECT_EQ(s.roaming, c.roaming);
    }
    ArgsGuard args({"/ForceInstall", "AutoStart", "/Uninstall"});
    const InstallSwitches s = InstallSwitches::FromCommandLine();
    EXPECT_TRUE(s.forceInstall && s.autoStart && s.uninstall);
    EXPECT_FALSE(s.uninstallMode) << "\"uninstall\" and \"Uninstall\" are different switches";
    EXPECT_FALSE(s.autoExit);
}

TEST(InstallSwitchesTest, WhetherTheWizardShows)
{
    const QString desktop = "/home/a/Schreibtisch/";
    InstallSwitches none, force, noinstall, both;
    force.forceInstall = true;
    noinstall.noInstall = true;
    both.forceInstall = both.noInstall = true;
    struct Case {
        const char *what;
        InstallSwitches switches;
        QString exe;
        bool shown;
    } cases[] = {
        {"setup file anywhere", none, "/home/a/Downloads/OrvixDownloader_setup", true},
        {"setup in the folder name, upper case", none, "/tmp/Orvix_SETUP/OrvixDownloader", true},
        {"program outside the desktop", none, "/home/a/apps/OrvixDownloader", false},
        {"program on a desktop named in English", none, "/home/a/Desktop/OrvixDownloader", true},
        {"program on the user's localised desktop", none, "/home/a/Schreibtisch/OrvixDownloader", true},
        {"program below the desktop", none, "/home/a/Desktop/x/OrvixDownloader", false},
        {"ForceInstall", force, "/opt/Varnel Software/OrvixDownloader", true},
        {"noinstall wins over a setup name", noinstall, "/home/a/OrvixDownloader_setup", false},
        {"noinstall wins over ForceInstall", both, "/home/a/OrvixDownloader", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ShouldShowInstallWizard(c.switches, c.exe, desktop), c.shown) << c.what;
}

TEST(DesktopEntriesTest, ExecQuotingAndTheValidator)
{
    EXPECT_EQ(DesktopExecLine("/opt/Varnel Software/OrvixDownloader", {"uninstall"}),
              "\"/opt/Varnel Software/OrvixDownloader\" uninstall");
    EXPECT_EQ(DesktopExecLine("/home/a/100%/it's $x \"q\"/prog", {}), "\"/home/a/100%%/it's \\$x \\\"q\\\"/prog\"");
    EXPECT_EQ(DesktopExecLine("/usr/bin/orvix", {"a b", ""}), "/usr/bin/orvix \"a b\" \"\"");

    test::InstallHome home;
    DesktopEntry e;
    e.name = "Varnel Orvix Downloader";
    e.program = home.home() + "/odd $dir \"100%\"/OrvixDownloader";
    e.arguments = {"uninstall"};
    e.workingFolder = home.home() + "/odd $dir \"100%\"";
    e.icon = "orvix";
    e.categories = {"Graphics", "Photography"};
    const QString file = home.applications() + "varnel-software/entry.desktop";
    WriteDesktopEntry(file, e);
    EXPECT_EQ(test::ValidateDesktopEntry(file), QString());
    EXPECT_TRUE(QFileInfo(file).isExecutable());
    // The key file's own escape comes on top of the Exec quoting: "\\\\$" reads back as "\\$".
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Exec=\"" + QFile::encodeName(home.home()) + "/odd \\\\$dir \\\\\"100%%\\\\\"/OrvixDownloader\" uninstall\n"));
}

TEST(ProcessTableTest, AnotherProcessIsFoundByItsFileNameWhateverTheCase)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("OrvixProbe%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(test::CopyProgram("/bin/sleep", dir.path() + "/" + name));
    EXPECT_FALSE(IsProgramRunning(name));
    QProcess p;
    p.start(dir.path() + "/" + name, {"30"});
    ASSERT_TRUE(p.waitForStarted());
    EXPECT_TRUE(IsProgramRunning(name.toLower()));
    // Its file removed while it runs: still the same program.
    QFile::remove(dir.path() + "/" + name);
    EXPECT_TRUE(IsProgramRunning(name));
    p.kill();
    p.waitForFinished();
    EXPECT_FALSE(IsProgramRunning(name));
}

TEST(SelfDeleteTest, FileGoesAndItsFolderOnlyWhenEmpty)
{
    QTemporaryDir dir;
    const QString alone = dir.path() + "/alone/OrvixDownloader";
    const QString shared = dir.path() + "/with company/OrvixDownloader";
    ASSERT_TRUE(test::CopyProgram("/bin/true", alone));
    ASSERT_TRUE(test::CopyProgram("/bin/true", shared));
    QFile other(dir.path() + "/with company/notes.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    EXPECT_EQ(ScheduleSelfDelete(alone), 3);
    EXPECT_EQ(ScheduleSelfDelete(shared), 3);
    EXPECT_TRUE(QFileInfo::exists(alone)) << "nothing goes before the first wait";
    EXPECT_TRUE(test::waitUntil([&] { return !QFileInfo::exists(dir.path() + "/alone"); }, 8000));
    EXPECT_TRUE(test::waitUntil([&] { return !QFileInfo::exists(shared); }, 8000));
    EXPECT_TRUE(QFileInfo::exists(dir.path() + "/with company/notes.txt"));
}

TEST(InstallActionsTest, ElevatedCommandLinesSplitIntoTheirSwitches)
{
    InstallOptions o;
    o.desktopIcon = true;
    o.quickLaunchIcon = false;
    o.startMenuEntry = false;
    o.roaming = true;
    const QString install = InstallCommandLine("/opt/Varnel Software", o);
    EXPECT_EQ(install, "/ForceInstall /AutoStart /AutoExit /InstallationPath=\"/opt/Varnel Software\" /DesktopIcon=1 "
                       "/QuickLaunchIcon=0 /StartMenuEntry=0 /LocalProfile=0");
    const QStringList args = CommandLineArguments(install);
    ASSERT_EQ(args.size(), 8);
    EXPECT_EQ(args[3], "/InstallationPath=/opt/Varnel Software");
    EXPECT_EQ(CommandLineArguments(UninstallCommandLine("/opt/Varnel Software", true)),
              QStringList({"/ForceInstall", "/AutoStart", "/AutoExit", "/Uninstall",
                           "/InstallationPath=/opt/Varnel Software", "/RemoveSettings=1"}));
}
