#include "picture_panel.h"

#include "subfolder_edit.h"
#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "foundation/desktop.h"
#include "foundation/file_names.h"
#include "foundation/paths.h"
#include "foundation/time_stamps.h"
#include "library/tags.h"
#include "queue/queue_line.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix {

namespace {

constexpr int kBigPreviewSide = 360;

// Shown where a saved picture cannot be read.
QPixmap errorImage(QSize size)
{
    QPixmap pm(size.expandedTo(QSize(16, 16)));
    pm.fill(QColor(0xee, 0xee, 0xee));
    QPainter p(&pm);
    p.setPen(QColor(0xb0, 0x30, 0x30));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("?"));
    return pm;
}

QPixmap scaledPicture(const QString &path, QSize box)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid())
        reader.setScaledSize(full.scaled(box, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    return image.isNull() ? errorImage(box) : QPixmap::fromImage(image);
}

} // namespace

QString PictureNameFromFileName(const QString &path)
{
    QString name = QFileInfo(path).completeBaseName();
    const qsizetype marker = name.indexOf(QLatin1String("[tags]"));
    if (marker >= 0)
        name.truncate(marker);
    static const QRegularExpression sizeSuffix(QStringLiteral("_[a-zA-Z]$"));
    static const QRegularExpression key(QStringLiteral("^\\d+_[0-9a-zA-Z]+\\s*"));
    name = name.trimmed().remove(sizeSuffix).remove(key);
    return name.trimmed();
}

