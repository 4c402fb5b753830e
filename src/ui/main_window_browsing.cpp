// The main window's browsing flow: navigation start, new page content, the parser's window
// steps, and what the top bar and the picture panel ask of the window.

#include "main_window.h"
#include "edit_tags_panel.h"
#include "favorites_panel.h"
#include "private_picture_panel.h"
#include "resume_panel.h"
#include "settings_panel.h"
#include "worker_host_window.h"
#include "paste_urls_panel.h"
#include "queue_status_panel.h"

#include "page_type_area.h"
#include "subfolder_edit.h"
#include "web_panel_host.h"
#include "widgets/panel_x.h"
#include "widgets/varnel_page_control_x.h"
#include "window_settings_controls.h"

#include "app/program_context.h"
#include "queue/pasted_urls.h"
#include "foundation/alerts.h"
#include "foundation/command_line.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "queue/queue_state.h"
#include "ui/web_browser_k.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace orvix {

namespace {

bool anyLineContains(TThreadStringList &list, const QString &text)
{
    if (text.isEmpty())
        return false;
    TThreadStringList::Locker lock(list);
    for (const QString &line : lock.list())
        if (line.contains(text))
            return true;
    return false;
}

constexpr int kScreenshotSettleMs = 2500;

} // namespace

void TFormMain::wbMainBrowserBeforeNavigate2(const QString &url, bool isMainFrame, bool &cancel)
{
    Q_UNUSED(isMainFrame);
    if (url == QLatin1String("about:blank") || !url.contains(SiteName(), Qt::CaseInsensitive)
        || url.contains(QLatin1String("search_sidebar")))
        return;
    DebugMsg(m_context->run(), QStringLiteral("navigating to -> ") + url);
    m_navigationUrl = url;
    if (m_topBar->labelWorking()->isVisible()) {
        cancel = true;
        InfoBox(QStringLiteral("label_working.Visible = true"));
        return;
    }
    ResetPageArea();
}

void TFormMain::ResetPageArea()
{
    ++m_navigationCount;
    m_documentParsed = false;
    picturePanel()->ResetPicture();
    m_pageTitle.clear();
    m_topBar->setStatusLight(m_shownOnce ? TStatusLight::Red : TStatusLight::Hidden);
    if (m_webPanel && !m_webPanel->isHidden() && m_parser.MatrixPageUrl() != m_navigationUrl)
        CloseWebPanel();
    m_pageType->HideSaveMultiple();
}

void TFormMain::wbMainBrowserNewHTML()
{
    const QString last = m_browser->Get_LastUrl();
    if (m_topBar->edURL()->text() != last)
        m_topBar->edURL()->setText(last);
    if (!m_newHtml.ShouldParse(last, m_browser->GetBrowserHtml_Inner()))
        return;
    // The parse may ask the user, and the browser delivers nothing while its report is being
    // handled: it runs once the report returned, and reads the newest content then. A report
    // that comes while one is waiting moves the waiting parse on to its own navigation, so a
    // page reported just after a new navigation began is still read.
    m_parseNavigation = m_navigationCount;
    if (m_parsePending)
        return;
    m_parsePending = true;
    QMetaObject::invokeMethod(this, [this] { parseNewContent(); }, Qt::QueuedConnection);
}

void TFormMain::parseNewContent()
{
    m_parsePending = false;
    if (m_parseNavigation != m_navigationCount)
        return; // a navigation started since the newest report: its own reports follow
    try {
        ParseHTMLSourceGui();
    } catch (const std::exception &e) {
        ErrorBox(exceptionMessage(e));
        return;
    }
    m_documentParsed = true;
    m_topBar->setStatusLight(TStatusLight::Blue);
    if (!m_screenshotFile.isEmpty())
        takeScreenshotSoon();
}

void TFormMain::ParseHTMLSourceGui()
{
    m_parser.ParseHTMLSourceGui();
    DebugMsg(m_context->run(), QStringLiteral("page read: ") + m_browser->Get_LastUrl());
}

void TFormMain::takeScreenshotSoon()
{
    // Each new parse restarts the wait, so the picture shows the page once it settled.
    if (!m_screenshotTimer) {
        m_screenshotTimer = new QTimer(this);
        m_screenshotTimer->setSingleShot(true);
        connect(m_screenshotTimer, &QTimer::timeout, this, [this] {
            if (m_screenshotTaken || !m_documentParsed)
                return;
            m_screenshotTaken = true;
            const bool saved = grab().save(m_screenshotFile, "PNG");
            TellWithoutWindow((saved ? QStringLiteral("screenshot saved: ") : QStringLiteral("screenshot failed: "))
                              + m_screenshotFile);
            close();
        });
    }
    m_screenshotTimer->start(kScreenshotSettleMs);
}

