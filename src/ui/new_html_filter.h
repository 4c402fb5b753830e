#pragma once

#include <QString>

namespace orvix {

// The main window's guard against parsing the same content twice. The browser reports every
// change of address or document (OnNewHTML); the window asks here whether that change is new
// content worth parsing. The document serialisation is compared on every page: a listing that
// was half loaded at its first report, or whose script appended thumbnails later, is parsed
// again, each new content once. A search result that only gained or lost its hover class is no
// new content.
class NewHtmlFilter
{
public:
    // lastUrl: the browser's Get_LastUrl(). True when the page must be parsed; it is then
    // remembered as the last parsed page.
    bool ShouldParse(const QString &lastUrl, const QString &serialisation);

    // Makes the next report of the same page count as new (the "Go" command).
    void ForgetLastHtml() { lastHtmlWithSlashBODY.clear(); }

    QString LastUrl() const { return lastUrlWithSlashBODY; }
    QString LastHtml() const { return lastHtmlWithSlashBODY; }

private:
    QString lastUrlWithSlashBODY;
    QString lastHtmlWithSlashBODY;
};

} // namespace orvix
