#include "engine/http_decode.h"

#include "foundation/errors.h"

#include <zlib.h>

#include <optional>

namespace orvix {

namespace {

// windowBits as zlib takes them: 16 + MAX_WBITS reads a gzip member, MAX_WBITS a zlib stream.
std::optional<QByteArray> inflateBytes(QByteArrayView input, int windowBits)
{
    z_stream zs{};
    if (inflateInit2(&zs, windowBits) != Z_OK)
        return std::nullopt;
    QByteArray out;
    out.resize(qMax<qsizetype>(input.size() * 4, 4096));
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.data()));
    zs.avail_in = uInt(input.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (zs.total_out == uLong(out.size()))
            out.resize(out.size() * 2);
        zs.next_out = reinterpret_cast<Bytef *>(out.data() + zs.total_out);
        zs.avail_out = uInt(out.size() - zs.total_out);
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_BUF_ERROR && zs.avail_out == 0)
            rc = Z_OK; // only the output was full
    }
    const uLong produced = zs.total_out;
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    out.resize(qsizetype(produced));
    return out;
}

} // namespace

QByteArray DecodeResponseBody(const QByteArray &body, QChar unzipMethod)
{
    static const QByteArray gzipMark("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);
    if (!body.startsWith(gzipMark))
        return body;

    const auto asGzip = [&] { return inflateBytes(body, 16 + MAX_WBITS); };
    const auto asZlib = [&] { return inflateBytes(QByteArrayView(body).sliced(8), MAX_WBITS); };
    std::optional<QByteArray> out;
    if (unzipMethod == u'G') {
        out = asGzip();
        if (!out)
            out = asZlib();
    } else {
        out = asZlib();
        if (!out)
            out = asGzip();
    }
    if (!out)
        throw EOrvix(QStringLiteral("TIEHttp error: the compressed response could not be decoded"));
    return *out;
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
