#pragma once

// The sectioned text format of the settings files: a header line "[name]" followed by the value's
// lines up to the next line that starts with "[". The update reply and the installer's ini file
// are read with GetSectionValue too.

#include <QString>
#include <QStringList>

namespace orvix {

// Value of the first section headed exactly "[name]" (case-sensitive): its non-blank lines joined
// with CR LF and trimmed; empty when there is no such section.
QString GetSectionValue(const QStringList &lines, const QString &name);

// True when some line is exactly "[name]", so an absent key can be told from an empty one.
bool HasSection(const QStringList &lines, const QString &name);

// Replaces the value lines of the first "[name]" section, or appends header and value.
void SetSectionValue(QStringList &lines, const QString &name, const QString &value);

// Text values are stored with ">" before every line, so that no value line is blank or starts
// with "["; Unescape leaves values written bare (numbers, flags) unchanged.
QString Escape(const QString &s);
QString Unescape(const QString &s);

// Splits a value at CR LF, CR or LF.
QStringList SplitValueLines(const QString &s);

} // namespace orvix
