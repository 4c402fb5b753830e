#pragma once

// The image files of the simulated site: real, decodable JPEG and PNG pictures drawn from each
// picture's seed, generated on first request and kept in memory.

#include "site_model.h"

#include <QByteArray>
#include <future>
#include <map>
#include <mutex>

namespace orvix::photosite {

// Pixel count of a noise-rich picture whose file comes out at about targetBytes.
qint64 noiseRichPixelCount(qint64 targetBytes, bool png);

// The site's 1x1 placeholder shown before a deferred thumbnail loads.
QByteArray spaceballGif();

class PictureFiles
{
public:
    // Encoded bytes of one size of a picture; thread-safe, generated once.
    QByteArray bytes(const Picture &picture, const PictureSize &size);
    // Generates the largest file of every picture, spread over the machine's cores.
    void prepareLargest(const QList<Picture> &pictures);

private:
    std::mutex m_mutex;
    std::map<QString, std::shared_future<QByteArray>> m_cache;
};

} // namespace orvix::photosite
