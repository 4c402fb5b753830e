// Extractors of the layouts whose pictures are links inside a block or paragraphs.
#include "parse_reports.h"
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

// A value of a set link: from attr (or the line's start) to the first quote followed by a space,
// within 1000 characters; every attr inside that window is dropped first.
QString setLinkValue(QStringView line, QStringView attr)
{
    const int p = TextPos(line, attr);
    const QString window = TextReplaceAll(TextCopyView(line, p > 0 ? p : 1, 1000), attr, u"");
    const int end = TextPos(window, u"\" ");
    return end > 0 ? window.left(end - 1) : QString();
}

// Items that start at marker and end before "</p>", each read with the same three attributes.
TWebFrameEntryList readParagraphs(QStringView text, QStringView marker, IParseReports &reports)
{
    TWebFrameEntryList list;
    qsizetype pos = 0;
    while ((pos = text.indexOf(marker, pos)) >= 0) {
        const qsizetype end = text.indexOf(u"</p>", pos);
        if (end < 0)
            break;
        const QStringView item = text.mid(pos, end - pos + 1); // up to and including the "<"
        pos = end + 1;
        const QString target = ExtractQuotedAttribute(u"<a href=", item, reports);
        const QString thumb = ExtractQuotedAttribute(u"<img src=", item, reports);
        const QString title = ExtractQuotedAttribute(u"alt=\"", item, reports);
        list.Add(target, thumb, title);
    }
    return list;
}

TWebFrameEntryList readParagraphsFrom(QStringView text, QStringView blockMarker,
                                      IParseReports &reports)
{
    const qsizetype start = text.indexOf(blockMarker);
    if (start < 0)
        return {};
    return readParagraphs(text.mid(start), u"<p id=\"pool_", reports);
}

} // namespace

QString ExtractQuotedAttribute(QStringView marker, QStringView block, IParseReports &reports)
{
    static const QString tracking = QStringLiteral("data-track=\"photo-click\" ");
    QString cleanBlock;
    if (block.contains(tracking)) {
        cleanBlock = TextReplaceAll(block, tracking, u"");
        block = cleanBlock;
    }
    const QString bareMarker = TextReplaceAll(marker, u"\"", u"");

    const qsizetype at = block.indexOf(bareMarker);
    if (bareMarker.isEmpty() || at < 0) {
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

TWebFrameEntryList ParseSetThumbs(QStringView text, IParseReports &reports)
{
    const qsizetype a = text.indexOf(u"<div id=\"setThumbs\"");
    const qsizetype b = text.indexOf(u"<div id=\"vsPagination\">");
    if (a < 0 || b < 0)
        return {};
    QStringView block = b > a ? text.mid(a, b - a) : QStringView();

    const qsizetype c = block.indexOf(u"<a");
    const qsizetype d = block.lastIndexOf(u"</a>");
    if (c < 0 || d < 0) {
        reports.alert(QStringLiteral("p101: parsing failed"));
        return {};
    }
    block = d + 4 > c ? block.mid(c, d + 4 - c) : QStringView();

    // Each link ends a line; line breaks inside a link count as spaces.
    TWebFrameEntryList list;
    qsizetype pos = 0;
    while (pos < block.size()) {
        const qsizetype close = block.indexOf(u"</a>", pos);
        const qsizetype end = close < 0 ? block.size() : close + 4;
        QString line = block.mid(pos, end - pos).toString();
        pos = end;
        line.replace(u'\r', u' ').replace(u'\n', u' ');
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
