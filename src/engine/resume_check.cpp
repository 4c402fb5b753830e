#include "engine/resume_check.h"

#include "engine/picture_file.h"
#include "foundation/errors.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "foundation/text_files.h"
#include "queue/incomplete_session.h"
#include "queue/queue_item_files.h"
#include "queue/queue_line.h"

namespace orvix {

QString PictureKeyOfFileBase(const QString &fileBase)
{
    return TextTrim(fileBase).section(u' ', 0, 0);
}

int ForgetSavedPictures(const FoundSession &found, QueueItemFiles &files)
{
    int forgotten = 0;
    const QStringList paths = ListItemFilesOldestFirst(files.folder(QueueKind::Media), found.name());
    for (const QString &path : paths) {
        std::optional<MediaLine> media;
        try {
            media = ParseMediaLine(ReadItemFileText(path));
        } catch (const std::exception &) {
            continue; // resume reports an unreadable file itself
        }
        if (!media || media->targetFolder.isEmpty()
            || !PictureFileInFolder(PictureFolder(media->targetFolder), PictureKeyOfFileBase(media->fileBase)))
            continue;
        if (files.DeleteItemFile(path)) {
            LogMessage(QStringLiteral("Picture already saved: ") + media->pageUrl);
            ++forgotten;
        }
    }
    return forgotten;
}

} // namespace orvix
