#pragma once

// Small markup helpers shared by every page of the simulated site. Pages are written the way a
// browser serialises them (lower-case tags, double-quoted attributes, no self-closing slashes),
// so the text a browser hands back differs from the page only where scripts changed it. The
// legacy form (upper-case tags, simple values unquoted) is what the program reads from a page in
// quirks mode.

#include "site_model.h"

#include <QString>
#include <initializer_list>

namespace orvix::photosite {

struct RenderContext
{
    const Site &site;
    QString host; // written into absolute links

    QString root() const { return QStringLiteral("http://") + host; }
    QString fileUrl(const Picture &picture, const PictureSize &size) const
    {
        return root() + site.filePath(picture, size);
    }
    QString thumbUrl(const Picture &picture, char letter) const;
};

struct Attr
{
    QString name;
    QString value;
};

QString escapeText(QStringView text);      // & < >
QString escapeAttribute(QStringView text); // & "
QString jsString(QStringView text);        // a double-quoted script string literal
QString startTag(QStringView name, std::initializer_list<Attr> attrs, bool legacy = false);
QString endTag(QStringView name, bool legacy = false);

// A whole standards-mode page: doctype, head with the UTF-8 declaration, the site's header bar.
QString standardPage(const QString &title, const QString &head, const QString &body);
QString siteHeader();

} // namespace orvix::photosite
