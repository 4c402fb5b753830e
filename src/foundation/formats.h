#pragma once

// Numbers, sizes and durations as the program shows them, in the user's number format.

#include <QString>

namespace orvix {

// Thousands separators, no decimals; every "." then written as ",".
QString FormatCount(qint64 n);
// "512b", "1.50KB", "12.34MB", "1.00GB" (two decimals from KB on; no blank before the unit).
QString FormatSize(qint64 bytes);
// Whole kilobytes with thousands separators + "KB".
QString FormatKB(qint64 bytes);
// "1d 2h 3m 4s", parts that are 0 left out (seconds written when all are 0); negative
// durations prefixed "(-)". The duration is given in days.
QString FormatDuration(double days);
// "0" put in front until text has width characters.
QString ZeroPad(const QString &text, int width);

} // namespace orvix
