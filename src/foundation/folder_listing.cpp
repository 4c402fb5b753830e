#include "folder_listing.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace orvix {

namespace {

QFileInfoList fileEntries(const QString &folder, const QString &mask)
{
    QDir dir(folder);
    const QString filter = mask == QStringLiteral("*.*") ? QStringLiteral("*") : mask;
    dir.setNameFilters({filter});
    return dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
}

void listRecursive(const QString &folder, const QString &prefix, const QString &mask, QStringList &out)
{
    for (const QFileInfo &f : fileEntries(folder, mask))
        out.append(prefix + f.fileName());
    const QFileInfoList subs = QDir(folder).entryInfoList(
        QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks, QDir::Unsorted);
    for (const QFileInfo &sub : subs) {
        const QString name = sub.fileName();
        if (name.startsWith(u'.') || name.compare(QStringLiteral("thumbs"), Qt::CaseInsensitive) == 0)
            continue;
        listRecursive(sub.filePath(), prefix + name + u'/', mask, out);
    }
}

} // namespace

QStringList ListFiles(const QString &folder, const QString &mask)
{
    QStringList names;
    for (const QFileInfo &f : fileEntries(folder, mask))
        names.append(f.fileName());
    return names;
}

QStringList ListFilePaths(const QString &folder, const QString &mask)
{
    QStringList paths;
    for (const QFileInfo &f : fileEntries(folder, mask))
        paths.append(f.filePath());
    return paths;
}

QStringList ListFilesByDate(const QString &folder, const QString &mask)
{
    QFileInfoList files = fileEntries(folder, mask);
    std::stable_sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
        return a.lastModified().toMSecsSinceEpoch() < b.lastModified().toMSecsSinceEpoch();
    });
    QStringList paths;
    for (const QFileInfo &f : files)
        paths.append(f.filePath());
    return paths;
}

QStringList ListFilesRecursive(const QString &folder, const QString &mask)
{
    QStringList out;
    listRecursive(folder, QString(), mask, out);
    return out;
}

} // namespace orvix
