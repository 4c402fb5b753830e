#include "engine/http_form.h"

namespace orvix {

namespace {

void setTextVar(QList<TMultipartVar> &vars, const QString &field, const QString &value)
{
    for (TMultipartVar &v : vars) {
        if (v.field == field) {
            v.value = value;
            return;
        }
    }
    vars.append({field, value});
}

} // namespace

QString BuildMultipartBody(const QByteArray &formText, QList<TMultipartVar> &textVars,
                           const QList<TMultipartBinaryVar> &binaryVars, QByteArray &body)
{
    QByteArray text = formText;
    if (text.startsWith('&'))
        text.remove(0, 1);
    if (!text.isEmpty()) {
        for (const QByteArray &piece : text.split('&')) {
            const QList<QByteArray> nameValue = piece.split('=');
            if (nameValue.size() != 2)
                return QStringLiteral("could not convert %1 to multipart").arg(QString::fromUtf8(piece));
            setTextVar(textVars, QString::fromUtf8(nameValue[0]), QString::fromUtf8(nameValue[1]));
        }
    }
    if (textVars.isEmpty() && binaryVars.isEmpty())
        return QStringLiteral("multipart error: no variables to post");

    const QByteArray boundaryLine = QByteArray("--") + MultipartBoundary + "\r\n";
    body.clear();
    for (const TMultipartVar &v : textVars) {
        body += boundaryLine;
        body += "Content-Disposition: form-data; name=\"" + v.field.toLatin1() + "\"\r\n\r\n";
        body += v.value.toUtf8() + "\r\n";
    }
    for (const TMultipartBinaryVar &v : binaryVars) {
        body += boundaryLine;
        body += "Content-Disposition: form-data; name=\"" + v.field.toLatin1() + "\"; filename=\""
            + v.filename.toUtf8() + "\"\r\n";
        body += "Content-Transfer-Encoding: binary\r\n\r\n";
        body += v.value + "\r\n";
    }
    body += QByteArray("--") + MultipartBoundary + "--\r\n";
    return {};
}

QString Base64WithBreaks(const QByteArray &bytes)
{
    const QByteArray plain = bytes.toBase64();
    QByteArray out;
    out.reserve(plain.size() + plain.size() / 64 + 1);
    for (qsizetype i = 0; i < plain.size(); i += 64) {
        out += plain.mid(i, 64);
        if (i + 64 <= plain.size())
            out += '\r';
    }
    return QString::fromLatin1(out);
}

} // namespace orvix
