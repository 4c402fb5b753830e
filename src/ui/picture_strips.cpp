#include "picture_strips.h"

#include "strip_frame.h"
#include "thumbnail_maker.h"
#include "widgets/image_x.h"
#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/files.h"
#include "foundation/main_thread_call.h"
#include "foundation/text.h"
#include "foundation/time_stamps.h"
#include "library/library_search.h"
#include "library/picture_match.h"
#include "library/tags.h"
#include "library/thumbnail_cache.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace orvix {

namespace {

const QColor kHoverColour(138, 148, 250);
const QColor kSelectedColour(68, 68, 250);
constexpr int kFrameSpacing = 3;

// Tells the scroll box at once that its row grew, also while the strip is not shown.
void resizeRow(TStrip &strip, int width, int height)
{
    const QSize old = strip.content->size();
    strip.content->resize(width, height);
    QResizeEvent event(strip.content->size(), old);
    QCoreApplication::sendEvent(strip.content, &event);
}

} // namespace

TPictureStrips::TPictureStrips(QSplitter *splitter1, TPictureStripsHost host, QObject *parent)
    : QObject(parent), m_host(std::move(host)), m_thumbnails(new TThumbnailMaker(*m_host.run, this)),
      m_splitter(splitter1)
{
    m_pcBottom = new TVarnelPageControlX;
    m_pcBottom->setObjectName(QStringLiteral("pcBottom"));
    m_tsSession = makeStripPage(QStringLiteral("Session pictures"), QStringLiteral("pictures saved during this session"),
                                m_session, QStringLiteral("Session"));
    m_tsSearch = makeStripPage(QStringLiteral("All pictures"), QStringLiteral("pictures from my library"), m_search,
                               QStringLiteral("Search"));
    // On the search page itself, above its header: it comes and goes with the page, and the
    // page control raising the page cannot cover it.
    m_bClose = new QToolButton(m_tsSearch);
    m_bClose->setObjectName(QStringLiteral("bClosePictureSearch"));
    m_bClose->setText(QStringLiteral("x"));
    m_bClose->setToolTip(QStringLiteral("Close the search"));
    m_bClose->setAutoRaise(true);
    m_bClose->raise();
    connect(m_bClose, &QToolButton::clicked, this, &TPictureStrips::bClosePictureSearchClick);
    m_pcBottom->setHideAllTabs(true);
    m_pcBottom->Loaded();
    m_tsSearch->installEventFilter(this);

    m_popupImage = new QMenu;
    m_popupImage->setObjectName(QStringLiteral("popupImage"));
    QAction *open = m_popupImage->addAction(QStringLiteral("Open"), this, &TPictureStrips::piOpenFrameClick);
    open->setObjectName(QStringLiteral("piOpenFrame"));
    m_piAddTag = m_popupImage->addAction(QStringLiteral("Add tag"), this, [this] {
        if (m_host.editTags)
            m_host.editTags(m_selectedFile);
    });
    m_piAddTag->setObjectName(QStringLiteral("piAddTag"));
    QAction *locate = m_popupImage->addAction(QStringLiteral("Locate in explorer"), this,
                                              &TPictureStrips::piLocateInExplorerClick);
    locate->setObjectName(QStringLiteral("piLocateInExplorer"));
    QAction *inOrvix = m_popupImage->addAction(QStringLiteral("Locate in Orvix"), this, [this] {
        if (m_host.locateInOrvix)
            m_host.locateInOrvix(m_selectedFile);
    });
    inOrvix->setObjectName(QStringLiteral("piLocateInOrvix"));
    connect(m_popupImage, &QMenu::aboutToShow, this, &TPictureStrips::popupImagePopup);
    connect(this, &QObject::destroyed, m_popupImage, [menu = m_popupImage] { delete menu; });

    m_splitter->addWidget(m_pcBottom);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setCollapsible(1, true);
    setBottomHeight(0);
}

