#pragma once

// Thumbnails pages in each layout of the site. Set pages and photostreams build their thumbnails
// with a script from data in the page, so only a browser sees them; search results are served
// without a doctype, so a browser shows them in quirks mode.

#include "html.h"

namespace orvix::photosite {

struct ExpectedEntry
{
    QString PhotoTargetUrl;
    QString PhotoThumbUrl;
    QString PhotoTitle;
    QString pictureId;
};

bool isScriptBuilt(Layout layout);
bool isQuirks(Layout layout);

// The page as served; with afterScripts, the document as a browser holds it once the page's
// scripts ran, serialised the way the program reads it (the legacy form for quirks pages).
QString listingPage(const RenderContext &ctx, const Listing &listing, int pageNo, bool afterScripts);

// What the program must find on the page as a browser shows it.
int expectedPageMode(const Site &site, const Listing &listing, int pageNo);
QList<ExpectedEntry> expectedEntries(const RenderContext &ctx, const Listing &listing, int pageNo);

QString homePage(const RenderContext &ctx);
QString ownerSetsPage(const RenderContext &ctx, int owner);

} // namespace orvix::photosite
