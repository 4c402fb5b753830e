#pragma once

// The records of the maker-service client: request headers, response headers with their
// cookies, proxy parameters, and the client's exception.

#include "foundation/errors.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

namespace orvix {

class EWinHttpClientException : public EOrvix
{
public:
    explicit EWinHttpClientException(const QString &message, int statusCode = 0)
        : EOrvix(message), StatusCode(statusCode) {}
    int StatusCode = 0;
};

// Index of each request header; its change notification carries it.
enum TWinHTTPRequestHeaderIndex : int {
    rhAccept, rhAcceptCharSet, rhAcceptEncoding, rhAcceptLanguage, rhAllow, rhAuthorization,
    rhCacheControl, rhConnection, rhContentEncoding, rhContentLanguage, rhContentLength,
    rhContentLocation, rhContentMD5, rhContentRange, rhContentType, rhDate, rhExpect, rhExpires,
    rhFrom, rhHost, rhIfMatch, rhIfModifiedSince, rhIfNoneMatch, rhIfRange, rhIfUnmodifiedSince,
    rhLastModified, rhMaxForwards, rhPragma, rhProxyAuthorization, rhRange, rhReferer, rhTE,
    rhTrailer, rhTransferEncoding, rhUpgrade, rhUserAgent, rhVia, rhWarning,
    RequestHeaderCount
};

class TWinHTTPRequestHeader
{
public:
    TWinHTTPRequestHeader(); // all empty but Accept = "text/html, */*"

    static QString HeaderName(int index); // "Accept", "Accept-Charset", ...
    QString value(int index) const { return m_values.at(size_t(index)); }
    // A different value is stored and OnChange fires with its index.
    void setValue(int index, const QString &value);
    void Clear(); // everything empty, OnChange(-1)

    QStringList CustomHeaders; // "name:value" lines
    QStringList Cookies;       // "name=value" lines
    std::function<void(int propertyIndex)> OnChange;

    // The headers as sent: named ones in index order, then custom ones, then "Cookie: ".
    QString RawHeaderText() const;
    // Parses that form back (named headers by name without regard to case, a "Cookie" line
    // into Cookies, the rest into CustomHeaders); OnChange(-1).
    void setRawHeaderText(const QString &text);

private:
    std::array<QString, RequestHeaderCount> m_values;
};

// Set-Cookie of a response.
struct TWinHTTPResponseCookie
{
    QString Name;
    QString Value;
    QString Domain;
    QString Path;
    QDateTime Expires; // invalid: none
    bool Secure = false;

    QString HeaderValue() const;            // formatted for a Set-Cookie header
    void setHeaderValue(const QString &v);  // parses a Set-Cookie value
};

enum TWinHTTPResponseHeaderIndex : int {
    rsAcceptRanges, rsAge, rsAllow, rsCacheControl, rsConnection, rsContentEncoding,
    rsContentLanguage, rsContentLength, rsContentLocation, rsContentMD5, rsContentRange,
    rsContentType, rsDate, rsETag, rsExpires, rsLastModified, rsLocation, rsPragma,
    rsProxyAuthenticate, rsRetryAfter, rsServer, rsTrailer, rsTransferEncoding, rsUpgrade, rsVary,
    rsVia, rsWarning, rsWWWAuthenticate,
    ResponseHeaderCount
};

class TWinHTTPResponseHeader
{
public:
    static QString HeaderName(int index);
    QString value(int index) const { return m_values.at(size_t(index)); }
    QString ContentType() const { return value(rsContentType); }

    QString RawHeaderText() const { return m_raw; }
    void setRawHeaderText(const QString &text); // parses the headers of a response
    void Clear() { setRawHeaderText({}); }

    QStringList CustomHeaders;
    QList<TWinHTTPResponseCookie> Cookies;
    QString StatusCode;
    QString HttpProtocolVersion;
    QString ReasonPhrase;

private:
    std::array<QString, ResponseHeaderCount> m_values;
    QString m_raw;
};

struct TWinHTTPClientProxyParams
{
    enum Index { Bypass = 0, Server = 1, Port = 2, UserName = 3, Password = 4, All = -1 };

    QString ProxyBypass() const { return m_bypass; }
    QString ProxyServer() const { return m_server; }
    int ProxyPort() const { return m_port; }
    QString ProxyUserName() const { return m_userName; }
    QString ProxyPassword() const { return m_password; }
    void setProxyBypass(const QString &v) { set(m_bypass, v, Bypass); }
    void setProxyServer(const QString &v) { set(m_server, v, Server); }
    void setProxyPort(int v);
    void setProxyUserName(const QString &v) { set(m_userName, v, UserName); }
    void setProxyPassword(const QString &v) { set(m_password, v, Password); }
    void Clear();

    std::function<void(int propertyIndex)> OnChange;

private:
    void set(QString &field, const QString &v, Index index);
    QString m_bypass, m_server, m_userName, m_password;
    int m_port = 0;
};

// An internet date ("Wed, 09 Jun 2021 10:18:14 GMT", numeric or US zones) as UTC; false when
// it cannot be read. Dashes before the time are deleted, so "09-Jun-2021" reads as "09Jun2021"
// and fails, as cookies of that form have always been kept without expiry.
bool ParseInternetDate(const QString &text, QDateTime &result);

} // namespace orvix
