#include "output_folder.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/paths.h"

#include <QDir>
#include <QFileInfo>

namespace orvix {

namespace {

bool makeFolder(const QString &folder)
{
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || QDir().mkpath(folder));
}

} // namespace

QString EnsureOutputFolder(const QString &outputFolder)
{
    QString folder = outputFolder;
    while (folder.endsWith(QLatin1Char('.')))
        folder.chop(1);
    if (makeFolder(folder))
        return folder;

    const QString pictures = SpecialFolder(SpecialFolderKind::Pictures);
    if (!pictures.isEmpty()) {
        folder = IncludeTrailingBackslash(pictures) + QStringLiteral("Orvix Images");
        if (makeFolder(folder))
            return folder;
    }

    folder = SettingsPath(QStringLiteral("Orvix Images"));
    if (makeFolder(folder))
        return folder;
    const QString message = QStringLiteral("Could not create folder: ") + folder;
    ErrorBox(message);
    throw EFileError(message);
}

} // namespace orvix
