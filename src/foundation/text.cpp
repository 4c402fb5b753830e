#include "text.h"

#include "errors.h"
#include "text_search.h"

#include <algorithm>

namespace orvix {

QString exceptionMessage(const std::exception &e)
{
    if (auto *oe = dynamic_cast<const EOrvix *>(&e))
        return oe->message();
    return QString::fromUtf8(e.what());
}

int TextPos(QStringView s, QStringView sub)
{
    if (sub.isEmpty() || s.isEmpty())
        return 0;
    return int(FindText(s, sub)) + 1;
}

int TextPos(QStringView s, QStringView sub, int from)
{
    if (sub.isEmpty() || s.isEmpty())
        return 0;
    if (from < 1)
        from = 1;
    if (from > s.size())
        return 0;
    return int(FindText(s, sub, from - 1)) + 1;
}

int TextLastPos(QStringView s, QStringView sub)
{
    if (sub.isEmpty() || s.isEmpty())
        return 0;
    return int(s.lastIndexOf(sub)) + 1;
}

QStringView TextCopyView(QStringView s, int start, int count)
{
    if (start < 1)
        start = 1;
    if (start > s.size() || count <= 0)
        return {};
    const qsizetype available = s.size() - (start - 1);
    return s.mid(start - 1, std::min<qsizetype>(count, available));
}

QString TextCopy(QStringView s, int start, int count)
{
    return TextCopyView(s, start, count).toString();
}

QString TextDelete(QStringView s, int start, int count)
{
    if (start < 1 || start > s.size() || count <= 0)
        return s.toString();
    const qsizetype n = std::min<qsizetype>(count, s.size() - (start - 1));
    QString r;
    r.reserve(s.size() - n);
    r.append(s.left(start - 1));
    r.append(s.mid(start - 1 + n));
    return r;
}

QString TextInsert(QStringView s, QStringView piece, int pos)
{
    if (pos < 1)
        pos = 1;
    if (pos > s.size())
        pos = int(s.size()) + 1;
    QString r;
    r.reserve(s.size() + piece.size());
    r.append(s.left(pos - 1));
    r.append(piece);
    r.append(s.mid(pos - 1));
    return r;
}

QStringView TextTrimView(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 0x20)
        ++b;
    while (e > b && s[e - 1].unicode() <= 0x20)
        --e;
    return s.mid(b, e - b);
}

QString TextTrim(QStringView s)
{
    return TextTrimView(s).toString();
}

QString TextLower(QStringView s)
{
    QString r = s.toString();
    for (QChar &c : r) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(u + 32);
    }
    return r;
}

QString TextUpper(QStringView s)
{
    QString r = s.toString();
    for (QChar &c : r) {
        const char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z')
            c = QChar(u - 32);
    }
    return r;
}

QString TextReverse(QStringView s)
{
    QString r = s.toString();
    std::reverse(r.begin(), r.end());
    return r;
}

namespace {

// Decimal with optional sign, or hexadecimal written "$FF" / "0xFF"; leading blanks allowed.
bool parseInteger(QStringView s, qint64 &out, qint64 lo, qint64 hi)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
        neg = s[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size())
        return false;
    quint64 v = 0;
    const quint64 limit = neg ? quint64(-(lo + 1)) + 1 : quint64(hi);
    for (; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return false;
        if (v > (limit - quint64(d)) / quint64(base))
            return false;
        v = v * quint64(base) + quint64(d);
    }
    out = neg ? qint64(0 - v) : qint64(v);
    return true;
}

EConvertError notAnInteger(QStringView s)
{
    return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s.toString()));
}

} // namespace

int TextToInt(QStringView s)
{
    qint64 v = 0;
    if (!parseInteger(s, v, INT32_MIN, INT32_MAX))
        throw notAnInteger(s);
    return int(v);
}

qint64 TextToInt64(QStringView s)
{
    qint64 v = 0;
    if (!parseInteger(s, v, INT64_MIN, INT64_MAX))
        throw notAnInteger(s);
    return v;
}

int TextToIntDef(QStringView s, int def)
{
    qint64 v = 0;
    return parseInteger(s, v, INT32_MIN, INT32_MAX) ? int(v) : def;
}

qint64 TextToInt64Def(QStringView s, qint64 def)
{
    qint64 v = 0;
    return parseInteger(s, v, INT64_MIN, INT64_MAX) ? v : def;
}

QStringView TextAfterView(QStringView s, QStringView marker)
{
    const int p = TextPos(s, marker);
    return p == 0 ? s : s.mid(p - 1 + marker.size());
}

QStringView TextFromView(QStringView s, QStringView marker)
{
    const int p = TextPos(s, marker);
    return p == 0 ? s : s.mid(p - 1);
}

QStringView TextUpToView(QStringView s, QStringView marker)
{
    const int p = TextPos(s, marker);
    return p == 0 ? s : s.left(p - 1 + marker.size());
}

