#pragma once

#include <QString>

namespace orvix {

// One form value encoded for an address or a form body: the ASCII characters outside
// "-.0-9@A-Z_a-z~" (so "&", "=", "+", "?" and "%" too) and the space as "%XX" ("%20"), every
// other character as the "%XX" of its UTF-8 bytes. The program's only encoder of values.
QString UrlEncodeValue(const QString &value);

} // namespace orvix