TPicturePanel::TPicturePanel(IPicturePanelHost &host, QWidget *bigPreviewParent, QWidget *parent)
    : QFrame(parent), m_host(host)
{
    setObjectName(QStringLiteral("panel_orvix_page"));

    m_edImageID = new QLineEdit(this);
    m_edImageID->setObjectName(QStringLiteral("edImageID"));
    m_edImageID->hide();
    m_edImageSecretID = new QLineEdit(this);
    m_edImageSecretID->setObjectName(QStringLiteral("edImageSecretID"));
    m_edImageSecretID->hide();
    m_cbAllSizesAvailable = new QCheckBox(QStringLiteral("all-sizes available"), this);
    m_cbAllSizesAvailable->setObjectName(QStringLiteral("cbAllSizesAvailable"));
    m_cbAllSizesAvailable->hide();

    m_edImageName = new QLineEdit(this);
    m_edImageName->setObjectName(QStringLiteral("edImageName"));
    m_edImageName->setReadOnly(true);
    m_edImageTags = new QLineEdit(this);
    m_edImageTags->setObjectName(QStringLiteral("edImageTags"));
    m_edImageTags->setPlaceholderText(QStringLiteral("tags for the file name"));
    m_bEditTags = new QPushButton(QStringLiteral("edit tags"), this);
    m_bEditTags->setObjectName(QStringLiteral("bEditTags"));
    m_bEditTags->setFlat(true);
    m_bEditTags->setCursor(Qt::PointingHandCursor);
    m_bEditTags->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline;"
                                              " border: none; }"));
    m_bEditTags->hide();
    connect(m_bEditTags, &QPushButton::clicked, this, &TPicturePanel::editTagsClicked);

    // Ready to save.
    auto *tabSheet1 = new TTabSheetX(QStringLiteral("TabSheet1"));
    tabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    m_cbImageSizeToSave = new QComboBox(tabSheet1);
    m_cbImageSizeToSave->setObjectName(QStringLiteral("cbImageSizeToSave"));
    m_cbImageSizeToSave->addItems({QStringLiteral("Current"), QStringLiteral("Large"), QStringLiteral("Original")});
    m_cbImageSizeToSave->setCurrentIndex(SizeCurrent);
    m_edOutputPathInner = new TSubfolderEdit(QStringLiteral("edOutputPathInner"), tabSheet1);
    m_edOutputPathInner->setToolTip(
        QStringLiteral("Subfolder relative to the \"pictures folder\" entered in Edit/Settings"));
    connect(m_edOutputPathInner, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_host.subfolderChanged(text); });
    auto *btnOpenSubfolder1 = new QToolButton(tabSheet1);
    btnOpenSubfolder1->setObjectName(QStringLiteral("btnOpenSubfolder1"));
    btnOpenSubfolder1->setText(QStringLiteral("..."));
    btnOpenSubfolder1->setToolTip(QStringLiteral("Open the folder"));
    connect(btnOpenSubfolder1, &QToolButton::clicked, this, &TPicturePanel::btnOpenSubfolder1Click);
    m_bSaveImage = new QPushButton(QStringLiteral("Save picture"), tabSheet1);
    m_bSaveImage->setObjectName(QStringLiteral("bSaveImage"));
    m_bSaveImage->setDefault(true);
    connect(m_bSaveImage, &QPushButton::clicked, this, &TPicturePanel::bSaveImageClick);
    auto *saveRow = new QHBoxLayout(tabSheet1);
    saveRow->setContentsMargins(0, 4, 0, 0);
    saveRow->setAlignment(Qt::AlignTop);
    saveRow->addWidget(m_cbImageSizeToSave);
    saveRow->addWidget(new QLabel(QStringLiteral("Subfolder:"), tabSheet1));
    saveRow->addWidget(m_edOutputPathInner, 1);
    saveRow->addWidget(btnOpenSubfolder1);
    saveRow->addWidget(m_bSaveImage);

    // The saved copy.
    auto *tabSheet2 = new TTabSheetX(QStringLiteral("TabSheet2"));
    tabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    m_gbImageLocal = new QGroupBox(QStringLiteral("Saved copy"), tabSheet2);
    m_gbImageLocal->setObjectName(QStringLiteral("gbImageLocal"));
    m_imageLocal = new QLabel(m_gbImageLocal);
    m_imageLocal->setObjectName(QStringLiteral("imageLocal"));
    m_imageLocal->setAlignment(Qt::AlignCenter);
    m_imageLocal->setCursor(Qt::PointingHandCursor);
    m_imageLocal->installEventFilter(this);
    auto *gbLayout = new QHBoxLayout(m_gbImageLocal);
    gbLayout->setContentsMargins(4, 0, 4, 2);
    gbLayout->addStretch(1);
    gbLayout->addWidget(m_imageLocal);
    auto *t2 = new QHBoxLayout(tabSheet2);
    t2->setContentsMargins(0, 0, 0, 0);
    t2->addWidget(m_gbImageLocal);

    // Already queued.
    auto *tabSheet3 = new TTabSheetX(QStringLiteral("TabSheet3"));
    tabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    m_labelLocalExists = new QLabel(QStringLiteral("(in queue)"), tabSheet3);
    m_labelLocalExists->setObjectName(QStringLiteral("labelLocalExists"));
    auto *t3 = new QHBoxLayout(tabSheet3);
    t3->setContentsMargins(0, 0, 0, 0);
    t3->addWidget(m_labelLocalExists);
    t3->addStretch(1);

    m_pcSinglePictureMode = new TVarnelPageControlX(this);
    m_pcSinglePictureMode->setObjectName(QStringLiteral("pcSinglePictureMode"));
    tabSheet1->setPageControl(m_pcSinglePictureMode);
    tabSheet2->setPageControl(m_pcSinglePictureMode);
    tabSheet3->setPageControl(m_pcSinglePictureMode);
    m_pcSinglePictureMode->setHideAllTabs(true);
    m_pcSinglePictureMode->Loaded();

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Title:"), this), 0, 0);
    grid->addWidget(m_edImageName, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("My tags:"), this), 1, 0);
    grid->addWidget(m_edImageTags, 1, 1);
    grid->addWidget(m_bEditTags, 1, 2);
    grid->addWidget(m_pcSinglePictureMode, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    // The hover preview floats over the whole window.
    m_gbImageLocalBig = new QGroupBox(bigPreviewParent);
    m_gbImageLocalBig->setObjectName(QStringLiteral("gbImageLocalBig"));
    m_imageLocalBig = new QLabel(m_gbImageLocalBig);
    m_imageLocalBig->setObjectName(QStringLiteral("imageLocalBig"));
    m_imageLocalBig->setAlignment(Qt::AlignCenter);
    m_imageLocalBig->installEventFilter(this);
    auto *bigLayout = new QVBoxLayout(m_gbImageLocalBig);
    bigLayout->setContentsMargins(2, 2, 2, 2);
    bigLayout->addWidget(m_imageLocalBig);
    m_gbImageLocalBig->hide();

    // The saved copy's menu, on the preview and on its large version.
    m_popupTopLocal = new QMenu(this);
    m_popupTopLocal->setObjectName(QStringLiteral("popupTopLocal"));
    QAction *open = m_popupTopLocal->addAction(QStringLiteral("Open"), this, [this] { ShellOpen(m_localPicturePath); });
    open->setObjectName(QStringLiteral("piLocalOpen"));
    QAction *locate = m_popupTopLocal->addAction(QStringLiteral("Locate on disk"), this,
                                                 [this] { LocateInExplorer(m_localPicturePath); });
    locate->setObjectName(QStringLiteral("piLocalLocateOnDisk"));
    connect(m_popupTopLocal, &QMenu::aboutToShow, this, [this, open, locate] {
        open->setEnabled(!m_localPicturePath.isEmpty());
        locate->setEnabled(!m_localPicturePath.isEmpty());
    });
    for (QLabel *preview : {m_imageLocal, m_imageLocalBig}) {
        preview->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(preview, &QWidget::customContextMenuRequested, this,
                [this, preview](const QPoint &pos) { m_popupTopLocal->popup(preview->mapToGlobal(pos)); });
    }

    ResetPicture();
}

