#pragma once

// Bodies for the compression and junk faults.

#include <QByteArray>

namespace orvix::photosite {

// The gzip header without flags and time stamp that the program recognises compressed
// bodies by.
QByteArray gzipMagic();
QByteArray gzipBody(const QByteArray &data);
QByteArray zlibBody(const QByteArray &data); // the gzip header's 8 bytes, then a zlib stream
QByteArray brokenCompressedBody();           // the 8 bytes, then bytes no decoder accepts
QByteArray garbageBody();

} // namespace orvix::photosite
