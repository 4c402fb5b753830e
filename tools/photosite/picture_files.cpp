#include "picture_files.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

namespace orvix::photosite {

namespace {

constexpr int kJpegQuality = 90;

struct Disc
{
    double cx, cy, r;
    QRgb colour;
};

quint8 channel(quint64 h, int shift) { return quint8(40 + ((h >> shift) & 0xFF) * 180 / 255); }

// Draws the picture's scene: a diagonal gradient with a few discs, the same at every size (a
// smaller size is the same scene scaled down), plus fine noise in the first noisyRows rows when
// the file must be large.
QImage renderScene(quint64 seed, int width, int height, double u0, double u1, double v0, double v1,
                   int noisyRows)
{
    const quint64 h = mix64(seed);
    const QRgb from = qRgb(channel(h, 0), channel(h, 8), channel(h, 16));
    const QRgb to = qRgb(channel(h, 24), channel(h, 32), channel(h, 40));
    Disc discs[3];
    for (int i = 0; i < 3; ++i) {
        const quint64 d = mix64(seed, 10 + i);
        discs[i] = {double(d & 0xFFFF) / 65535.0, double((d >> 16) & 0xFFFF) / 65535.0,
                    0.08 + double((d >> 32) & 0xFF) / 255.0 * 0.2,
                    qRgb(channel(d, 40), channel(d, 48), channel(d, 56))};
    }
    QImage image(width, height, QImage::Format_RGB32);
    quint64 state = mix64(seed, 99) | 1;
    const double du = (u1 - u0) / width;
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = v0 + (v1 - v0) * (y + 0.5) / height;
        // Where each disc crosses this row, as a range of columns.
        int from_x[3], to_x[3];
        for (int i = 0; i < 3; ++i) {
            const double dy = v - discs[i].cy;
            const double rest = discs[i].r * discs[i].r - dy * dy;
            from_x[i] = 1;
            to_x[i] = 0;
            if (rest > 0) {
                const double s = std::sqrt(rest);
                from_x[i] = int(std::ceil((discs[i].cx - s - u0) / du - 0.5));
                to_x[i] = int(std::floor((discs[i].cx + s - u0) / du - 0.5));
            }
        }
        // The gradient's weight t = (u + v) / 2 in 16.16 fixed point, stepped along the row.
        qint64 t = qint64(((u0 + du * 0.5 + v) / 2) * 65536.0);
        const qint64 dt = qint64(du / 2 * 65536.0);
        for (int x = 0; x < width; ++x, t += dt) {
            const qint64 w = qBound(qint64(0), t, qint64(65536));
            int r = int((qRed(from) * (65536 - w) + qRed(to) * w) >> 16);
            int g = int((qGreen(from) * (65536 - w) + qGreen(to) * w) >> 16);
            int b = int((qBlue(from) * (65536 - w) + qBlue(to) * w) >> 16);
            for (int i = 0; i < 3; ++i) {
                if (x >= from_x[i] && x <= to_x[i]) {
                    r = (r + 3 * qRed(discs[i].colour)) / 4;
                    g = (g + 3 * qGreen(discs[i].colour)) / 4;
                    b = (b + 3 * qBlue(discs[i].colour)) / 4;
                }
            }
            if (y < noisyRows) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                r += int(state & 0x7F) - 64;
                g += int((state >> 8) & 0x7F) - 64;
                b += int((state >> 16) & 0x7F) - 64;
            }
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    return image;
}

QByteArray encode(const QImage &image, bool png)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, png ? "png" : "jpeg");
    // A light PNG compression: noisy rows barely shrink at any level, so the fast one will do.
    writer.setQuality(png ? 80 : kJpegQuality);
    if (!writer.write(image))
        qFatal("photosite: cannot encode a picture: %s", qPrintable(writer.errorString()));
    return out;
}

QByteArray generate(const Picture &picture, const PictureSize &size)
{
    // The square size is the middle of the scene; the others show all of it.
    double u0 = 0, u1 = 1, v0 = 0, v1 = 1;
    if (size.letter == 's') {
        const PictureSize &ref = picture.largest();
        if (ref.width > ref.height) {
            const double span = double(ref.height) / ref.width;
            u0 = (1 - span) / 2;
            u1 = u0 + span;
        } else {
            const double span = double(ref.width) / ref.height;
            v0 = (1 - span) / 2;
            v1 = v0 + span;
        }
    }
    const QImage image = renderScene(picture.patternSeed, size.width, size.height, u0, u1, v0, v1,
                                     size.noisyRows);
    return encode(image, size.png);
}

// Bytes a noisy pixel costs in each format, measured once on a probe picture.
double bytesPerNoisyPixel(bool png)
{
    static std::once_flag once;
    static double jpeg = 1, pngValue = 3;
    std::call_once(once, [] {
        const int w = 256, h = 192;
        const QImage probe = renderScene(12345, w, h, 0, 1, 0, 1, h);
        jpeg = qMax(0.2, double(encode(probe, false).size()) / (w * h));
        pngValue = qMax(0.2, double(encode(probe, true).size()) / (w * h));
    });
    return png ? pngValue : jpeg;
}

} // namespace

qint64 noiseRichPixelCount(qint64 targetBytes, bool png)
{
    return qMax<qint64>(1, qint64(double(targetBytes) / bytesPerNoisyPixel(png)));
}

QByteArray spaceballGif()
{
    static const unsigned char gif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF,
        0xFF, 0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C,
        0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    return QByteArray(reinterpret_cast<const char *>(gif), int(sizeof(gif)));
}

QByteArray PictureFiles::bytes(const Picture &picture, const PictureSize &size)
{
    const QString key = picture.id + QLatin1Char('_') + QLatin1Char(size.letter);
    std::shared_future<QByteArray> future;
    std::promise<QByteArray> promise;
    bool mine = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_cache.find(key);
        if (it == m_cache.end()) {
            future = promise.get_future().share();
            m_cache.emplace(key, future);
            mine = true;
        } else {
            future = it->second;
        }
    }
    // Generated outside the lock, so other pictures are served meanwhile.
    if (mine)
        promise.set_value(generate(picture, size));
    return future.get();
}

void PictureFiles::prepareLargest(const QList<Picture> &pictures)
{
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < pictures.size(); i = next++)
            bytes(pictures.at(i), pictures.at(i).largest());
    };
    const unsigned n = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < n; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread &t : threads)
        t.join();
}

} // namespace orvix::photosite
