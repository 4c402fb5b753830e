#pragma once

// One framed preview of a saved picture in a picture strip: the picture at a fixed height
// (from the thumbnail cache when it holds a current thumbnail), its tags as a caption below,
// and the frame's colour for hover and selection.

#include <QFrame>
#include <QPointer>

class QLineEdit;

namespace orvix {

class TImageX;
class TThumbnailMaker;

class TFrameX : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kImageMargin = 5;
    static constexpr int kCaptionGap = 5;

    // frameFilename is the picture's full path; thumbsDir the cache folder (ending with "/").
    // A current cached thumbnail is shown at once; otherwise maker prepares the preview while
    // the frame keeps the size the picture will take. With cacheThumbnails off nothing is
    // written to the cache.
    TFrameX(QWidget *owner, const QString &frameFilename, const QString &thumbsDir, int frameHeight,
            bool cacheThumbnails, TThumbnailMaker &maker);
    ~TFrameX() override;

    TImageX *Image1x() const { return m_image; }
    QLineEdit *StaticText1x() const { return m_caption; }
    QString comment() const { return _comment; }
    QString frameFn() const { return m_frameFn; }
    // True when the frame has no picture (a name without a folder).
    bool isEmpty() const { return m_empty; }

    // Shows s under the picture; the caption hides while s is empty.
    void SetComment(const QString &s);
    // The frame now stands for another path (the file was renamed).
    void setFrameFn(const QString &fn) { m_frameFn = fn; }
    void setBackground(const QColor &colour);
    // The preview is still being prepared.
    bool previewPending() const { return m_ticket != 0; }
    // The preview asked for is not wanted any more (the frame is on its way out).
    void cancelPreview();

Q_SIGNALS:
    // The prepared preview came out another size than foreseen: the frame's width changed.
    void previewResized();

private:
    void loadPreview(int frameHeight, bool cacheThumbnails);
    void previewReady(const QImage &picture);
    void layOut();

    TImageX *m_image = nullptr;
    QLineEdit *m_caption = nullptr;
    QString _comment;
    QString _thumbsDir;
    QString m_frameFn;
    bool m_empty = false;
    QPointer<TThumbnailMaker> m_maker;
    quint64 m_ticket = 0; // the preview asked of m_maker, 0 once it came
};

} // namespace orvix
