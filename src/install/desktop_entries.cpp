#include "desktop_entries.h"

#include "foundation/errors.h"
#include "foundation/files.h"

#include <QDir>
#include <QFile>

namespace orvix {

namespace {

// Characters that make an Exec argument need quotes; inside quotes ", `, $ and \ take a backslash.
bool needsQuotes(const QString &arg)
{
    if (arg.isEmpty())
        return true;
    for (const QChar c : arg)
        if (c.isSpace() || QStringLiteral("\"'\\><~|&;$*?#()`").contains(c))
            return true;
    return false;
}

QString quoteArgument(const QString &arg)
{
    QString out = arg;
    out.replace(u'%', QStringLiteral("%%"));
    if (!needsQuotes(arg))
        return out;
    QString quoted;
    for (const QChar c : out) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

// A string value of the key file: backslash, new line and tab escaped.
QString keyValue(const QString &value)
{
    QString out;
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

} // namespace

QString DesktopExecLine(const QString &program, const QStringList &arguments)
{
    QStringList parts{quoteArgument(program)};
    for (const QString &a : arguments)
        parts.append(quoteArgument(a));
    return parts.join(u' ');
}

QString DesktopEntryText(const DesktopEntry &entry)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n");
    text += QStringLiteral("Name=") + keyValue(entry.name) + u'\n';
    if (!entry.comment.isEmpty())
        text += QStringLiteral("Comment=") + keyValue(entry.comment) + u'\n';
    text += QStringLiteral("Exec=") + keyValue(DesktopExecLine(entry.program, entry.arguments)) + u'\n';
    if (!entry.workingFolder.isEmpty())
        text += QStringLiteral("Path=") + keyValue(entry.workingFolder) + u'\n';
    if (!entry.icon.isEmpty())
        text += QStringLiteral("Icon=") + keyValue(entry.icon) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    if (!entry.categories.isEmpty())
        text += QStringLiteral("Categories=") + entry.categories.join(u';') + QStringLiteral(";\n");
    return text;
}

void WriteDesktopEntry(const QString &file, const DesktopEntry &entry)
{
    ForceFolderOf(file);
    WriteFileAtomic(file, DesktopEntryText(entry).toUtf8());
    QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther);
}

QList<int> ProgramIconSizes()
{
    return {16, 24, 32, 48, 64, 128, 256};
}

QString ProgramIconResource(int size, bool setup)
{
    return QStringLiteral(":/orvix/icons/%1x%1/apps/%2.png").arg(size).arg(setup ? QStringLiteral("orvix-setup") : QStringLiteral("orvix"));
}

QIcon ProgramIcon(bool setup)
{
    QIcon icon;
    for (const int size : ProgramIconSizes())
        icon.addFile(ProgramIconResource(size, setup), QSize(size, size));
    return icon;
}

void InstallThemeIcon(const QString &iconThemeFolder, const QString &name)
{
    for (const int size : ProgramIconSizes()) {
        QFile source(ProgramIconResource(size));
        if (!source.open(QIODevice::ReadOnly))
            throw EOrvix(QStringLiteral("Could not locate icon ") + source.fileName());
        const QString target = iconThemeFolder + QStringLiteral("%1x%1/apps/").arg(size) + name + QStringLiteral(".png");
        ForceFolderOf(target);
        WriteFileAtomic(target, source.readAll());
    }
}

void RemoveThemeIcon(const QString &iconThemeFolder, const QString &name)
{
    for (const int size : ProgramIconSizes())
        DeleteFileIfExists(iconThemeFolder + QStringLiteral("%1x%1/apps/").arg(size) + name + QStringLiteral(".png"));
}

} // namespace orvix
