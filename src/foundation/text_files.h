#pragma once

// Whole text files and appended lines, in plain forms and in forms that retry. Text is written
// as UTF-8 with the mark EF BB BF and CR LF line ends; reading honours a UTF-8 or UTF-16 mark.
// Appends shut out other writers for the moment of the write (another instance may append to
// the same file), so lines never interleave.

#include <QString>
#include <QStringList>

namespace orvix {

// Plain forms: raise EFileError, except AppendLineUtf8, which drops the line on failure.
void WriteTextToNewFile(const QString &file, const QString &text);
void AppendTextUtf8(const QString &file, const QString &text);
void AppendLineUtf8(const QString &file, const QString &text);
QString ReadTextFile(const QString &file); // trimmed
QStringList LoadTextList(const QString &file); // empty when missing

// Retrying forms: 11 attempts, then EFileError "<name> failed: " + file. The "_5x" forms wait
// the file pause between attempts, ReadFromFile_sl_5x the list pause.
QString ReadFromFile_s_5x(const QString &file);
QStringList ReadFromFile_sl_5x(const QString &file);
void WriteToNewFile_5x(const QString &file, const QString &text);
void AppendToFile_5x(const QString &file, const QString &text);
void AppendToFileLn_5x(const QString &file, const QString &text);

} // namespace orvix