QStringView TextBeforeView(QStringView s, QStringView marker)
{
    const int p = TextPos(s, marker);
    return p == 0 ? s : s.left(p - 1);
}

QString TextAfter(QStringView s, QStringView marker) { return TextAfterView(s, marker).toString(); }
QString TextFrom(QStringView s, QStringView marker) { return TextFromView(s, marker).toString(); }
QString TextUpTo(QStringView s, QStringView marker) { return TextUpToView(s, marker).toString(); }
QString TextBefore(QStringView s, QStringView marker) { return TextBeforeView(s, marker).toString(); }

bool TextContains(QStringView s, QStringView sub) { return TextPos(s, sub) > 0; }
bool TextNotContains(QStringView s, QStringView sub) { return !TextContains(s, sub); }

bool TextContainsNoCase(QStringView s, QStringView sub)
{
    return TextContains(TextLower(s), TextLower(sub));
}

bool TextNotContainsNoCase(QStringView s, QStringView sub) { return !TextContainsNoCase(s, sub); }

bool TextStartsWith(QStringView s, QStringView prefix)
{
    return !prefix.isEmpty() && s.startsWith(prefix);
}

bool TextNotStartsWith(QStringView s, QStringView prefix) { return !TextStartsWith(s, prefix); }

bool TextEndsWith(QStringView s, QStringView suffix)
{
    return !suffix.isEmpty() && s.endsWith(suffix);
}

bool TextNotEndsWith(QStringView s, QStringView suffix) { return !TextEndsWith(s, suffix); }

QString TextReplaceAll(QStringView s, QStringView oldText, QStringView newText)
{
    if (oldText.isEmpty() || s.isEmpty())
        return s.toString();
    qsizetype at = s.indexOf(oldText);
    if (at < 0)
        return s.toString();
    QString r;
    r.reserve(s.size());
    qsizetype from = 0;
    while (at >= 0) {
        r.append(s.mid(from, at - from));
        r.append(newText);
        from = at + oldText.size();
        at = s.indexOf(oldText, from);
    }
    r.append(s.mid(from));
    return r;
}

QString TextReplaceAllNoCase(QStringView s, QStringView oldText, QStringView newText)
{
    if (oldText.isEmpty() || s.isEmpty())
        return s.toString();
    QString r;
    r.reserve(s.size());
    qsizetype from = 0;
    qsizetype at = s.indexOf(oldText, 0, Qt::CaseInsensitive);
    while (at >= 0) {
        r.append(s.mid(from, at - from));
        r.append(newText);
        from = at + oldText.size();
        at = s.indexOf(oldText, from, Qt::CaseInsensitive);
    }
    r.append(s.mid(from));
    return r;
}

QString TextRemoveSuffix(QStringView s, QStringView suffix)
{
    QStringView r = TextTrimView(s);
    if (r.isEmpty())
        return QString();
    QStringView t = TextTrimView(suffix);
    if (!t.isEmpty() && TextLastPos(r, t) == r.size() - t.size() + 1)
        r = r.left(r.size() - t.size());
    return r.toString();
}

ArStrX TextSplit(QStringView s, QStringView separator, bool trimItems)
{
    ArStrX items;
    if (s.isEmpty())
        return items;
    if (separator.isEmpty()) {
        items.append(trimItems ? TextTrim(s) : s.toString());
        return items;
    }
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = s.indexOf(separator, from);
        if (at < 0)
            break;
        QStringView item = s.mid(from, at - from);
        items.append(trimItems ? TextTrim(item) : item.toString());
        from = at + separator.size();
    }
    QStringView last = s.mid(from);
    items.append(trimItems ? TextTrim(last) : last.toString());
    return items;
}

ArStrX TextFilterContaining(const ArStrX &items, QStringView sub)
{
    ArStrX r;
    for (const QString &item : items)
        if (TextContains(item, sub))
            r.append(item);
    return r;
}

QString TextFormatBraces(QStringView templ, const QStringList &values)
{
    QString r = templ.toString();
    for (int i = 0; i < values.size(); ++i)
        r = TextReplaceAll(r, QStringLiteral("{%1}").arg(i), values[i]);
    return r;
}

QString TextFormatBraces(QStringView templ, qint64 value)
{
    return TextFormatBraces(templ, QStringList{QString::number(value)});
}

int ByteLength(const QByteArray &s) { return int(s.size()); }

int BytePos(const QByteArray &s, const QByteArray &sub)
{
    if (sub.isEmpty() || s.isEmpty())
        return 0;
    return int(s.indexOf(sub)) + 1;
}

void ByteSetLength(QByteArray &s, int length) { s.resize(std::max(0, length)); }

QByteArray ByteDelete(const QByteArray &s, int start, int count)
{
    return TextDelete(QString::fromLatin1(s), start, count).toLatin1();
}

bool ByteStartsWith(const QByteArray &s, const QByteArray &prefix)
{
    return TextStartsWith(QString::fromLatin1(s), QString::fromLatin1(prefix));
}

} // namespace orvix
