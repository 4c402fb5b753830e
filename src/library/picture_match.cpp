#include "picture_match.h"

#include "foundation/text.h"

namespace orvix {

namespace {

bool isBoundaryAfterUrl(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('|');
}

QChar asciiLower(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ? QChar(c.unicode() + 32) : c;
}

} // namespace

QString CutPageUrlForLookup(QStringView pageUrl)
{
    QString s = pageUrl.toString();
    const int setPos = TextPos(s, u"/in/set");
    if (setPos > 0)
        s = TextCopy(s, 1, setPos); // keeps the "/" that begins "/in/set"
    s = TextReplaceAll(s, u"/in/photostream", u"");
    return TextRemoveSuffix(s, u"/");
}

bool RecordMatchesPageUrl(QStringView record, QStringView cut)
{
    if (cut.isEmpty())
        return false;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = record.indexOf(cut, from);
        if (at < 0)
            return false;
        const qsizetype after = at + cut.size();
        if (after == record.size() || isBoundaryAfterUrl(record.at(after)))
            return true;
        from = at + 1;
    }
}

QStringView FileNameOf(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

bool FileNameMatchesKey(QStringView path, QStringView key)
{
    const QStringView name = FileNameOf(path);
    if (key.isEmpty() || name.size() < key.size())
        return false;
    for (qsizetype i = 0; i < key.size(); ++i) {
        if (asciiLower(name.at(i)) != asciiLower(key.at(i)))
            return false;
    }
    return name.size() == key.size() || !name.at(key.size()).isLetterOrNumber();
}

QString LeadingAlnumRunLower(QStringView s)
{
    qsizetype n = 0;
    while (n < s.size() && s.at(n).isLetterOrNumber())
        ++n;
    QString run(n, Qt::Uninitialized);
    for (qsizetype i = 0; i < n; ++i)
        run[i] = asciiLower(s.at(i));
    return run;
}

QStringList FileNameKeyPieces(QStringView fileName)
{
    const QStringView name = TextBeforeView(TextBeforeView(fileName, u"."), u" ");
    return TextSplit(name, u"_");
}

QString ImageIdFromFileName(QStringView path)
{
    return TextBeforeView(FileNameOf(path), u"_").toString();
}

} // namespace orvix
