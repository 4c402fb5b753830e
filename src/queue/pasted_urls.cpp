#include "queue/pasted_urls.h"

#include "foundation/text.h"
#include "pages/pasted_address.h"
#include "queue/queue_line.h"

#include <QRegularExpression>

namespace orvix {

PastedUrls TakePastedUrls(const QString &text)
{
    PastedUrls result;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &raw : text.split(lineBreak)) {
        const QString url = TextTrim(raw);
        if (url.isEmpty() || !IsPastedSiteAddress(url))
            continue;
        (url.contains(u'|') ? result.malformed : result.accepted) << url;
    }
    return result;
}

QString PastedPageLine(const QString &url, const QString &size, const QString &targetFolder)
{
    return PageLine{url, QString::fromUtf16(kPictureUrlType), size, QString(), targetFolder}.line();
}

} // namespace orvix