void TPicturePanel::ResetPicture()
{
    m_edImageID->clear();
    m_edImageSecretID->clear();
    m_edImageName->clear();
    m_edImageTags->clear();
    m_edImageTags->setReadOnly(true);
    m_bEditTags->hide();
    m_labelLocalExists->hide();
    m_imageLocal->hide();
    m_gbImageLocal->hide();
    m_gbImageLocalBig->hide();
    m_bSaveImage->setEnabled(false);
    m_cbImageSizeToSave->setEnabled(false);
    m_cbAllSizesAvailable->setChecked(false);
    m_localPicturePath.clear();
}

void TPicturePanel::ShowPicture(const TImageData &picture)
{
    m_edImageID->setText(picture.ImageId);
    m_edImageSecretID->setText(picture.ImageSecretID);
    m_edImageName->setText(picture.ImageName);
    m_edImageName->setCursorPosition(0);
    ShowLocalCopyStatus(picture.ImageId);
    m_cbAllSizesAvailable->setChecked(picture.AllSizesAvailable);
    m_bSaveImage->setEnabled(true);
    m_cbImageSizeToSave->setEnabled(true);
    show();
}

QString TPicturePanel::shownImageId() const
{
    return m_edImageID->text();
}

void TPicturePanel::setTagsEditable(bool editable)
{
    m_edImageTags->setReadOnly(!editable);
    m_edImageTags->setFrame(editable);
    m_edImageTags->setStyleSheet(editable ? QStringLiteral("QLineEdit { background: #ffffe1; }")
                                          : QStringLiteral("QLineEdit { background: transparent; }"));
}

