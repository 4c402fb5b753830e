#pragma once

// The image control behind every picture preview (web panel thumbnails, the picture panel, the
// strips): it paints one bitmap at its top-left corner and loads and scales pictures by the
// program's rules.

#include <QImage>
#include <QWidget>

namespace orvix {

enum class TResampleModeX { RESAMPLE_FW, RESAMPLE_FH, RESAMPLE_BF, RESAMPLE_BF_CENTERED, RESAMPLE_STRETCH };

// Stand-in for a GIF or an unknown kind of file: wheat, framed by a dotted rectangle.
inline const QColor kWheat{245, 222, 179};

class TImageX : public QWidget
{
    Q_OBJECT
public:
    explicit TImageX(QWidget *parent = nullptr);

    const QImage &bitmap() const { return m_bitmap; }
    void setBitmap(const QImage &image);

    // Loads fn and scales it by mode against the control's size. Every error is swallowed: the
    // control keeps what it had.
    void LoadAndResampleImage(const QString &fn, TResampleModeX mode);
    // Loads without scaling; with autoSizeContainer the control takes the picture's size.
    // A ".bmp" that cannot be read raises EFileError.
    void LoadFromFile(const QString &fn, bool autoSizeContainer);
    void LoadPngImage(const QString &fn);
    // Writes the bitmap as PNG through a temporary file beside fn, so fn is never half written.
    void SavePng(const QString &fn);
    // Fills the bitmap's current area with wheat inside a dotted frame.
    void ClearWheat();

    // Size of the picture drawn by the last best-fit load (the picture panel sizes its preview by it).
    QSize lastBestFitSize() const { return m_lastBestFit; }

    // Shown for a PNG or JPEG file that cannot be decoded.
    static QImage ErrorPicture();
    // The picture a file gives by its extension; a bitmap that cannot be read raises EFileError.
    // previousHeight is the placeholder's height for extensions other than ".gif".
    static QImage ReadPictureFile(const QString &fn, int previousHeight);
    // picture scaled to size with Lanczos-3, or picture itself when it has that size already.
    static QImage ResampleOrKeep(const QImage &picture, QSize size);

    QSize sizeHint() const override { return m_bitmap.isNull() ? QWidget::sizeHint() : m_bitmap.size(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void takeSize(QSize size);

    QImage m_bitmap;
    QSize m_lastBestFit;
};

// Writes image as PNG through a temporary file beside fn, so fn is never half written; any thread.
void SavePngReplacing(const QImage &image, const QString &fn);

} // namespace orvix
