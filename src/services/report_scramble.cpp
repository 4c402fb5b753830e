#include "report_scramble.h"

namespace orvix {

namespace {

// K = (K + o) * 52 + 22, brought below 65536 by subtraction; the same step both ways.
unsigned nextKey(unsigned k, uchar out)
{
    k = (k + out) * 52 + 22;
    return k % 65536;
}

QString scramble(const QByteArray &bytes, int key)
{
    QString out;
    out.reserve(bytes.size() * 2);
    unsigned k = unsigned(key);
    for (const char c : bytes) {
        const uchar o = uchar(c) ^ uchar((k >> 8) & 255);
        k = nextKey(k, o);
        out += QStringLiteral("%1").arg(o, 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

} // namespace

QString ReportScramble(const QString &text, int key) { return scramble(text.toUtf8(), key); }
QString ReportScramble8Bit(const QString &text, int key) { return scramble(text.toLatin1(), key); }

QByteArray ReportUnscramble(const QString &hex, int key)
{
    const QByteArray raw = QByteArray::fromHex(hex.toLatin1());
    QByteArray plain;
    unsigned k = unsigned(key);
    for (const char c : raw) {
        plain += char(uchar(c) ^ uchar((k >> 8) & 255));
        k = nextKey(k, uchar(c));
    }
    return plain;
}

} // namespace orvix
