#include "web_panel.h"

#include "subfolder_edit.h"
#include "web_frame.h"
#include "widgets/image_x.h"
#include "widgets/link_label.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/file_names.h"
#include "foundation/main_thread_call.h"
#include "foundation/paths.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QUuid>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cstdlib>

namespace orvix {

namespace {

constexpr int kFrameMargin = 3; // around each frame in the flow panel

QToolButton *toolButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    return b;
}

constexpr QStringView kQueuedText = u"queued";

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setStyleSheet(QStringLiteral("color: #444;"));
    return l;
}

} // namespace

TFrameWebPanel::TFrameWebPanel(IWebPanelHost &host, TThumbnailRequests &requests, QWidget *parent)
    : QWidget(parent), m_host(host), m_requests(requests), m_bridge(std::make_unique<TMainThreadBridge>())
{
    setObjectName(QStringLiteral("FrameWebPanel"));
    buildMenus();
    buildTopBar();

    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("sbSelectPictures"));
    m_scroll->setWidgetResizable(false);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_flowPanel = new QWidget;
    m_flowPanel->setObjectName(QStringLiteral("FlowPanel1"));
    m_flowPanel->setMouseTracking(true);
    m_flowPanel->installEventFilter(this);
    m_flowPanel->resize(653, 10);
    m_scroll->setWidget(m_flowPanel);
    m_scroll->viewport()->installEventFilter(this);
    layout()->addWidget(m_scroll);

    m_queuedCheck = new QTimer(this);
    m_queuedCheck->setInterval(kQueuedCheckMs);
    connect(m_queuedCheck, &QTimer::timeout, this, &TFrameWebPanel::recheckQueuedFrames);
}

TFrameWebPanel::~TFrameWebPanel()
{
    m_bridge->detach();
}