TTabSheetX *TPictureStrips::makeStripPage(const QString &caption, const QString &header, TStrip &strip,
                                          const QString &name)
{
    TTabSheetX *page = m_pcBottom->AddPage(caption);
    page->setObjectName(QStringLiteral("ts") + name + QStringLiteral("Images"));
    auto *label = new QLabel(header, page);
    label->setObjectName(QStringLiteral("lbl") + name + QStringLiteral("Header"));
    label->setStyleSheet(QStringLiteral("QLabel { font-weight: bold; color: #404040; padding: 1px 4px; }"));
    if (&strip == &m_session)
        m_sessionHeader = label;
    strip.ScrollBox = new QScrollArea(page);
    strip.ScrollBox->setObjectName(QStringLiteral("sbox") + name);
    strip.ScrollBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    strip.ScrollBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    strip.ScrollBox->setWidgetResizable(false);
    strip.ScrollBox->setFrameShape(QFrame::NoFrame);
    strip.content = new QWidget;
    strip.content->setObjectName(QStringLiteral("row") + name);
    strip.content->resize(0, 0);
    strip.ScrollBox->setWidget(strip.content);
    strip.ScrollBox->viewport()->installEventFilter(this);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(label);
    layout->addWidget(strip.ScrollBox, 1);
    return page;
}

TStrip *TPictureStrips::stripById(const QString &stripId)
{
    if (stripId == QLatin1String("session"))
        return &m_session;
    if (stripId == QLatin1String("search"))
        return &m_search;
    return nullptr;
}

int TPictureStrips::bottomHeight() const
{
    return m_pcBottom->isHidden() ? 0 : m_splitter->sizes().value(1);
}

int TPictureStrips::frameAreaHeight() const
{
    // Header, a frame with its caption, and the scroll bar must fit, or the frames are cut.
    const int caption = QLineEdit().sizeHint().height();
    const int frame = kFrameHeight + caption + 10 + TFrameX::kCaptionGap;
    const int bar = m_pcBottom->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return (m_sessionHeader ? m_sessionHeader->sizeHint().height() : 18) + frame + bar + 4;
}

void TPictureStrips::setBottomHeight(int height)
{
    if (height <= 0) {
        m_pcBottom->hide();
        m_splitter->setHandleWidth(0);
        return;
    }
    m_pcBottom->show();
    m_splitter->setHandleWidth(kSplitterHandle);
    QList<int> sizes = m_splitter->sizes();
    int total = 0;
    for (int s : sizes)
        total += s;
    if (total <= 0)
        total = m_splitter->height();
    m_splitter->setSizes({std::max(0, total - height), height});
}

void TPictureStrips::ShowBottomStrip()
{
    const int wanted = std::max(kBottomHeight, frameAreaHeight());
    if (bottomHeight() < wanted)
        setBottomHeight(wanted);
}

bool TPictureStrips::AddPictureFrame(const QString &stripId, const QString &fileName)
{
    ORVIX_ASSERT_MAIN_THREAD();
    TStrip *strip = stripById(stripId);
    if (!strip)
        return true;
    if (strip->FramesXAr.size() > kMaxFrames) {
        if (strip == &m_search)
            return false;
        ClearStrip(stripId);
    }
    if (!FileExists(fileName))
        return false;

    const QString thumbs = ThumbnailCacheFolder(m_host.picturesFolder());
    auto *frame = new TFrameX(strip->content, fileName, thumbs, kFrameHeight,
                              m_host.cacheThumbnails && m_host.cacheThumbnails(), *m_thumbnails);
    connect(frame, &TFrameX::previewResized, this, [this, strip] { layOutStrip(*strip); });
    frame->move(strip->LastFrameX, 0);
    strip->LastFrameX += frame->width() + kFrameSpacing;
    strip->FramesXAr.append(frame);
    resizeRow(*strip, strip->LastFrameX, std::max(strip->content->height(), frame->height()));
    frame->Image1x()->setToolTip(frameHint(fileName));
    frame->SetComment(TextTrim(ExtractTags(FileNameOf(fileName))));
    frame->Image1x()->installEventFilter(this);
    frame->show();

    if (strip == &m_search) {
        ShowBottomStrip();
        m_pcBottom->SetTab(m_tsSearch);
        return true;
    }
    QScrollBar *bar = strip->ScrollBox->horizontalScrollBar();
    if (bar->value() >= strip->PrevPosition)
        bar->setValue(strip->LastFrameX);
    strip->PrevPosition = strip->LastFrameX - strip->ScrollBox->width();
    if (m_pcBottom->ActivePage() != m_tsSession && m_pcBottom->ActivePage() != m_tsSearch)
        m_pcBottom->SetTab(m_tsSession);
    ShowBottomStrip();
    m_sessionHeader->raise();
    return true;
}

