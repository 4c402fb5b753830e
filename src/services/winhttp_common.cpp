#include "winhttp_common.h"

#include "foundation/text.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace orvix {

namespace {

const char *const kRequestHeaderNames[RequestHeaderCount] = {
    "Accept", "Accept-Charset", "Accept-Encoding", "Accept-Language", "Allow", "Authorization",
    "Cache-Control", "Connection", "Content-Encoding", "Content-Language", "Content-Length",
    "Content-Location", "Content-MD5", "Content-Range", "Content-Type", "Date", "Expect", "Expires",
    "From", "Host", "If-Match", "If-Modified-Since", "If-None-Match", "If-Range", "If-Unmodified-Since",
    "Last-Modified", "Max-Forwards", "Pragma", "Proxy-Authorization", "Range", "Referer", "TE",
    "Trailer", "Transfer-Encoding", "Upgrade", "User-Agent", "Via", "Warning"};

const char *const kResponseHeaderNames[ResponseHeaderCount] = {
    "Accept-Ranges", "Age", "Allow", "Cache-Control", "Connection", "Content-Encoding",
    "Content-Language", "Content-Length", "Content-Location", "Content-MD5", "Content-Range",
    "Content-Type", "Date", "ETag", "Expires", "Last-Modified", "Location", "Pragma",
    "Proxy-Authenticate", "Retry-After", "Server", "Trailer", "Transfer-Encoding", "Upgrade", "Vary",
    "Via", "Warning", "WWW-Authenticate"};

const char *const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const kWeekdays[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

QStringList splitLines(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.split(breaks);
}

// Name and value of a "name:value" line; false without ':'.
bool splitHeader(const QString &line, QString &name, QString &value)
{
    const int colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    name = line.left(colon);
    value = line.mid(colon + 1);
    return true;
}

// The first line of that name (any case), taken out of lines; its trimmed value.
QString takeHeader(QStringList &lines, const QString &wanted)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString name, value;
        if (splitHeader(lines[i], name, value) && TextTrim(name).compare(wanted, Qt::CaseInsensitive) == 0) {
            lines.removeAt(i);
            return TextTrim(value);
        }
    }
    return {};
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Cookie items as browsers send them: "+" a space, "%%" a "%", "%XX" that character, any
// other "%" kept.
QString cookieDecode(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'+') {
            out += u' ';
        } else if (c == u'%' && i + 1 < text.size() && text.at(i + 1) == u'%') {
            out += u'%';
            ++i;
        } else if (c == u'%' && i + 2 < text.size() && hexDigit(text.at(i + 1)) >= 0 && hexDigit(text.at(i + 2)) >= 0) {
            out += QChar(hexDigit(text.at(i + 1)) * 16 + hexDigit(text.at(i + 2)));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

QString cookieEncode(const QString &text)
{
    QString out;
    for (const char byte : text.toLatin1()) {
        const uchar b = uchar(byte);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || QByteArray("!$'()*-.@_").contains(char(b)))
            out += QChar(b);
        else if (b == ' ')
            out += u'+';
        else
            out += QStringLiteral("%%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

// The status line's tokens: "HTTP/1.1 404 Not Found" or "404 Not Found".
void readStatusTokens(QString line, QString &protocol, QString &status, QString &reason)
{
    auto fetchToken = [](QString &s) {
        const int space = s.indexOf(QLatin1Char(' '));
        const QString token = space < 0 ? s : s.left(space);
        s = space < 0 ? QString() : s.mid(space + 1);
        return token;
    };
    protocol = fetchToken(line);
    bool isNumber = false;
    protocol.toInt(&isNumber);
    if (isNumber) {
        status = protocol;
        protocol.clear();
    } else {
        status = fetchToken(line);
    }
    reason = TextTrim(line);
}

} // namespace

TWinHTTPRequestHeader::TWinHTTPRequestHeader()
{
    m_values[rhAccept] = QStringLiteral("text/html, */*");
}

QString TWinHTTPRequestHeader::HeaderName(int index)
{
    return QString::fromLatin1(kRequestHeaderNames[index]);
}

void TWinHTTPRequestHeader::setValue(int index, const QString &value)
{
    if (m_values.at(size_t(index)) == value)
        return;
    m_values[size_t(index)] = value;
    if (OnChange)
        OnChange(index);
}

void TWinHTTPRequestHeader::Clear()
{
    m_values.fill(QString());
    CustomHeaders.clear();
    Cookies.clear();
    if (OnChange)
        OnChange(-1);
}

QString TWinHTTPRequestHeader::RawHeaderText() const
{
    QString text;
    for (int i = 0; i < RequestHeaderCount; ++i) {
        const QString v = TextTrim(m_values[size_t(i)]);
        if (!v.isEmpty())
            text += HeaderName(i) + QStringLiteral(": ") + v + QStringLiteral("\r\n");
    }
    for (const QString &line : CustomHeaders) {
        QString name, value;
        if (!splitHeader(line, name, value))
            continue;
        if (!TextTrim(name).isEmpty() && !TextTrim(value).isEmpty())
            text += name + QStringLiteral(": ") + TextTrim(value) + QStringLiteral("\r\n");
    }
    if (!Cookies.isEmpty())
        text += QStringLiteral("Cookie: ") + TextTrim(Cookies.join(QStringLiteral("; "))) + QStringLiteral("\r\n");
    return text;
}

void TWinHTTPRequestHeader::setRawHeaderText(const QString &text)
{
    QStringList lines = splitLines(text);
    for (int i = 0; i < RequestHeaderCount; ++i)
        m_values[size_t(i)] = takeHeader(lines, HeaderName(i));
    Cookies.clear();
    const QString cookieLine = takeHeader(lines, QStringLiteral("Cookie"));
    for (const QString &item : cookieLine.split(QLatin1Char(';'))) {
        const QString trimmed = TextTrim(item);
        if (!trimmed.isEmpty())
            Cookies << cookieDecode(trimmed);
    }
    CustomHeaders.clear();
    for (const QString &line : std::as_const(lines))
        if (!TextTrim(line).isEmpty())
            CustomHeaders << line;
    if (OnChange)
        OnChange(-1);
}

QString TWinHTTPResponseHeader::HeaderName(int index)
{
    return QString::fromLatin1(kResponseHeaderNames[index]);
}

void TWinHTTPResponseHeader::setRawHeaderText(const QString &text)
{
    m_raw = text;
    QStringList lines = splitLines(text);
    for (int i = 0; i < ResponseHeaderCount; ++i)
        m_values[size_t(i)] = takeHeader(lines, HeaderName(i));
    Cookies.clear();
    for (qsizetype i = 0; i < lines.size();) {
        QString name, value;
        if (splitHeader(lines[i], name, value) && TextTrim(name).compare(QStringLiteral("Set-Cookie"), Qt::CaseInsensitive) == 0) {
            if (!TextTrim(value).isEmpty()) {
                TWinHTTPResponseCookie cookie;
                cookie.setHeaderValue(TextTrim(value));
                Cookies << cookie;
            }
            lines.removeAt(i);
        } else {
            ++i;
        }
    }
    lines.removeIf([](const QString &l) { return TextTrim(l).isEmpty(); });
    StatusCode.clear();
    HttpProtocolVersion.clear();
    ReasonPhrase.clear();
    if (!lines.isEmpty()) {
        readStatusTokens(lines.first(), HttpProtocolVersion, StatusCode, ReasonPhrase);
        bool isNumber = false;
        StatusCode.toInt(&isNumber);
        if (isNumber) {
            lines.removeFirst();
        } else {
            // No status line: a CGI-style "Status: 404 Not Found" header gives it.
            HttpProtocolVersion.clear();
            const QString status = takeHeader(lines, QStringLiteral("Status"));
            QString unusedProtocol;
            StatusCode.clear();
            ReasonPhrase.clear();
            if (!status.isEmpty())
                readStatusTokens(status, unusedProtocol, StatusCode, ReasonPhrase);
        }
    }
    CustomHeaders = lines;
}

QString TWinHTTPResponseCookie::HeaderValue() const
{
    QString text = cookieEncode(Name) + u'=' + cookieEncode(Value) + QStringLiteral("; ");
    if (!Domain.isEmpty())
        text += QStringLiteral("domain=%1; ").arg(Domain);
    if (!Path.isEmpty())
        text += QStringLiteral("path=%1; ").arg(Path);
    if (Expires.isValid()) {
        const QDateTime utc = Expires.toUTC();
        const QDate d = utc.date();
        text += QStringLiteral("expires=%1, %2-%3-%4 %5 GMT; ")
                    .arg(QLatin1String(kWeekdays[d.dayOfWeek() - 1]))
                    .arg(d.day(), 2, 10, QLatin1Char('0'))
                    .arg(QLatin1String(kMonths[d.month() - 1]))
                    .arg(d.year(), 4, 10, QLatin1Char('0'))
                    .arg(utc.time().toString(QStringLiteral("HH:mm:ss")));
    }
    if (Secure)
        text += QStringLiteral("secure");
    return TextRemoveSuffix(text, u"; ");
}

void TWinHTTPResponseCookie::setHeaderValue(const QString &v)
{
    *this = TWinHTTPResponseCookie();
    QStringList items;
    for (const QString &piece : v.split(QLatin1Char(';')))
        items << TextTrim(piece);
    if (!items.isEmpty() && items.last().isEmpty())
        items.removeLast();
    if (items.isEmpty())
        return;
    const QString first = items.takeFirst();
    const int eq = first.indexOf(QLatin1Char('='));
    Name = eq < 0 ? first : first.left(eq);
    Value = eq < 0 ? QString() : first.mid(eq + 1);
    auto item = [&items](const QString &name, bool &found) {
        for (const QString &i : std::as_const(items)) {
            const int at = i.indexOf(QLatin1Char('='));
            if (TextTrim(at < 0 ? i : i.left(at)).compare(name, Qt::CaseInsensitive) == 0) {
                found = true;
                return at < 0 ? QString() : TextTrim(i.mid(at + 1));
            }
        }
        found = false;
        return QString();
    };
    bool found = false;
    QString path = item(QStringLiteral("PATH"), found);
    if (path.startsWith(u'"'))
        path.remove(0, 1);
    if (path.endsWith(u'"'))
        path.chop(1);
    Path = path.isEmpty() ? QStringLiteral("/") : path;
    const QString expires = item(QStringLiteral("EXPIRES"), found);
    if (found) {
        QDateTime when;
        if (ParseInternetDate(expires, when))
            Expires = when;
    }
    Domain = item(QStringLiteral("DOMAIN"), found);
    for (const QString &i : std::as_const(items))
        if (i.compare(QStringLiteral("SECURE"), Qt::CaseInsensitive) == 0)
            Secure = true;
}

void TWinHTTPClientProxyParams::set(QString &field, const QString &v, Index index)
{
    if (field == v)
        return;
    field = v;
    if (OnChange)
        OnChange(index);
}

void TWinHTTPClientProxyParams::setProxyPort(int v)
{
    if (m_port == v)
        return;
    m_port = v;
    if (OnChange)
        OnChange(Port);
}

void TWinHTTPClientProxyParams::Clear()
{
    m_bypass.clear();
    m_server.clear();
    m_userName.clear();
    m_password.clear();
    m_port = 0;
    if (OnChange)
        OnChange(All);
}

bool ParseInternetDate(const QString &text, QDateTime &result)
{
    QString s = text;
    if (const int comma = s.indexOf(QLatin1Char(',')); comma >= 0)
        s = s.mid(comma + 1);
    s = TextTrim(s);
    const int colon = s.indexOf(QLatin1Char(':'));
    const QString head = colon < 0 ? s : s.left(colon);
    s = QString(head).remove(QLatin1Char('-')) + (colon < 0 ? QString() : s.mid(colon));
    static const QRegularExpression spaces(QStringLiteral(" +"));
    const QStringList tokens = s.replace(spaces, QStringLiteral(" ")).split(QLatin1Char(' '));
    if (tokens.size() < 5)
        return false;
    int month = 0;
    for (int m = 0; m < 12; ++m)
        if (tokens[1].compare(QLatin1String(kMonths[m]), Qt::CaseInsensitive) == 0)
            month = m + 1;
    if (month == 0)
        return false;
    const QString zone = TextTrim(QString(tokens[4]).remove(QLatin1Char('(')).remove(QLatin1Char(')')));
    if (zone.isEmpty())
        return false;
    int offsetSeconds = 0;
    static const QRegularExpression numericZone(QStringLiteral("^[+-]\\d{4}"));
    if (zone.size() >= 5 && numericZone.match(zone).hasMatch()) {
        offsetSeconds = zone.mid(1, 2).toInt() * 3600 + zone.mid(3, 2).toInt() * 60;
        if (zone.at(0) == u'+')
            offsetSeconds = -offsetSeconds; // local time ahead of UTC: go back to reach UTC
    } else {
        static const QList<QPair<QString, int>> zones = {
            {QStringLiteral("GMT"), 0}, {QStringLiteral("UTC"), 0}, {QStringLiteral("UT"), 0},
            {QStringLiteral("EST"), 5}, {QStringLiteral("EDT"), 4}, {QStringLiteral("CST"), 6},
            {QStringLiteral("CDT"), 5}, {QStringLiteral("MST"), 7}, {QStringLiteral("MDT"), 6},
            {QStringLiteral("PST"), 8}, {QStringLiteral("PDT"), 7}};
        bool known = false;
        for (const auto &z : zones)
            if (zone.compare(z.first, Qt::CaseInsensitive) == 0) {
                offsetSeconds = z.second * 3600;
                known = true;
            }
        if (!known)
            return false;
    }
    const QDateTime local = QDateTime::fromString(
        QStringLiteral("%1/%2/%3 %4").arg(tokens[0]).arg(month, 2, 10, QLatin1Char('0')).arg(tokens[2], tokens[3]),
        QStringLiteral("d/MM/yyyy H:m:s"));
    if (!local.isValid())
        return false;
    result = QDateTime(local.date(), local.time(), Qt::UTC).addSecs(offsetSeconds);
    return true;
}

} // namespace orvix
