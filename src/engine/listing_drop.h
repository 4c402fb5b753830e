#pragma once

// A numbered listing queued as a range of pages may run past its last page; the first page that
// shows no pictures then takes the rest of its listing out of the page queue.

#include <QString>
#include <QStringList>

namespace orvix {

class TThreadStringList;

// The part of a page address that all pages of its listing share: the text before its first
// "page=" ("?page=", "&page=", ";page=" styles), or for the "/page" N "/" style the text up to
// and including that "/page". Empty when the address carries no page number.
QString ListingPrefix(const QString &url);

// Removes, from the last line to the first, every line with a "|" whose URL (first field)
// contains prefix, under the queue's lock. Returns the removed lines' URLs in that order.
QStringList RemoveListingLines(TThreadStringList &pageQueue, const QString &prefix);

} // namespace orvix
