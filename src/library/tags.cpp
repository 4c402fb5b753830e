#include "tags.h"

#include "picture_db.h"
#include "picture_match.h"

#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/text.h"

namespace orvix {

namespace {
const QString kTagsMarker = QStringLiteral("[tags]");
}

QString ExtractTags(QStringView fileName)
{
    const int at = TextPos(fileName, kTagsMarker);
    if (at == 0)
        return QString();
    QString r = TextReplaceAll(TextCopyView(fileName, at, 1000), kTagsMarker, u"");
    const int dot = TextLastPos(r, u".");
    if (dot > 0)
        r = TextCopy(r, 1, dot - 1);
    if (r.size() > 1 && r.at(r.size() - 2) == QLatin1Char('_'))
        r.chop(2);
    return r;
}

QString PathWithNewTags(const QString &oldPath, const QString &cleanedTags)
{
    // Only the file name is edited: a folder whose name holds the marker stays as it is.
    const qsizetype nameStart = oldPath.size() - FileNameOf(oldPath).size();
    const QString oldName = oldPath.mid(nameStart);
    QString name = oldName;
    const int at = TextPos(name, kTagsMarker);
    if (at > 0)
        name = TextDelete(name, at, int(kTagsMarker.size() + ExtractTags(oldName).size()));

    // Before the extension's "." whatever its length; a name without one gets the tags at its end.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    name.insert(dot >= 0 ? dot : name.size(), kTagsMarker + cleanedTags);
    return oldPath.left(nameStart) + name;
}

QString TagMenuCaption(const QString &fileName)
{
    return TextTrim(ExtractTags(FileNameOf(fileName))).isEmpty() ? QStringLiteral("Add tags")
                                                                 : QStringLiteral("Edit tags");
}

QString TagEditProblem(const QString &fileName)
{
    if (fileName.isEmpty())
        return QStringLiteral("No file to edit");
    if (!FileExists(fileName))
        return QStringLiteral("Picture file ") + fileName + QStringLiteral(" does not exist");
    return QString();
}

QString CleanTagsForFileName(const QString &tags)
{
    return SafeFileName(tags).replace(QLatin1Char('_'), QLatin1Char(' '));
}

QString RenameWithTags(const QString &oldPath, const QString &tags)
{
    const QString newPath = PathWithNewTags(oldPath, CleanTagsForFileName(tags));
    if (newPath == oldPath)
        return newPath;
    // Never over another picture: a rename onto an existing name would lose that file.
    if (FileExists(newPath) || !RenameFileTo(oldPath, newPath))
        return QString();
    return newPath;
}

QString RetagSavedPicture(PictureDatabase &db, const QString &oldPath, const QString &tags)
{
    const QString newPath = RenameWithTags(oldPath, tags);
    if (!newPath.isEmpty() && newPath != oldPath)
        db.RegisterSavedFile(newPath);
    return newPath;
}

} // namespace orvix
