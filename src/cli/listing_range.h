#pragma once

// The numbered pages of a listing, as the web panel's "save pages" finds them: the listing is
// read in the hidden browser, its paginator gives the page address template, and each number
// of the range fills it in.

#include <QString>
#include <QStringList>

namespace orvix {
struct WorkerTiming;
}

namespace orvix::cli {

struct TCliIo;

struct TPageRange
{
    bool all = false; // 1 to the last page the paginator shows
    int first = 1;
    int last = 1;
};

// "all" or "FIRST-LAST" with 1 <= FIRST <= LAST.
bool ParsePageRange(const QString &text, TPageRange &range);

// The page addresses of the range for the listing at url (main thread, with the browser). A
// listing without page numbers gives its own address alone, with a note on io.err.
QStringList ListingPageUrls(const QString &url, const TPageRange &range, const WorkerTiming &timing, TCliIo &io);

} // namespace orvix::cli
