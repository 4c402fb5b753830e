#include "settings_file.h"

#include "foundation/text.h"

namespace orvix {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool isHeaderLine(const QString &line)
{
    return line.startsWith(QLatin1Char('['));
}

int findHeader(const QStringList &lines, const QString &name)
{
    const QString header = QLatin1Char('[') + name + QLatin1Char(']');
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i) == header)
            return i;
    }
    return -1;
}

// Index just past the last value line of the section whose header stands at headerIndex.
int sectionEnd(const QStringList &lines, int headerIndex)
{
    int i = headerIndex + 1;
    while (i < lines.size() && !isHeaderLine(lines.at(i)))
        ++i;
    return i;
}

} // namespace

QStringList SplitValueLines(const QString &s)
{
    QString normalized = s;
    normalized.replace(kCrLf, QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalized.split(QLatin1Char('\n'));
}

bool HasSection(const QStringList &lines, const QString &name)
{
    return findHeader(lines, name) >= 0;
}

QString GetSectionValue(const QStringList &lines, const QString &name)
{
    const int header = findHeader(lines, name);
    if (header < 0)
        return QString();
    QStringList value;
    const int end = sectionEnd(lines, header);
    for (int i = header + 1; i < end; ++i) {
        if (!TextTrimView(lines.at(i)).isEmpty())
            value.append(lines.at(i));
    }
    return TextTrim(value.join(kCrLf));
}

void SetSectionValue(QStringList &lines, const QString &name, const QString &value)
{
    const QStringList valueLines = value.isEmpty() ? QStringList() : SplitValueLines(value);
    const int header = findHeader(lines, name);
    if (header < 0) {
        lines.append(QLatin1Char('[') + name + QLatin1Char(']'));
        lines.append(valueLines);
        return;
    }
    const int end = sectionEnd(lines, header);
    lines.remove(header + 1, end - header - 1);
    for (int i = 0; i < valueLines.size(); ++i)
        lines.insert(header + 1 + i, valueLines.at(i));
}

QString Escape(const QString &s)
{
    const QString trimmed = TextTrim(s);
    if (trimmed.isEmpty())
        return QString();
    QStringList out;
    for (const QString &line : SplitValueLines(trimmed))
        out.append(QLatin1Char('>') + line);
    return out.join(kCrLf);
}

QString Unescape(const QString &s)
{
    QStringList out;
    for (const QString &line : SplitValueLines(s))
        out.append(line.startsWith(QLatin1Char('>')) ? line.mid(1) : line);
    return TextTrim(out.join(kCrLf));
}

} // namespace orvix
