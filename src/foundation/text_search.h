#pragma once

// Case-sensitive search tuned for the page parsers, which look for short markers ("</a>",
// "<img ", "href=\"") many thousand times per page. The general search is slow for markers of
// five characters or less and costly to start for longer ones; this one filters eight positions
// at a time on the marker's first and last character. Same results as QStringView::indexOf.

#include <QStringView>

namespace orvix {

// Index (0-based) of the first occurrence of needle in hay at or after from; -1 when none.
// An empty needle is never found.
qsizetype FindText(QStringView hay, QStringView needle, qsizetype from = 0);

} // namespace orvix
