#pragma once

#include <QString>

namespace orvix {

// One form value encoded for an address: "%" first, then the ASCII characters outside
// "&+-.0-9=?@A-Z_a-z~" and the space as "%XX" ("%20"), then every other character as the
// "%XX" of its UTF-8 bytes.
QString UrlEncodeValue(const QString &value);

// The photo site's search page for a term (trimmed by the caller).
QString SiteSearchUrl(const QString &term);

} // namespace orvix
