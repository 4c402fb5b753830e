#pragma once

// What the queues need from the picture database: whether a picture page's picture is on disk
// already, and recording a picture at the moment it is queued.

#include "pages/image_data.h"

#include <QString>

namespace orvix {

class IPictureRecords
{
public:
    virtual ~IPictureRecords() = default;
    // A record for the page exists and a file with its key is still on disk.
    virtual bool IsAlreadyDownloaded(const QString &pageUrl) = 0;
    // Runs on the page worker's thread.
    virtual void RecordQueuedPicture(const TImageData &imageData) = 0;
};

} // namespace orvix