// --- IPageWindow --------------------------------------------------------------------------

QString TFormMain::pageSource() { return m_browser->GetBrowserHtml2(); }
QString TFormMain::documentSerialisation() { return m_browser->GetBrowserHtml_Inner(); }
QString TFormMain::lastUrl() { return m_browser->Get_LastUrl(); }
QString TFormMain::addressText() { return m_topBar->edURL()->text(); }
QString TFormMain::currentUrl() { return m_browser->LocationURL(); }

void TFormMain::showWorking()
{
    m_topBar->labelWorking()->show();
    m_topBar->labelWorking()->repaint();
}

void TFormMain::showPicture(const TImageData &picture)
{
    picturePanel()->ShowPicture(picture);
}

bool TFormMain::thumbnailsShown()
{
    return m_pageType->SaveMultipleShown() || !m_webPanel->isHidden();
}

QString TFormMain::shownImageId()
{
    return picturePanel()->shownImageId();
}

void TFormMain::showPagePanel(TPagePanel panel)
{
    m_topBar->labelWorking()->hide();
    m_pageType->ShowPagePanel(panel);
}

void TFormMain::forgetThumbnailsPage()
{
    m_pageType->HideSaveMultiple();
    m_pageType->bSaveMultiple()->setToolTip(QString());
    m_webPanel->hide();
    m_webPanel->frame()->ClearFramesMiddle();
    m_webPanel->frame()->ForgetShownEntries();
}

void TFormMain::showThumbnailsPage(const TPagingView &paging)
{
    m_pageType->setCurrentIndex(TPageTypeArea::Ts4);
    bSaveMultipleClick(false);
    m_webPanel->frame()->ApplyPaging(paging);
}

void TFormMain::showEntries(const TWebFrameEntryList &entries)
{
    // The button also tells how many pictures the page holds.
    m_pageType->bSaveMultiple()->setToolTip(QString::number(entries.Count())
                                            + QStringLiteral(" pictures on this page"));
    DebugMsg(m_context->run(), QStringLiteral("thumbnails found: ") + QString::number(entries.Count()));
    m_webPanel->frame()->CreateFrames(entries, 1);
    m_webPanel->frame()->bRefreshStatusClick();
    // Scripted runs (the demo's screenshot) select some pictures as a user would.
    for (const QString &n : m_context->switches().selectFrames.split(u',', Qt::SkipEmptyParts))
        if (TFrameWebFrame *frame = m_webPanel->frame()->frameByName(QStringLiteral("frame_thumb_") + n.trimmed()))
            frame->cbSelected->setChecked(!frame->ImageAlreadyOnDisk);
}

void TFormMain::bSaveMultipleClick(bool fromButton)
{
    ensuredPicturesFolder();
    if (!fromButton) {
        const QString address = m_topBar->edURL()->text();
        for (const QString &line : m_controls->lines(QStringLiteral("edMinimizedWebPanelUrls"))) {
            const QString url = line.trimmed();
            if (!url.isEmpty() && address.contains(url)) {
                CloseWebPanel();
                return;
            }
        }
    }
    m_pageType->HideSaveMultiple();
    m_webPanel->ShowInFront();
    if (!fromButton)
        keepAskingPanelsInFront();
    fitWebPanelIntoBrowser();
    m_webPanel->MakeHeaderVisible();
    if (fromButton)
        m_webPanel->frame()->bRefreshStatusClick();
}

// A page that loaded opens the web panel by itself: it comes before the browser and the other
// panels, but not before a panel the user has open to answer (the settings of a first start).
void TFormMain::keepAskingPanelsInFront()
{
    const QList<QWidget *> asking{m_settingsPanel, m_favoritesPanel, m_pastePanel, m_resumePanel, m_editTags,
                                  m_workerHost ? m_workerHost->privatePanel() : nullptr};
    // Children are listed back to front: the first one open is the one to stay under.
    for (QObject *child : children()) {
        auto *panel = qobject_cast<QWidget *>(child);
        if (panel && panel != m_webPanel && panel->isVisible() && asking.contains(panel)) {
            m_webPanel->stackUnder(panel);
            return;
        }
    }
}

void TFormMain::CloseWebPanel()
{
    m_webPanel->hide();
    m_pageType->ShowSaveMultiple();
    m_pageType->setCurrentIndex(TPageTypeArea::Ts4);
    focusBrowser();
}

