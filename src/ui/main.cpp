// orvix: the desktop program. Switches: "url=ADDRESS", "nomutex", "debug", "noinstall",
// "fake_download", the installer's switches ("uninstall", "ForceInstall", ...), "site=HOST[:PORT]", "maker=HOST[:PORT]", "settings=FOLDER",
// "window_screenshot=NAME:FILE" (each with or without a leading "/").
#include "close_signals.h"
#include "favorites_panel.h"
#include "library_demo.h"
#include "main_window.h"
#include "maker_services_ui.h"
#include "orvix_application.h"
#include "single_instance.h"

#include "install/desktop_entries.h"
#include "install/run_installer.h"

#include "app/program_context.h"
#include "foundation/command_line.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "browser/browser_profile.h"

#include <QApplication>

using namespace orvix;

int main(int argc, char **argv)
{
    // pkexec clears the display of the copy it starts: that copy installs without a window.
    if (IsUnattendedInstallerRun(argc, argv) && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareBrowserEngine();
    TOrvixApplication app(argc, argv);
    app.setWindowIcon(ProgramIcon());
    QStringList arguments = app.arguments().mid(1);
    try {
        if (PrepareProgramStart(arguments) == StartOutcome::EndProcess)
            return 0;
    } catch (const EOrvix &e) {
        // A switch the program cannot work with (as site=https://...): said, not guessed at.
        TellWithoutWindow(e.message());
        return 1;
    }

    // A setup file, a program on the desktop or "uninstall": the wizard instead of the program.
    if (const InstallerRun installer = RunInstallerIfNeeded(PrepareOrvixInstaller()); installer.ran)
        return installer.exitCode;

    const StartSwitches switches = StartSwitches::FromCommandLine();
    TSingleInstance instance;
    switch (instance.CheckSingleInstance(switches.noMutex, switches.url)) {
    case TSingleInstance::Result::WokeOther:
    case TSingleInstance::Result::OtherStarting:
        return 0;
    case TSingleInstance::Result::FirstInstance:
        break;
    }

    std::unique_ptr<TFormMain> window;
    try {
        window = std::make_unique<TFormMain>();
    } catch (const EOrvix &e) {
        // Without a session slot there is nothing this copy could queue; the user was told.
        TellWithoutWindow(e.message());
        return 1;
    }
    QObject::connect(&instance, &TSingleInstance::wakeUpRequested, window.get(), &TFormMain::WakeUp);
    // Closing ends the program whatever else is open; a start meanwhile waits for the end.
    QObject::connect(window.get(), &TFormMain::closing, &instance, &TSingleInstance::StopListening);
    QObject::connect(window.get(), &TFormMain::closing, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    TCloseSignals closeSignals;
    QObject::connect(&closeSignals, &TCloseSignals::closeRequested, window.get(), [&window](int sig) {
        LogMessage(QStringLiteral("closing on signal %1").arg(sig));
        window->close();
    });
    // Hidden, for the screenshots: "demo=strips|library" pictures the window once the pictures
    // queued at start are saved and tagged or searched for.
    const QString screenshot = GetSwitchValue(QStringLiteral("screenshot"));
    if (!StartLibraryDemo(*window, GetSwitchValue(QStringLiteral("demo")), screenshot))
        window->setScreenshotFile(screenshot);
    // "window_screenshot=NAME:FILE" pictures one of the maker-service windows instead.
    if (const QString shot = GetSwitchValue(QStringLiteral("window_screenshot")); !shot.isEmpty())
        if (auto *maker = window->findChild<TMakerServicesUi *>())
            maker->TakeWindowScreenshot(shot.section(u':', 0, 0), shot.section(u':', 1));
    window->show();
    // Hidden, for the screenshots: the favorites panel open from the start.
    if (GetSwitchValue(QStringLiteral("show")) == QLatin1String("favorites"))
        window->favoritesPanel()->bFavoritesClick();
    const int code = app.exec();
    window.reset();
    return code;
}
