#include "foundation/message_quote.h"

namespace orvix {

QString QuoteForMessage(QStringView text)
{
    if (text.size() <= kMaxQuotedChars)
        return text.toString();
    qsizetype n = kMaxQuotedChars;
    if (text[n - 1].isHighSurrogate())
        --n;
    return text.left(n).toString() + QStringLiteral("... (%1 characters)").arg(text.size());
}

namespace {

bool needsEscape(char16_t u)
{
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x061C || u == 0x200E || u == 0x200F
        || (u >= 0x2028 && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

void appendEscape(QString &out, char16_t u)
{
    switch (u) {
    case u'\t':
        out += QLatin1String("\\t");
        return;
    case u'\n':
        out += QLatin1String("\\n");
        return;
    case u'\r':
        out += QLatin1String("\\r");
        return;
    default:
        break;
    }
    if (u < 0x100)
        out += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
    else
        out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
}

} // namespace

QString TerminalText(QStringView text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += text[i];
            out += text[++i];
            continue;
        }
        if (keepLineBreaks && (u == u'\n' || (u == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))) {
            if (u == u'\r')
                ++i;
            out += u'\n';
            continue;
        }
        if (needsEscape(u) || QChar::isSurrogate(u))
            appendEscape(out, u);
        else
            out += text[i];
    }
    return out;
}

} // namespace orvix
