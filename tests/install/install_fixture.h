#pragma once

// A home of the test's own with its XDG folders (the desktop under a localised name), set for
// this process and handed to the programs a test starts.

#include "install/installer_paths.h"

#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <optional>

namespace orvix::test {

class InstallHome
{
public:
    InstallHome();
    ~InstallHome();

    QString root() const { return m_dir.path(); }
    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString desktop() const { return home() + QStringLiteral("/Schreibtisch/"); }
    QString dataHome() const { return home() + QStringLiteral("/.local/share/"); }
    QString applications() const { return dataHome() + QStringLiteral("applications/"); }
    QString bin() const { return m_dir.path() + QStringLiteral("/bin/"); }
    // For a started program: this home, no display.
    QProcessEnvironment environment() const;
    // Sets a variable for this process until the home goes.
    void setEnv(const char *name, const QString &value);
    // The installer's paths for this home, as the program prepares them, with the running
    // program file given.
    InstallerPaths paths(const QString &runningExe) const;

private:
    QTemporaryDir m_dir;
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

// The built desktop program.
QString ProgramFile();
// Copies file to target (with the executable bits), creating its folder.
bool CopyProgram(const QString &file, const QString &target);
bool SameBytes(const QString &a, const QString &b);
// desktop-file-validate's complaints about file; empty when it accepts it.
QString ValidateDesktopEntry(const QString &file);

} // namespace orvix::test