void TFormMain::RefreshWebPanel()
{
    if (m_webPanel->isHidden())
        return;
    m_webPanel->frame()->bRefreshStatusClick();
    if (!m_screenshotFile.isEmpty() && m_documentParsed)
        takeScreenshotSoon(); // the picture shows the panel once the saved pictures are marked
}

void TFormMain::fitWebPanelIntoBrowser()
{
    if (!m_webPanel || m_webPanel->isHidden() || !m_pcPanels)
        return;
    const QRect browser(m_pcPanels->mapTo(this, QPoint(0, 0)), m_pcPanels->size());
    if (browser.isEmpty())
        return; // not laid out yet
    const QRect fitted = FitWebPanelIntoBrowser(m_webPanel->geometry(), browser);
    if (fitted != m_webPanel->geometry())
        m_webPanel->setGeometry(fitted);
}

void TFormMain::MaximizeWebPanel()
{
    const int top = m_panelTop->geometry().bottom() + 1 - 80;
    m_webPanel->setGeometry(m_webPanel->x(), std::max(0, top), m_webPanel->width(), m_browser->height() + 80);
}

// --- ITopBarHost --------------------------------------------------------------------------

void TFormMain::navigate(const QString &url)
{
    m_browser->Navigate(url);
}

void TFormMain::goBack()
{
    m_browser->GoBack();
}

void TFormMain::goForward()
{
    m_browser->GoForward();
}

void TFormMain::forgetParsedPage()
{
    m_newHtml.ForgetLastHtml();
}

void TFormMain::openInNewInstance(const QString &url)
{
    m_context->SessionSettings().SaveProjectX();
    QString arguments = QStringLiteral("\"/url=") + url + QStringLiteral("\" nomutex");
    // The new copy must read the same site and the same settings folder.
    for (const char *name : {"site", "maker", "settings"}) {
        const QString value = GetSwitchValue(QLatin1String(name));
        if (!value.isEmpty())
            arguments += QStringLiteral(" \"") + QLatin1String(name) + QLatin1Char('=') + value + QLatin1Char('"');
    }
    ShellOpen(QCoreApplication::applicationFilePath(), arguments);
}

void TFormMain::pastedSeveralAddresses(const QStringList &addresses)
{
    // The paste panel offers them; the user picks size and subfolder and queues them there.
    const PastedUrls pasted = TakePastedUrls(addresses.join(u'\n'));
    if (pasted.accepted.size() < 2)
        return;
    m_pastePanel->Open();
    m_pastePanel->edMultipleUrls()->setPlainText(pasted.accepted.join(u'\n'));
}

// --- IPicturePanelHost --------------------------------------------------------------------

QString TFormMain::ensuredPicturesFolder()
{
    const QString folder = m_context->EnsurePicturesFolder(m_controls->text(QStringLiteral("edOutputPath")));
    m_controls->setText(QStringLiteral("edOutputPath"), folder);
    return folder;
}

QString TFormMain::findLocalFileByKey(const QString &key)
{
    return m_context->pictures().FindLocalFileByKey(key);
}

bool TFormMain::mediaQueueContains(const QString &text)
{
    return anyLineContains(m_context->queues().MediaQueue, text);
}

bool TFormMain::pageQueueContains(const QString &text)
{
    return anyLineContains(m_context->queues().PageQueue, text);
}

void TFormMain::queuePage(const QString &url, const QString &line)
{
    // A slot must not let an exception out; the line is queued for this run even then.
    try {
        m_context->queues().QueuePage(url, line, -1);
    } catch (const std::exception &e) {
        ErrorBox(QStringLiteral("The queue item file could not be written, so the picture will not be resumed "
                                "after a restart: ")
                 + exceptionMessage(e));
    }
}

void TFormMain::showQueueAnalyzing()
{
    m_queuePanel->ShowStatusLine(QStringLiteral("analyzing image.."));
    m_queuePanel->show();
}

void TFormMain::focusBrowser()
{
    m_browser->SetFocusToDocument();
}

void TFormMain::subfolderChanged(const QString &text)
{
    // Both subfolder boxes show the one subfolder.
    m_outputSubfolder = text;
    for (QLineEdit *box : {static_cast<QLineEdit *>(picturePanel()->edOutputPathInner()),
                           static_cast<QLineEdit *>(m_webPanel->frame()->edOutputPathInner2())})
        if (box->text() != text)
            box->setText(text);
}

void TFormMain::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    // The queue panel shows the new row (and itself) as the rows tell it.
    m_context->queueRows().AddToListViewQueue(caption, queueLine);
    DebugMsg(m_context->run(), QStringLiteral("queued: ") + caption + QStringLiteral(" | ") + queueLine);
}

} // namespace orvix
