#pragma once

// What the queues need from the picture database: whether a picture page's picture is on disk
// already, and recording a picture at the moment it is queued or found saved. The program passes
// its picture database (PictureDbRecords); tests pass stand-ins.

#include "pages/image_data.h"

#include <QString>

namespace orvix {

class PictureDatabase;

class IPictureRecords
{
public:
    virtual ~IPictureRecords() = default;
    // A record for the page exists and a file with its key is still on disk.
    virtual bool IsAlreadyDownloaded(const QString &pageUrl) = 0;
    // Runs on the page worker's thread.
    virtual void RecordQueuedPicture(const TImageData &imageData) = 0;
    // A worker found the picture's file already saved: it counts as downloaded from now on.
    virtual void RecordFoundPicture(const TImageData &imageData, const QString &fileName) = 0;
};

class PictureDbRecords : public IPictureRecords
{
public:
    explicit PictureDbRecords(PictureDatabase &db) : m_db(db) {}
    bool IsAlreadyDownloaded(const QString &pageUrl) override;
    void RecordQueuedPicture(const TImageData &imageData) override;
    void RecordFoundPicture(const TImageData &imageData, const QString &fileName) override;

private:
    PictureDatabase &m_db;
};

} // namespace orvix
