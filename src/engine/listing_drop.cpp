#include "engine/listing_drop.h"

#include "foundation/text.h"
#include "foundation/thread_string_list.h"
#include "queue/queue_line.h"

namespace orvix {

namespace {

// Position just behind "/page" in a "/page" N "/" page number, or -1.
qsizetype slashPageNumberEnd(const QString &url)
{
    static const QString marker = QStringLiteral("/page");
    for (qsizetype at = url.indexOf(marker); at >= 0; at = url.indexOf(marker, at + 1)) {
        qsizetype i = at + marker.size();
        const qsizetype digits = i;
        while (i < url.size() && url[i].isDigit())
            ++i;
        if (i > digits && i < url.size() && url[i] == u'/')
            return at + marker.size();
    }
    return -1;
}

} // namespace

QString ListingPrefix(const QString &url)
{
    const int equals = TextPos(url, u"page=");
    if (equals > 0)
        return url.left(equals - 1);
    // Sets and photostreams number their pages as ".../page3/". The prefix keeps "/page" so
    // that it does not match every picture page of the same owner.
    const qsizetype end = slashPageNumberEnd(url);
    return end < 0 ? QString() : url.left(end);
}

QStringList RemoveListingLines(TThreadStringList &pageQueue, const QString &prefix)
{
    QStringList removed;
    if (prefix.isEmpty())
        return removed;
    TThreadStringList::Locker lock(pageQueue);
    for (qsizetype i = lock.list().size() - 1; i >= 0; --i) {
        const QString line = lock.list().at(i);
        if (!TextContains(line, u"|"))
            continue;
        const QString url = TextTrim(FirstLineField(line));
        if (TextContains(url, prefix)) {
            pageQueue.Delete(int(i));
            removed << url;
        }
    }
    return removed;
}

} // namespace orvix
