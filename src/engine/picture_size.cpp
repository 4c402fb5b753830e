#include "engine/picture_size.h"

#include "engine/fetch_page_text.h"
#include "foundation/log.h"
#include "foundation/message_quote.h"
#include "foundation/text.h"
#include "pages/site.h"
#include "foundation/run_control.h"

#include <climits>

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

// The longer side of a size item's "(W x H)"; -1 when it has none.
int longerSide(const QString &item)
{
    const QString dims = TextBefore(TextAfter(item, u"("), u")");
    const QStringList wh = dims.split(QStringLiteral(" x "));
    bool okW = false, okH = false;
    const int w = wh.value(0).trimmed().toInt(&okW);
    const int h = wh.value(1).trimmed().toInt(&okH);
    return wh.size() == 2 && okW && okH ? qMax(w, h) : -1;
}

} // namespace

int ChooseListedSize(const QStringList &sizeTexts, QChar sizeLetter)
{
    if (sizeTexts.isEmpty())
        return -1;
    if (sizeLetter == u'O')
        return int(sizeTexts.size()) - 1;
    const int maxSide = sizeLetter == u'L' ? kLargeSizeMaxSide : kCurrentSizeMaxSide;
    int chosen = -1;
    int chosenSide = -1;
    int smallest = 0;
    int smallestSide = INT_MAX;
    for (int i = 0; i < sizeTexts.size(); ++i) {
        int side = longerSide(sizeTexts[i]);
        if (side < 0)
            side = INT_MAX;
        if (side <= maxSide && side >= chosenSide) {
            chosen = i;
            chosenSide = side;
        }
        if (side < smallestSide) {
            smallest = i;
            smallestSide = side;
        }
    }
    return chosen >= 0 ? chosen : smallest;
}

QString ResolvePictureFileUrl(const RunControl &run, const QString &imageId, const QString &imageSecretId, QChar sizeLetter,
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
    // The page shows one size; the others are behind links.
    const QString &chosen = sizes.at(ChooseListedSize(sizes, sizeLetter));
    if (TextContains(chosen, u"<a href")) {
        const QString link = NormalizePhotoUrl(TextBefore(TextAfter(chosen, u"href=\""), u"\""));
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
    // A "|" would split the media line the address goes into.
    if (url.contains(u'|')) {
        LogMessage(prefix + QStringLiteral("image src not usable: ") + QuoteForMessage(url));
        return {};
    }
    return url;
}

} // namespace orvix
