// The web panel's commands: queuing the selection or a range of pages, the page buttons and
// menus, and the frames' menu.

#include "web_panel.h"

#include "subfolder_edit.h"
#include "web_frame.h"
#include "widgets/image_x.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/file_names.h"
#include "foundation/paths.h"
#include "queue/queue_line.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace orvix {

QString TFrameWebPanel::requestSuffix(const QString &urlType)
{
    PageLine page;
    page.urlType = urlType;
    page.sizeCode = QString::number(m_cbImageSizeToSave2->currentIndex());
    page.tags = m_edImageTags2->text();
    page.tags.replace(QLatin1Char('|'), QLatin1Char('_'));
    page.targetFolder = DownloadTargetFolder(m_host.ensuredPicturesFolder(), m_edOutputPathInner2->text());
    return page.line(); // starts with "|": the URL goes in front
}

void TFrameWebPanel::DownloadSelectedClick()
{
    const QString suffix = requestSuffix(QString::fromUtf16(kPictureUrlType));
    int n = 0;
    for (TFrameWebFrame *frame : std::as_const(m_frames)) {
        if (!frame->selected() || frame->ImageAlreadyOnDisk || m_host.isQueued(frame->PhotoUrl))
            continue;
        const QString url = MakeSiteUrlAbsolute(frame->PhotoUrl);
        m_host.queuePage(url, url + suffix);
        ++n;
    }
    m_host.debugMsg(QStringLiteral("queued: ") + QString::number(n) + QStringLiteral(" images"));
    bRefreshStatusClick();
    if (m_host.showQueued(n))
        m_edImageTags2->clear();
}

void TFrameWebPanel::bSaveAllPagesClick(QObject *sender)
{
    QStringList urls;
    if (IsShiftDown()) {
        const QString address = m_host.addressText();
        if (!address.contains(QLatin1String("/page")) && !address.contains(QLatin1String("?page="))) {
            InfoBox(QStringLiteral("current url is not a page"));
            return;
        }
        urls << address;
    } else {
        TPageNumbering &state = m_host.pageNumbering();
        const QString name = sender ? sender->objectName() : QString();
        int first = 0;
        int last = 0;
        QString question;
        if (name == u"piSavePagesAll" || name == u"piSavePagesAllX") {
            first = 1;
            last = state.LastPageNo;
            question = QStringLiteral("Are you sure you want to download all ") + QString::number(state.LastPageNo)
                       + QStringLiteral(" pages?");
        } else if (name == u"piSavePagesBefore" || name == u"piSavePagesBeforeX") {
            first = 1;
            last = state.CurrentPageNo;
            question = QStringLiteral("Are you sure you want to download pages 1 to ")
                       + QString::number(state.CurrentPageNo) + u'?';
        } else if (name == u"piSavePagesAfter" || name == u"piSavePagesAfterX") {
            first = state.CurrentPageNo;
            last = state.LastPageNo;
            question = QStringLiteral("Are you sure you want to download pages ") + QString::number(state.CurrentPageNo)
                       + QStringLiteral(" to ") + QString::number(state.LastPageNo) + u'?';
        } else {
            InfoBox(QStringLiteral("Unknown request"));
            return;
        }
        if (!AskYesNoCancel(this, question, QStringLiteral("Save pages")))
            return;
        MakePageUrlTemplate(state, state.LastPageNo, m_host.currentUrl(), m_host.reports());
        if (state.PageUrlTemplate.isEmpty())
            return;
        for (int page = first; page <= last; ++page) {
            QString url = state.PageUrlTemplate;
            url.replace(QLatin1String("[PAGE_NO]"), QString::number(page));
            urls << MakeSiteUrlAbsolute(url);
        }
    }
    const QString suffix = requestSuffix(QString::fromUtf16(kThumbnailsUrlType));
    for (const QString &url : std::as_const(urls))
        m_host.queuePage(url, url + suffix);
}

void TFrameWebPanel::GotoPageLink(QString &storedLink)
{
    m_host.navigate(NavigablePageUrl(storedLink));
}

void TFrameWebPanel::GotoPageNumber(int n)
{
    m_host.navigate(PageUrlForNumber(m_host.pageNumbering(), n));
}

void TFrameWebPanel::ApplyPaging(const TPagingView &paging)
{
    m_bPagePrev->setEnabled(paging.PrevEnabled);
    m_bPagePrev->setText(paging.PrevCaption);
    m_bPageNext->setEnabled(paging.NextEnabled);
    m_bPageNext->setText(paging.NextCaption);
    m_lblCurrentPage->setText(paging.CurrentPageText);
    // Enabled, each opens its menu below itself.
    m_bGotoPage->setEnabled(paging.PagesMenusEnabled);
    m_bSavePopup->setEnabled(paging.PagesMenusEnabled);
    m_bSubmitPage2->setVisible(paging.SubmitPageVisible);

    m_piGotoPage->clear();
    for (int i = 0; i < paging.GotoPageItems.size(); ++i) {
        QAction *a = m_piGotoPage->addAction(paging.GotoPageItems[i]);
        a->setObjectName(QStringLiteral("piGotoPage_") + QString::number(i + 1));
        connect(a, &QAction::triggered, this, [this, n = i + 1] { GotoPageNumber(n); });
    }
    const auto setCaption = [this](const char *name, const QString &text) {
        if (!text.isEmpty())
            action(QLatin1String(name))->setText(text);
    };
    setCaption("piLastPage", paging.LastPageCaption);
    setCaption("piSavePagesBefore", paging.SavePagesBeforeCaption);
    setCaption("piSavePagesBeforeX", paging.SavePagesBeforeCaption);
    setCaption("piSavePagesAfter", paging.SavePagesAfterCaption);
    setCaption("piSavePagesAfterX", paging.SavePagesAfterCaption);
}

void TFrameWebPanel::miOpenInOrvixClick()
{
    if (m_hoverFrame)
        m_host.navigate(m_hoverFrame->PhotoUrl);
}

void TFrameWebPanel::miOpenSavedPictureClick()
{
    if (m_hoverFrame && !m_hoverFrame->LocalFn.isEmpty())
        ShellOpen(m_hoverFrame->LocalFn);
}

void TFrameWebPanel::miLocateInExplorerClick()
{
    if (m_hoverFrame && !m_hoverFrame->LocalFn.isEmpty())
        LocateInExplorer(m_hoverFrame->LocalFn);
}

void TFrameWebPanel::piCopyDetailsClick()
{
    if (!m_hoverFrame)
        return;
    const TFrameWebFrame &f = *m_hoverFrame;
    QApplication::clipboard()->setText(QStringLiteral("Page url: ") + f.PhotoUrl + QStringLiteral("\r\n")
                                       + QStringLiteral("Thumbnail url: ") + f.PhotoThumbUrl + QStringLiteral("\r\n")
                                       + QStringLiteral("Local file: ") + f.LocalFn + QStringLiteral("\r\n")
                                       + QStringLiteral("Title: ") + f.WebImage->toolTip() + QStringLiteral("\r\n"));
}

} // namespace orvix
