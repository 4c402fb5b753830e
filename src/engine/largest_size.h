#pragma once

#include <QChar>
#include <QString>

namespace orvix {

class RunControl;

// Address of the largest picture file listed on a picture's sizes page, found from the picture
// page's address (".../photos/owner/123/in/photostream" has its sizes at
// ".../photos/owner/123/sizes/"). The size letter ('L', 'O' or 'M') is what the user asked
// for; the largest size is taken whatever it says. Every failure is one line in the message
// log and an empty result; nothing is raised. Empty as well when a queue is being canceled.
// May take many seconds: each page fetch retries with pauses.
QString ResolveLargestSizeUrl(const RunControl &run, const QString &imageId, const QString &imageSecretId, QChar sizeLetter,
                              const QString &pageUrl);

} // namespace orvix
