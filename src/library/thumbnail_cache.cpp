#include "thumbnail_cache.h"

#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/folder_listing.h"
#include "foundation/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

namespace orvix {

QString ThumbnailCacheFolder(const QString &picturesFolder)
{
    return IncludeTrailingBackslash(IncludeTrailingBackslash(picturesFolder) + QStringLiteral("thumbs"));
}

QString CachedThumbnailPath(const QString &cacheFolder, const QString &picturePath)
{
    const qsizetype slash = picturePath.lastIndexOf(QLatin1Char('/'));
    const QString fileName = picturePath.mid(slash + 1);
    QString folderPart = picturePath.left(slash + 1);
    folderPart.remove(QLatin1Char('/'));
    folderPart.remove(QLatin1Char(':'));
    const qsizetype over = cacheFolder.size() + fileName.size() + folderPart.size() - kThumbnailNameBudget;
    if (over > 0)
        folderPart.remove(0, std::min(over, folderPart.size()));
    return cacheFolder + SafePath(fileName + QLatin1Char('_') + folderPart + QStringLiteral(".png"));
}

bool TakeCachedThumbnail(const QString &cachedPath, const QString &picturePath)
{
    const QFileInfo cached(cachedPath);
    if (!cached.isFile() || QFileInfo(picturePath).lastModified() > cached.lastModified())
        return false;
    // Touched, not rewritten: the thumbnail itself is still good.
    utimensat(AT_FDCWD, QFile::encodeName(cachedPath).constData(), nullptr, 0);
    return true;
}

int TrimThumbnailCache(const QString &cacheFolder, int keep)
{
    if (!QFileInfo(cacheFolder).isDir())
        return 0;
    const QStringList oldestFirst = ListFilesByDate(cacheFolder);
    int deleted = 0;
    for (qsizetype i = 0; i + keep < oldestFirst.size(); ++i)
        deleted += QFile::remove(oldestFirst[i]) ? 1 : 0;
    return deleted;
}

} // namespace orvix
