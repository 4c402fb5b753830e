#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace orvix {

class IParseReports;

// Where the page shown in the browser stands among the numbered pages of its listing. One set
// for the whole window; a page without a paginator leaves it as it was.
struct TPageNumbering
{
    QString PrevPageUrl;     // as written in the page (site-relative links stay relative)
    QString NextPageUrl;
    QString FirstPageUrl;    // derived link of page 1
    QString LastPageUrl;     // derived link of the last page
    qint32 CurrentPageNo = 0; // -1 when the page's number holds no digits
    qint32 LastPageNo = 0;    // highest number in the paginator; 100 for search results
    QString PageUrlTemplate; // page URL with "[PAGE_NO]" for the number; empty when none
};

// What the web panel shows for the paginator of the page. Empty captions leave a menu item's
// caption as it was (the items sit behind pop-ups that stay disabled until they are set).
struct TPagingView
{
    bool PrevEnabled = false;
    QString PrevCaption = QStringLiteral("<");
    bool NextEnabled = false;
    QString NextCaption = QStringLiteral(">");
    QString CurrentPageText;          // lblCurrentPage
    bool PagesMenusEnabled = false;   // bGotoPage and bSavePopup with their pop-up menus
    bool SubmitPageVisible = true;    // the button that reports an unsupported page
    QStringList GotoPageItems;        // captions of pages 1, 2, ...; the current one is "> n <"
    QString LastPageCaption;          // piLastPage
    QString SavePagesBeforeCaption;   // piSavePagesBefore and piSavePagesBeforeX
    QString SavePagesAfterCaption;    // piSavePagesAfter and piSavePagesAfterX
};

// Reads the paginator of a thumbnails page into state. addressText is the address box, which
// tells search pages apart; currentUrl is named in the "unknown page type" message.
TPagingView CreatePageNextPrev(QStringView text, const QString &addressText,
                               const QString &currentUrl, TPageNumbering &state,
                               IParseReports &reports);

// url with the page number current - 1, current or current + 1 replaced by target, in each of the
// four link styles "/pageN/", "?page=N", "&page=N", ";page=N".
QString ReplacePageNumber(const QString &url, int current, int target);

// Sets state.PageUrlTemplate from the last-page (or next-page) link.
void MakePageUrlTemplate(TPageNumbering &state, int lastPage, const QString &url,
                         IParseReports &reports);

// The template filled with page n, made absolute with the site's root.
QString PageUrlForNumber(const TPageNumbering &state, int n);

// A page link of the state about to be opened: "&amp;" decoded (and stored back), made absolute.
QString NavigablePageUrl(QString &storedLink);

} // namespace orvix
