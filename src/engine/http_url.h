#pragma once

#include <QByteArray>
#include <QString>

namespace orvix {

// A request address taken apart the way the HTTP client needs it.
struct HttpUrlParts
{
    QString scheme;         // "http" or "https" (lower case); anything else fails the request
    QString host;
    int port = 0;           // the scheme's default when the address names none
    QString username;
    QString password;
    QString path;           // escapes decoded, as the user reads it
    QByteArray pathEncoded; // what goes on the request line; "/" when the address has no path
    QByteArray query;       // re-encoded query with its leading "?", empty without one
    QString error;          // why the address could not be used; empty when it can
};

// Splits an address; "host/a" without a scheme is taken as "http://host/a".
HttpUrlParts CrackHttpUrl(const QString &url);

// Re-encodes the query of an address for the request line. Escapes are decoded first, except
// those of "&", "+", "=" and "?", which would change how the server splits the fields. Then
// "%" becomes "%25", any other ASCII character outside letters, digits, space and
// "&+-.=?@_~" becomes "%XX", a space "%20", and every byte of a non-ASCII character "%XX".
QByteArray ReencodeQuery(const QByteArray &encodedQuery);

// Bytes that cannot stand in a request line (controls, space, non-ASCII) as "%XX"; the rest
// of the caller's query fields is sent as given.
QByteArray EscapeUnsafeBytes(const QByteArray &text);

// Base address of a request: scheme, host and port, e.g. "https://[::1]:8443".
QByteArray HttpOrigin(const HttpUrlParts &parts);

} // namespace orvix
