#pragma once

// Case-sensitive search tuned for the page parsers, which look for short markers ("</a>",
// "<img ", "href=\"") many thousand times per page. The general search is slow for markers of
// five characters or less and costly to start for longer ones; this one filters eight positions
// at a time on the marker's first and last character. Same results as QStringView::indexOf.
//
// The view cuts below behave exactly like TextAfterView and its kin (an absent or empty marker
// leaves the text whole) and are used in the loops over whole pages.

#include <QStringView>

namespace orvix {

// Index (0-based) of the first occurrence of needle in hay at or after from; -1 when none.
// An empty needle is never found.
qsizetype FindText(QStringView hay, QStringView needle, qsizetype from = 0);

inline bool ContainsText(QStringView hay, QStringView needle)
{
    return FindText(hay, needle) >= 0;
}

inline QStringView ViewAfter(QStringView s, QStringView marker)
{
    const qsizetype at = FindText(s, marker);
    return at < 0 ? s : s.mid(at + marker.size());
}

inline QStringView ViewFrom(QStringView s, QStringView marker)
{
    const qsizetype at = FindText(s, marker);
    return at < 0 ? s : s.mid(at);
}

inline QStringView ViewUpTo(QStringView s, QStringView marker)
{
    const qsizetype at = FindText(s, marker);
    return at < 0 ? s : s.left(at + marker.size());
}

inline QStringView ViewBefore(QStringView s, QStringView marker)
{
    const qsizetype at = FindText(s, marker);
    return at < 0 ? s : s.left(at);
}

} // namespace orvix
