#include "process.h"

#include "command_line.h"
#include "errors.h"

#include <QProcess>
#include <QStandardPaths>
#include <unistd.h>

namespace orvix {

void RunCommand(const QString &commandLine)
{
    QStringList parts = QProcess::splitCommand(commandLine);
    if (parts.isEmpty())
        throw EOrvix(QStringLiteral("No command to run"));
    const QString program = parts.takeFirst();
    QProcess process;
    process.setProgram(program);
    process.setArguments(parts);
    if (!process.startDetached())
        throw EOrvix(QStringLiteral("Cannot run \"%1\": %2").arg(program, process.errorString()));
}

RunAsAdminResult RunAsAdmin(const QString &file, const QStringList &parameters, const QString &folder, bool wait)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (::geteuid() == 0 || HasSwitch(QStringLiteral("is_admin"))) {
        process.setProgram(file);
        process.setArguments(parameters);
    } else {
        process.setProgram(QStandardPaths::findExecutable(QStringLiteral("pkexec")));
        process.setArguments(QStringList{file} + parameters);
    }
    RunAsAdminResult result;
    if (process.program().isEmpty())
        return result;
    if (!wait) {
        result.started = process.startDetached();
        return result;
    }
    process.start();
    result.started = process.waitForStarted();
    if (result.started && process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

} // namespace orvix
