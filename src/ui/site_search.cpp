#include "site_search.h"

#include "foundation/url_encode.h"
#include "pages/site.h"

namespace orvix {

QString SiteSearchUrl(const QString &term)
{
    return QStringLiteral("http://") + SiteHost() + QStringLiteral("/search/?q=")
           + UrlEncodeValue(term) + QStringLiteral("&w=all");
}

} // namespace orvix
