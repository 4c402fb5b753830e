#include "strip_frame.h"

#include "thumbnail_maker.h"
#include "widgets/image_x.h"

#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "library/thumbnail_cache.h"

#include <QFileInfo>
#include <QLineEdit>

namespace orvix {

TFrameX::TFrameX(QWidget *owner, const QString &frameFilename, const QString &thumbsDir, int frameHeight,
                 bool cacheThumbnails, TThumbnailMaker &maker)
    : QFrame(owner), _thumbsDir(thumbsDir), m_frameFn(frameFilename), m_maker(&maker)
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
    layOut();
}

TFrameX::~TFrameX()
{
    cancelPreview();
}

void TFrameX::cancelPreview()
{
    if (m_ticket && m_maker)
        m_maker->cancel(m_ticket);
    m_ticket = 0;
}

void TFrameX::layOut()
{
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
    } catch (const std::exception &) {
        // Made again below.
    }
    // Decoding and scaling a picture takes too long for the window: the maker does it, and
    // the frame keeps the picture's place meanwhile.
    QSize size = PredictThumbnailSize(m_frameFn, frameHeight);
    if (size.isEmpty())
        size = QSize(frameHeight, frameHeight);
    QImage placeholder(size, QImage::Format_RGB32);
    placeholder.fill(QColor(238, 238, 238));
    m_image->setBitmap(placeholder);
    m_image->resize(size);
    m_ticket = m_maker->request(m_frameFn, cacheThumbnails ? cached : QString(), frameHeight);
    connect(m_maker, &TThumbnailMaker::ready, this, [this](quint64 ticket, const QImage &picture) {
        if (ticket == m_ticket)
            previewReady(picture);
    });
}

void TFrameX::previewReady(const QImage &picture)
{
    m_ticket = 0;
    m_image->setBitmap(picture.isNull() ? TImageX::ErrorPicture() : picture);
    if (m_image->bitmap().size() == m_image->size())
        return;
    m_image->resize(m_image->bitmap().size());
    layOut();
    Q_EMIT previewResized();
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
