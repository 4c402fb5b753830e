#pragma once

#include <QString>

#include <functional>

QT_BEGIN_NAMESPACE
class QWebEnginePage;
QT_END_NAMESPACE

namespace orvix {

// One reading of the document a page shows, made by a single script run so its parts agree.
struct DocumentSnapshot
{
    bool valid = false;     // the script ran and answered
    double timeOrigin = 0;  // differs for every new document, also one at the same address
    QString href;           // the document's own address
    bool quirks = false;    // the document is in quirks mode
    // The content of the document element: the engine's serialisation, or for a document in
    // quirks mode the legacy form (upper-case tag names, simple attribute values unquoted,
    // as in <DIV class=ResultsThumbsChild>). Empty without a document element.
    QString html;
};

// Reads the page's document. done runs later on the page's thread; an invalid snapshot when
// the script could not run. The script runs apart from the page's own scripts, which cannot
// disturb it. Without withHtml only the document's identity is read (html stays empty).
void ReadDocumentSnapshot(QWebEnginePage *page, std::function<void(const DocumentSnapshot &)> done,
                          bool withHtml = true);

} // namespace orvix
