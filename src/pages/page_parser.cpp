#include "page_parser.h"

#include "page_mode.h"
#include "parse_reports.h"
#include "picture_page.h"
#include "site.h"
#include "thumbs_extractors.h"

#include <stdexcept>

namespace orvix {

namespace {

void checkMode(int mode)
{
    if (mode != ParseModeWindow && mode != ParseModeWorker)
        throw std::invalid_argument("page parser: mode must be 1 or 2");
}

} // namespace

TPageParser::TPageParser(IPageWindow *window, TPageWorkerContext *worker)
    : m_window(window), m_worker(worker)
{
}

IPageWindow &TPageParser::window()
{
    if (!m_window)
        throw std::logic_error("page parser: window mode without a window");
    return *m_window;
}

TPageWorkerContext &TPageParser::worker()
{
    if (!m_worker)
        throw std::logic_error("page parser: worker mode without a worker context");
    return *m_worker;
}

IParseReports &TPageParser::reports(int mode)
{
    static TLogParseReports logReports;
    if (mode == ParseModeWindow)
        return window().reports();
    return worker().Reports ? *worker().Reports : logReports;
}

void TPageParser::ParseHTMLSourceGui()
{
    ParseHTMLSource_PicturePage(ParseModeWindow);
    ParseHTMLSource_MatrixPage(ParseModeWindow);
}

void TPageParser::ParseHTMLSource_PicturePage(int mode)
{
    checkMode(mode);
    if (mode == ParseModeWindow) {
        IPageWindow &w = window();
        w.showWorking();
        // Whatever happens while reading, the window must not stay on "--WORKING--".
        auto settle = [&w] {
            if (w.thumbnailsShown())
                w.showPagePanel(TPagePanel::None);
            else if (!w.shownImageId().isEmpty())
                w.showPagePanel(TPagePanel::Picture);
            else
                w.showPagePanel(TPagePanel::Unrecognised);
        };
        try {
            TImageData record;
            ParsePicturePage(w.pageSource(), record, w.reports(), w.navigationUrl());
            record.PageUrl = w.addressText();
            m_browserImageData = record;
            if (!record.ImageId.isEmpty())
                w.showPicture(record);
        } catch (...) {
            settle();
            throw;
        }
        settle();
        return;
    }

    TPageWorkerContext &ctx = worker();
    TImageData record;
    ParsePicturePage(ctx.WorkerPageText, record, reports(mode), ctx.WorkerImageData.PageUrl);
    record.PageUrl = ctx.WorkerImageData.PageUrl;
    ctx.WorkerImageData = record;
}

int TPageParser::ParseHTMLSource_MatrixPage(int mode)
{
    checkMode(mode);
    QString windowText;
    if (mode == ParseModeWindow) {
        IPageWindow &w = window();
        windowText = w.documentSerialisation();
        const QString lastUrl = w.lastUrl();
        if (lastUrl != m_matrixPageUrl) {
            w.forgetThumbnailsPage();
            m_matrixPageUrl = lastUrl;
        }
    } else {
        // A page that lists nothing must not leave the previous page's entries behind.
        worker().WorkerPageEntries.clear();
    }
    const QString &text = mode == ParseModeWindow ? windowText : worker().WorkerPageText;

    const int pageMode = GetPageMode(text);
    if (pageMode == pmNotThumbnails)
        return pageMode;

    if (mode == ParseModeWindow) {
        IPageWindow &w = window();
        const TPagingView paging = CreatePageNextPrev(text, w.addressText(), w.currentUrl(),
                                                      m_pageNumbering, w.reports());
        w.showThumbnailsPage(paging);
    }

    TWebFrameEntryList entries = ExtractThumbnails(pageMode, text, reports(mode));
    if (entries.isEmpty())
        return pageMode;
    for (TWebFrameEntry &e : entries) {
        e.PhotoTargetUrl = NormalizePhotoUrl(e.PhotoTargetUrl);
        // Worker text is usually the page's bytes widened; titles are read like picture titles.
        // The window reads the browser's serialisation, which is Unicode already: decoding it
        // again would turn a real "Ã©" into "é".
        if (mode == ParseModeWorker)
            e.PhotoTitle = DecodeWidenedUtf8(e.PhotoTitle);
    }

    if (mode == ParseModeWindow)
        window().showEntries(entries);
    else
        worker().WorkerPageEntries = entries.Lines();
    return pageMode;
}

void ParseWorkerPicturePage(TPageWorkerContext &context)
{
    TPageParser(nullptr, &context).ParseHTMLSource_PicturePage(ParseModeWorker);
}

int ParseWorkerMatrixPage(TPageWorkerContext &context)
{
    return TPageParser(nullptr, &context).ParseHTMLSource_MatrixPage(ParseModeWorker);
}

} // namespace orvix
