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
// A gzip member (with the header above) of size zero bytes, built in pieces: about a
// thousandth of size.
QByteArray gzipBombBody(qint64 size);

} // namespace orvix::photosite
