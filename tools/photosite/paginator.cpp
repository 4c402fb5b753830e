#include "paginator.h"

namespace orvix::photosite {

namespace {

// How a layout writes its page links.
struct PagerStyle
{
    bool prevRapid = false; // class="Prev rapidnofollow" written before the href
    bool nextRapid = false;
    bool absolute = false;
    bool explicitFirst = false; // page 1 linked with its number rather than the bare address
};

PagerStyle pagerStyle(Layout layout)
{
    switch (layout) {
    case Layout::Set: return {true, true, false, false};
    case Layout::Tag: return {false, false, true, true};
    case Layout::Pool: return {true, false, false, false};
    case Layout::Featured: return {false, false, false, false};
    case Layout::Photostream: return {false, true, false, false};
    case Layout::Favorites: return {false, false, true, false};
    case Layout::Search: return {false, false, false, false};
    }
    return {};
}

// One way of writing a page's address: in a link of the page (escaped as markup) or in the
// address box (absolute, plain).
struct LinkForm
{
    bool absolute = false;
    bool escaped = false;
    bool explicitFirst = false;
};

LinkForm linkForm(Layout layout)
{
    const PagerStyle s = pagerStyle(layout);
    return {s.absolute, true, s.explicitFirst};
}

const LinkForm kAddressForm{true, false, false};

QString unescaped(QString url) { return url.replace(QStringLiteral("&amp;"), QStringLiteral("&")); }

QString formatted(const RenderContext &ctx, const Listing &listing, int pageNo, LinkForm form)
{
    QString url = ctx.site.pageAddress(listing, pageNo, form.explicitFirst);
    if (form.escaped)
        url = escapeAttribute(url);
    return form.absolute ? ctx.root() + url : url;
}

// The site links page 2 of a search to this address, which the program rebuilds from the
// address box instead of following it.
QString searchPage2(const RenderContext &ctx) { return ctx.root() + QStringLiteral("/search/page2/"); }

// Page numbers shown, 0 for a gap: all pages when few, else the ends and the current window.
QList<int> shownPages(int current, int last)
{
    QList<int> pages;
    if (last <= 7) {
        for (int n = 1; n <= last; ++n)
            pages << n;
        return pages;
    }
    const int from = qMax(2, current - 2);
    const int to = qMin(last - 1, current + 2);
    pages << 1;
    if (from > 2)
        pages << 0;
    for (int n = from; n <= to; ++n)
        pages << n;
    if (to < last - 1)
        pages << 0;
    pages << last;
    return pages;
}

QString link(const QString &href, const QString &cls, bool rapid, bool classFirst, const QString &text,
             bool legacy)
{
    const QString klass = rapid ? cls + QStringLiteral(" rapidnofollow") : cls;
    const Attr h{QStringLiteral("href"), href};
    const Attr c{QStringLiteral("class"), klass};
    const QString open = (rapid || classFirst) ? startTag(u"a", {c, h}, legacy) : startTag(u"a", {h, c}, legacy);
    return open + text + endTag(u"a", legacy) + QLatin1Char('\n');
}

} // namespace

QString paginatorMarkup(const RenderContext &ctx, const Listing &listing, int pageNo, bool legacy)
{
    const int last = ctx.site.pageCount(listing);
    if (last < 2 || pageNo < 1 || pageNo > last)
        return QString();
    const PagerStyle style = pagerStyle(listing.layout);
    // Hrefs go through startTag, which escapes them; the forms here are the plain addresses.
    LinkForm plain = linkForm(listing.layout);
    plain.escaped = false;
    auto href = [&](int n) { return formatted(ctx, listing, n, plain); };

    QString out = startTag(u"div", {{QStringLiteral("class"), QStringLiteral("Paginator")}}, legacy)
                  + QLatin1Char('\n');
    if (pageNo > 1)
        out += link(href(pageNo - 1), QStringLiteral("Prev"), style.prevRapid, legacy,
                    legacy ? QStringLiteral("&lt; Prev") : QStringLiteral("&larr; Prev"), legacy);
    for (int n : shownPages(pageNo, last)) {
        if (n == 0)
            out += startTag(u"span", {{QStringLiteral("class"), QStringLiteral("break")}}, legacy)
                   + QStringLiteral("...") + endTag(u"span", legacy) + QLatin1Char('\n');
        else if (n == pageNo)
            out += startTag(u"span", {{QStringLiteral("class"), QStringLiteral("this-page")}}, legacy)
                   + QString::number(n) + endTag(u"span", legacy) + QLatin1Char('\n');
        else
            out += startTag(u"a", {{QStringLiteral("href"), href(n)}}, legacy) + QString::number(n)
                   + endTag(u"a", legacy) + QLatin1Char('\n');
    }
    if (pageNo < last) {
        const bool searchFirst = listing.layout == Layout::Search && pageNo == 1;
        out += link(searchFirst ? searchPage2(ctx) : href(pageNo + 1), QStringLiteral("Next"), style.nextRapid,
                    legacy, legacy ? QStringLiteral("Next &gt;") : QStringLiteral("Next &rarr;"), legacy);
    }
    out += endTag(u"div", legacy) + QLatin1Char('\n')
           + startTag(u"div", {{QStringLiteral("class"), QStringLiteral("Results")}}, legacy)
           + QLatin1Char('(') + QString::number(listing.pictures.size()) + QStringLiteral(" photos)")
           + endTag(u"div", legacy) + QLatin1Char('\n');
    return out;
}

Paging expectedPaging(const RenderContext &ctx, const Listing &listing, int pageNo)
{
    const int last = ctx.site.pageCount(listing);
    const bool search = listing.layout == Layout::Search;
    const LinkForm form = linkForm(listing.layout);

    struct Candidate
    {
        QString text;
        LinkForm form;
    };
    const Candidate address{formatted(ctx, listing, pageNo, kAddressForm), kAddressForm};
    Candidate prev, next;
    if (pageNo > 1)
        prev = {formatted(ctx, listing, pageNo - 1, form), form};
    if (pageNo < last) {
        if (search && pageNo == 1)
            next = {formatted(ctx, listing, 2, kAddressForm), kAddressForm};
        else
            next = {formatted(ctx, listing, pageNo + 1, form), form};
    }

    Paging p;
    p.PrevPageUrl = prev.text;
    p.NextPageUrl = unescaped(next.text);
    p.CurrentPageNo = pageNo;
    p.LastPageNo = search ? 100 : last;

    // The link the first and last addresses are made from: the next link, else the previous
    // one, else the address, as long as it shows its page number in one of the four styles.
    Candidate model = next.text.isEmpty() ? prev : next;
    if (model.text.isEmpty())
        model = address;
    if (!model.text.contains(QStringLiteral("/page")))
        model = {};
    for (const char *marker : {"/page", "?page=", "&page=", ";page="}) {
        if (!model.text.isEmpty())
            break;
        const QString m = QString::fromLatin1(marker);
        if (next.text.contains(m))
            model = next;
        else if (prev.text.contains(m))
            model = prev;
        else if (address.text.contains(m))
            model = address;
    }
    if (model.text.isEmpty())
        return p;
    LinkForm f = model.form;
    f.explicitFirst = true;
    p.FirstPageUrl = formatted(ctx, listing, 1, f);
    f.escaped = false;
    p.LastPageUrl = formatted(ctx, listing, p.LastPageNo, f);
    // A page number no address holds otherwise, turned into the placeholder.
    const int sentinel = 987654321;
    p.PageUrlTemplate = formatted(ctx, listing, sentinel, f)
                            .replace(QString::number(sentinel), QStringLiteral("[PAGE_NO]"));
    return p;
}

} // namespace orvix::photosite
