// Extractors of the layouts whose pictures are links inside a block or paragraphs.
#include "parse_reports.h"
#include "foundation/text_search.h"
#include "thumbs_extractors.h"

#include "foundation/text.h"

namespace orvix {

namespace {

void reportFailure(IParseReports &reports, QStringView code, QStringView marker, QStringView block)
{
    QString text = code.toString();
    text += QStringLiteral(": parsing failed, tag=");
    text += marker;
    text += QStringLiteral(", html=");
    text += block;
    reports.infoBox(text);
}

bool isSetLineSpace(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n';
}

// Index of the first quote followed by a space in s, where line breaks count as spaces.
qsizetype findQuoteSpace(QStringView s)
{
    for (qsizetype q = s.indexOf(u'"'); q >= 0 && q + 1 < s.size(); q = s.indexOf(u'"', q + 1)) {
        if (isSetLineSpace(s[q + 1]))
            return q;
    }
    return -1;
}

QString withSpacesForBreaks(QStringView s)
{
    QString r = s.toString();
    r.replace(u'\r', u' ').replace(u'\n', u' ');
    return r;
}

// A value of a set link. The link's line breaks count as spaces; the value runs from attr (or the
// line's start) to the first quote followed by a space, within 1000 characters, after every attr
// inside that window was dropped.
QString setLinkValue(QStringView line, QStringView attr)
{
    const qsizetype p = FindText(line, attr);
    const QStringView window = line.mid(p < 0 ? 0 : p, 1000);
    const QStringView rest = p < 0 ? window : window.mid(attr.size());
    const qsizetype q = findQuoteSpace(rest);
    if (FindText(q < 0 ? rest : rest.left(q + 2), attr) < 0)
        return q < 0 ? QString() : withSpacesForBreaks(rest.left(q));
    // A second attr before the end: drop them all as written, then cut.
    const QString dropped = TextReplaceAll(withSpacesForBreaks(window), attr, u"");
    const qsizetype end = FindText(dropped, u"\" ");
    return end < 0 ? QString() : dropped.left(end);
}

// The link attribute that would hide "<a href=" from the marker search.
QString withoutTracking(QStringView block)
{
    static const QString tracking = QStringLiteral("data-track=\"photo-click\" ");
    qsizetype at = FindText(block, tracking);
    if (at < 0)
        return block.toString();
    QString r;
    r.reserve(block.size());
    qsizetype from = 0;
    for (; at >= 0; at = FindText(block, tracking, from)) {
        r += block.mid(from, at - from);
        from = at + tracking.size();
    }
    r += block.mid(from);
    return r;
}

// The value in double quotes after bareMarker (which holds no quotes) in a block already
// cleaned of tracking attributes.
QString quotedValue(QStringView bareMarker, QStringView block, IParseReports &reports)
{
    const qsizetype at = FindText(block, bareMarker);
    if (at < 0) {
        reportFailure(reports, u"p202", bareMarker, block);
        return {};
    }
    const qsizetype open = block.indexOf(u'"', at);
    if (open < 0) {
        reportFailure(reports, u"p203", bareMarker, block);
        return {};
    }
    const qsizetype close = block.indexOf(u'"', open + 1);
    if (close < 0) {
        reportFailure(reports, u"p204", bareMarker, block);
        return {};
    }
    return block.mid(open + 1, close - open - 1).toString();
}

// Items that start at marker and end before "</p>", each read with the same three attributes.
TWebFrameEntryList readParagraphs(QStringView text, QStringView marker, IParseReports &reports)
{
    TWebFrameEntryList list;
    qsizetype pos = 0;
    while ((pos = FindText(text, marker, pos)) >= 0) {
        const qsizetype end = FindText(text, u"</p>", pos);
        if (end < 0)
            break;
        // Up to and including the "<" of "</p>".
        const QString item = withoutTracking(text.mid(pos, end - pos + 1));
        pos = end + 1;
        const QString target = quotedValue(u"<a href=", item, reports);
        const QString thumb = quotedValue(u"<img src=", item, reports);
        const QString title = quotedValue(u"alt=", item, reports);
        list.Add(target, thumb, title);
    }
    return list;
}

TWebFrameEntryList readParagraphsFrom(QStringView text, QStringView blockMarker,
                                      IParseReports &reports)
{
    const qsizetype start = FindText(text, blockMarker);
    if (start < 0)
        return {};
    return readParagraphs(text.mid(start), u"<p id=\"pool_", reports);
}

} // namespace

QString ExtractQuotedAttribute(QStringView marker, QStringView block, IParseReports &reports)
{
    const QString cleanBlock = withoutTracking(block);
    QString bareMarker = marker.toString();
    bareMarker.remove(u'"');
    return quotedValue(bareMarker, cleanBlock, reports);
}

TWebFrameEntryList ParseSetThumbs(QStringView text, IParseReports &reports)
{
    const qsizetype a = FindText(text, u"<div id=\"setThumbs\"");
    const qsizetype b = FindText(text, u"<div id=\"vsPagination\">");
    if (a < 0 || b < 0)
        return {};
    QStringView block = b > a ? text.mid(a, b - a) : QStringView();

    const qsizetype c = FindText(block, u"<a");
    const qsizetype d = block.lastIndexOf(u"</a>");
    if (c < 0 || d < 0) {
        reports.alert(QStringLiteral("p101: parsing failed"));
        return {};
    }
    block = d + 4 > c ? block.mid(c, d + 4 - c) : QStringView();

    // Each link ends a line.
    TWebFrameEntryList list;
    qsizetype pos = 0;
    while (pos < block.size()) {
        const qsizetype close = FindText(block, u"</a>", pos);
        const qsizetype end = close < 0 ? block.size() : close + 4;
        const QStringView line = block.mid(pos, end - pos);
        pos = end;
        if (!TextContains(line, u"<a") || !TextContains(line, u"in/set"))
            continue;
        const QString title = setLinkValue(line, u"title=\"");
        const QString target = setLinkValue(line, u"href=\"");
        const QString thumb = setLinkValue(line, u"src=\"");
        list.Add(target, thumb, title);
    }
    return list;
}

TWebFrameEntryList ParsePhotoParagraphs(QStringView text, IParseReports &reports)
{
    return readParagraphs(text, u"<p class=\"Photo\"", reports);
}

TWebFrameEntryList ParsePoolPhotos(QStringView text, IParseReports &reports)
{
    return readParagraphsFrom(text, u"<div class=\"HoldPhotos\">", reports);
}

TWebFrameEntryList ParsePhotoContainerPool(QStringView text, IParseReports &reports)
{
    // A page with a single container holds no pool block: its paragraphs follow the container.
    return readParagraphsFrom(text, u"<span class=\"photo_container pc_", reports);
}

} // namespace orvix
