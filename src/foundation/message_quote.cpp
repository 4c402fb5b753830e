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

} // namespace orvix
