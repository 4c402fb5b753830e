#pragma once

#include <QString>
#include <QStringView>

namespace orvix {

// Input quoted in a message is cut to this many characters: a line, address or page of any
// size must not turn into a message of that size.
inline constexpr qsizetype kMaxQuotedChars = 300;

// text as it stands when short; else its first kMaxQuotedChars characters followed by
// "... (N characters)".
QString QuoteForMessage(QStringView text);

} // namespace orvix
