#include "page_mode.h"

#include "foundation/text.h"
#include "foundation/text_search.h"

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
    if ((TextContains(text, u"page_photo_id") && TextContains(text, u"page_p.title"))
        || TextContains(text, u"<div id=\"photo\">"))
        return pmNotThumbnails;
    if (TextContains(text, u"<div id=\"setThumbs\""))
        return pmSetThumbs;
    if (TextContains(text, u"<p class=\"Photo\""))
        return pmPhotoParagraphs;
    if (TextContains(text, u"<div class=\"HoldPhotos\""))
        return pmPoolHoldPhotos;
    if (TextContains(text, u"<span class=\"photo_container pc_"))
        return hasTwoOrMore(text, u"photo_container pc_") ? pmPhotoContainers : pmPhotoContainerPool;
    if (TextContains(text, u"<DIV id=ResultsThumbsDiv class=ResultsThumbs"))
        return pmSearchResults;
    return pmNotThumbnails;
}

} // namespace orvix
