#include "web_frame_entry.h"

namespace orvix {

QString TWebFrameEntry::Line() const
{
    return PhotoTargetUrl + u'|' + PhotoThumbUrl + u'|' + PhotoTitle;
}

TWebFrameEntry EntryFromLine(const QString &line)
{
    const qsizetype first = line.indexOf(u'|');
    if (first < 0)
        return {line, {}, {}};
    const qsizetype second = line.indexOf(u'|', first + 1);
    if (second < 0)
        return {line.left(first), line.mid(first + 1), {}};
    return {line.left(first), line.mid(first + 1, second - first - 1), line.mid(second + 1)};
}

void TWebFrameEntryList::Add(const QString &photoTargetUrl, const QString &photoThumbUrl,
                             const QString &photoTitle)
{
    m_items.push_back({photoTargetUrl, photoThumbUrl, photoTitle});
}

QStringList TWebFrameEntryList::Lines() const
{
    QStringList lines;
    lines.reserve(qsizetype(m_items.size()));
    for (const TWebFrameEntry &e : m_items)
        lines.append(e.Line());
    return lines;
}

QString TWebFrameEntryList::Text() const
{
    QString text;
    for (const TWebFrameEntry &e : m_items)
        text += e.Line() + QStringLiteral("\r\n");
    return text;
}

} // namespace orvix
