#include "favorites.h"

#include <QDateTime>

namespace orvix {

QString FavoriteAddress(const QString &caption)
{
    const qsizetype cut = caption.indexOf(QLatin1String(" - "));
    return cut < 0 ? caption : caption.left(cut);
}

QString FavoriteDateNow()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace orvix
