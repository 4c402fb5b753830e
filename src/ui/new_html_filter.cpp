#include "ui/new_html_filter.h"

#include "foundation/text.h"

namespace orvix {

namespace {

bool isSearchAddress(const QString &address)
{
    return address.contains(QLatin1String("/search"), Qt::CaseInsensitive);
}

QString withoutHover(const QString &html)
{
    return TextReplaceAll(html, u"class=\"ResultsThumbsChild ResultsThumbsChild_hover\"",
                          u"class=ResultsThumbsChild");
}

} // namespace

bool NewHtmlFilter::ShouldParse(const QString &lastUrl, const QString &address, const QString &pageSource,
                                const QString &serialisation)
{
    const QString &compared = isSearchAddress(address) ? serialisation : pageSource;
    if (lastUrlWithSlashBODY == lastUrl) {
        if (compared == lastHtmlWithSlashBODY)
            return false;
        if (withoutHover(lastHtmlWithSlashBODY) == withoutHover(serialisation))
            return false;
    }
    lastUrlWithSlashBODY = lastUrl;
    lastHtmlWithSlashBODY = compared;
    return true;
}

} // namespace orvix
