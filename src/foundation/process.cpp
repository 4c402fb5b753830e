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

namespace {

RunAsAdminResult runProcess(QProcess &process, bool wait)
{
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

} // namespace

RunAsAdminResult RunAsAdmin(const QString &file, const QStringList &parameters, const QString &folder, bool wait)
{
    if (::geteuid() != 0 && !HasSwitch(QStringLiteral("is_admin")))
        return RunElevated(file, parameters, folder, wait);
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProgram(file);
    process.setArguments(parameters);
    return runProcess(process, wait);
}

RunAsAdminResult RunElevated(const QString &file, const QStringList &parameters, const QString &folder, bool wait)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProgram(QStandardPaths::findExecutable(QStringLiteral("pkexec")));
    process.setArguments(QStringList{file} + parameters);
    // Other output of the elevated program stays visible, as if it had been started directly.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    RunAsAdminResult result = runProcess(process, wait);
    // pkexec ends with 126 when the user dismissed its prompt and 127 when not authorised.
    if (wait && result.started && (result.exitCode == 126 || result.exitCode == 127))
        result = RunAsAdminResult{};
    return result;
}

} // namespace orvix
