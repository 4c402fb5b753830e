#pragma once

#include "foundation/text_codec.h" // SplitTextLines for response lines

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

namespace orvix {

// Decompressed output is refused beyond this: a small body may inflate to any size.
inline constexpr qint64 kMaxDecodedBytes = qint64(64) << 20;

// True when the body starts with the eight bytes 1F 8B 08 00 00 00 00 00.
bool LooksCompressed(QByteArrayView body);

// Inflates a body that starts with the eight bytes 1F 8B 08 00 00 00 00 00. With method 'G'
// the whole body is read as gzip; with any other method the eight bytes are skipped and the
// rest is read as a zlib stream. When the chosen way fails the other is tried; when both fail
// EOrvix is raised, as it is when the output would pass limit bytes (checked while inflating).
// Other bodies come back unchanged.
QByteArray DecodeResponseBody(const QByteArray &body, QChar unzipMethod, qint64 limit = kMaxDecodedBytes);

// The same for a body stored in a file, decoded in pieces into a new file beside it that then
// replaces it; memory stays small whatever the sizes. Raises EOrvix (the file is left as it
// was) or EFileError.
void DecodeResponseFile(const QString &path, QChar unzipMethod, qint64 limit = kMaxDecodedBytes);

// Body text by the response headers: "charset=utf-8" (exactly so) means UTF-8,
// "charset=utf-16" UTF-16 up to the first zero character, anything else one character per byte.
QString DecodeResponseText(const QByteArray &body, const QString &headerText);

} // namespace orvix
