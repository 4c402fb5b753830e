#include "run_installer.h"

#include "form_install.h"
#include "install_switches.h"

#include "foundation/command_line.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "ui/qt_dialogs.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTimer>

#include <cstring>
#include <memory>

namespace orvix {

InstallerPaths PrepareOrvixInstaller()
{
    return PrepareInstaller(SpecialFolder(SpecialFolderKind::ProgramFiles) + QStringLiteral("Varnel Software"),
                            QStringLiteral("OrvixDownloader"), QStringLiteral("Varnel Orvix Downloader"),
                            QStringLiteral("Varnel Software"));
}

InstallerRun RunInstallerIfNeeded(InstallerPaths paths)
{
    const InstallSwitches switches = InstallSwitches::FromCommandLine();
    if (switches.uninstallMode) {
        // The copy to remove is the one that runs.
        paths.setInstallFolder(QFileInfo(paths.RunningExePath).absolutePath());
    } else if (!ShouldShowInstallWizard(switches, paths.RunningExePath, paths.DesktopFolder)) {
        return {};
    }
    InstallerSystem system = InstallerSystem::ForThisProcess(paths);
    TFormInstall form(std::move(paths), switches, std::move(system), switches.uninstallMode);
    // Without a screen nobody can answer a box: the headless answers (and stderr) serve then.
    std::unique_ptr<TQtDialogs> dialogs;
    IDialogs *previous = nullptr;
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        dialogs = std::make_unique<TQtDialogs>(&form);
        previous = SetDialogs(dialogs.get());
    }
    // Hidden, for scripts/screenshot: the wizard pictured once shown, the advanced panel open.
    if (const QString shot = GetSwitchValue(QStringLiteral("screenshot")); !shot.isEmpty())
        QTimer::singleShot(700, &form, [&form, shot] {
            if (!form.uninstallMode())
                form.lblAdvancedClick();
            QTimer::singleShot(300, &form, [&form, shot] {
                const bool saved = form.grab().save(shot);
                TellWithoutWindow((saved ? QStringLiteral("screenshot saved: ") : QStringLiteral("screenshot failed: ")) + shot);
                form.reject();
            });
        });
    form.exec();
    if (dialogs)
        SetDialogs(previous);
    return {true, form.endProcessCode().value_or(0)};
}

bool IsUnattendedInstallerRun(int argc, char **argv)
{
    bool force = false, autoStart = false;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i][0] == '/' ? argv[i] + 1 : argv[i];
        force = force || std::strcmp(a, "ForceInstall") == 0;
        autoStart = autoStart || std::strcmp(a, "AutoStart") == 0;
    }
    return force && autoStart;
}

} // namespace orvix
