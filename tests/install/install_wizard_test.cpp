// The wizard offscreen, driven through its own buttons and links, with scripted answers.
#include "install_fixture.h"
#include "test_support.h"

#include "foundation/command_line.h"
#include "foundation/dialogs.h"
#include "install/form_install.h"
#include "install/install_switches.h"
#include "ui/widgets/directory_edit.h"
#include "ui/widgets/link_label.h"
#include "ui/widgets/page_control_k.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

class WizardTest : public ::testing::Test
{
protected:
    WizardTest() : m_dialogsGuard(dialogs)
    {
        // The program file the wizard installs: small, so copies are quick.
        program = home.root() + "/Downloads/OrvixDownloader_setup";
        test::CopyProgram("/bin/true", program);
        system.isAdmin = false;
        system.programFilesFolders = {home.root() + "/opt/"};
        system.isProgramRunning = [this] { return programRunning; };
        system.runElevated = InstallerSystem::ForThisProcess(home.paths(program)).runElevated;
        system.startProgram = [this](const QString &p, const QString &) {
            launched = p;
            return true;
        };
        dialogs.answerOk = true;
    }

    std::unique_ptr<TFormInstall> wizard(const QStringList &args = {}, bool uninstallMode = false)
    {
        SetCommandLineArgs(args);
        const InstallSwitches switches = InstallSwitches::FromCommandLine();
        SetCommandLineArgs({});
        auto form = std::make_unique<TFormInstall>(home.paths(program), switches, system, uninstallMode);
        form->show();
        return form;
    }

    // A pkexec that records its arguments and ends with code.
    void standInPkexec(int code)
    {
        QFile script(home.bin() + "pkexec");
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexit %2\n")
                         .arg(home.root() + "/pkexec.args")
                         .arg(code)
                         .toUtf8());
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        home.setEnv("PATH", home.bin() + ":" + qEnvironmentVariable("PATH"));
    }

    QStringList pkexecArguments() const
    {
        QFile f(home.root() + "/pkexec.args");
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    QStringList entries() const
    {
        QStringList found;
        for (const QString &f : {paths().DesktopShortcut(), paths().StartMenuShortcut(), paths().UninstallShortcut()})
            if (QFileInfo::exists(f))
                found.append(QFileInfo(f).fileName());
        return found;
    }

    InstallerPaths paths() const { return home.paths(program); }

    test::InstallHome home;
    ScriptedDialogs dialogs;
    InstallerSystem system;
    QString program;
    bool programRunning = false;
    QString launched;

private:
    ScopedDialogs m_dialogsGuard;
};

} // namespace

TEST_F(WizardTest, InstallsIntoAFolderOfTheUserWithEntriesAndLaunches)
{
    const QString dir = home.root() + "/apps/Orvix Here";
    auto w = wizard({"/InstallationPath:" + dir});
    EXPECT_EQ(w->edInstallationPath1->text(), dir);
    EXPECT_EQ(w->pages()->ActivePage(), w->tsWelcome);
    w->bInstall->click();

    EXPECT_EQ(dialogs.shown(), QStringList({"question: Destination location does not exist.\r\nCreate directory " + dir + "/?"}));
    EXPECT_EQ(w->pages()->ActivePage(), w->tsCompleted);
    EXPECT_TRUE(w->lblCompleted->text().contains("Installation completed."));
    EXPECT_TRUE(w->lblCompleted->text().contains("An icon has been created on your desktop"));
    EXPECT_TRUE(test::SameBytes(dir + "/OrvixDownloader", program));
    EXPECT_TRUE(QFileInfo(dir + "/OrvixDownloader").isExecutable());
    EXPECT_FALSE(QFileInfo::exists(dir + "/OrvixDownloader.roaming")) << "the box is hidden outside the system folders";
    EXPECT_EQ(entries().size(), 3);
    for (const QString &f : {paths().DesktopShortcut(), paths().StartMenuShortcut(), paths().UninstallShortcut()})
        EXPECT_EQ(test::ValidateDesktopEntry(f), QString()) << f.toStdString();
    EXPECT_TRUE(paths().DesktopShortcut().startsWith(home.desktop()));
    EXPECT_TRUE(QFileInfo::exists(home.dataHome() + "icons/hicolor/48x48/apps/orvix.png"));
    EXPECT_EQ(paths().InstallFolder, dir + "/") << "the next run proposes it";
    EXPECT_FALSE(w->endProcessCode());

    ASSERT_TRUE(w->bLaunchProgram->isVisibleTo(w.get()));
    w->bLaunchProgram->click();
    EXPECT_EQ(launched, dir + "/OrvixDownloader");
    EXPECT_FALSE(w->isVisible());
}

