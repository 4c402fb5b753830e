#include "picture_pages.h"

#include <QUrl>

namespace orvix::photosite {

QString sizeLabel(char letter)
{
    switch (letter) {
    case 's': return QStringLiteral("Square");
    case 't': return QStringLiteral("Thumbnail");
    case 'm': return QStringLiteral("Medium");
    case 'z': return QStringLiteral("Medium 500");
    case 'l': return QStringLiteral("Large");
    case 'o': return QStringLiteral("Original");
    }
    return QString();
}

QString expectedImageName(const QString &title)
{
    QString name = title;
    name.remove(QStringLiteral("\">"));
    name.remove(QLatin1Char('"'));
    name.remove(QLatin1Char(';'));
    name.remove(QLatin1Char('\''));
    return name;
}

namespace {

QString setsContaining(const RenderContext &ctx, const Picture &picture)
{
    QString links;
    for (const Listing &l : ctx.site.listings()) {
        if (l.layout != Layout::Set || !l.pictures.contains(picture.index))
            continue;
        links += QStringLiteral(" <a href=\"") + escapeAttribute(l.basePath) + QStringLiteral("\">")
                 + escapeText(l.title) + QStringLiteral("</a>");
    }
    return links.isEmpty() ? QString()
                           : QStringLiteral("<p class=\"context\">In sets:") + links + QStringLiteral("</p>\n");
}

} // namespace

QString picturePage(const RenderContext &ctx, const Picture &picture)
{
    const Owner &owner = ctx.site.owners().at(picture.owner);
    const PictureSize &medium = *picture.size('m');
    const QString preview = ctx.fileUrl(picture, medium);
    // The preview link sits on a line of its own: the program reads the file name from the
    // line that carries rel="image_src".
    const QString head = QStringLiteral("<meta name=\"title\" content=\"") + escapeAttribute(picture.title)
                         + QStringLiteral("\">\n<meta name=\"description\" content=\"A photo by ")
                         + escapeAttribute(owner.name)
                         + QStringLiteral(" on Photo Site\">\n<link rel=\"image_src\" href=\"") + preview
                         + QStringLiteral("\">\n");

    // Three generations of the page: the photo block and the page script both present, only
    // the block, only the script.
    const bool photoBlock = picture.variant != 2;
    const bool pageScript = picture.variant != 1;
    QString body = QStringLiteral("<div id=\"main\">\n<h1 class=\"photo-title\">") + escapeText(picture.title)
                   + QStringLiteral("</h1>\n");
    body += photoBlock ? QStringLiteral("<div id=\"photo\">\n")
                       : QStringLiteral("<div id=\"photo-frame\" class=\"photo-frame\">\n");
    body += startTag(u"img", {{QStringLiteral("src"), preview},
                              {QStringLiteral("width"), QString::number(medium.width)},
                              {QStringLiteral("height"), QString::number(medium.height)},
                              {QStringLiteral("alt"), picture.title},
                              {QStringLiteral("class"), QStringLiteral("main-photo")}})
            + QStringLiteral("\n</div>\n");
    body += QStringLiteral("<p class=\"owner\">By <a href=\"/photos/") + owner.path + QStringLiteral("/\">")
            + escapeText(owner.name) + QStringLiteral("</a></p>\n");
    body += QStringLiteral("<p class=\"sizes\"><a href=\"") + ctx.site.sizesPath(picture)
            + QStringLiteral("\">View all sizes</a></p>\n<p class=\"tags\">Tags:");
    for (const QString &tag : picture.tags)
        body += QStringLiteral(" <a href=\"/photos/tags/") + tag + QStringLiteral("/?sort=recent\">") + tag
                + QStringLiteral("</a>");
    body += QStringLiteral("</p>\n") + setsContaining(ctx, picture) + QStringLiteral("</div>\n");
    if (pageScript) {
        body += QStringLiteral("<script>\nvar page_photo_id = ") + jsString(picture.id)
                + QStringLiteral(";\nvar page_p = {\"id\":") + jsString(picture.id)
                + QStringLiteral(",\"title\":") + jsString(picture.title) + QStringLiteral(",\"owner\":")
                + jsString(owner.path)
                + QStringLiteral("};\ndocument.title = page_p.title + \" | Photo Site\";\n</script>\n");
    }
    return standardPage(picture.title + QStringLiteral(" | Photo Site"), head, body);
}

QString sizesPage(const RenderContext &ctx, const Picture &picture, int shown)
{
    const PictureSize &current = picture.sizes.at(shown);
    const QString file = ctx.fileUrl(picture, current);
    QString body = QStringLiteral("<div id=\"all-sizes-header\"><h1>All sizes of <a href=\"")
                   + ctx.site.picturePath(picture) + QStringLiteral("\">") + escapeText(picture.title)
                   + QStringLiteral("</a></h1></div>\n<ol class=\"sizes-list\">\n");
    for (int i = 0; i < picture.sizes.size(); ++i) {
        const PictureSize &s = picture.sizes.at(i);
        if (!s.listed && i != shown)
            continue;
        const QString dims = QStringLiteral(" <small>(") + QString::number(s.width) + QStringLiteral(" x ")
                             + QString::number(s.height) + QStringLiteral(")</small></li>\n");
        if (i == shown) {
            body += QStringLiteral("<li class=\"selected\">") + sizeLabel(s.letter) + dims;
        } else {
            QString link = ctx.site.sizesPath(picture, s.letter);
            if (picture.absoluteSizeLinks)
                link = ctx.root() + link;
            body += QStringLiteral("<li><a href=\"") + link + QStringLiteral("\">") + sizeLabel(s.letter)
                    + QStringLiteral("</a>") + dims;
        }
    }
    body += QStringLiteral("</ol>\n<div id=\"allsizes-photo\">\n")
            + startTag(u"img", {{QStringLiteral("src"), file},
                                {QStringLiteral("width"), QString::number(current.width)},
                                {QStringLiteral("height"), QString::number(current.height)},
                                {QStringLiteral("alt"), picture.title}})
            + QStringLiteral("\n</div>\n<p class=\"download\"><a href=\"") + file
            + QStringLiteral("\">Download the ") + sizeLabel(current.letter)
            + QStringLiteral(" size</a></p>\n");
    return standardPage(QStringLiteral("All sizes | ") + picture.title + QStringLiteral(" | Photo Site"),
                        QString(), body);
}

QString confirmationPage(const RenderContext &ctx, const Picture &picture, const QString &returnPath)
{
    const QString action = ctx.site.picturePath(picture) + QStringLiteral("confirm/");
    const QString link = action + QStringLiteral("?return=")
                         + QString::fromLatin1(QUrl::toPercentEncoding(returnPath));
    const QString body =
        QStringLiteral("<div class=\"confirmation\">\n<h1>This picture is restricted</h1>\n"
                       "<p>Its owner marked it as private or restricted. Please confirm that you "
                       "want to see it.</p>\n<form method=\"post\" action=\"")
        + action + QStringLiteral("\">\n<input type=\"hidden\" name=\"return\" value=\"")
        + escapeAttribute(returnPath)
        + QStringLiteral("\">\n<button type=\"submit\" class=\"confirmation_button\">Yes, show me this "
                         "picture</button>\n</form>\n<p><a href=\"")
        + escapeAttribute(link)
        + QStringLiteral("\" class=\"confirmation_button\">Continue</a> or <a href=\"/\">go back</a></p>\n</div>\n");
    return standardPage(QStringLiteral("Restricted picture | Photo Site"), QString(), body);
}

} // namespace orvix::photosite
