#include "page_mode.h"

#include "text_search.h"

namespace orvix {

namespace {

bool hasTwoOrMore(QStringView text, QStringView sub)
{
    const qsizetype first = FindText(text, sub);
    return first >= 0 && FindText(text, sub, first + sub.size()) >= 0;
}

} // namespace

int GetPageMode(QStringView text)
{
    if ((ContainsText(text, u"page_photo_id") && ContainsText(text, u"page_p.title"))
        || ContainsText(text, u"<div id=\"photo\">"))
        return pmNotThumbnails;
    if (ContainsText(text, u"<div id=\"setThumbs\""))
        return pmSetThumbs;
    if (ContainsText(text, u"<p class=\"Photo\""))
        return pmPhotoParagraphs;
    if (ContainsText(text, u"<div class=\"HoldPhotos\""))
        return pmPoolHoldPhotos;
    if (ContainsText(text, u"<span class=\"photo_container pc_"))
        return hasTwoOrMore(text, u"photo_container pc_") ? pmPhotoContainers : pmPhotoContainerPool;
    if (ContainsText(text, u"<DIV id=ResultsThumbsDiv class=ResultsThumbs"))
        return pmSearchResults;
    return pmNotThumbnails;
}

} // namespace orvix
