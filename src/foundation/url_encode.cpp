#include "url_encode.h"

namespace orvix {

namespace {

// "&", "=", "+" and "?" in a value would start another field or the query, or read as a space.
bool keptAscii(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')
           || QStringView(u"-.@_~").contains(QChar(c));
}

void appendHex(QString &out, uchar byte)
{
    out += QLatin1Char('%');
    out += QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

QString UrlEncodeValue(const QString &value)
{
    QString out;
    out.reserve(value.size() * 3);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value.at(i).unicode();
        if (c < 0x80) {
            if (keptAscii(c))
                out += QChar(c);
            else
                appendHex(out, uchar(c));
            continue;
        }
        // A surrogate pair is one character with four UTF-8 bytes.
        const qsizetype len = (QChar::isHighSurrogate(c) && i + 1 < value.size()) ? 2 : 1;
        for (char byte : value.mid(i, len).toUtf8())
            appendHex(out, uchar(byte));
        i += len - 1;
    }
    return out;
}

} // namespace orvix