void TFrameWebPanel::buildTopBar()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 0);
    outer->setSpacing(3);

    auto *row1 = new QHBoxLayout;
    row1->setSpacing(4);
    m_btnSelectAll = new QPushButton(QStringLiteral("select all"), this);
    m_btnSelectAll->setObjectName(QStringLiteral("btnSelectAll"));
    m_btnSelectNone = new QPushButton(QStringLiteral("select none"), this);
    m_btnSelectNone->setObjectName(QStringLiteral("btnSelectNone"));
    connect(m_btnSelectAll, &QPushButton::clicked, this, [this] { SelectClick(m_btnSelectAll); });
    connect(m_btnSelectNone, &QPushButton::clicked, this, [this] { SelectClick(m_btnSelectNone); });
    m_edImageTags2 = new QLineEdit(this);
    m_edImageTags2->setObjectName(QStringLiteral("edImageTags2"));
    m_cbImageSizeToSave2 = new QComboBox(this);
    m_cbImageSizeToSave2->setObjectName(QStringLiteral("cbImageSizeToSave2"));
    m_cbImageSizeToSave2->addItems({QStringLiteral("Current"), QStringLiteral("Large"), QStringLiteral("Original")});
    m_cbImageSizeToSave2->setCurrentIndex(0);
    m_cbImageSizeToSave2->installEventFilter(this); // typed keys are discarded
    m_edOutputPathInner2 = new TSubfolderEdit(QStringLiteral("edOutputPathInner2"), this);
    m_edOutputPathInner2->setToolTip(
        QStringLiteral("Subfolder relative to the \"pictures folder\" entered in Edit/Settings"));
    m_edOutputPathInner2->setMaximumWidth(160);
    connect(m_edOutputPathInner2, &QLineEdit::textChanged, this, [this](const QString &t) { m_host.subfolderChanged(t); });
    m_btnOpenSubfolder = toolButton(QStringLiteral("btnOpenSubfolder"), QStringLiteral("..."), this);
    m_btnOpenSubfolder->setToolTip(QStringLiteral("Open the folder"));
    connect(m_btnOpenSubfolder, &QToolButton::clicked, this, [this] {
        const QString folder = DownloadTargetFolder(m_host.ensuredPicturesFolder(), m_edOutputPathInner2->text());
        QDir().mkpath(folder);
        ShellOpen(QLatin1Char('"') + folder + QLatin1Char('"'));
    });
    m_btnDownloadSelected = new QPushButton(QStringLiteral("Save selected"), this);
    m_btnDownloadSelected->setObjectName(QStringLiteral("btnDownloadSelected"));
    m_btnDownloadSelected->setStyleSheet(QStringLiteral("font-weight: bold;"));
    connect(m_btnDownloadSelected, &QPushButton::clicked, this, &TFrameWebPanel::DownloadSelectedClick);
    m_bSavePopup = toolButton(QStringLiteral("bSavePopup"), QStringLiteral("v"), this);
    m_bSavePopup->setEnabled(false);
    connect(m_bSavePopup, &QToolButton::clicked, this, [this] {
        m_popupSavePages->popup(m_bSavePopup->mapToGlobal(QPoint(0, m_bSavePopup->height())));
    });

    row1->addWidget(m_btnSelectAll);
    row1->addWidget(m_btnSelectNone);
    row1->addSpacing(6);
    row1->addWidget(caption(QStringLiteral("My tags (for all images):"), this));
    row1->addWidget(m_edImageTags2, 1);
    outer->addLayout(row1);
    auto *rowSave = new QHBoxLayout;
    rowSave->setSpacing(4);
    rowSave->addWidget(caption(QStringLiteral("Image size:"), this));
    rowSave->addWidget(m_cbImageSizeToSave2);
    rowSave->addSpacing(6);
    rowSave->addWidget(caption(QStringLiteral("Subfolder:"), this));
    rowSave->addWidget(m_edOutputPathInner2, 1);
    rowSave->addWidget(m_btnOpenSubfolder);
    rowSave->addSpacing(6);
    rowSave->addWidget(m_btnDownloadSelected);
    rowSave->addWidget(m_bSavePopup);
    outer->addLayout(rowSave);

    auto *row2 = new QHBoxLayout;
    row2->setSpacing(4);
    m_bPagePrev = toolButton(QStringLiteral("bPage_Prev"), QStringLiteral("<"), this);
    m_lblCurrentPage = new QLabel(this);
    m_lblCurrentPage->setObjectName(QStringLiteral("lblCurrentPage"));
    m_lblCurrentPage->setMinimumWidth(24);
    m_lblCurrentPage->setAlignment(Qt::AlignCenter);
    m_bPageNext = toolButton(QStringLiteral("bPage_Next"), QStringLiteral(">"), this);
    m_bGotoPage = toolButton(QStringLiteral("bGotoPage"), QStringLiteral("v"), this);
    m_bPagePrev->setEnabled(false);
    m_bPageNext->setEnabled(false);
    m_bGotoPage->setEnabled(false);
    connect(m_bPagePrev, &QToolButton::clicked, this, [this] { GotoPageLink(m_host.pageNumbering().PrevPageUrl); });
    connect(m_bPageNext, &QToolButton::clicked, this, [this] { GotoPageLink(m_host.pageNumbering().NextPageUrl); });
    connect(m_bGotoPage, &QToolButton::clicked, this, [this] {
        m_popupNavigationPages->popup(m_bGotoPage->mapToGlobal(QPoint(0, m_bGotoPage->height())));
    });
    m_bReload = new TVarnelLinkLabel(QStringLiteral("<a href=\"r\">refresh</a>"), this);
    m_bReload->setObjectName(QStringLiteral("bReload"));
    connect(m_bReload, &TVarnelLinkLabel::clicked, this, [this] { m_host.reparse(); });
    m_bMaximizeMulti = new TVarnelLinkLabel(QStringLiteral("<a href=\"m\">maximize</a>"), this);
    m_bMaximizeMulti->setObjectName(QStringLiteral("bMaximizeMulti"));
    connect(m_bMaximizeMulti, &TVarnelLinkLabel::clicked, this, [this] { m_host.maximizePanel(); });
    m_bSubmitPage2 = toolButton(QStringLiteral("bSubmitPage2"), QStringLiteral("?"), this);
    m_bSubmitPage2->setToolTip(
        QStringLiteral("The program did not identify any additional pages. Click here to report this page."));
    m_btnClose = toolButton(QStringLiteral("btnClose"), QStringLiteral("X"), this);
    m_btnClose->hide(); // the caption's close button does the same in this layout
    connect(m_btnClose, &QToolButton::clicked, this, [this] { m_host.closePanel(); });
    m_bRefreshStatus = new QPushButton(QStringLiteral("refresh status"), this);
    m_bRefreshStatus->setObjectName(QStringLiteral("bRefreshStatus"));
    m_bRefreshStatus->hide();
    connect(m_bRefreshStatus, &QPushButton::clicked, this, &TFrameWebPanel::bRefreshStatusClick);
    m_bSaveAllPages = new QPushButton(QStringLiteral("Save All Pages"), this);
    m_bSaveAllPages->setObjectName(QStringLiteral("bSaveAllPages"));
    m_bSaveAllPages->hide();
    connect(m_bSaveAllPages, &QPushButton::clicked, this, [this] { bSaveAllPagesClick(m_bSaveAllPages); });

    row2->addWidget(caption(QStringLiteral("Page:"), this));
    row2->addWidget(m_bPagePrev);
    row2->addWidget(m_lblCurrentPage);
    row2->addWidget(m_bPageNext);
    row2->addWidget(m_bGotoPage);
    row2->addStretch(1);
    row2->addWidget(m_bSubmitPage2);
    row2->addSpacing(8);
    row2->addWidget(m_bReload);
    row2->addSpacing(8);
    row2->addWidget(m_bMaximizeMulti);
    row2->addWidget(m_btnClose);
    outer->addLayout(row2);
}

