#pragma once

// The main menu (MainMenu1) and the window's shortcuts. Items whose feature this build does not
// have are shown disabled, so the menu keeps its shape as the features arrive.

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QMainWindow;

namespace orvix {

struct TMainMenuActions
{
    std::function<void()> exit;
    std::function<void()> checkDatabase;
    std::function<void()> rescanOutputPath;
    std::function<void()> pasteMultipleUrls;
    std::function<void()> generalSettings;
    std::function<void()> browsingSettings;
    std::function<void()> favorites;
    std::function<void()> toggleDebugPage;      // Ctrl+Shift+D
    std::function<void()> openSettingsFolder;   // Ctrl+Shift+F12
};

class TMainMenu : public QObject
{
    Q_OBJECT
public:
    TMainMenu(QMainWindow *window, const TMainMenuActions &actions);

    // By object name ("miExit", "miCheckDBIntegrity", ...).
    QAction *item(const QString &name) const;

private:
    QAction *add(QMenu *menu, const QString &name, const QString &text,
                 const std::function<void()> &fn);
    QMainWindow *m_window;
};

} // namespace orvix
