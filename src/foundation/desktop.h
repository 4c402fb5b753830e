#pragma once

// What the core needs from the desktop: opening files, folders and addresses, showing a file
// in the file manager, raising a window and the state of the modifier keys. The window installs
// the real implementation; without it (tests, the command-line tool) nothing is opened, the
// answers are "failed" and the keys read as up.

#include <QString>

class QObject;

namespace orvix {

class IDesktop
{
public:
    virtual ~IDesktop() = default;
    // 0 when opened, -1 when it could not be.
    virtual int openTarget(const QString &target, const QString &parameters, const QString &folder) = 0;
    virtual int openFolder(const QString &folder) = 0;
    // Shows the file manager with the file selected; false when nothing could be shown.
    virtual bool locateFile(const QString &file) = 0;
    virtual void forceForeground(QObject *window) = 0;
    virtual bool isShiftDown() = 0;
    virtual bool isControlDown() = 0;
};

IDesktop *SetDesktop(IDesktop *desktop); // nullptr restores the headless default
IDesktop &CurrentDesktop();

// Opens a file, folder or address: a folder in the file manager (result 0), anything else
// with the desktop's handler (0 when started, -1 when not). A missing working folder becomes
// the folder of an existing target file. Double quotes around target are removed first.
int ShellOpen(const QString &target, const QString &parameters = QString(),
              const QString &folder = QString());
// An existing file: the file manager with the file selected; an existing folder: the folder.
// Double quotes around path are removed first. False when nothing was shown.
bool LocateInExplorer(const QString &path);
void ForceForeground(QObject *window);
bool IsShiftDown();
bool IsControlDown();

} // namespace orvix
