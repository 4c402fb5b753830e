// The preview image control: loading by kind of file, the scaling modes, the resampler, SavePng.
#include "test_support.h"

#include "foundation/errors.h"
#include "ui/widgets/image_x.h"
#include "ui/widgets/lanczos_resample.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QString writePicture(const QTemporaryDir &dir, const QString &name, const QImage &image, const char *format)
{
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path, format)) << qPrintable(path);
    return path;
}

QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

// Lanczos-3 computed directly from its definition in two dimensions, on premultiplied channels.
double kernel(double x)
{
    x = std::abs(x);
    if (x == 0)
        return 1;
    if (x >= 3)
        return 0;
    const double px = std::numbers::pi * x;
    return std::sin(px) / px * std::sin(px / 3) / (px / 3);
}

std::vector<std::pair<int, double>> weights(int out, int srcLen, int dstLen)
{
    const double ratio = double(srcLen) / dstLen;
    const double scale = std::min(1.0, double(dstLen) / srcLen);
    const double centre = (out + 0.5) * ratio;
    std::vector<std::pair<int, double>> w;
    double sum = 0;
    for (int j = 0; j < srcLen; ++j) {
        const double k = kernel((j + 0.5 - centre) * scale);
        if (k != 0) {
            w.emplace_back(j, k);
            sum += k;
        }
    }
    for (auto &p : w)
        p.second /= sum;
    return w;
}

QImage referenceLanczos(const QImage &src, QSize size)
{
    const QImage in = src.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        const auto wy = weights(y, in.height(), size.height());
        for (int x = 0; x < size.width(); ++x) {
            const auto wx = weights(x, in.width(), size.width());
            double c[4] = {0, 0, 0, 0};
            for (const auto &[sy, fy] : wy)
                for (const auto &[sx, fx] : wx) {
                    const QRgb p = reinterpret_cast<const QRgb *>(in.constScanLine(sy))[sx];
                    c[0] += fy * fx * qRed(p);
                    c[1] += fy * fx * qGreen(p);
                    c[2] += fy * fx * qBlue(p);
                    c[3] += fy * fx * qAlpha(p);
                }
            const int a = std::clamp(int(std::lround(c[3])), 0, 255);
            auto ch = [a](double v) { return std::clamp(int(std::lround(v)), 0, a); };
            reinterpret_cast<QRgb *>(out.scanLine(y))[x] = qRgba(ch(c[0]), ch(c[1]), ch(c[2]), a);
        }
    }
    return out;
}

// Stripes, a checkerboard corner and a gradient: sharp edges ring, so the negative lobes count.
QImage pattern(QSize size, bool withAlpha)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int r = (x / 3) % 2 ? 250 : 10;
            const int g = ((x / 2 + y / 2) % 2) ? 230 : 20;
            const int b = (x * 255) / std::max(1, size.width() - 1);
            const int a = withAlpha ? (y * 255) / std::max(1, size.height() - 1) : 255;
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image;
}

int largestDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return worst;
}

} // namespace

TEST(Lanczos3, MatchesTheFilterComputedFromItsDefinition)
{
    struct Case
    {
        QSize from, to;
        bool alpha;
    } cases[] = {
        {{37, 23}, {13, 9}, false},  // shrink both ways
        {{16, 12}, {41, 29}, false}, // enlarge both ways
        {{40, 10}, {11, 27}, false}, // shrink one way, enlarge the other
        {{300, 150}, {100, 50}, false},
        {{30, 30}, {17, 17}, true},  // transparency: channels never above alpha
        {{25, 8}, {25, 3}, false},   // one direction unchanged
        {{600, 400}, {250, 170}, false}, // large enough to be shared among threads
    };
    for (const Case &c : cases) {
        const QImage src = pattern(c.from, c.alpha);
        const QImage got = ResampleLanczos3(src, c.to);
        ASSERT_EQ(got.size(), c.to);
        ASSERT_EQ(got.format(), QImage::Format_ARGB32_Premultiplied);
        EXPECT_LE(largestDifference(got, referenceLanczos(src, c.to)), 2)
            << c.from.width() << "x" << c.from.height() << " -> " << c.to.width() << "x" << c.to.height();
    }
}