QString TPictureStrips::frameHint(const QString &fileName)
{
    const QString title = ExtractTitleFromFileName(fileName);
    const QString tags = TextTrim(ExtractTags(FileNameOf(fileName)));
    QString hint = title;
    if (!tags.isEmpty())
        hint += QStringLiteral(", ") + tags;
    if (title.isEmpty() && tags.isEmpty())
        hint = FileNameOf(fileName).toString();
    return hint + u'\n' + FormatTimeStamp(FileTime(fileName)) + QStringLiteral("\n\n(right-click for options)");
}

void TPictureStrips::ClearStrip(const QString &stripId)
{
    TStrip *strip = stripById(stripId);
    if (!strip) {
        InfoBox(QStringLiteral("invalid id"));
        return;
    }
    for (TFrameX *frame : std::as_const(strip->FramesXAr)) {
        if (frame == m_selected)
            m_selected = nullptr;
        if (frame == m_hovered)
            m_hovered = nullptr;
        // Later: this may run from a frame's own mouse event (a double click that searches).
        frame->cancelPreview();
        frame->hide();
        frame->deleteLater();
    }
    strip->FramesXAr.clear();
    strip->LastFrameX = 0;
    strip->PrevPosition = 0;
    resizeRow(*strip, 0, strip->content->height());
    m_selected = nullptr;
    m_hovered = nullptr;
}

void TPictureStrips::bClosePictureSearchClick()
{
    m_pcBottom->SetTab(m_tsSession);
    ClearStrip(QStringLiteral("search"));
    setBottomHeight(120);
    if (!m_session.FramesXAr.isEmpty())
        ShowBottomStrip();
    else
        setBottomHeight(0);
}

void TPictureStrips::LibrarySearch(const PictureDatabase &db, const QString &term)
{
    ORVIX_ASSERT_MAIN_THREAD();
    ClearStrip(QStringLiteral("search"));
    // A search started while this one lets the window handle its events replaces it.
    const quint64 generation = ++m_searchGeneration;
    const QStringList found = LibrarySearchFiles(db, term, kLibrarySearchShown, [this, generation] {
        QCoreApplication::processEvents();
        return generation == m_searchGeneration;
    });
    for (const QString &path : found) {
        QCoreApplication::processEvents();
        if (generation != m_searchGeneration)
            return;
        if (!FileExists(path))
            continue; // deleted meanwhile
        if (!AddPictureFrame(QStringLiteral("search"), path) && m_search.FramesXAr.size() > kMaxFrames - 1)
            break;
    }
}

void TPictureStrips::placeCloseButton()
{
    m_bClose->adjustSize();
    m_bClose->move(m_tsSearch->width() - m_bClose->width() - 2, 0);
}

void TPictureStrips::FileRenamed(const QString &oldPath, const QString &newPath)
{
    if (m_selectedFile == oldPath)
        m_selectedFile = newPath;
    for (TStrip *strip : {&m_session, &m_search}) {
        for (TFrameX *frame : std::as_const(strip->FramesXAr)) {
            if (frame->frameFn() != oldPath)
                continue;
            frame->setFrameFn(newPath);
            frame->SetComment(TextTrim(ExtractTags(FileNameOf(newPath))));
            frame->Image1x()->setToolTip(newPath);
        }
    }
}

