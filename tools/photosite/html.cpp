#include "html.h"

namespace orvix::photosite {

QString RenderContext::thumbUrl(const Picture &picture, char letter) const
{
    const PictureSize *size = picture.size(letter);
    return size ? fileUrl(picture, *size) : QString();
}

namespace {

QString escaped(QStringView text, bool attribute)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == QLatin1Char('&'))
            out += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<') && !attribute)
            out += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>') && !attribute)
            out += QStringLiteral("&gt;");
        else if (c == QLatin1Char('"') && attribute)
            out += QStringLiteral("&quot;");
        else
            out += c;
    }
    return out;
}

} // namespace

// The same escaping a browser applies when it serialises the document.
QString escapeText(QStringView text) { return escaped(text, false); }
QString escapeAttribute(QStringView text) { return escaped(text, true); }

QString jsString(QStringView text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c == QLatin1Char('/'))
            out += QStringLiteral("\\/"); // keeps "</script>" out of script text
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

namespace {

bool isSimpleValue(QStringView value)
{
    if (value.isEmpty())
        return false;
    for (QChar c : value) {
        const bool ok = (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                        || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')
                        || c == QLatin1Char('_') || c == QLatin1Char('.');
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

QString startTag(QStringView name, std::initializer_list<Attr> attrs, bool legacy)
{
    QString out = QLatin1Char('<') + (legacy ? name.toString().toUpper() : name.toString());
    for (const Attr &a : attrs) {
        out += QLatin1Char(' ') + a.name + QLatin1Char('=');
        if (legacy && isSimpleValue(a.value))
            out += a.value;
        else
            out += QLatin1Char('"') + escapeAttribute(a.value) + QLatin1Char('"');
    }
    return out + QLatin1Char('>');
}

QString endTag(QStringView name, bool legacy)
{
    return QStringLiteral("</") + (legacy ? name.toString().toUpper() : name.toString()) + QLatin1Char('>');
}

QString siteHeader()
{
    return QStringLiteral(
        "<div id=\"head\"><a href=\"/\" class=\"logo\">Photo Site</a>\n"
        "<form action=\"/search/\" method=\"get\" class=\"search\"><input type=\"text\" name=\"q\">"
        "<input type=\"hidden\" name=\"w\" value=\"all\"><button type=\"submit\">Search</button></form>\n"
        "<a href=\"/signin/\" class=\"signin\">Sign in</a></div>\n");
}

QString standardPage(const QString &title, const QString &head, const QString &body)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>")
           + escapeText(title) + QStringLiteral("</title>\n") + head
           + QStringLiteral("<style>body{font-family:sans-serif;margin:1em}"
                            "#head{border-bottom:1px solid #ccc;padding:4px;margin-bottom:1em}"
                            ".Paginator a,.Paginator span{margin:0 4px}</style>\n"
                            "</head>\n<body>\n")
           + siteHeader() + body + QStringLiteral("</body>\n</html>\n");
}

} // namespace orvix::photosite