void TFrameWebPanel::buildMenus()
{
    const auto item = [this](QMenu *menu, const QString &name, const QString &text) {
        QAction *a = menu->addAction(text);
        a->setObjectName(name);
        return a;
    };
    const auto savePages = [this](QAction *a) {
        connect(a, &QAction::triggered, this, [this, a] { bSaveAllPagesClick(a); });
    };

    m_popupSavePages = new QMenu(this);
    m_popupSavePages->setObjectName(QStringLiteral("popupSavePages"));
    savePages(item(m_popupSavePages, QStringLiteral("piSavePagesBeforeX"), QStringLiteral("Save pages 1 to ...")));
    savePages(item(m_popupSavePages, QStringLiteral("piSavePagesAfterX"), QStringLiteral("Save pages ... to ...")));
    m_popupSavePages->addSeparator();
    savePages(item(m_popupSavePages, QStringLiteral("piSavePagesAllX"), QStringLiteral("Save all pages")));

    m_popupNavigationPages = new QMenu(this);
    m_popupNavigationPages->setObjectName(QStringLiteral("popupNavigationPages"));
    connect(item(m_popupNavigationPages, QStringLiteral("piFirstPage"), QStringLiteral("Goto First page")),
            &QAction::triggered, this, [this] { GotoPageLink(m_host.pageNumbering().FirstPageUrl); });
    m_piGotoPage = m_popupNavigationPages->addMenu(QStringLiteral("Goto page"));
    m_piGotoPage->setObjectName(QStringLiteral("piGotoPage"));
    connect(item(m_popupNavigationPages, QStringLiteral("piLastPage"), QStringLiteral("Goto Last page")),
            &QAction::triggered, this, [this] { GotoPageLink(m_host.pageNumbering().LastPageUrl); });
    m_popupNavigationPages->addSeparator();
    savePages(item(m_popupNavigationPages, QStringLiteral("piSavePagesBefore"), QStringLiteral("Save pages 1 to ...")));
    savePages(item(m_popupNavigationPages, QStringLiteral("piSavePagesAfter"), QStringLiteral("Save pages ... to ...")));
    m_popupNavigationPages->addSeparator();
    savePages(item(m_popupNavigationPages, QStringLiteral("piSavePagesAll"), QStringLiteral("Save all pages")));

    m_popupWebFrame = new QMenu(this);
    m_popupWebFrame->setObjectName(QStringLiteral("popupWebFrame"));
    connect(item(m_popupWebFrame, QStringLiteral("miOpenInOrvix"), QStringLiteral("Open orvix page")),
            &QAction::triggered, this, &TFrameWebPanel::miOpenInOrvixClick);
    connect(item(m_popupWebFrame, QStringLiteral("miOpenSavedPicture"), QStringLiteral("View picture")),
            &QAction::triggered, this, &TFrameWebPanel::miOpenSavedPictureClick);
    connect(item(m_popupWebFrame, QStringLiteral("miLocateInExplorer"), QStringLiteral("Locate in explorer")),
            &QAction::triggered, this, &TFrameWebPanel::miLocateInExplorerClick);
    connect(item(m_popupWebFrame, QStringLiteral("piCopyDetails"), QStringLiteral("Copy details")),
            &QAction::triggered, this, &TFrameWebPanel::piCopyDetailsClick);
    connect(m_popupWebFrame, &QMenu::aboutToShow, this, [this] {
        const bool saved = m_hoverFrame && !m_hoverFrame->LocalFn.isEmpty();
        action(QStringLiteral("miOpenSavedPicture"))->setEnabled(saved);
        action(QStringLiteral("miLocateInExplorer"))->setEnabled(saved);
    });
}

