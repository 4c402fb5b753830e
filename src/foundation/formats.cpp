#include "formats.h"

#include <QLocale>
#include <cmath>

namespace orvix {

namespace {

QLocale groupingLocale()
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

QString FormatCount(qint64 n)
{
    return groupingLocale().toString(n).replace(u'.', u',');
}

QString FormatSize(qint64 bytes)
{
    constexpr double kKB = 1024.0, kMB = kKB * 1024, kGB = kMB * 1024;
    const QLocale locale = groupingLocale();
    if (bytes < 1024)
        return locale.toString(bytes) + QStringLiteral("b");
    if (bytes < qint64(kMB))
        return locale.toString(double(bytes) / kKB, 'f', 2) + QStringLiteral("KB");
    if (bytes < qint64(kGB))
        return locale.toString(double(bytes) / kMB, 'f', 2) + QStringLiteral("MB");
    return locale.toString(double(bytes) / kGB, 'f', 2) + QStringLiteral("GB");
}

QString FormatKB(qint64 bytes)
{
    return groupingLocale().toString(std::llround(double(bytes) / 1024.0)) + QStringLiteral("KB");
}

QString FormatDuration(double days)
{
    qint64 secs = std::llround(std::fabs(days) * 86400.0);
    const qint64 d = secs / 86400;
    secs %= 86400;
    const qint64 h = secs / 3600;
    secs %= 3600;
    const qint64 m = secs / 60;
    const qint64 s = secs % 60;
    QString r;
    if (d > 0)
        r += QString::number(d) + QStringLiteral("d ");
    if (h > 0)
        r += QString::number(h) + QStringLiteral("h ");
    if (m > 0)
        r += QString::number(m) + QStringLiteral("m ");
    if (s > 0 || r.isEmpty())
        r += QString::number(s) + QStringLiteral("s ");
    r = r.trimmed();
    return days < 0 && r != QStringLiteral("0s") ? QStringLiteral("(-)") + r : r;
}

QString ZeroPad(const QString &text, int width)
{
    return text.size() >= width ? text : QString(width - text.size(), u'0') + text;
}

} // namespace orvix
