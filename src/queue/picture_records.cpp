#include "queue/picture_records.h"

#include "library/picture_db.h"

namespace orvix {

bool PictureDbRecords::IsAlreadyDownloaded(const QString &pageUrl)
{
    return m_db.IsAlreadyDownloaded(pageUrl);
}

void PictureDbRecords::RecordQueuedPicture(const TImageData &imageData)
{
    m_db.RecordQueuedPicture(imageData);
}

void PictureDbRecords::RecordFoundPicture(const TImageData &imageData, const QString &fileName)
{
    m_db.RecordFoundPicture(imageData, fileName);
}

} // namespace orvix