TEST(Lanczos3, FlatAreasKeepTheirColourExactly)
{
    const QColor colour(200, 17, 99);
    for (QSize to : {QSize(7, 5), QSize(90, 3), QSize(1, 1), QSize(333, 211)}) {
        const QImage got = ResampleLanczos3(solid({64, 48}, colour), to).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x)
                ASSERT_EQ(got.pixel(x, y), colour.rgba()) << to.width() << "x" << to.height() << " at " << x << "," << y;
    }
    EXPECT_TRUE(ResampleLanczos3(QImage(), {5, 5}).isNull());
    EXPECT_TRUE(ResampleLanczos3(solid({4, 4}, colour), {0, 5}).isNull());
}

TEST(ImageX, CentredBestFitShrinksToTheBoxAndCentresVertically)
{
    QTemporaryDir dir;
    const QString fn = writePicture(dir, QStringLiteral("wide.png"), solid({300, 150}, Qt::red), "png");
    TImageX image;
    image.resize(100, 100);
    image.LoadAndResampleImage(fn, TResampleModeX::RESAMPLE_BF_CENTERED);
    EXPECT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(image.lastBestFitSize(), QSize(100, 50));
    const QImage bmp = image.bitmap().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(bmp.size(), QSize(100, 100));
    for (int y : {0, 24, 75, 99})
        EXPECT_EQ(qAlpha(bmp.pixel(50, y)), 0) << y;
    for (int y : {25, 50, 74})
        for (int x : {0, 50, 99})
            EXPECT_EQ(bmp.pixel(x, y), QColor(Qt::red).rgba()) << x << "," << y;
}

TEST(ImageX, ScalingModesAndTheSizesTheControlTakes)
{
    using M = TResampleModeX;
    struct Case
    {
        M mode;
        QSize control, picture, controlAfter, bitmap;
    } cases[] = {
        {M::RESAMPLE_BF, {100, 100}, {300, 150}, {100, 50}, {100, 50}},
        {M::RESAMPLE_BF, {100, 100}, {150, 300}, {50, 100}, {50, 100}},
        {M::RESAMPLE_BF, {100, 100}, {40, 20}, {40, 20}, {40, 20}},             // never enlarged
        {M::RESAMPLE_BF, {100, 100}, {120, 20}, {100, 16}, {100, 16}},          // too wide only
        {M::RESAMPLE_BF_CENTERED, {100, 100}, {40, 20}, {100, 100}, {100, 100}},
        {M::RESAMPLE_FW, {100, 30}, {200, 100}, {100, 50}, {100, 50}},
        {M::RESAMPLE_FW, {100, 30}, {50, 20}, {50, 20}, {50, 20}},               // control already wide enough
        {M::RESAMPLE_FH, {30, 100}, {100, 200}, {50, 100}, {50, 100}},
        {M::RESAMPLE_FH, {30, 100}, {20, 50}, {20, 50}, {20, 50}},
        {M::RESAMPLE_STRETCH, {80, 60}, {300, 150}, {80, 60}, {80, 60}},
        {M::RESAMPLE_STRETCH, {80, 60}, {10, 10}, {80, 60}, {80, 60}},
    };
    QTemporaryDir dir;
    for (const Case &c : cases) {
        const QString fn = writePicture(dir, QStringLiteral("p.png"), solid(c.picture, Qt::blue), "png");
        TImageX image;
        image.resize(c.control);
        image.LoadAndResampleImage(fn, c.mode);
        EXPECT_EQ(image.size(), c.controlAfter) << int(c.mode) << " " << c.picture.width() << "x" << c.picture.height();
        EXPECT_EQ(image.bitmap().size(), c.bitmap) << int(c.mode) << " " << c.picture.width() << "x" << c.picture.height();
    }
    // The small picture in the centred box sits in the middle, at its own size.
    const QString fn = writePicture(dir, QStringLiteral("small.png"), solid({40, 20}, Qt::blue), "png");
    TImageX image;
    image.resize(100, 100);
    image.LoadAndResampleImage(fn, M::RESAMPLE_BF_CENTERED);
    const QImage bmp = image.bitmap().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(bmp.pixel(30, 40), QColor(Qt::blue).rgba());
    EXPECT_EQ(bmp.pixel(69, 59), QColor(Qt::blue).rgba());
    EXPECT_EQ(qAlpha(bmp.pixel(29, 40)), 0);
    EXPECT_EQ(qAlpha(bmp.pixel(70, 60)), 0);
}

