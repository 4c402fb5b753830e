#include "process_table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace orvix {

namespace {

QString processFileName(const QString &pidFolder)
{
    QString target = QFileInfo(pidFolder + QStringLiteral("/exe")).symLinkTarget();
    // A program file replaced or removed while running still names the process.
    if (target.endsWith(QLatin1String(" (deleted)")))
        target.chop(10);
    if (!target.isEmpty())
        return QFileInfo(target).fileName();
    QFile cmdline(pidFolder + QStringLiteral("/cmdline"));
    if (!cmdline.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray first = cmdline.read(4096).split('\0').value(0);
    return QFileInfo(QString::fromLocal8Bit(first)).fileName();
}

} // namespace

QStringList OtherProcessFileNames()
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    QStringList names;
    const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : pids) {
        bool numeric = false;
        pid.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QString name = processFileName(QStringLiteral("/proc/") + pid);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

bool IsProgramRunning(const QString &exeName)
{
    const QStringList names = OtherProcessFileNames();
    for (const QString &name : names)
        if (name.compare(exeName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace orvix