TEST_F(WizardTest, RefusedLocationsAndARunningProgramInstallNothing)
{
    struct Case {
        const char *what;
        QString folder;
        bool running;
        QString message;
        bool enterInTheField = false;
    } cases[] = {
        {"the root", "/", false, "info: Cannot install at this location"},
        {"the root, Enter in the field", "/", false, "info: Cannot install at this location", true},
        {"the localised desktop", home.desktop(), false, "info: Cannot install at this location"},
        {"a folder named Desktop", home.root() + "/x/Desktop", false, "info: Cannot install at this location"},
        {"program running", home.root() + "/fine", true,
         "info: The program is already running. Please close all instanses before installing"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        programRunning = c.running;
        auto w = wizard({"InstallationPath=" + c.folder});
        if (c.enterInTheField) {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(w->edInstallationPath1, &enter);
        } else {
            w->bInstall->click();
        }
        EXPECT_EQ(dialogs.shown(), QStringList({c.message}));
        EXPECT_EQ(w->pages()->ActivePage(), w->tsWelcome);
        EXPECT_FALSE(QFileInfo::exists(c.folder + "/OrvixDownloader"));
    }
    EXPECT_EQ(entries(), QStringList());
}

TEST_F(WizardTest, SystemFolderGoesThroughPkexecAndItsExitCode)
{
    const QString dir = home.root() + "/opt/Varnel Software";
    QDir().mkpath(dir);
    struct Case {
        int code;
        std::optional<int> endProcess;
        bool completed;
    } cases[] = {{126, {}, false}, {127, {}, false}, {3, 1, false}, {10, {}, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        standInPkexec(c.code);
        dialogs.clear();
        auto w = wizard({"InstallationPath=" + dir});
        w->bInstall->click();
        EXPECT_EQ(pkexecArguments(), QStringList({program, "/ForceInstall", "/AutoStart", "/AutoExit",
                                                  "/InstallationPath=" + dir, "/DesktopIcon=1", "/QuickLaunchIcon=0",
                                                  "/StartMenuEntry=1", "/LocalProfile=1"}));
        EXPECT_EQ(w->endProcessCode(), c.endProcess);
        EXPECT_EQ(w->pages()->ActivePage(), c.completed ? w->tsCompleted : w->tsWelcome);
        // The user's own part after the elevated copy: entries and the remembered folder.
        EXPECT_EQ(entries().size(), c.completed ? 3 : 0);
        EXPECT_EQ(paths().InstallFolder == dir + "/", c.completed);
        EXPECT_FALSE(QFileInfo::exists(dir + "/OrvixDownloader")) << "the stand-in copies nothing";
    }

    // The copy pkexec starts cannot elevate again.
    dialogs.clear();
    auto elevated = wizard({"ForceInstall", "AutoStart", "AutoExit", "InstallationPath=" + dir});
    EXPECT_TRUE(test::waitUntil([&] { return elevated->endProcessCode().has_value(); }, 5000));
    EXPECT_EQ(elevated->endProcessCode(), 1);
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Could not start installer as administrator.\r\n"
                                            "Please choose a folder that does not require administrator access rights."}));
}

