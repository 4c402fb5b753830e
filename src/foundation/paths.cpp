#include "paths.h"

#include "files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <mutex>

namespace orvix {

namespace {

std::mutex g_settingsMutex;
QString g_settingsFolder;

QString exeFolderUncached()
{
    const QString dir = QCoreApplication::instance()
                            ? QCoreApplication::applicationDirPath()
                            : QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
    return IncludeTrailingBackslash(dir);
}

QString withSlash(const QString &folder)
{
    return folder.isEmpty() ? QString() : IncludeTrailingBackslash(folder);
}

} // namespace

QString IncludeTrailingBackslash(const QString &path)
{
    if (path.isEmpty())
        return path;
    const QString bare = ExcludeTrailingBackslash(path);
    return bare == QStringLiteral("/") ? bare : bare + u'/';
}

QString ExcludeTrailingBackslash(const QString &path)
{
    qsizetype n = path.size();
    while (n > 0 && path[n - 1] == u'/')
        --n;
    if (n == 0 && !path.isEmpty())
        return QStringLiteral("/");
    return path.left(n);
}

QString ExeFolder()
{
    static const QString folder = exeFolderUncached();
    return folder;
}

void SetSettingsFolder(const QString &folder)
{
    std::lock_guard<std::mutex> lock(g_settingsMutex);
    g_settingsFolder = withSlash(folder);
}

QString GetSettingsFolder()
{
    {
        std::lock_guard<std::mutex> lock(g_settingsMutex);
        if (!g_settingsFolder.isEmpty())
            return g_settingsFolder;
    }
    const QString env = qEnvironmentVariable("ORVIX_SETTINGS");
    if (!env.isEmpty())
        return withSlash(env);
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

QString SettingsPath(const QString &name)
{
    if (QDir::isAbsolutePath(name))
        return name;
    return GetSettingsFolder() + name;
}

QString ProgramLogFileName()
{
    return SettingsPath(QString::fromUtf16(kDataBaseName) + QStringLiteral(".log"));
}

QString TempPath(const QString &name)
{
    if (name.contains(u'/'))
        return name;
    const QString folder = SpecialFolder(SpecialFolderKind::LocalAppData) + QStringLiteral("Temp/VarnelSoftware/");
    ForceFolder(folder);
    return folder + name;
}

QString SpecialFolder(SpecialFolderKind kind)
{
    switch (kind) {
    case SpecialFolderKind::ProgramFiles:
        return QStringLiteral("/opt/");
    case SpecialFolderKind::LocalAppData:
        return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    case SpecialFolderKind::RoamingAppData:
        return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    case SpecialFolderKind::Pictures:
        return withSlash(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation));
    }
    return QString();
}

QStringList ProgramFilesFolders()
{
    QStringList folders{QStringLiteral("/opt/"), QStringLiteral("/usr/"), QStringLiteral("/usr/local/")};
    const QString prefix = withSlash(QStringLiteral(ORVIX_INSTALL_PREFIX));
    if (!prefix.isEmpty() && !folders.contains(prefix))
        folders.append(prefix);
    return folders;
}

bool PathUnderProgramFiles(const QString &path, const QStringList &folders)
{
    const QString p = IncludeTrailingBackslash(path).toLower();
    for (const QString &folder : folders)
        if (!folder.isEmpty() && p.startsWith(IncludeTrailingBackslash(folder).toLower()))
            return true;
    return false;
}

bool RunningFromProgramFiles()
{
    return PathUnderProgramFiles(ExeFolder(), ProgramFilesFolders());
}

QString DriveRoot(const QString &path)
{
    if (path.isEmpty())
        return QString();
    // A folder still to be created lies on the volume of its nearest existing parent.
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (!info.exists() && !info.isRoot()) {
        const QString parent = info.path();
        if (parent == info.filePath())
            break;
        info = QFileInfo(parent);
    }
    // Inside a chroot or a container the mount table may not list the volume at all: the
    // file-system root is then the best answer there is.
    const QStorageInfo storage(info.absoluteFilePath());
    return storage.isValid() && !storage.rootPath().isEmpty() ? withSlash(storage.rootPath())
                                                              : QStringLiteral("/");
}

} // namespace orvix
