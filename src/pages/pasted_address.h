#pragma once

#include "foundation/text.h"
#include "pages/site.h"

namespace orvix {

// An address the paste commands queue as a picture page: it holds "http://" and the site's name.
inline bool IsPastedSiteAddress(const QString &url)
{
    return TextContains(url, u"http://") && TextContains(url, SiteName());
}

} // namespace orvix
