#pragma once

// The program's fixed time formats (local time): records use "yyyy-mm-dd hh:nn:ss.zzz", log
// lines "yyyy-mm-dd hh:nn:ss", file names "yyyymmdd_hhnnss_zzz".

#include <QDateTime>
#include <QString>

namespace orvix {

QString FormatTimeStampMs(const QDateTime &t);
QString FormatTimeStamp(const QDateTime &t);
QString FormatFileNameStamp(const QDateTime &t);
// The current local time as a log line stamp.
QString NowTimeStamp();
// Either form, with "T" or a blank between date and time; invalid when the text is neither.
QDateTime ParseTimeStamp(QStringView text);

} // namespace orvix
