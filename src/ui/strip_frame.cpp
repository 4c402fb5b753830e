#include "strip_frame.h"

#include "widgets/image_x.h"

#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "library/thumbnail_cache.h"

#include <QFileInfo>
#include <QLineEdit>

namespace orvix {

TFrameX::TFrameX(QWidget *owner, const QString &frameFilename, const QString &thumbsDir, int frameHeight,
                 bool cacheThumbnails)
    : QFrame(owner), _thumbsDir(thumbsDir), m_frameFn(frameFilename)
{
    setObjectName(QStringLiteral("FrameX"));
    setAutoFillBackground(true);
    setBackground(Qt::white);
    m_image = new TImageX(this);
    m_image->setObjectName(QStringLiteral("Image1x"));
    m_image->setCursor(Qt::PointingHandCursor);
    m_caption = new QLineEdit(this);
    m_caption->setObjectName(QStringLiteral("StaticText1x"));
    m_caption->setReadOnly(true);
    m_caption->setFrame(false);
    m_caption->setFocusPolicy(Qt::NoFocus);
    m_caption->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(202, 228, 255); border: none; }"));
    m_caption->hide();

    if (QFileInfo(frameFilename).fileName().compare(frameFilename, Qt::CaseInsensitive) == 0) {
        m_empty = true;
        InfoBox(QStringLiteral("Frame must be referenced using its full path"));
        return;
    }
    loadPreview(frameHeight, cacheThumbnails);
    const int imageWidth = m_image->width();
    const int captionHeight = m_caption->sizeHint().height();
    m_image->move(kImageMargin, kImageMargin);
    m_caption->setGeometry(kImageMargin, kImageMargin + m_image->height() + kCaptionGap, imageWidth, captionHeight);
    resize(imageWidth + 2 * kImageMargin, m_image->height() + captionHeight + 10 + kCaptionGap);
}

void TFrameX::loadPreview(int frameHeight, bool cacheThumbnails)
{
    const QString cached = CachedThumbnailPath(_thumbsDir, m_frameFn);
    try {
        if (TakeCachedThumbnail(cached, m_frameFn)) {
            m_image->LoadFromFile(cached, true);
            if (!m_image->bitmap().isNull())
                return;
        }
        // Wide enough for any proportion: the fit-height rule sets the width from the picture.
        m_image->resize(frameHeight * 8, frameHeight);
        m_image->LoadAndResampleImage(m_frameFn, TResampleModeX::RESAMPLE_FH);
    } catch (const std::exception &) {
        m_image->setBitmap(QImage());
    }
    if (m_image->bitmap().isNull()) {
        // A picture that cannot be read shows the error picture, and is not cached.
        m_image->setBitmap(TImageX::ErrorPicture());
        m_image->resize(m_image->bitmap().size());
        return;
    }
    if (!cacheThumbnails)
        return;
    try {
        ForceFolder(_thumbsDir);
        m_image->SavePng(cached);
    } catch (const std::exception &) {
        // Without a cache the preview is only slower next time.
    }
}

void TFrameX::SetComment(const QString &s)
{
    _comment = s;
    m_caption->setText(s);
    m_caption->setCursorPosition(0);
    m_caption->setVisible(!s.isEmpty());
}

void TFrameX::setBackground(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

} // namespace orvix
