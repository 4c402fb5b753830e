#include "install_fixture.h"

#include "test_support.h"

#include "foundation/paths.h"
#include "install/run_installer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <optional>

namespace orvix::test {

InstallHome::InstallHome()
{
    QDir().mkpath(home() + QStringLiteral("/.config"));
    QDir().mkpath(desktop());
    QDir().mkpath(bin());
    QFile dirs(home() + QStringLiteral("/.config/user-dirs.dirs"));
    if (dirs.open(QIODevice::WriteOnly))
        dirs.write("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    dirs.close();
    setEnv("HOME", home());
    setEnv("XDG_DATA_HOME", ExcludeTrailingBackslash(dataHome()));
    setEnv("XDG_CONFIG_HOME", home() + QStringLiteral("/.config"));
    setEnv("XDG_CACHE_HOME", home() + QStringLiteral("/.cache"));
    // The program's data folders are named after it, also when a test prepares its paths.
    QCoreApplication::setApplicationName(QStringLiteral("OrvixDownloader"));
}

InstallHome::~InstallHome()
{
    for (const auto &[name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

void InstallHome::setEnv(const char *name, const QString &value)
{
    if (!m_saved.count(name))
        m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt;
    qputenv(name, QFile::encodeName(value));
}

QProcessEnvironment InstallHome::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root());
    return env;
}

InstallerPaths InstallHome::paths(const QString &runningExe) const
{
    InstallerPaths p = PrepareOrvixInstaller();
    p.RunningExePath = runningExe;
    p.InstallIniPath = QFileInfo(p.InstallIniPath).absolutePath() + u'/' + QFileInfo(runningExe).fileName()
        + QStringLiteral(".install.ini");
    const QString remembered = RememberedInstallFolder(p.InstallIniPath);
    p.setInstallFolder(remembered.isEmpty() ? p.DefaultFolder : remembered);
    return p;
}

QString ProgramFile()
{
    return binaryDir() + QStringLiteral("/src/ui/orvix");
}

bool CopyProgram(const QString &file, const QString &target)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return QFile::copy(file, target)
        && QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

bool SameBytes(const QString &a, const QString &b)
{
    auto hash = [](const QString &file) {
        QFile f(file);
        QCryptographicHash h(QCryptographicHash::Sha256);
        return f.open(QIODevice::ReadOnly) && h.addData(&f) ? h.result() : QByteArray();
    };
    const QByteArray ha = hash(a);
    return !ha.isEmpty() && ha == hash(b);
}

QString ValidateDesktopEntry(const QString &file)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (tool.isEmpty())
        return QStringLiteral("desktop-file-validate is not installed (scripts/deps)");
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {file});
    if (!p.waitForFinished(30000))
        return QStringLiteral("desktop-file-validate did not finish");
    const QString out = QString::fromLocal8Bit(p.readAll()).trimmed();
    // Hints are advice; errors and warnings are what a desktop would trip over.
    const bool clean = p.exitCode() == 0 && !out.contains(QLatin1String("error")) && !out.contains(QLatin1String("warning"));
    return clean ? QString() : out + QStringLiteral(" (exit ") + QString::number(p.exitCode()) + u')';
}

} // namespace orvix::test