void TPictureStrips::layOutStrip(TStrip &strip)
{
    QScrollBar *bar = strip.ScrollBox->horizontalScrollBar();
    const bool atEnd = bar->value() >= strip.PrevPosition;
    int x = 0;
    int height = 0;
    for (TFrameX *frame : std::as_const(strip.FramesXAr)) {
        frame->move(x, 0);
        x += frame->width() + kFrameSpacing;
        height = std::max(height, frame->height());
    }
    strip.LastFrameX = x;
    resizeRow(strip, x, height);
    // A preview that came out at another size than foreseen moves the strip's end: the session
    // strip keeps following the newest picture, and knows where its end now is.
    if (&strip == &m_session) {
        if (atEnd)
            bar->setValue(strip.LastFrameX);
        strip.PrevPosition = strip.LastFrameX - strip.ScrollBox->width();
    }
}

int TPictureStrips::thumbnailsPending() const
{
    return m_thumbnails->pending();
}

void TPictureStrips::StopThumbnails()
{
    m_thumbnails->stop();
}

void TPictureStrips::TrimThumbnails(const QString &picturesFolder)
{
    if (!picturesFolder.isEmpty())
        TrimThumbnailCache(ThumbnailCacheFolder(picturesFolder));
}

void TPictureStrips::piOpenFrameClick()
{
    if (!m_selectedFile.isEmpty())
        ShellOpen(QLatin1Char('"') + m_selectedFile + QLatin1Char('"'));
}

void TPictureStrips::piLocateInExplorerClick()
{
    if (!m_selectedFile.isEmpty())
        LocateInExplorer(m_selectedFile);
}

void TPictureStrips::popupImagePopup()
{
    m_piAddTag->setText(TagMenuCaption(m_selectedFile));
}

void TPictureStrips::frameEntered(TFrameX *frame)
{
    if (m_hovered && m_hovered != m_selected)
        m_hovered->setBackground(Qt::white);
    if (frame != m_selected)
        frame->setBackground(kHoverColour);
    m_hovered = frame;
}

void TPictureStrips::selectFrame(TFrameX *frame)
{
    if (m_selected && m_selected != frame)
        m_selected->setBackground(Qt::white);
    frame->setBackground(kSelectedColour);
    m_selected = frame;
    m_selectedFile = frame->frameFn();
}

bool TPictureStrips::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tsSearch && event->type() == QEvent::Resize) {
        placeCloseButton();
        return false;
    }
    if (event->type() == QEvent::Wheel) {
        // Over a picture or between them: the strip only scrolls sideways, by the wheel's distance.
        for (TStrip *strip : {&m_session, &m_search}) {
            QWidget *viewport = strip->ScrollBox->viewport();
            if (watched != viewport && !(watched->isWidgetType() && viewport->isAncestorOf(static_cast<QWidget *>(watched))))
                continue;
            const QPoint delta = static_cast<QWheelEvent *>(event)->angleDelta();
            QScrollBar *bar = strip->ScrollBox->horizontalScrollBar();
            bar->setValue(bar->value() - (delta.y() != 0 ? delta.y() : delta.x()));
            return true;
        }
    }
    auto *frame = watched->parent() ? qobject_cast<TFrameX *>(watched->parent()) : nullptr;
    if (!frame || watched != frame->Image1x())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        frameEntered(frame);
        break;
    case QEvent::MouseButtonPress: {
        selectFrame(frame);
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            m_popupImage->popup(mouse->globalPosition().toPoint());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        // A left click keeps only the name; the menu's press puts the full path back.
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && frame == m_selected)
            m_selectedFile = QFileInfo(frame->frameFn()).fileName();
        break;
    case QEvent::MouseButtonDblClick:
        selectFrame(frame);
        ShellOpen(frame->frameFn());
        return true;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace orvix
