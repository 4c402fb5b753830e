#include "time_stamps.h"

namespace orvix {

QString FormatTimeStampMs(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString FormatTimeStamp(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString FormatFileNameStamp(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyyMMdd_HHmmss_zzz"));
}

QString NowTimeStamp()
{
    return FormatTimeStamp(QDateTime::currentDateTime());
}

QDateTime ParseTimeStamp(QStringView text)
{
    QString s = text.trimmed().toString();
    if (s.size() > 10 && s[10] == u'T')
        s[10] = u' ';
    for (const auto *format : {u"yyyy-MM-dd HH:mm:ss.zzz", u"yyyy-MM-dd HH:mm:ss"}) {
        const QDateTime t = QDateTime::fromString(s, QString::fromUtf16(format));
        if (t.isValid())
            return t;
    }
    return QDateTime();
}

} // namespace orvix
