// The wizard's work: install, uninstall, the portable copy.
#include "form_install.h"

#include "install_actions.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "ui/widgets/directory_edit.h"
#include "ui/widgets/link_label.h"
#include "ui/widgets/page_control_k.h"
#include "ui/widgets/tab_sheet_x.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

namespace orvix {

namespace {

const QString kAdminMessage = QStringLiteral("Could not start installer as administrator.\r\n"
                                             "Please choose a folder that does not require administrator access rights.");

QString absoluteFolder(const QString &text)
{
    QString path = text.trimmed();
    if (path == u'~' || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    return path.isEmpty() ? QString() : IncludeTrailingBackslash(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

} // namespace

void TFormInstall::showError(const QString &message)
{
    LogMessage(QStringLiteral("installer: ") + message);
    lblErrorText->setText(message);
    showPage(tsError);
    // Nobody is there to read the page of an unattended run.
    if (m_switches.autoStart && m_switches.autoExit)
        endProcess(1);
}

std::optional<int> TFormInstall::runElevated(const QString &commandLine)
{
    const RunAsAdminResult r = m_system.runElevated(m_paths.RunningExePath, CommandLineArguments(commandLine));
    if (!r.started)
        return std::nullopt;
    return r.exitCode;
}

void TFormInstall::bInstallClick()
{
    if (m_system.isProgramRunning && m_system.isProgramRunning()) {
        InfoBox(QStringLiteral("The program is already running. Please close all instanses before installing"));
        if (m_switches.autoExit)
            endProcess(1); // nobody may be there to try again
        return;
    }
    const QString folder = absoluteFolder(edInstallationPath1->text());
    m_paths.setInstallFolder(folder);
    if (folder.isEmpty() || folder == QStringLiteral("/") || DriveRoot(folder) == folder
        || IsDesktopFolder(folder, m_paths.DesktopFolder)) {
        InfoBox(QStringLiteral("Cannot install at this location"));
        if (m_switches.autoExit)
            endProcess(1);
        return;
    }
    if (folderNeedsRoot(folder) && !m_system.isAdmin) {
        if (m_switches.forceInstall && m_switches.autoStart) {
            InfoBox(kAdminMessage);
            if (m_switches.autoExit)
                endProcess(1);
            return;
        }
        // Asked here, before the password: the elevated copy may have no display to ask on.
        if (!QFileInfo(folder).isDir()
            && !AskYesNoCancel(this, QStringLiteral("Destination location does not exist.\r\nCreate directory ") + folder + u'?',
                               windowTitle()))
            return;
        const std::optional<int> code = runElevated(InstallCommandLine(ExcludeTrailingBackslash(folder), options()));
        if (!code) {
            showPage(tsWelcome); // declined
            return;
        }
        if (*code != 10) {
            endProcess(1);
            return;
        }
        try {
            // The elevated copy ran with root's home: what belongs to this user is done here.
            WriteInstallIni(m_paths.InstallIniPath, m_paths.InstallFolder);
            CreateShortcuts(m_paths, options());
        } catch (const std::exception &e) {
            showError(exceptionMessage(e));
            return;
        }
        showCompleted();
        return;
    }
    // An unattended run creates the folder it was given: no one may be there to answer.
    if (!QFileInfo(folder).isDir() && !m_switches.autoStart
        && !AskYesNoCancel(this, QStringLiteral("Destination location does not exist.\r\nCreate directory ") + folder + u'?',
                           windowTitle()))
        return;
    installHere();
}

void TFormInstall::installHere()
{
    bInstall->hide();
    lblManual->hide();
    lblUninstall->hide();
    showPage(tsInstalling);
    QApplication::processEvents();
    try {
        InstallFiles(m_paths);
        if (!m_switches.autoStart)
            CreateShortcuts(m_paths, options());
    } catch (const std::exception &e) {
        showError(exceptionMessage(e));
        return;
    }
    showCompleted();
    afterInstall();
}

void TFormInstall::afterInstall()
{
    try {
        if (!StartedThroughPkexec())
            WriteInstallIni(m_paths.InstallIniPath, m_paths.InstallFolder);
        SetRoamingMarker(m_paths, cbRoaming->isChecked());
    } catch (const std::exception &e) {
        showError(exceptionMessage(e));
        return;
    }
    if (m_switches.autoExit)
        endProcess(10);
}

void TFormInstall::showCompleted()
{
    QStringList lines{QString(), QStringLiteral("Installation completed."), QString()};
    if (cbDesktopIcon->isChecked())
        lines.append(QStringLiteral("An icon has been created on your desktop, which you can use to run the Application."));
    lblCompleted->setText(lines.join(u'\n'));
    showPage(tsCompleted);
    bInstall->hide();
    bLaunchProgram->show();
    bLaunchProgram->setFocus();
}

void TFormInstall::bLaunchProgramClick()
{
    if (!m_system.startProgram(m_paths.InstalledExePath, m_paths.InstallFolder))
        ErrorBox(QStringLiteral("Could not start ") + m_paths.InstalledExePath);
    accept();
}

void TFormInstall::bTryAgainClick()
{
    showPage(tsWelcome);
}

void TFormInstall::lblUninstallClick()
{
    // From the welcome page the installation to remove is the one in the folder field.
    const QString folder = absoluteFolder(edInstallationPath1->text());
    if (!folder.isEmpty())
        m_paths.setInstallFolder(folder);
    setUninstallMode();
}

void TFormInstall::bUninstallClick()
{
    if (m_uninstallMode)
        m_paths.setInstallFolder(absoluteFolder(edUninstallPath->text()));
    else
        m_paths.setInstallFolder(absoluteFolder(edInstallationPath1->text()));
    if (!m_switches.autoStart) {
        if (m_system.isProgramRunning && m_system.isProgramRunning()) {
            InfoBox(QStringLiteral("The program is already running. Please close all instanses before uninstalling"));
            return;
        }
        if (!AskYesNoCancel(this, QStringLiteral("Are you sure you want to uninstall ") + m_paths.ProgramDisplayName + u'?',
                            windowTitle()))
            return;
    }
    if (!folderNeedsRoot(m_paths.InstallFolder) || m_system.isAdmin) {
        uninstallHere();
        return;
    }
    if (m_switches.forceInstall && m_switches.autoStart) {
        InfoBox(kAdminMessage);
        if (m_switches.autoExit)
            endProcess(1);
        return;
    }
    const std::optional<int> code = runElevated(
        UninstallCommandLine(ExcludeTrailingBackslash(m_paths.InstallFolder), cbUninstallProgramSettings->isChecked()));
    if (!code)
        return; // declined: the uninstall page stays
    if (*code != 11) {
        endProcess(1);
        return;
    }
    try {
        RemoveShortcuts(m_paths);
    } catch (const std::exception &e) {
        showError(exceptionMessage(e));
        return;
    }
    uninstallFinished();
}

void TFormInstall::uninstallHere()
{
    try {
        UninstallFiles(m_paths);
        // Before AutoExit ends the run: an unattended uninstall leaves no entries behind either.
        if (!StartedThroughPkexec())
            RemoveShortcuts(m_paths);
    } catch (const std::exception &e) {
        showError(exceptionMessage(e));
        return;
    }
    if (m_switches.autoExit) {
        endProcess(11);
        return;
    }
    uninstallFinished();
}

void TFormInstall::uninstallFinished()
{
    const QString running = QFileInfo(m_paths.RunningExePath).absoluteFilePath();
    if (running.compare(m_paths.InstalledExePath, Qt::CaseInsensitive) != 0) {
        accept();
        return;
    }
    lblCompleted->setText(QStringLiteral("Uninstallation completed."));
    showPage(tsCompleted);
    bInstall->hide();
    bUninstall->hide();
}

void TFormInstall::lblManualClick()
{
    lblHeader->setText(QStringLiteral("Portable installation"));
    showPage(tsManual);
    if (m_stagingFolder.isEmpty()) {
        lblManualWait->show();
        QApplication::processEvents();
        try {
            preparePortableCopy();
        } catch (const EOrvix &e) {
            lblManualWait->hide();
            ErrorBox(e.message());
            return;
        }
        lblManualWait->hide();
    }
    auto *model = new QFileSystemModel(lvPortableFiles);
    model->setFilter(QDir::Files);
    model->setRootPath(m_stagingFolder);
    lvPortableFiles->setModel(model);
    lvPortableFiles->setRootIndex(model->index(m_stagingFolder));
}

void TFormInstall::preparePortableCopy()
{
    const QString folder = IncludeTrailingBackslash(TempPath(QStringLiteral("VarnelSoftware")));
    if (QFileInfo::exists(folder) && !QDir(folder).removeRecursively())
        throw EOrvix(QStringLiteral("Could not delete folder: ") + folder);
    if (!QDir().mkpath(folder))
        throw EOrvix(QStringLiteral("Could not create folder: ") + folder);
    m_stagingFolder = folder;
    const QString copy = folder + m_paths.InstallExeName;
    QFile::copy(m_paths.RunningExePath, copy);
    if (!FileExists(copy))
        throw EOrvix(QStringLiteral("Could not generate temp file: ") + copy);
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

void TFormInstall::removeStagingFolder()
{
    if (!m_stagingFolder.isEmpty() && QFileInfo::exists(m_stagingFolder))
        QDir(m_stagingFolder).removeRecursively();
}

void TFormInstall::bManualBackClick()
{
    lblHeader->setText(QStringLiteral("Installation"));
    showPage(tsWelcome);
}

} // namespace orvix