QAction *TFrameWebPanel::action(const QString &name) const
{
    for (QMenu *menu : {m_popupSavePages, m_popupNavigationPages, m_popupWebFrame, m_piGotoPage})
        for (QAction *a : menu->actions())
            if (a->objectName() == name)
                return a;
    return nullptr;
}

QList<TFrameWebFrame *> TFrameWebPanel::frames() const
{
    return m_frames;
}

TFrameWebFrame *TFrameWebPanel::frameByName(const QString &name) const
{
    return m_flowPanel->findChild<TFrameWebFrame *>(name, Qt::FindDirectChildrenOnly);
}

void TFrameWebPanel::CreateFrames(const TWebFrameEntryList &list, int size)
{
    ORVIX_ASSERT_MAIN_THREAD();
    const QString text = list.Text();
    if (text == ShownEntriesText)
        return; // the same pictures in the same order are shown already
    ClearFramesMiddle();
    ShownEntriesText = text;
    const std::optional<WebFrameLayout> layout = WebFrameLayoutFor(size);
    if (!layout)
        return;
    m_flowPanel->resize(layout->flowPanel);

    int n = 0;
    for (const TWebFrameEntry &entry : list) {
        if (entry.PhotoTargetUrl.isEmpty() || entry.PhotoThumbUrl.isEmpty())
            continue;
        const QString name = QStringLiteral("frame_thumb_") + QString::number(++n);
        auto *frame = new TFrameWebFrame(name, *layout, m_flowPanel);
        frame->WebImage->setToolTip(entry.PhotoTitle);
        frame->PhotoUrl = entry.PhotoTargetUrl;
        frame->PhotoThumbUrl = entry.PhotoThumbUrl;
        connect(frame, &TFrameWebFrame::imageClicked, this, &TFrameWebPanel::FrameImageClick);
        connect(frame, &TFrameWebFrame::selectionChanged, this, &TFrameWebPanel::UpdateFrame);
        connect(frame, &TFrameWebFrame::imageEntered, this, [this](TFrameWebFrame *f) { m_hoverFrame = f; });
        connect(frame, &TFrameWebFrame::mouseActivity, this, [this] { m_host.focusPanel(); });
        connect(frame, &TFrameWebFrame::menuRequested, this,
                [this](TFrameWebFrame *f, QPoint at) {
                    m_hoverFrame = f;
                    m_popupWebFrame->popup(at);
                });
        m_frames.append(frame);
        if (frameByName(name) != frame)
            InfoBox(QStringLiteral("Could not verify frame (2)"));
        m_requests.Add(name, entry.PhotoThumbUrl);
    }
    layFrames(*layout, n);
    for (TFrameWebFrame *frame : std::as_const(m_frames))
        frame->show();
    m_flowPanel->update();
}

void TFrameWebPanel::layFrames(const WebFrameLayout &layout, int count)
{
    // Left to right, then top to bottom, each frame with a small margin.
    const int cellW = layout.frame.width() + 2 * kFrameMargin;
    const int cellH = layout.frame.height() + 2 * kFrameMargin;
    const int perRow = std::max(1, std::min(layout.columns, layout.flowPanel.width() / cellW));
    int bottom = 0;
    for (int i = 0; i < m_frames.size(); ++i) {
        TFrameWebFrame *f = m_frames[i];
        f->move(kFrameMargin + (i % perRow) * cellW, kFrameMargin + (i / perRow) * cellH);
        bottom = std::max(bottom, f->geometry().bottom() + 1);
    }
    int height = layout.flowPanel.height();
    if (layout.size == 2 || layout.size == 3)
        height = std::max(height, (count + layout.columns - 1) / layout.columns * (layout.frame.height() + 5));
    m_flowPanel->resize(layout.flowPanel.width(), m_frames.isEmpty() ? height : bottom + 10);
}

void TFrameWebPanel::ClearFramesMiddle()
{
    ORVIX_ASSERT_MAIN_THREAD();
    // Thumbnails still in flight belong to the old batch: they are dropped.
    m_requests.NewBatch();
    m_hoverFrame = nullptr;
    while (!m_frames.isEmpty()) {
        TFrameWebFrame *frame = m_frames.takeLast();
        frame->_disposed = true;
        try {
            delete frame;
        } catch (...) {
            try {
                frame->setObjectName(QStringLiteral("x") + QUuid::createUuid().toString(QUuid::Id128));
                frame->hide();
                frame->setParent(nullptr);
            } catch (...) {
                InfoBox(QStringLiteral("Program will terminate. Please report error code WebPanelError101"));
                std::exit(1);
            }
        }
    }
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
}

