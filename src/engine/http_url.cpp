#include "engine/http_url.h"

#include "engine/wininet_errors.h"

#include <QUrl>

namespace orvix {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool keptAsIs(unsigned char b)
{
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')
        || QByteArrayView("&+-.=?@_~").contains(char(b));
}

void appendEscaped(QByteArray &out, unsigned char b)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[b >> 4];
    out += digits[b & 15];
}

void appendEncoded(QByteArray &out, unsigned char b)
{
    if (b == ' ')
        out += "%20";
    else if (b < 0x80 && keptAsIs(b))
        out += char(b);
    else
        appendEscaped(out, b);
}

QString invalidUrl(int code)
{
    return QStringLiteral("TIEHttp: Invalid URL. Error - %1 = %2").arg(code).arg(WininetErrorText(code));
}

} // namespace

QByteArray ReencodeQuery(const QByteArray &encodedQuery)
{
    QByteArray out;
    out.reserve(encodedQuery.size() + 16);
    for (qsizetype i = 0; i < encodedQuery.size(); ++i) {
        const unsigned char c = encodedQuery[i];
        if (c == '%' && i + 2 < encodedQuery.size() && hexValue(encodedQuery[i + 1]) >= 0
            && hexValue(encodedQuery[i + 2]) >= 0) {
            const unsigned char b = hexValue(encodedQuery[i + 1]) * 16 + hexValue(encodedQuery[i + 2]);
            if (QByteArrayView("&+=?").contains(char(b)))
                appendEscaped(out, b);
            else
                appendEncoded(out, b);
            i += 2;
        } else {
            appendEncoded(out, c);
        }
    }
    return out;
}

QByteArray EscapeUnsafeBytes(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char ch : text) {
        const unsigned char b = ch;
        if (b <= 0x20 || b >= 0x7f)
            appendEscaped(out, b);
        else
            out += ch;
    }
    return out;
}

HttpUrlParts CrackHttpUrl(const QString &url)
{
    HttpUrlParts parts;
    QString full = url.trimmed();
    if (!full.toLower().contains(QLatin1String("://")))
        full.prepend(QLatin1String("http://"));

    const QUrl u(full, QUrl::TolerantMode);
    parts.scheme = u.scheme().toLower();
    parts.host = u.host();
    parts.username = u.userName();
    parts.password = u.password();
    if (!u.isValid() || parts.host.isEmpty()) {
        parts.error = invalidUrl(ERR_INVALID_URL);
        return parts;
    }
    if (parts.scheme != QLatin1String("http") && parts.scheme != QLatin1String("https")) {
        parts.error = invalidUrl(ERR_UNRECOGNIZED_SCHEME);
        return parts;
    }
    parts.port = u.port(parts.scheme == QLatin1String("https") ? 443 : 80);
    parts.path = u.path(QUrl::FullyDecoded);
    parts.pathEncoded = u.path(QUrl::FullyEncoded).toLatin1();
    if (parts.pathEncoded.isEmpty()) {
        parts.pathEncoded = "/";
        parts.error = QStringLiteral("TIEHttp: Empty URL");
    }
    if (u.hasQuery())
        parts.query = ReencodeQuery('?' + u.query(QUrl::FullyEncoded).toLatin1());
    return parts;
}

QByteArray HttpOrigin(const HttpUrlParts &parts)
{
    const QByteArray host = parts.host.contains(u':') ? '[' + parts.host.toLatin1() + ']'
                                                      : QUrl::toAce(parts.host);
    return parts.scheme.toLatin1() + "://" + host + ':' + QByteArray::number(parts.port);
}

} // namespace orvix
