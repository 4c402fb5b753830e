#include "page_for_file.h"

#include "picture_db.h"
#include "picture_match.h"

#include "foundation/text.h"
#include "pages/picture_page.h"

namespace orvix {

PageForFile FindPageForSavedFile(const PictureDatabase &db, const QString &filePath)
{
    PageForFile r;
    const QString name = TextTrim(FileNameOf(filePath));
    if (name.isEmpty())
        return r;
    const QStringList pieces = FileNameKeyPieces(name);
    if (pieces.size() < 2)
        return r;

    const QString record = db.FindImageRecordByKey(pieces[0] + QLatin1Char('_') + pieces[1]);
    if (record.isEmpty()) {
        r.action = PageForFile::Action::TryZoomPage;
        r.message = QStringLiteral("Could not find URL for picture. Will try to locate it directly.");
        r.url = ZoomPageUrlForFileName(filePath);
        return r;
    }
    const QStringList fields = TextSplit(record, u"|");
    if (fields.size() < 3) {
        r.action = PageForFile::Action::CorruptRecord;
        r.message = QStringLiteral("Corrupt images database");
        return r;
    }
    r.action = PageForFile::Action::Navigate;
    r.url = fields[1];
    return r;
}

} // namespace orvix