void TFrameWebPanel::bRefreshStatusClick()
{
    for (TFrameWebFrame *frame : std::as_const(m_frames))
        refreshFrame(frame);
}

void TFrameWebPanel::refreshFrame(TFrameWebFrame *frame)
{
    if (frame->ImageIdx.isEmpty())
        frame->ImageIdx = m_host.pictureKeyByPageUrl(frame->PhotoUrl);
    if (!frame->ImageIdx.isEmpty()) {
        frame->LocalFn = m_host.findLocalFileByKey(frame->ImageIdx);
        frame->ImageAlreadyOnDisk = !frame->LocalFn.isEmpty();
    } else {
        frame->ImageAlreadyOnDisk = false;
    }
    UpdateFrame(frame);
}

void TFrameWebPanel::recheckQueuedFrames()
{
    bool stillQueued = false;
    for (TFrameWebFrame *frame : std::as_const(m_frames))
        if (frame->edFrameStatus->text() == kQueuedText) {
            refreshFrame(frame);
            stillQueued = stillQueued || frame->edFrameStatus->text() == kQueuedText;
        }
    if (!stillQueued)
        m_queuedCheck->stop();
}

void TFrameWebPanel::UpdateFrame(TFrameWebFrame *frame)
{
    frame->setBorderColour(frame->selected() ? TFrameWebFrame::kSelectedColour : palette().color(QPalette::Button));
    if (frame->ImageAlreadyOnDisk) {
        frame->setBorderColour(TFrameWebFrame::kSavedColour);
        frame->setStatus(QStringLiteral("saved"));
    } else if (m_host.isQueued(frame->PhotoUrl)) {
        frame->panelBorder->show();
        frame->setBorderColour(TFrameWebFrame::kQueuedColour);
        frame->setStatus(kQueuedText.toString());
        // A line can leave the queues without a save (the file was there already, the download
        // failed, the line was removed); only a save refreshes the frames, so look again.
        if (!m_queuedCheck->isActive())
            m_queuedCheck->start();
    } else {
        frame->setStatus(QString());
    }
}

void TFrameWebPanel::FrameImageClick(TFrameWebFrame *frame)
{
    // A saved picture is not saved twice.
    frame->cbSelected->setChecked(frame->ImageAlreadyOnDisk ? false : !frame->selected());
}

void TFrameWebPanel::SelectClick(QObject *sender)
{
    if (sender != m_btnSelectAll && sender != m_btnSelectNone) {
        InfoBox(QStringLiteral("unknown sender"));
        return;
    }
    const bool select = sender == m_btnSelectAll;
    for (TFrameWebFrame *frame : std::as_const(m_frames))
        if (!frame->ImageAlreadyOnDisk)
            frame->cbSelected->setChecked(select);
}

void TFrameWebPanel::showThumbnail(const QString &frameName, const QString &fileName, int batchId)
{
    m_bridge->call([&] { showThumbnailNow(frameName, fileName, batchId); });
}

void TFrameWebPanel::detachThumbnails()
{
    m_bridge->detach();
}

void TFrameWebPanel::showThumbnailNow(const QString &frameName, const QString &fileName, int batchId)
{
    // The batch decides, not the name: every page numbers its frames from 1.
    if (batchId != m_requests.ThumbnailBatchId)
        return;
    TFrameWebFrame *frame = frameByName(frameName);
    if (!frame || frame->_disposed)
        return;
    frame->showThumbnail(fileName);
}

bool TFrameWebPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_flowPanel && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove))
        m_host.focusPanel();
    if (watched == m_cbImageSizeToSave2 && event->type() == QEvent::KeyPress)
        return true;
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
        if (delta != 0) {
            // The wheel scrolls the pictures by a third of its distance; what a fine-grained
            // wheel's small turns leave over counts towards the next one.
            m_wheelRest += delta;
            const int step = m_wheelRest / 3;
            m_wheelRest -= step * 3;
            QScrollBar *bar = m_scroll->verticalScrollBar();
            bar->setValue(bar->value() - step);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvix
