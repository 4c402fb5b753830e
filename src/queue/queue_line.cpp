#include "queue/queue_line.h"

#include "foundation/file_names.h"
#include "foundation/text.h"
#include "pages/site.h"

namespace orvix {

std::optional<QStringList> SplitQueueLine(const QString &line)
{
    QStringList fields = TextSplit(line, u"|", true);
    if (fields.size() != kQueueLineFields)
        return std::nullopt;
    // A target folder that climbs out with ".." would save outside the folder it names.
    for (const QStringView part : QStringView(fields.at(4)).split(u'/'))
        if (part == u"..")
            return std::nullopt;
    return fields;
}

bool PageLine::isThumbnailsPage() const
{
    return urlType == QStringView(kThumbnailsUrlType);
}

int PageLine::sizeIndex() const
{
    return TextToIntDef(sizeCode, 0);
}

QString PageLine::line() const
{
    return QStringList{url, urlType, sizeCode, tags, targetFolder}.join(u'|');
}

QString MediaLine::line() const
{
    return QStringList{downloadUrl, fileBase, reserved, pageUrl, targetFolder}.join(u'|');
}

std::optional<PageLine> ParsePageLine(const QString &line)
{
    const auto f = SplitQueueLine(line);
    if (!f)
        return std::nullopt;
    return PageLine{f->at(0), f->at(1), f->at(2), f->at(3), f->at(4)};
}

std::optional<MediaLine> ParseMediaLine(const QString &line)
{
    const auto f = SplitQueueLine(line);
    if (!f)
        return std::nullopt;
    return MediaLine{f->at(0), f->at(1), f->at(2), f->at(3), f->at(4)};
}

QString PictureLineSuffix(const PageLine &thumbnailsPage)
{
    return QStringLiteral("|") + QString::fromUtf16(kPictureUrlType) + u'|' + thumbnailsPage.sizeCode + u'|'
           + thumbnailsPage.tags + u'|' + thumbnailsPage.targetFolder;
}

QString SizeLetter(int sizeIndex)
{
    switch (sizeIndex) {
    case 1:
        return QStringLiteral("L");
    case 2:
        return QStringLiteral("O");
    default:
        return QStringLiteral("M");
    }
}

QString MediaFileBase(const QString &pictureId, const QString &secretId, const QString &title,
                      const QString &tags)
{
    QString base = pictureId + u'_' + secretId + u' ' + title;
    if (!tags.isEmpty())
        base += QStringLiteral(" [tags] ") + TextReplaceAll(SafeFileName(tags), u"_", u" ");
    return TextReplaceAll(base, u"|", u"_");
}

QString PageLineKey(const QString &line)
{
    return line;
}

QString MediaLineKey(const QString &line)
{
    const auto f = SplitQueueLine(line);
    return f ? f->at(3) : line;
}

QString FirstLineField(const QString &line)
{
    return TextTrim(TextBeforeView(line, u"|"));
}

QString MakeSiteUrlAbsolute(const QString &url)
{
    if (TextContains(url, SiteHost()))
        return url;
    // Links found in pages are root-relative; one without the slash would run into the host.
    return SiteRoot() + (url.startsWith(u'/') ? url : u'/' + url);
}

} // namespace orvix
