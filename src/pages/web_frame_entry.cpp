#include "web_frame_entry.h"

namespace orvix {

QString TWebFrameEntry::Line() const
{
    return PhotoTargetUrl + u'|' + PhotoThumbUrl + u'|' + PhotoTitle;
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
