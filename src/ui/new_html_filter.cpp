#include "ui/new_html_filter.h"

#include "foundation/text.h"

namespace orvix {

namespace {

QString withoutHover(const QString &html)
{
    return TextReplaceAll(html, u"class=\"ResultsThumbsChild ResultsThumbsChild_hover\"",
                          u"class=ResultsThumbsChild");
}

} // namespace

bool NewHtmlFilter::ShouldParse(const QString &lastUrl, const QString &serialisation)
{
    if (lastUrlWithSlashBODY == lastUrl) {
        if (serialisation == lastHtmlWithSlashBODY)
            return false;
        if (withoutHover(lastHtmlWithSlashBODY) == withoutHover(serialisation))
            return false;
    }
    lastUrlWithSlashBODY = lastUrl;
    lastHtmlWithSlashBODY = serialisation;
    return true;
}

} // namespace orvix
