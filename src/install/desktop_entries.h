#pragma once

// Freedesktop desktop entries (the shortcuts of this platform) and the program's icon in the
// user's icon theme.

#include <QIcon>
#include <QString>
#include <QStringList>

namespace orvix {

struct DesktopEntry {
    QString name;
    QString comment;
    QString program;        // absolute path of the program file
    QStringList arguments;
    QString workingFolder;
    QString icon;           // an icon name of the theme
    QStringList categories;
};

// The text of a ".desktop" file for entry, with Exec quoted by the freedesktop desktop-entry rules.
QString DesktopEntryText(const DesktopEntry &entry);
// The Exec value: each argument quoted when it needs it, "%" doubled.
QString DesktopExecLine(const QString &program, const QStringList &arguments);
// Writes entry as file (executable, as desktops want for entries on the desktop); raises
// EFileError.
void WriteDesktopEntry(const QString &file, const DesktopEntry &entry);

// The program's icon at every size of the resources, as iconThemeFolder/NxN/apps/NAME.png.
void InstallThemeIcon(const QString &iconThemeFolder, const QString &name);
void RemoveThemeIcon(const QString &iconThemeFolder, const QString &name);

// Sizes of the icon set (square, pixels).
QList<int> ProgramIconSizes();
// Resource path of the main (or setup) icon at size.
QString ProgramIconResource(int size, bool setup = false);
// Every size of the main (or setup) icon, for windows.
QIcon ProgramIcon(bool setup = false);

} // namespace orvix
