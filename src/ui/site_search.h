#pragma once

#include <QString>

namespace orvix {

// The photo site's search page for a term (trimmed by the caller).
QString SiteSearchUrl(const QString &term);

} // namespace orvix
