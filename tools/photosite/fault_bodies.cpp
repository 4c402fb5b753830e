#include "fault_bodies.h"

#include "site_model.h"

#include <zlib.h>

namespace orvix::photosite {

namespace {

QByteArray deflateWith(const QByteArray &data, int windowBits)
{
    z_stream s{};
    if (deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        qFatal("photosite: deflateInit2 failed");
    QByteArray out(int(deflateBound(&s, uLong(data.size()))), Qt::Uninitialized);
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef *>(out.data());
    s.avail_out = uInt(out.size());
    const int rc = deflate(&s, Z_FINISH);
    deflateEnd(&s);
    if (rc != Z_STREAM_END)
        qFatal("photosite: deflate failed");
    out.truncate(int(s.total_out));
    return out;
}

void appendLittleEndian(QByteArray &out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

} // namespace

QByteArray gzipMagic() { return QByteArray("\x1F\x8B\x08\x00\x00\x00\x00\x00", 8); }

QByteArray gzipBody(const QByteArray &data)
{
    QByteArray out = gzipMagic();
    out.append('\x00'); // extra flags
    out.append('\x03'); // made on Unix
    out += deflateWith(data, -MAX_WBITS);
    appendLittleEndian(out, quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()))));
    appendLittleEndian(out, quint32(data.size()));
    return out;
}

QByteArray gzipBombBody(qint64 size)
{
    z_stream s{};
    if (deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        qFatal("photosite: deflateInit2 failed");
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out = gzipMagic();
    out.append('\x00');
    out.append('\x03');
    QByteArray piece(1 << 16, Qt::Uninitialized);
    uLong crc = crc32(0, nullptr, 0);
    for (qint64 left = size;;) {
        const qint64 n = qMin<qint64>(left, zeros.size());
        crc = crc32(crc, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(n));
        left -= n;
        s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        s.avail_in = uInt(n);
        const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        int rc = Z_OK;
        do {
            s.next_out = reinterpret_cast<Bytef *>(piece.data());
            s.avail_out = uInt(piece.size());
            rc = deflate(&s, flush);
            out.append(piece.constData(), piece.size() - qsizetype(s.avail_out));
        } while (s.avail_out == 0);
        if (left == 0) {
            if (rc != Z_STREAM_END)
                qFatal("photosite: deflate failed");
            break;
        }
    }
    deflateEnd(&s);
    appendLittleEndian(out, quint32(crc));
    appendLittleEndian(out, quint32(quint64(size) & 0xFFFFFFFFu));
    return out;
}

QByteArray zlibBody(const QByteArray &data) { return gzipMagic() + deflateWith(data, MAX_WBITS); }

QByteArray brokenCompressedBody()
{
    QByteArray out = gzipMagic();
    quint64 h = 7;
    for (int i = 0; i < 512; ++i) {
        h = mix64(h);
        out.append(char(h & 0xFF));
    }
    return out;
}

QByteArray garbageBody()
{
    QByteArray out = "<html><head><title>Photo Site</ti<div id=\"ph<<a href=\"/photos/";
    quint64 h = 11;
    for (int i = 0; i < 2048; ++i) {
        h = mix64(h);
        out.append(char(h & 0xFF));
    }
    out += "</p></span></div><p class=\"Photo\" <img src=\">\n";
    return out;
}

} // namespace orvix::photosite
