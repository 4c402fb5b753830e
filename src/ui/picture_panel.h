#pragma once

// The picture panel of the page-type area: the picture on screen (title, tags, hidden id and
// secret) and what can be done with it: save it (size, subfolder, "Save picture"), see the
// saved copy (preview with a larger one on hover), or see that it is already queued.

#include "pages/image_data.h"

#include <QFrame>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QToolButton;

namespace orvix {

class TSubfolderEdit;
class TVarnelPageControlX;

// What the picture panel needs from the program.
class IPicturePanelHost
{
public:
    virtual ~IPicturePanelHost() = default;
    // The pictures folder, created when missing.
    virtual QString ensuredPicturesFolder() = 0;
    virtual QString findLocalFileByKey(const QString &key) = 0;
    virtual bool mediaQueueContains(const QString &text) = 0;
    virtual bool pageQueueContains(const QString &text) = 0;
    virtual QString navigationUrl() = 0;
    virtual QString addressText() = 0;
    virtual void queuePage(const QString &url, const QString &line) = 0;
    // The queue panel's "analyzing image.." notice while a request is being queued.
    virtual void showQueueAnalyzing() = 0;
    virtual void focusBrowser() = 0;
    virtual void subfolderChanged(const QString &text) = 0;
};

// The picture name a saved file carries: its base name without the picture key in front, the
// tags and the size suffix.
QString PictureNameFromFileName(const QString &path);

class TPicturePanel : public QFrame
{
    Q_OBJECT
public:
    enum SizeIndex { SizeCurrent = 0, SizeLarge = 1, SizeOriginal = 2 };

    // bigPreviewParent is the window the large preview floats over.
    TPicturePanel(IPicturePanelHost &host, QWidget *bigPreviewParent, QWidget *parent);

    // Empties the panel at the start of a navigation.
    void ResetPicture();
    // Fills the panel from the picture page just read.
    void ShowPicture(const TImageData &picture);
    // Saved copy, queued, or ready to save.
    void ShowLocalCopyStatus(const QString &imageId);
    void bSaveImageClick();
    void btnOpenSubfolder1Click();
    // The request line "Save picture" queues.
    QString SaveRequestLine() const;

    QString shownImageId() const;
    // local_image_filename: the saved copy of the picture shown, empty when there is none.
    QString LocalPicturePath() const { return m_localPicturePath; }
    // The tag editor renamed the saved copy: the panel shows the new name and its tags.
    void LocalFileRenamed(const QString &oldPath, const QString &newPath);
    QPushButton *bEditTags() const { return m_bEditTags; }
    QMenu *popupTopLocal() const { return m_popupTopLocal; }
    TVarnelPageControlX *pcSinglePictureMode() const { return m_pcSinglePictureMode; }
    TSubfolderEdit *edOutputPathInner() const { return m_edOutputPathInner; }
    QComboBox *cbImageSizeToSave() const { return m_cbImageSizeToSave; }

Q_SIGNALS:
    // The "edit tags" link beside the saved copy.
    void editTagsClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setTagsEditable(bool editable);
    void showBigPreview();

    IPicturePanelHost &m_host;
    QLineEdit *m_edImageID;
    QLineEdit *m_edImageSecretID;
    QLineEdit *m_edImageName;
    QLineEdit *m_edImageTags;
    QPushButton *m_bEditTags;
    QCheckBox *m_cbAllSizesAvailable;
    TVarnelPageControlX *m_pcSinglePictureMode;
    QComboBox *m_cbImageSizeToSave;
    TSubfolderEdit *m_edOutputPathInner;
    QPushButton *m_bSaveImage;
    QGroupBox *m_gbImageLocal;
    QLabel *m_imageLocal;
    QLabel *m_labelLocalExists;
    QGroupBox *m_gbImageLocalBig;
    QLabel *m_imageLocalBig;
    QString m_localPicturePath;
    QMenu *m_popupTopLocal;
};

} // namespace orvix
