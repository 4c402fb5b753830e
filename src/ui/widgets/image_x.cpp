#include "image_x.h"

#include "lanczos_resample.h"

#include "foundation/errors.h"
#include "foundation/file_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>

#include <cstdio>
#include <unistd.h>

namespace orvix {

namespace {

QImage wheat(QSize size)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    image.fill(kWheat);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

QImage decode(const QString &fn, const char *format)
{
    QImageReader reader(fn, format);
    reader.setAutoTransform(true);
    return reader.read();
}

// Scaled by mode against the control's size; controlSize becomes the size the control takes.
QImage scaleByMode(const QImage &picture, TResampleModeX mode, QSize &controlSize, QSize &bestFit)
{
    const int w = picture.width();
    const int h = picture.height();
    const int W = controlSize.width();
    const int H = controlSize.height();
    switch (mode) {
    case TResampleModeX::RESAMPLE_FW:
    case TResampleModeX::RESAMPLE_FH: {
        const bool byWidth = mode == TResampleModeX::RESAMPLE_FW;
        const QSize fitted = byWidth ? QSize(W, int(qint64(h) * W / w)) : QSize(int(qint64(w) * H / h), H);
        if (fitted.width() >= w && fitted.height() >= h) {
            controlSize = picture.size();
            return picture;
        }
        controlSize = fitted;
        return ResampleLanczos3(picture, fitted);
    }
    case TResampleModeX::RESAMPLE_STRETCH:
        return ResampleLanczos3(picture, controlSize);
    case TResampleModeX::RESAMPLE_BF:
    case TResampleModeX::RESAMPLE_BF_CENTERED: {
        QSize target = qint64(w) * H / h > W ? QSize(W, int(qint64(h) * W / w)) : QSize(int(qint64(w) * H / h), H);
        target = target.expandedTo(QSize(1, 1));
        // Never enlarged: only a picture larger than the control in some direction shrinks.
        const QImage result = (w > W || h > H) ? ResampleLanczos3(picture, target) : picture;
        bestFit = result.size();
        if (mode == TResampleModeX::RESAMPLE_BF) {
            controlSize = result.size();
            return result;
        }
        QImage centred(controlSize, QImage::Format_ARGB32_Premultiplied);
        centred.fill(Qt::transparent);
        QPainter p(&centred);
        p.drawImage(qRound((W - result.width()) / 2.0), qRound((H - result.height()) / 2.0), result);
        return centred;
    }
    }
    return picture;
}

} // namespace

TImageX::TImageX(QWidget *parent) : QWidget(parent) {}

void TImageX::setBitmap(const QImage &image)
{
    m_bitmap = image;
    updateGeometry();
    update();
}

QImage TImageX::ErrorPicture()
{
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xee, 0xee, 0xee));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xb0, 0x30, 0x30), 3));
    p.drawRect(QRectF(1.5, 1.5, 45, 45));
    p.drawLine(QPointF(14, 14), QPointF(34, 34));
    p.drawLine(QPointF(34, 14), QPointF(14, 34));
    return image;
}

QImage TImageX::ReadPictureFile(const QString &fn, int previousHeight)
{
    const QString ext = QFileInfo(fn).suffix().toLower();
    if (ext == u"png" || ext == u"jpg" || ext == u"jpeg") {
        const QImage image = decode(fn, ext == u"png" ? "png" : "jpeg");
        return image.isNull() ? ErrorPicture() : image;
    }
    if (ext == u"bmp") {
        const QImage image = decode(fn, "bmp");
        if (image.isNull())
            throw EFileError(QStringLiteral("Cannot read bitmap: ") + fn);
        return image;
    }
    if (ext == u"ico") {
        const QImage image = decode(fn, "ico");
        return image.isNull() ? ErrorPicture() : image;
    }
    // A GIF is never decoded; for other kinds the placeholder keeps the height the control had
    // (100 when it had none).
    return wheat(QSize(100, ext == u"gif" || previousHeight < 1 ? 100 : previousHeight));
}

void TImageX::takeSize(QSize size)
{
    resize(size);
    updateGeometry();
}

void TImageX::LoadFromFile(const QString &fn, bool autoSizeContainer)
{
    const QString ext = QFileInfo(fn).suffix().toLower();
    setBitmap(ReadPictureFile(fn, m_bitmap.height()));
    // Icons and placeholders always bring their own size.
    const bool known = ext == u"png" || ext == u"jpg" || ext == u"jpeg" || ext == u"bmp";
    if (autoSizeContainer || !known)
        takeSize(m_bitmap.size());
}

void TImageX::LoadPngImage(const QString &fn)
{
    const QImage image = decode(fn, "png");
    setBitmap(image.isNull() ? ErrorPicture() : image);
}

void TImageX::LoadAndResampleImage(const QString &fn, TResampleModeX mode)
{
    try {
        const QImage picture = ReadPictureFile(fn, m_bitmap.height());
        if (picture.isNull() || picture.width() < 1 || picture.height() < 1)
            return;
        QSize control = size();
        const QImage result = scaleByMode(picture, mode, control, m_lastBestFit);
        if (result.isNull())
            return;
        setBitmap(result);
        if (control != size())
            takeSize(control);
    } catch (...) {
        // A preview that cannot be shown leaves the previous one.
    }
}

void TImageX::ClearWheat()
{
    setBitmap(wheat(m_bitmap.isNull() ? QSize(100, 100) : m_bitmap.size()));
}

void TImageX::SavePng(const QString &fn)
{
    SavePngReplacing(m_bitmap, fn);
}

QImage TImageX::ResampleOrKeep(const QImage &picture, QSize size)
{
    return picture.size() == size ? picture : ResampleLanczos3(picture, size);
}

void SavePngReplacing(const QImage &image, const QString &fn)
{
    QString letters;
    for (int i = 0; i < 20; ++i)
        letters += QChar(u'A' + QRandomGenerator::global()->bounded(26));
    const QString folder = QFileInfo(fn).absolutePath();
    const QString temp = TimestampedFileName(QDir(folder).filePath(QStringLiteral("temp") + letters + QStringLiteral(".png")));
    bool written = false;
    {
        QFile file(temp);
        if (file.open(QIODevice::WriteOnly) && image.save(&file, "png") && file.flush())
            written = ::fsync(file.handle()) == 0;
    }
    // One rename replaces fn whole: a reader never meets a half-written picture.
    if (written && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(fn).constData()) == 0)
        return;
    QFile::remove(temp);
    image.save(fn, "png");
}

void TImageX::paintEvent(QPaintEvent *)
{
    if (m_bitmap.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, m_bitmap);
}

} // namespace orvix
