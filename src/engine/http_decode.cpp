#include "engine/http_decode.h"

#include "foundation/errors.h"

#include <QFile>

#include <zlib.h>

#include <functional>

namespace orvix {

namespace {

constexpr qsizetype kPiece = 65536;
const QByteArray kGzipMark("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);

using Reader = std::function<QByteArray()>;       // next piece of input, empty at the end
using Writer = std::function<void(const char *, qsizetype)>;

enum class Inflated { Done, Broken };

[[noreturn]] void tooLarge(qint64 limit)
{
    throw EOrvix(QStringLiteral("TIEHttp error: the decompressed response is larger than %1 bytes").arg(limit));
}

// windowBits as zlib takes them: 16 + MAX_WBITS reads a gzip member, MAX_WBITS a zlib stream.
// Raises as soon as the output passes limit.
Inflated inflatePieces(const Reader &read, const Writer &write, int windowBits, qint64 limit)
{
    z_stream zs{};
    if (inflateInit2(&zs, windowBits) != Z_OK)
        return Inflated::Broken;
    struct End { z_stream *zs; ~End() { inflateEnd(zs); } } end{&zs};
    QByteArray out(kPiece, Qt::Uninitialized);
    qint64 produced = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        const QByteArray in = read();
        if (in.isEmpty())
            return Inflated::Broken; // the stream ended early
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        zs.avail_in = uInt(in.size());
        do {
            zs.next_out = reinterpret_cast<Bytef *>(out.data());
            zs.avail_out = uInt(out.size());
            rc = inflate(&zs, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                return Inflated::Broken;
            const qsizetype n = out.size() - qsizetype(zs.avail_out);
            produced += n;
            if (produced > limit)
                tooLarge(limit);
            if (n > 0)
                write(out.constData(), n);
        } while (rc != Z_STREAM_END && zs.avail_out == 0);
    }
    return Inflated::Done;
}

// Runs decode with the preferred way first, then the other; raises when neither works.
void decodeEitherWay(QChar unzipMethod, const std::function<Inflated(bool gzip)> &decode)
{
    const bool gzipFirst = unzipMethod == u'G';
    if (decode(gzipFirst) == Inflated::Done || decode(!gzipFirst) == Inflated::Done)
        return;
    throw EOrvix(QStringLiteral("TIEHttp error: the compressed response could not be decoded"));
}

} // namespace

bool LooksCompressed(QByteArrayView body)
{
    return body.startsWith(kGzipMark);
}

QByteArray DecodeResponseBody(const QByteArray &body, QChar unzipMethod, qint64 limit)
{
    if (!LooksCompressed(body))
        return body;
    QByteArray out;
    decodeEitherWay(unzipMethod, [&](bool gzip) {
        const auto inflateInto = [&](const Writer &write) {
            QByteArrayView rest = gzip ? QByteArrayView(body) : QByteArrayView(body).sliced(8);
            const Reader read = [&] {
                const QByteArrayView piece = rest.first(qMin(rest.size(), kPiece));
                rest = rest.sliced(piece.size());
                return piece.toByteArray();
            };
            return inflatePieces(read, write, gzip ? 16 + MAX_WBITS : MAX_WBITS, limit);
        };
        // Measured first, so that memory never holds more than the output itself, nor grows
        // towards the limit for a body that turns out to be over it.
        qsizetype size = 0;
        if (inflateInto([&](const char *, qsizetype n) { size += n; }) != Inflated::Done)
            return Inflated::Broken;
        out = QByteArray();
        out.reserve(size);
        return inflateInto([&](const char *data, qsizetype n) { out.append(data, n); });
    });
    return out;
}

void DecodeResponseFile(const QString &path, QChar unzipMethod, qint64 limit)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("could not read ") + path + QStringLiteral(": ") + in.errorString());
    if (!LooksCompressed(in.peek(kGzipMark.size())))
        return;
    const QString decodedPath = path + QStringLiteral(".inflated");
    QFile out(decodedPath);
    struct Cleanup { QFile &f; bool keep = false; ~Cleanup() { if (!keep) f.remove(); } } cleanup{out};
    decodeEitherWay(unzipMethod, [&](bool gzip) {
        if (!in.seek(gzip ? 0 : 8) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EFileError(QStringLiteral("could not decode ") + path);
        const Reader read = [&] { return in.read(kPiece); };
        const Writer write = [&](const char *data, qsizetype n) {
            if (out.write(data, n) != n)
                throw EFileError(QStringLiteral("could not write ") + decodedPath + QStringLiteral(": ")
                                 + out.errorString());
        };
        const Inflated result = inflatePieces(read, write, gzip ? 16 + MAX_WBITS : MAX_WBITS, limit);
        out.close();
        return result;
    });
    in.close();
    if (!QFile::remove(path) || !QFile::rename(decodedPath, path))
        throw EFileError(QStringLiteral("could not replace ") + path + QStringLiteral(" by its decoded form"));
    cleanup.keep = true;
}

QString DecodeResponseText(const QByteArray &body, const QString &headerText)
{
    if (headerText.contains(QLatin1String("charset=utf-8")))
        return QString::fromUtf8(body);
    if (headerText.contains(QLatin1String("charset=utf-16"))) {
        const auto *units = reinterpret_cast<const char16_t *>(body.constData());
        const qsizetype count = body.size() / 2;
        qsizetype n = 0;
        while (n < count && units[n] != 0)
            ++n;
        return QString::fromUtf16(units, n);
    }
    return QString::fromLatin1(body);
}

} // namespace orvix
