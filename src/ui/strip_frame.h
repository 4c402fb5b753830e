#pragma once

// One framed preview of a saved picture in a picture strip: the picture at a fixed height
// (from the thumbnail cache when it holds a current thumbnail), its tags as a caption below,
// and the frame's colour for hover and selection.

#include <QFrame>

class QLineEdit;

namespace orvix {

class TImageX;

class TFrameX : public QFrame
{
    Q_OBJECT
public:
    static constexpr int kImageMargin = 5;
    static constexpr int kCaptionGap = 5;

    // frameFilename is the picture's full path; thumbsDir the cache folder (ending with "/").
    // With cacheThumbnails off nothing is written to the cache.
    TFrameX(QWidget *owner, const QString &frameFilename, const QString &thumbsDir, int frameHeight,
            bool cacheThumbnails);

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

private:
    void loadPreview(int frameHeight, bool cacheThumbnails);

    TImageX *m_image = nullptr;
    QLineEdit *m_caption = nullptr;
    QString _comment;
    QString _thumbsDir;
    QString m_frameFn;
    bool m_empty = false;
};

} // namespace orvix
