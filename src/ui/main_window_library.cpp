// The main window's library side: the bottom strips and the last saved picture, the library
// search, the tag editor, and the way from a saved file back to its page.

#include "main_window.h"

#include "debug_page.h"
#include "edit_tags_panel.h"
#include "picture_strips.h"
#include "window_settings_controls.h"
#include "widgets/caption_panel.h"
#include "widgets/filename_edit.h"
#include "widgets/image_x.h"
#include "widgets/link_label.h"
#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "app/program_context.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/main_thread_call.h"
#include "library/page_for_file.h"
#include "library/picture_db.h"
#include "library/picture_match.h"
#include "library/tags.h"
#include "pages/picture_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace orvix {

namespace {

// A left click on a picture box that has no click of its own.
class TLeftClickFilter : public QObject
{
public:
    TLeftClickFilter(QObject *parent, std::function<void()> onClick) : QObject(parent), m_onClick(std::move(onClick)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_onClick();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onClick;
};

} // namespace

void TFormMain::buildLibraryParts(QSplitter *splitter1, QHBoxLayout *top)
{
    TPictureStripsHost host;
    host.run = &m_context->run();
    host.picturesFolder = [this] { return ensuredPicturesFolder(); };
    host.cacheThumbnails = [this] { return m_context->cacheThumbnails(); };
    host.editTags = [this](const QString &file) { ShowEditTags(file, 2); };
    host.locateInOrvix = [this](const QString &file) { LocateInOrvix(file); };
    m_strips = new TPictureStrips(splitter1, std::move(host), this);

    // The last saved picture, at the right of the top panel.
    m_gbImageLast = new QGroupBox(QStringLiteral("Last saved"));
    m_gbImageLast->setObjectName(QStringLiteral("gbImageLast"));
    m_imageLast = new TImageX(m_gbImageLast);
    m_imageLast->setObjectName(QStringLiteral("imageLast"));
    m_imageLast->setCursor(Qt::PointingHandCursor);
    m_imageLast->setFixedSize(kLastPictureWidth, kLastPictureHeight);
    m_imageLast->installEventFilter(new TLeftClickFilter(m_imageLast, [this] { bOpenLastClick(); }));
    auto *openLast = new TVarnelLinkLabel(m_gbImageLast);
    openLast->setObjectName(QStringLiteral("bOpenLast"));
    openLast->setCaption(QStringLiteral("open last"));
    connect(openLast, &TVarnelLinkLabel::clicked, this, &TFormMain::bOpenLastClick);
    auto *last = new QVBoxLayout(m_gbImageLast);
    last->setContentsMargins(4, 2, 4, 2);
    last->setSpacing(1);
    last->addWidget(m_imageLast, 0, Qt::AlignHCenter);
    last->addWidget(openLast, 0, Qt::AlignHCenter);
    m_gbImageLast->hide();
    top->addWidget(m_gbImageLast);

    m_editTags = new TEditTagsPanel(this, [this] { bUpdateTagsClick(); }, [this] {
        ShellOpen(m_editTags->edEditingTagsFilename()->text());
    });
    m_panelSearching = new TCaptionPanelK(QStringLiteral("Searching"), this);
    m_panelSearching->setObjectName(QStringLiteral("panelSearching"));
    m_panelSearching->setTag(TCaptionPanelK::kNoSizingFrameTag);
    auto *searching = new QLabel(QStringLiteral("Searching your library..."), m_panelSearching);
    searching->setAlignment(Qt::AlignCenter);
    m_panelSearching->contentLayout()->addWidget(searching);
    m_panelSearching->resize(240, 80);
    m_panelSearching->hide();

    connect(picturePanel(), &TPicturePanel::editTagsClicked, this, &TFormMain::bEditTagsClick);
    connect(m_debugPage->FilenameEdit2(), &QLineEdit::textChanged, this, [this](const QString &text) {
        if (FileExists(text.trimmed()))
            bGotoPageFromFilename2Click();
    });
    connect(m_debugPage->FilenameEdit1(), &QLineEdit::textChanged, this, [this](const QString &text) {
        if (FileExists(text.trimmed()))
            bGotoPageFromFilename1Click();
    });
    connect(m_debugPage->bGotoPageFromFilename2(), &QPushButton::clicked, this, &TFormMain::bGotoPageFromFilename2Click);
    connect(m_debugPage->bGotoPageFromFilename1(), &QPushButton::clicked, this, &TFormMain::bGotoPageFromFilename1Click);
}

void TFormMain::ImageDownloaded(const QString &fn, const QImage &preview)
{
    ORVIX_ASSERT_MAIN_THREAD();
    m_lastSavedFn = fn;
    if (!preview.isNull())
        m_imageLast->setBitmap(preview);
    if (m_controls->checked(QStringLiteral("cbShowLastSaved")))
        m_gbImageLast->show();
    AddSessionPicture(fn);
    // The picture shown in the browser may be the one just saved: it is present now.
    const QString imageId = ImageIdFromFileName(fn);
    if (!imageId.isEmpty() && imageId == picturePanel()->shownImageId())
        picturePanel()->ShowLocalCopyStatus(imageId);
}

void TFormMain::AddSessionPicture(const QString &fileName)
{
    m_strips->AddPictureFrame(QStringLiteral("session"), fileName);
}

void TFormMain::bSearchLocalClick(const QString &term)
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (term.trimmed().isEmpty())
        return;
    m_panelSearching->CenterInParent();
    m_panelSearching->ShowInFront();
    m_panelSearching->repaint();
    try {
        m_strips->LibrarySearch(m_context->pictures(), term);
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
    m_panelSearching->hide();
    m_strips->pcBottom()->SetTab(m_strips->tsSearchImages());
    m_strips->ShowBottomStrip();
}

void TFormMain::searchLibrary(const QString &term)
{
    bSearchLocalClick(term);
}

void TFormMain::bOpenLastClick()
{
    if (!m_lastSavedFn.isEmpty())
        ShellOpen(m_lastSavedFn);
}

void TFormMain::bEditTagsClick()
{
    const QString local = picturePanel()->LocalPicturePath();
    if (local.isEmpty()) {
        InfoBox(QStringLiteral("local_image_filename is empty"));
        return;
    }
    ShowEditTags(local, 1);
}

void TFormMain::ShowEditTags(const QString &fileName, int mode)
{
    m_editTags->ShowEditTags(fileName, mode);
}

void TFormMain::bUpdateTagsClick()
{
    ORVIX_ASSERT_MAIN_THREAD();
    const QString oldPath = m_editTags->edEditingTagsFilename()->text();
    // Listed in the files database at once: the picture keeps counting as downloaded.
    const QString newPath = oldPath.isEmpty()
                                ? QString()
                                : RetagSavedPicture(m_context->pictures(), oldPath, m_editTags->ed_NewTags()->text());
    // A failed rename changes nothing, so nothing points to a file that is not there.
    if (!newPath.isEmpty() && newPath != oldPath) {
        picturePanel()->LocalFileRenamed(oldPath, newPath);
        m_strips->FileRenamed(oldPath, newPath);
        if (m_lastSavedFn == oldPath)
            m_lastSavedFn = newPath;
    }
    m_editTags->hide();
}

void TFormMain::LocateInOrvix(const QString &fileName)
{
    // Set anew, so the same file asked for twice opens its page twice.
    m_debugPage->FilenameEdit2()->clear();
    m_debugPage->FilenameEdit2()->setText(fileName);
}

void TFormMain::bGotoPageFromFilename2Click()
{
    const QString file = m_debugPage->FilenameEdit2()->text();
    const PageForFile page = FindPageForSavedFile(m_context->pictures(), file);
    switch (page.action) {
    case PageForFile::Action::None:
        return;
    case PageForFile::Action::Navigate:
        navigate(page.url);
        return;
    case PageForFile::Action::CorruptRecord:
        InfoBox(page.message);
        return;
    case PageForFile::Action::TryZoomPage:
        InfoBox(page.message);
        m_debugPage->FilenameEdit1()->clear();
        m_debugPage->FilenameEdit1()->setText(file);
        return;
    }
}

void TFormMain::bGotoPageFromFilename1Click()
{
    const QString url = ZoomPageUrlForFileName(m_debugPage->FilenameEdit1()->text());
    if (!url.isEmpty())
        navigate(url);
}

} // namespace orvix