TEST_F(WizardTest, UninstallOfASystemFolderThroughPkexec)
{
    const QString dir = home.root() + "/opt/Varnel Software";
    struct Case {
        int code;
        std::optional<int> endProcess;
        bool entriesLeft;
    } cases[] = {{126, {}, true}, {5, 1, true}, {11, {}, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.code);
        InstallerPaths p = paths();
        p.setInstallFolder(dir);
        CreateShortcuts(p, InstallOptions{});
        standInPkexec(c.code);
        dialogs.clear();
        auto w = wizard({"InstallationPath=" + dir});
        w->lblUninstall->clicked();
        EXPECT_EQ(w->windowTitle(), "Uninstall/Remove");
        EXPECT_EQ(w->lblHeader->text(), "Removing Varnel Orvix Downloader");
        ASSERT_TRUE(w->bUninstall->isVisibleTo(w.get()));
        EXPECT_FALSE(w->bInstall->isVisibleTo(w.get()));
        w->bUninstall->click();
        EXPECT_EQ(dialogs.shown(), QStringList({"question: Are you sure you want to uninstall Varnel Orvix Downloader?"}));
        EXPECT_EQ(pkexecArguments(), QStringList({program, "/ForceInstall", "/AutoStart", "/AutoExit", "/Uninstall",
                                                  "/InstallationPath=" + dir, "/RemoveSettings=0"}));
        EXPECT_EQ(w->endProcessCode(), c.endProcess);
        EXPECT_EQ(entries().isEmpty(), !c.entriesLeft);
        if (c.code == 126) {
            EXPECT_EQ(w->pages()->ActivePage(), w->tsUninstall);
        }
    }
}

TEST_F(WizardTest, SettingsLocationFollowsTheFolderAndTheMarker)
{
    const QString system = home.root() + "/opt/Varnel Software/";
    QDir().mkpath(system);
    QFile marker(system + "OrvixDownloader.roaming");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();

    auto w = wizard({"InstallationPath=" + system});
    w->lblAdvanced->clicked();
    ASSERT_TRUE(w->panelAdvanced->isVisible());
    EXPECT_FALSE(w->cbSettingsLocation->isEnabled());
    EXPECT_TRUE(w->cbRoaming->isVisible());
    EXPECT_FALSE(w->cbRoaming->isChecked()) << "the marker of the default folder decides, not that of the switch";

    w->cbRoaming->click();
    EXPECT_EQ(w->cbSettingsLocation->currentText(), "Application Data - Roaming");
    w->cbRoaming->click();
    EXPECT_EQ(w->cbSettingsLocation->currentText(), "Application Data - Local");
    w->edInstallationPath1->setText(home.root() + "/portable");
    EXPECT_FALSE(w->cbRoaming->isVisible());
    EXPECT_EQ(w->cbSettingsLocation->currentText(), ".exe folder");

    // A folder whose program has the marker ticks the box when the wizard is shown; the switch
    // still wins.
    InstallerPaths p = paths();
    p.setInstallFolder(system);
    WriteInstallIni(p.InstallIniPath, system);
    auto again = wizard();
    EXPECT_EQ(again->edInstallationPath1->text(), system);
    EXPECT_TRUE(again->cbRoaming->isChecked());
    EXPECT_EQ(again->cbSettingsLocation->currentText(), "Application Data - Roaming");
    EXPECT_FALSE(wizard({"LocalProfile=1"})->cbRoaming->isChecked());
}

TEST_F(WizardTest, PortableCopyIsStagedAndRemovedWithTheWizard)
{
    auto w = wizard();
    w->lblManual->clicked();
    EXPECT_EQ(w->pages()->ActivePage(), w->tsManual);
    EXPECT_EQ(w->lblHeader->text(), "Portable installation");
    const QString staged = w->portableStagingFolder() + "OrvixDownloader";
    EXPECT_TRUE(test::SameBytes(staged, program));
    EXPECT_TRUE(QFileInfo(staged).isExecutable());
    EXPECT_FALSE(w->bInstall->isVisibleTo(w.get()));

    w->bManualBack->click();
    EXPECT_EQ(w->pages()->ActivePage(), w->tsWelcome);
    EXPECT_EQ(w->lblHeader->text(), "Installation");
    w->lblManual->clicked();
    EXPECT_TRUE(QFileInfo::exists(staged)) << "prepared once";
    w->bExit->click();
    EXPECT_FALSE(QFileInfo::exists(w->portableStagingFolder()));
}
