// Extractors of the photostream and search layouts, and the choice of extractor per pageMode.
#include "page_mode.h"
#include "site.h"
#include "foundation/text_search.h"
#include "thumbs_extractors.h"

#include "foundation/text.h"

namespace orvix {

namespace {

// TextBefore(TextAfter(TextAfter(rest, tag), attr), "\""): the value of attr after tag.
QStringView valueAfter(QStringView rest, QStringView tag, QStringView attr)
{
    return TextBeforeView(TextAfterView(TextAfterView(rest, tag), attr), u"\"");
}

// "id_secret_x.jpg": the fifth character from the end is the "_" before the size letter.
bool hasSizeLetter(const QString &url)
{
    return url.size() > 10 && url[url.size() - 6] == u'_';
}

// Names a thumbnail "..._t.jpg": the size letter of "id_secret_x.jpg" becomes "t".
QString thumbnailSize(QString url)
{
    if (hasSizeLetter(url)) {
        url[url.size() - 5] = u't';
        return url;
    }
    return TextReplaceAll(url, u".jpg", u"_t.jpg");
}

QString unescapeSlashes(QStringView value)
{
    return TextReplaceAll(value, u"\\/", u"/");
}

} // namespace

TWebFrameEntryList ParseListData(QStringView text)
{
    const QStringView rows = TextAfterView(TextFromView(text, u"Y.listData ="), u"\"rows\"");
    static const QString separator = QStringLiteral("\"name\":");

    // Walk the items of the split on the separator, as views. The script escapes its slashes;
    // none of the markers below holds a slash, so they are found on the raw text and only the
    // values are unescaped.
    TWebFrameEntryList list;
    QStringView first;
    qsizetype pos = 0;
    for (int index = 0; !rows.isEmpty() && pos <= rows.size(); ++index) {
        qsizetype end = FindText(rows, separator, pos);
        if (end < 0)
            end = rows.size();
        const QStringView item = TextTrimView(rows.mid(pos, end - pos));
        pos = end + separator.size();
        if (index == 0) {
            first = item;
            continue;
        }
        if (item == first)
            continue;
        const QString target =
            NormalizePhotoUrl(unescapeSlashes(valueAfter(item, u"\"photo_url\":", u"\"")));
        if (!TextContains(target, u"/"))
            continue;
        const QString thumb = thumbnailSize(unescapeSlashes(valueAfter(item, u"\"url\":", u"\"")));
        const QString title = unescapeSlashes(TextBeforeView(TextAfterView(item, u"\""), u"\""));
        list.Add(target, thumb, title);
    }
    return list;
}

TWebFrameEntryList ParsePhotoContainers(QStringView text)
{
    static const QString marker = QStringLiteral("<span class=\"photo_container pc_");
    TWebFrameEntryList list;
    qsizetype at = 0;
    while ((at = FindText(text, marker, at)) >= 0) {
        const QStringView rest = text.mid(at + 1); // starts inside the current container
        at += 1;
        const QString target = valueAfter(rest, u"<a ", u"href=\"").toString();
        QString thumb = valueAfter(rest, u"<img ", u"src=\"").toString();
        if (TextContains(thumb, u"spaceball")) {
            // Placeholder of an image not loaded yet: the real one waits in data-defer-src.
            thumb = TextBeforeView(TextAfterView(rest, u"data-defer-src=\""), u"\"").toString();
            if (hasSizeLetter(thumb))
                thumb[thumb.size() - 5] = u't';
        }
        const QString title = valueAfter(rest, u"<img ", u"alt=\"").toString();
        if (TextContains(target, u"/"))
            list.Add(target, thumb, title);
    }
    return list;
}

TWebFrameEntryList ParseSearchResults(QStringView text)
{
    static const QString style = QStringLiteral("style=\"DISPLAY: block\" ");
    static const QString marker = QStringLiteral("<DIV class=ResultsThumbsChild>");
    QString cleaned;
    if (TextContains(text, style)) {
        cleaned = TextReplaceAll(text, style, u"");
        text = cleaned;
    }
    TWebFrameEntryList list;
    qsizetype at = 0;
    while ((at = FindText(text, marker, at)) >= 0) {
        const QStringView rest = text.mid(at + 1);
        at += 1;
        list.Add(valueAfter(rest, u"<A ", u"href=\"").toString(),
                 valueAfter(rest, u"<IMG ", u"src=\"").toString(),
                 valueAfter(rest, u"<IMG ", u"alt=\"").toString());
    }
    return list;
}

TWebFrameEntryList ExtractThumbnails(int pageMode, QStringView text, IParseReports &reports)
{
    switch (pageMode) {
    case pmSetThumbs:
        return ParseSetThumbs(text, reports);
    case pmPhotoParagraphs:
        return ParsePhotoParagraphs(text, reports);
    case pmPoolHoldPhotos:
        return ParsePoolPhotos(text, reports);
    case pmPhotoContainerPool:
        return ParsePhotoContainerPool(text, reports);
    case pmPhotoContainers: {
        TWebFrameEntryList list = ParseListData(text);
        return list.Count() > 1 ? list : ParsePhotoContainers(text);
    }
    case pmSearchResults:
        return ParseSearchResults(text);
    default:
        return {};
    }
}

} // namespace orvix
