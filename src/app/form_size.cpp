#include "form_size.h"

#include "foundation/text.h"

#include <optional>

namespace orvix {

namespace {

std::optional<int> toInt(const QString &s)
{
    bool ok = false;
    const int v = TextTrim(s).toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

} // namespace

QString FormSizeValue(const QRect &bounds, bool maximized, const QRect &workArea)
{
    int left = bounds.left(), top = bounds.top(), width = bounds.width(), height = bounds.height();
    if (maximized) {
        left = workArea.width() / 16;
        top = workArea.height() / 8;
        width = workArea.width() - 2 * left;
        height = workArea.height() - 2 * top;
    }
    if (left < -100 || top < -100)
        return QString();
    return QStringLiteral("%1,%2,%3,%4,%5")
        .arg(left)
        .arg(top)
        .arg(width)
        .arg(height)
        .arg(maximized ? QStringLiteral("Max") : QStringLiteral("Normal"));
}

FormPlacement FormPlacementFor(const QString &storedValue, const QRect &workArea)
{
    FormPlacement p;
    if (TextTrim(storedValue).isEmpty()) {
        p.setPosition = p.setSize = true;
        p.size = workArea.size();
        return p;
    }
    QStringList parts = storedValue.split(QLatin1Char(','));
    while (parts.size() < 5)
        parts.append(QString());
    const auto left = toInt(parts[0]), top = toInt(parts[1]);
    const auto width = toInt(parts[2]), height = toInt(parts[3]);
    bool max = TextTrim(parts[4]) == QLatin1String("Max");
    if (!left || !top || *left < -100 || *top < -100)
        max = true;

    if (max) {
        p.maximize = true;
        p.setPosition = p.setSize = true;
        p.size = workArea.size();
        return p;
    }
    p.setPosition = true;
    p.position = QPoint(*left, *top);
    if (width && height && *width > 0 && *height > 0) {
        p.setSize = true;
        p.size = QSize(*width, *height);
    }
    return p;
}

} // namespace orvix
