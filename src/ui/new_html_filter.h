#pragma once

#include <QString>

namespace orvix {

// The main window's guard against parsing the same content twice. The browser reports every
// change of address or document (OnNewHTML); the window asks here whether that change is new
// content worth parsing. For a search page the document serialisation is compared, since its
// results exist only there; for every other page the page source. A search result that only
// gained or lost its hover class is no new content.
class NewHtmlFilter
{
public:
    // lastUrl: the browser's Get_LastUrl(); address: the window's address box. True when the
    // page must be parsed; it is then remembered as the last parsed page.
    bool ShouldParse(const QString &lastUrl, const QString &address, const QString &pageSource,
                     const QString &serialisation);

    // Makes the next report of the same page count as new (the "Go" command).
    void ForgetLastHtml() { lastHtmlWithSlashBODY.clear(); }

    QString LastUrl() const { return lastUrlWithSlashBODY; }
    QString LastHtml() const { return lastHtmlWithSlashBODY; }

private:
    QString lastUrlWithSlashBODY;
    QString lastHtmlWithSlashBODY;
};

} // namespace orvix
