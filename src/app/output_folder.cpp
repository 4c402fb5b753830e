#include "output_folder.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"

#include <QDir>
#include <QFileInfo>

namespace orvix {

namespace {

bool makeFolder(const QString &folder)
{
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || QDir().mkpath(folder));
}

} // namespace

QString EnsureOutputFolder(const QString &outputFolder, const QString &settingsFolder)
{
    QString folder = WithoutTrailingDots(outputFolder);
    if (makeFolder(folder))
        return folder;

    const QString pictures = SpecialFolder(SpecialFolderKind::Pictures);
    if (!pictures.isEmpty()) {
        folder = IncludeTrailingBackslash(pictures) + QStringLiteral("Orvix Images");
        if (makeFolder(folder))
            return folder;
    }

    folder = IncludeTrailingBackslash(settingsFolder) + QStringLiteral("Orvix Images");
    if (makeFolder(folder))
        return folder;
    const QString message = QStringLiteral("Could not create folder: ") + folder;
    ErrorBox(message);
    throw EFileError(message);
}

} // namespace orvix
