#pragma once

// How the program's text files look on disk: UTF-8 with the mark EF BB BF and CR LF line ends
// when written; when read, a UTF-8 or UTF-16 mark decides, and text without a mark is taken as
// UTF-8 when it is valid UTF-8, else as one byte per character.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

namespace orvix {

QString DecodeTextBytes(const QByteArray &bytes);

// Lines ended by CR LF, LF or CR; a final line end does not start another (empty) line.
QStringList SplitTextLines(QStringView text);

// Each line followed by CR LF, the whole preceded by the UTF-8 mark.
QByteArray EncodeLinesUtf8(const QStringList &lines);

// Each line followed by CR LF, as one text.
QString JoinTextLines(const QStringList &lines);

bool HasUtf8Mark(const QByteArray &bytes);

} // namespace orvix
