#include "maker_forms.h"

namespace orvix::makerservice {

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

} // namespace

QByteArray PercentDecode(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

QList<FormField> ParseUrlEncoded(QByteArrayView text)
{
    QList<FormField> fields;
    for (const QByteArray &pair : text.toByteArray().split('&')) {
        if (pair.trimmed().isEmpty())
            continue;
        const qsizetype eq = pair.indexOf('=');
        FormField f;
        f.name = QString::fromUtf8(PercentDecode(eq < 0 ? pair : pair.left(eq)));
        f.value = eq < 0 ? QByteArray() : PercentDecode(pair.mid(eq + 1));
        fields << f;
    }
    return fields;
}

} // namespace orvix::makerservice
