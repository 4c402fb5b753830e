#include "main_menu.h"

#include "widgets/main_menu_k.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace orvix {

TMainMenu::TMainMenu(QMainWindow *window, const TMainMenuActions &a) : QObject(window), m_window(window)
{
    // The menu bar with its separator line under it.
    auto *bar = new TMainMenuK(window);
    window->setMenuBar(bar);
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    add(file, QStringLiteral("miExit"), QStringLiteral("Exit"), a.exit);

    QMenu *settings = bar->addMenu(QStringLiteral("Settings"));
    add(settings, QStringLiteral("miGeneralSettings"), QStringLiteral("General Settings"), a.generalSettings);
    add(settings, QStringLiteral("miBrowsingSettings"), QStringLiteral("Browsing Settings"), a.browsingSettings);

    QMenu *tools = bar->addMenu(QStringLiteral("&Tools"));
    add(tools, QStringLiteral("miFavorites"), QStringLiteral("Favorites"), a.favorites);
    add(tools, QStringLiteral("miCheckDBIntegrity"), QStringLiteral("Check database"), a.checkDatabase);
    add(tools, QStringLiteral("miScanFiles"), QStringLiteral("Rescan output path"), a.rescanOutputPath);
    add(tools, QStringLiteral("miPasteMultipleUrls"), QStringLiteral("Paste multiple Urls"), a.pasteMultipleUrls);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    add(help, QStringLiteral("miFeedback"), QStringLiteral("Feedback"), {});
    add(help, QStringLiteral("miSupportForums"), QStringLiteral("Support forums"), {});
    add(help, QStringLiteral("miCheckForUpdates"), QStringLiteral("Check for Updates..."), {});
    add(help, QStringLiteral("miAbout"), QStringLiteral("About"), {});

    // Shortcuts without a menu item of their own.
    auto *debug = new QAction(window);
    debug->setObjectName(QStringLiteral("acDebugPage"));
    debug->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    debug->setShortcutContext(Qt::ApplicationShortcut);
    connect(debug, &QAction::triggered, this, [fn = a.toggleDebugPage] { if (fn) fn(); });
    window->addAction(debug);
    auto *folder = new QAction(window);
    folder->setObjectName(QStringLiteral("acSettingsFolder"));
    folder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));
    folder->setShortcutContext(Qt::ApplicationShortcut);
    connect(folder, &QAction::triggered, this, [fn = a.openSettingsFolder] { if (fn) fn(); });
    window->addAction(folder);
}

QAction *TMainMenu::add(QMenu *menu, const QString &name, const QString &text,
                        const std::function<void()> &fn)
{
    QAction *action = menu->addAction(text);
    action->setObjectName(name);
    if (fn)
        connect(action, &QAction::triggered, this, [fn] { fn(); });
    else
        action->setEnabled(false); // not part of this build yet
    return action;
}

QAction *TMainMenu::item(const QString &name) const
{
    return m_window->findChild<QAction *>(name);
}

} // namespace orvix
