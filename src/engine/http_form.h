#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace orvix {

// One text field of a multipart body.
struct TMultipartVar
{
    QString field;
    QString value;
};

// One file part of a multipart body.
struct TMultipartBinaryVar
{
    QString field;
    QString filename;
    QByteArray value;
};

// Servers that read our uploads expect exactly this boundary.
inline constexpr char MultipartBoundary[] = "-----------------------------7cf87224d2020a";

// Builds a multipart/form-data body. Fields given as "a=1&b=2" in formText are merged into
// textVars first (a field of the same name gets the new value). Returns the error text, empty
// when the body was built.
QString BuildMultipartBody(const QByteArray &formText, QList<TMultipartVar> &textVars,
                           const QList<TMultipartBinaryVar> &binaryVars, QByteArray &body);

// Base64 (RFC 4648, "=" padding) with a CR after every 64 characters, as the receiving
// service reads it.
QString Base64WithBreaks(const QByteArray &bytes);

} // namespace orvix
