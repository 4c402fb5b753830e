#pragma once

// The favorite pages: what an entry opens, and when two addresses are one entry.

#include <QString>

namespace orvix {

// The address an entry opens: its caption up to the first " - " (older releases kept
// "address - title" in the caption).
QString FavoriteAddress(const QString &caption);

// The time an entry was added, as the list shows it ("yyyy-mm-dd hh:nn:ss").
QString FavoriteDateNow();

} // namespace orvix
