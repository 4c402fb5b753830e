#include "text_codec.h"

#include <QStringDecoder>

namespace orvix {

namespace {
const char kUtf8Mark[] = "\xEF\xBB\xBF";
} // namespace

bool HasUtf8Mark(const QByteArray &bytes)
{
    return bytes.startsWith(kUtf8Mark);
}

QString DecodeTextBytes(const QByteArray &bytes)
{
    if (HasUtf8Mark(bytes))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                        : QStringConverter::Utf16BE);
        return dec(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

QStringList SplitTextLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start).toString());
    return lines;
}

QString JoinTextLines(const QStringList &lines)
{
    qsizetype total = 0;
    for (const QString &line : lines)
        total += line.size() + 2;
    QString text;
    text.reserve(total);
    for (const QString &line : lines) {
        text.append(line);
        text.append(u"\r\n");
    }
    return text;
}

QByteArray EncodeLinesUtf8(const QStringList &lines)
{
    return QByteArray(kUtf8Mark) + JoinTextLines(lines).toUtf8();
}

} // namespace orvix
