#pragma once

// The installation wizard: install into a folder (through an elevated second instance where the
// folder needs root), uninstall, or prepare a portable copy.

#include "install_actions.h"
#include "install_switches.h"
#include "installer_paths.h"

#include "foundation/process.h"

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;

namespace orvix {

class TPageControlK;
class TTabSheetX;
class TVarnelDirectoryEdit;
class TVarnelLinkLabel;

// What the wizard asks of the machine; tests replace parts of it.
struct InstallerSystem {
    bool isAdmin = false;              // may write to the program-files folders
    QStringList programFilesFolders;   // folders that need isAdmin
    std::function<bool()> isProgramRunning;
    // Runs the program with root rights and waits (pkexec).
    std::function<RunAsAdminResult(const QString &file, const QStringList &arguments)> runElevated;
    // "Launch program".
    std::function<bool(const QString &program, const QString &folder)> startProgram;

    static InstallerSystem ForThisProcess(const InstallerPaths &paths);
};

class TFormInstall : public QDialog
{
    Q_OBJECT
public:
    TFormInstall(InstallerPaths paths, InstallSwitches switches, InstallerSystem system,
                 bool uninstallMode, QWidget *parent = nullptr);
    ~TFormInstall() override;

    // Set once the wizard asked to end the process with this code (AutoExit, a failed elevated
    // instance); the wizard is closed then.
    std::optional<int> endProcessCode() const { return m_endProcessCode; }
    const InstallerPaths &paths() const { return m_paths; }
    bool uninstallMode() const { return m_uninstallMode; }
    QString portableStagingFolder() const { return m_stagingFolder; }

    // The controls, for the tests and the screenshots.
    TPageControlK *pages() const { return pcPages; }
    TTabSheetX *tsWelcome = nullptr, *tsInstalling = nullptr, *tsError = nullptr, *tsCompleted = nullptr,
               *tsUninstall = nullptr, *tsManual = nullptr;
    QLabel *lblHeader = nullptr, *lblErrorText = nullptr, *lblCompleted = nullptr, *lblSettingsLocationCaption = nullptr,
           *lblManualWait = nullptr, *lblVersion = nullptr;
    TVarnelDirectoryEdit *edInstallationPath1 = nullptr;
    QLineEdit *edUninstallPath = nullptr;
    QCheckBox *cbDesktopIcon = nullptr, *cbQuickLaunchIcon = nullptr, *cbStartMenuIcon = nullptr, *cbRoaming = nullptr,
              *cbUninstallProgramSettings = nullptr;
    QComboBox *cbSettingsLocation = nullptr;
    QWidget *panelAdvanced = nullptr;
    TVarnelLinkLabel *lblAdvanced = nullptr, *lblManual = nullptr, *lblUninstall = nullptr;
    QPushButton *bInstall = nullptr, *bExit = nullptr, *bUninstall = nullptr, *bTryAgain = nullptr,
                *bLaunchProgram = nullptr, *bManualBack = nullptr;
    QListView *lvPortableFiles = nullptr;

    void bInstallClick();
    void bUninstallClick();
    void bTryAgainClick();
    void bLaunchProgramClick();
    void bManualBackClick();
    void lblAdvancedClick();
    void lblManualClick();
    void lblUninstallClick();
    // The settings-location panel after a change of the folder field or of the box.
    void UpdateSettingsLocation();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void done(int result) override;

private:
    void buildWindow();
    void buildWelcomePage();
    void buildOtherPages();
    void buildBottomBar();
    void applySwitches();
    void showPage(TTabSheetX *page);
    void setUninstallMode();
    InstallOptions options() const;
    bool folderNeedsRoot(const QString &folder) const;
    void endProcess(int code);
    void showError(const QString &message);
    // Runs the elevated instance; returns its exit code, or nothing when it was not started.
    std::optional<int> runElevated(const QString &commandLine);
    void installHere();
    void afterInstall();
    void showCompleted();
    void uninstallHere();
    void uninstallFinished();
    void preparePortableCopy();
    void removeStagingFolder();

    InstallerPaths m_paths;
    InstallSwitches m_switches;
    InstallerSystem m_system;
    bool m_uninstallMode = false;
    bool m_autoStarted = false;
    std::optional<int> m_endProcessCode;
    QString m_stagingFolder;
    TPageControlK *pcPages = nullptr;
};

} // namespace orvix
