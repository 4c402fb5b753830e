#pragma once

// The paginator of a listing page, and the page numbering a reader of that paginator must come
// to. Each layout writes its links in its own way (relative or absolute, page 1 with or
// without its number, previous/next links with or without "rapidnofollow"), so between them the
// layouts show every form the program has to read.

#include "html.h"

namespace orvix::photosite {

struct Paging
{
    QString PrevPageUrl;
    QString NextPageUrl;
    QString FirstPageUrl;
    QString LastPageUrl;
    int CurrentPageNo = 0;
    int LastPageNo = 0;
    QString PageUrlTemplate;
};

// Empty when the listing fits on one page (no paginator is written then).
QString paginatorMarkup(const RenderContext &ctx, const Listing &listing, int pageNo, bool legacy = false);

// What the program's reading of the paginator yields for this page, given the page's own
// address in the address box. Only meaningful when the listing has more than one page.
Paging expectedPaging(const RenderContext &ctx, const Listing &listing, int pageNo);

} // namespace orvix::photosite
