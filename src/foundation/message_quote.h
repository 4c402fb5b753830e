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

// Text on its way to a terminal, which would obey any control character in it: control
// characters (C0, DEL and C1), the bidirectional overrides and the line and paragraph
// separators are shown escaped ("\t", "\n", "\r", "\x1b", "\u202e"), as are halves of a
// surrogate pair standing alone. With keepLineBreaks, LF and CR LF stay line breaks (for
// messages of the program's own that span lines).
QString TerminalText(QStringView text, bool keepLineBreaks = false);

} // namespace orvix