void TPicturePanel::ShowLocalCopyStatus(const QString &imageId)
{
    m_host.ensuredPicturesFolder();
    m_labelLocalExists->hide();
    m_imageLocal->hide();
    m_gbImageLocal->hide();

    m_localPicturePath = m_host.findLocalFileByKey(imageId);
    if (m_localPicturePath.isEmpty()) {
        setTagsEditable(true);
        m_cbImageSizeToSave->show();
        m_bSaveImage->show();
        m_pcSinglePictureMode->setCurrentIndex(0);
        if (m_host.mediaQueueContains(imageId) || m_host.pageQueueContains(m_host.navigationUrl())) {
            m_cbImageSizeToSave->hide();
            m_bSaveImage->hide();
            m_labelLocalExists->show();
            m_pcSinglePictureMode->setCurrentIndex(2);
        }
        return;
    }

    const int previewHeight = std::max(24, m_pcSinglePictureMode->height() - 20);
    m_imageLocal->setPixmap(scaledPicture(m_localPicturePath, QSize(previewHeight * 2, previewHeight)));
    m_imageLocalBig->setPixmap(scaledPicture(m_localPicturePath, QSize(kBigPreviewSide, kBigPreviewSide)));
    m_imageLocal->show();
    m_gbImageLocal->show();
    m_pcSinglePictureMode->setCurrentIndex(1);

    const QString tags = ExtractTags(QFileInfo(m_localPicturePath).fileName()).trimmed();
    m_edImageTags->setText(tags);
    setTagsEditable(false);
    m_bEditTags->show();

    QString hint = PictureNameFromFileName(m_localPicturePath);
    if (!tags.isEmpty())
        hint += QStringLiteral(", ") + tags;
    hint += QStringLiteral("\r\n")
            + FormatTimeStamp(QFileInfo(m_localPicturePath).lastModified())
            + QStringLiteral("\r\n\r\n(right-click for options)");
    m_imageLocalBig->setToolTip(hint);
    m_imageLocal->setToolTip(hint);
}

void TPicturePanel::LocalFileRenamed(const QString &oldPath, const QString &newPath)
{
    if (m_localPicturePath.isEmpty() || m_localPicturePath != oldPath)
        return;
    m_localPicturePath = newPath;
    m_edImageTags->setText(ExtractTags(QFileInfo(newPath).fileName()).trimmed());
}

QString TPicturePanel::SaveRequestLine() const
{
    PageLine page;
    page.url = m_host.addressText();
    page.urlType = QString::fromUtf16(kPictureUrlType);
    page.sizeCode = QString::number(m_cbImageSizeToSave->currentIndex());
    page.tags = m_edImageTags->text();
    page.tags.replace(QLatin1Char('|'), QLatin1Char('_'));
    page.targetFolder = DownloadTargetFolder(m_host.ensuredPicturesFolder(), m_edOutputPathInner->text());
    return page.line();
}

void TPicturePanel::bSaveImageClick()
{
    m_bSaveImage->setEnabled(false);
    m_host.showQueueAnalyzing();
    m_host.queuePage(m_host.addressText(), SaveRequestLine());
    m_host.focusBrowser();
}

void TPicturePanel::btnOpenSubfolder1Click()
{
    const QString folder = DownloadTargetFolder(m_host.ensuredPicturesFolder(), m_edOutputPathInner->text());
    QDir().mkpath(folder);
    ShellOpen(QLatin1Char('"') + folder + QLatin1Char('"'));
}

void TPicturePanel::showBigPreview()
{
    QWidget *window = m_gbImageLocalBig->parentWidget();
    if (!window || m_imageLocalBig->pixmap().isNull())
        return;
    m_gbImageLocalBig->adjustSize();
    const QPoint centre = m_imageLocal->mapTo(window, m_imageLocal->rect().center());
    QRect r(QPoint(0, 0), m_gbImageLocalBig->size());
    r.moveCenter(centre);
    r.moveLeft(std::clamp(r.left(), 0, std::max(0, window->width() - r.width())));
    r.moveTop(std::clamp(r.top(), 0, std::max(0, window->height() - r.height())));
    m_gbImageLocalBig->move(r.topLeft());
    m_gbImageLocalBig->show();
    m_gbImageLocalBig->raise();
}

bool TPicturePanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_imageLocal) {
        if (event->type() == QEvent::Enter)
            showBigPreview();
        else if (event->type() == QEvent::MouseButtonRelease && !m_localPicturePath.isEmpty()
                 && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            ShellOpen(m_localPicturePath);
    } else if (watched == m_imageLocalBig) {
        if (event->type() == QEvent::Leave)
            m_gbImageLocalBig->hide();
        else if (event->type() == QEvent::MouseButtonRelease && !m_localPicturePath.isEmpty()
                 && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            ShellOpen(m_localPicturePath);
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace orvix
