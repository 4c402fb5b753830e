#include "library_search.h"

#include "picture_db.h"

#include "foundation/files.h"
#include "foundation/text.h"

#include <QStringMatcher>

namespace orvix {

bool IsPreviewPicture(QStringView path)
{
    for (const char *ext : {".bmp", ".jpg", ".png", ".ico"})
        if (path.endsWith(QLatin1String(ext), Qt::CaseInsensitive))
            return true;
    return false;
}

namespace {
constexpr qsizetype kEntriesBetweenPauses = 8192;
}

QStringList CollectLibraryMatches(const QStringList &files, const QString &term, qsizetype limit,
                                  const std::function<bool()> &keepGoing)
{
    QStringList found;
    if (term.isEmpty() || limit == 0)
        return found;
    // One matcher for the whole list: the library may hold a million paths.
    const QStringMatcher matcher(term, Qt::CaseInsensitive);
    qsizetype untilPause = kEntriesBetweenPauses;
    for (const QString &path : files) {
        if (keepGoing && --untilPause == 0) {
            if (!keepGoing())
                break;
            untilPause = kEntriesBetweenPauses;
        }
        if (matcher.indexIn(path) < 0 || !IsPreviewPicture(path) || !FileExists(path))
            continue;
        found.append(path);
        if (limit > 0 && found.size() >= limit)
            break;
    }
    return found;
}

QStringList LibrarySearchFiles(const PictureDatabase &db, const QString &term, qsizetype limit,
                               const std::function<bool()> &keepGoing)
{
    return CollectLibraryMatches(db.filesSnapshot(), term, limit, keepGoing);
}

QString ExtractTitleFromFileName(const QString &fileName)
{
    if (!fileName.contains(QLatin1Char('_')))
        return QString();
    QString s = fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype underscore = s.lastIndexOf(QLatin1Char('_'));
    if (underscore >= 0)
        s.truncate(underscore);
    const qsizetype blank = s.indexOf(QLatin1Char(' '));
    if (blank >= 0)
        s = s.mid(blank + 1);
    return TextTrim(s);
}

} // namespace orvix