TEST(ImageX, LoadingByKindOfFile)
{
    QTemporaryDir dir;
    const QString jpg = writePicture(dir, QStringLiteral("a.JPG"), solid({30, 20}, Qt::green), "jpeg");
    const QString bmp = writePicture(dir, QStringLiteral("a.bmp"), solid({12, 34}, Qt::green), "bmp");
    const QString ico = writePicture(dir, QStringLiteral("a.ico"), solid({32, 32}, Qt::green), "ico");
    // GIFs are never decoded, so any GIF will do.
    const QString gif = writeBytes(dir, QStringLiteral("a.gif"), QByteArray("GIF89a\x2c\x01\x0a\x00", 10));
    const QString other = writeBytes(dir, QStringLiteral("a.webp"), "whatever");
    const QString brokenJpg = writeBytes(dir, QStringLiteral("b.jpg"), "not a jpeg");
    const QString brokenBmp = writeBytes(dir, QStringLiteral("b.bmp"), "not a bitmap");
    // A PNG named as a JPEG is decoded as what its name says, so it fails like a broken one.
    const QString pngAsJpg = writePicture(dir, QStringLiteral("c.jpg"), solid({5, 5}, Qt::green), "png");

    TImageX image;
    image.resize(7, 7);
    image.LoadFromFile(jpg, true);
    EXPECT_EQ(image.size(), QSize(30, 20));
    image.LoadFromFile(bmp, false);
    EXPECT_EQ(image.bitmap().size(), QSize(12, 34));
    EXPECT_EQ(image.size(), QSize(30, 20)); // without autosize the control keeps its size
    image.LoadFromFile(ico, false);
    EXPECT_EQ(image.size(), QSize(32, 32)); // an icon always brings its size

    image.LoadFromFile(gif, false);
    EXPECT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(image.bitmap().pixelColor(50, 50), kWheat);
    int framePixels = 0; // the dotted frame
    for (int x = 0; x < 100; ++x)
        framePixels += image.bitmap().pixelColor(x, 0) != kWheat;
    EXPECT_GT(framePixels, 20);
    EXPECT_LT(framePixels, 80);
    image.setBitmap(solid({10, 42}, Qt::black));
    image.LoadFromFile(other, false);
    EXPECT_EQ(image.size(), QSize(100, 42));
    EXPECT_EQ(image.bitmap().pixelColor(50, 20), kWheat);

    for (const QString &broken : {brokenJpg, pngAsJpg}) {
        image.LoadFromFile(broken, true);
        EXPECT_EQ(image.bitmap(), TImageX::ErrorPicture()) << qPrintable(broken);
    }
    EXPECT_THROW(image.LoadFromFile(brokenBmp, true), EFileError);

    // Scaled loading swallows the failure and keeps the picture it had.
    image.setBitmap(solid({9, 9}, Qt::yellow));
    image.LoadAndResampleImage(brokenBmp, TResampleModeX::RESAMPLE_BF);
    image.LoadAndResampleImage(dir.filePath(QStringLiteral("missing.bmp")), TResampleModeX::RESAMPLE_BF);
    EXPECT_EQ(image.bitmap(), solid({9, 9}, Qt::yellow));
}

TEST(ImageX, SavePngReplacesTheFileWholeAndLeavesNoTemporaryFile)
{
    QTemporaryDir dir;
    const QString fn = dir.filePath(QStringLiteral("thumb.png"));
    writeBytes(dir, QStringLiteral("thumb.png"), QByteArray(5000, 'x'));
    TImageX image;
    image.setBitmap(pattern({20, 10}, true).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    image.SavePng(fn);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("thumb.png")});
    TImageX back;
    back.LoadPngImage(fn);
    EXPECT_EQ(back.bitmap().convertToFormat(QImage::Format_ARGB32_Premultiplied), image.bitmap());

}
