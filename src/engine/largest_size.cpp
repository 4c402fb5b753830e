#include "engine/largest_size.h"

#include "engine/fetch_page_text.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "pages/site.h"
#include "foundation/run_control.h"

namespace orvix {

namespace {

// The sizes of the list, smallest first, as the text of their list items.
QStringList sizeItems(QStringView page)
{
    QString list = TextBefore(TextAfterView(page, u"sizes-list"), u"allsizes-photo");
    for (const char16_t *noise : {u"\t", u"\r", u"\n", u"<small>", u"</small>"})
        list = TextReplaceAll(list, noise, u"");
    QStringList sizes;
    for (const QString &item : TextSplit(list, u"<li", true)) {
        if (TextContains(item, u" x "))
            sizes.append(TextBefore(item, u"</li>"));
    }
    return sizes;
}

} // namespace

QString ResolveLargestSizeUrl(const RunControl &run, const QString &imageId, const QString &imageSecretId, QChar,
                              const QString &pageUrl)
{
    const QString prefix = QStringLiteral("URL failed (L/O): ") + imageId + u'_' + imageSecretId
        + QStringLiteral(": ") + QStringLiteral(", error= ");
    const QString sizesUrl = TextRemoveSuffix(TextBefore(pageUrl, u"/in/"), u"/") + QStringLiteral("/sizes/");

    QString error;
    QString page = FetchPageText(run, sizesUrl, error, prefix);
    if (!TextContains(page, u"allsizes-photo")) {
        LogMessage(prefix + QStringLiteral(" allsizes-photo not found"));
        return {};
    }
    const QStringList sizes = sizeItems(page);
    if (sizes.isEmpty()) {
        LogMessage(prefix + QStringLiteral(" no image resolutions found"));
        return {};
    }
    // The page shows one size; the others, the largest among them, are behind links.
    const QString &largest = sizes.last();
    if (TextContains(largest, u"<a href")) {
        const QString link = NormalizePhotoUrl(TextBefore(TextAfter(largest, u"href=\""), u"\""));
        page = FetchPageText(run, link, error, prefix);
        if (!TextContains(page, u"allsizes-photo")) {
            LogMessage(prefix + QStringLiteral(" allsizes-photo not found (L2)"));
            return {};
        }
    }
    if (run.Canceling())
        return {};

    const QString lowered = TextLower(page);
    const QStringView shown = TextAfterView(lowered, u"allsizes-photo");
    const QStringView source = TextAfterView(shown, u"src=\"");
    // The cuts keep the whole text when a marker is missing, so look for the markers first.
    if (!TextContains(shown, u"src=\"") || !TextContains(source, u"\"")) {
        LogMessage(prefix + QStringLiteral("image src not found"));
        return {};
    }
    const QString url = TextBefore(source, u"\"");
    if (url.isEmpty())
        LogMessage(prefix + QStringLiteral("image src not found"));
    return url;
}

} // namespace orvix
