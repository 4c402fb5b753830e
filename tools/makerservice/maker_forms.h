#pragma once

// Form fields as the service reads them, in the order they were sent.

#include <QByteArray>
#include <QList>
#include <QString>

namespace orvix::makerservice {

struct FormField
{
    QString name;
    QByteArray value;  // decoded bytes
    QString fileName;  // multipart file parts only
    bool isFile = false;
};

// "%XX" decoded; "+" stands for a space, as browsers send forms.
QByteArray PercentDecode(QByteArrayView text);

// Fields of "name=value&..." (a query or a urlencoded body).
QList<FormField> ParseUrlEncoded(QByteArrayView text);

} // namespace orvix::makerservice
