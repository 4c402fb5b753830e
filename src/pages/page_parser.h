#pragma once

#include "image_data.h"
#include "page_numbering.h"
#include "web_frame_entry.h"

#include <QString>
#include <QStringList>

namespace orvix {

class IParseReports;

// The two modes of the entry points: the page on screen, for the window (main thread), or a page
// fetched by a page worker (on the worker's thread).
enum : int { ParseModeWindow = 1, ParseModeWorker = 2 };

// What one page worker hands to the parser and gets back. Each worker owns its own, so workers
// and tests never share these.
struct TPageWorkerContext
{
    QString WorkerPageText;        // the fetched page text
    TImageData WorkerImageData;    // PageUrl set by the worker before parsing; the rest is written
    QStringList WorkerPageEntries; // entry lines of a thumbnails page, one per picture
    IParseReports *Reports = nullptr; // null: the message log; a report must never block the worker
};

// Which panel the window shows once a page has been read.
enum class TPagePanel {
    None,         // a thumbnails page: the web panel is showing
    Picture,      // the picture panel
    Unrecognised, // "Please navigate to a single picture page..." on tab ts2
};

// The window-side steps of the entry points in window mode; the main window implements them.
class IPageWindow
{
public:
    virtual ~IPageWindow() = default;

    virtual QString pageSource() = 0;            // the page as the bytes received, widened
    virtual QString documentSerialisation() = 0; // the browser's serialisation of the document
    virtual QString lastUrl() = 0;               // the browser's last URL
    virtual QString addressText() = 0;           // the address box
    virtual QString navigationUrl() = 0;         // named in the picture page's alert
    virtual QString currentUrl() = 0;            // the browser's current URL
    virtual IParseReports &reports() = 0;        // alerts, message boxes and the message log

    // Picture page.
    virtual void showWorking() = 0;                          // "--WORKING--", painted at once
    virtual void showPicture(const TImageData &picture) = 0; // fill and show the picture panel
    virtual bool thumbnailsShown() = 0;  // the "Save pictures" button or the web panel is visible
    virtual QString shownImageId() = 0;  // the picture panel's id box
    // Hides "--WORKING--" and the three page panels, then shows the one given.
    virtual void showPagePanel(TPagePanel panel) = 0;

    // Thumbnails page.
    virtual void forgetThumbnailsPage() = 0; // hide button and web panel, drop frames and entries
    // Tab ts4 active, the web panel shown (or kept closed for a minimised address), and the
    // paginator's state applied.
    virtual void showThumbnailsPage(const TPagingView &paging) = 0;
    virtual void showEntries(const TWebFrameEntryList &entries) = 0; // frames, then their status
};

// Classification and extraction for both modes: one implementation, so the window and the page
// worker always read a page the same way. The window's parser keeps the window-mode state.
class TPageParser
{
public:
    // window may be null for a parser that only runs in worker mode, worker for one that only
    // runs in window mode.
    TPageParser(IPageWindow *window, TPageWorkerContext *worker);

    void ParseHTMLSourceGui(); // the picture page first, so a thumbnails page can hide its panel
    void ParseHTMLSource_PicturePage(int mode);
    int ParseHTMLSource_MatrixPage(int mode); // returns the pageMode of the page

    const QString &MatrixPageUrl() const { return m_matrixPageUrl; }
    const TImageData &BrowserImageData() const { return m_browserImageData; }
    TPageNumbering &PageNumbering() { return m_pageNumbering; }

private:
    IPageWindow &window();
    TPageWorkerContext &worker();
    IParseReports &reports(int mode);

    IPageWindow *m_window;
    TPageWorkerContext *m_worker;
    QString m_matrixPageUrl;      // the thumbnails page whose pictures the web panel shows
    TImageData m_browserImageData;
    TPageNumbering m_pageNumbering;
};

// Worker mode in one call each, for a worker that owns a context.
void ParseWorkerPicturePage(TPageWorkerContext &context);
int ParseWorkerMatrixPage(TPageWorkerContext &context);

} // namespace orvix
