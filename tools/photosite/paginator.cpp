#include "paginator.h"

#include <QRegularExpression>
#include <functional>

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

// A page number written in one of the four styles. A number counts only as a whole: "page=1"
// is not a page number inside "page=12".
struct StyleMarker
{
    const char *prefix;
    const char *suffix;
};
const StyleMarker kStyles[] = {{"/page", "/"}, {"?page=", ""}, {"&page=", ""}, {";page=", ""}};

QString styled(const StyleMarker &s, const QString &number)
{
    return QLatin1String(s.prefix) + number + QLatin1String(s.suffix);
}

QRegularExpression styleNumberPattern(const StyleMarker &s)
{
    return QRegularExpression(QRegularExpression::escape(QLatin1String(s.prefix)) + QStringLiteral("([0-9]+)")
                              + (*s.suffix ? QRegularExpression::escape(QLatin1String(s.suffix))
                                           : QStringLiteral("(?![0-9])")));
}

// Every whole page number of one style for which `to` gives a replacement is replaced, in one
// pass over the text.
QString replaceNumbers(const QString &text, const StyleMarker &s, const std::function<QString(int)> &to)
{
    QString out;
    qsizetype from = 0;
    auto it = styleNumberPattern(s).globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString replacement = to(m.captured(1).toInt());
        if (replacement.isNull())
            continue;
        out += QStringView(text).mid(from, m.capturedStart() - from);
        out += replacement;
        from = m.capturedEnd();
    }
    out += QStringView(text).mid(from);
    return out;
}

// The program's way of moving a page link to another page: the numbers next to the current
// page, in every style, become the target.
QString replacePageNumber(QString url, int current, int target)
{
    for (const StyleMarker &s : kStyles)
        url = replaceNumbers(url, s, [&](int n) {
            return n >= current - 1 && n <= current + 1 ? styled(s, QString::number(target)) : QString();
        });
    return url;
}

// The program's page address template: the last page's number, in the first style the link
// shows, becomes the placeholder.
QString pageUrlTemplate(QString t, int lastPage)
{
    bool found = false;
    for (const StyleMarker &s : kStyles) {
        if (t.contains(QLatin1String(s.prefix))) {
            t = replaceNumbers(t, s, [&](int n) {
                return n == lastPage ? styled(s, QStringLiteral("[PAGE_NO]")) : QString();
            });
            found = true;
            break;
        }
    }
    if (!found)
        return QString();
    t = replaceNumbers(t, kStyles[3], [](int n) { return n == 2 ? QStringLiteral(";page=[PAGE_NO]") : QString(); });
    return t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

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

    // The links as the page writes them, and the address as the address box shows it.
    const QString address = formatted(ctx, listing, pageNo, kAddressForm);
    const QString prev = pageNo > 1 ? formatted(ctx, listing, pageNo - 1, form) : QString();
    QString next;
    if (pageNo < last)
        next = search && pageNo == 1 ? formatted(ctx, listing, 2, kAddressForm)
                                     : formatted(ctx, listing, pageNo + 1, form);

    Paging p;
    p.PrevPageUrl = prev;
    p.CurrentPageNo = pageNo;
    p.LastPageNo = search ? 100 : last;

    // The link the first and last addresses are made from: the next link, else the previous
    // one, else the address, as long as it shows its page number in one of the four styles.
    QString model = next.isEmpty() ? prev : next;
    if (model.isEmpty())
        model = address;
    if (!model.contains(QStringLiteral("/page")))
        model.clear();
    for (const char *marker : {"/page", "?page=", "&page=", ";page="}) {
        if (!model.isEmpty())
            break;
        const QString m = QString::fromLatin1(marker);
        model = next.contains(m) ? next : prev.contains(m) ? prev : address.contains(m) ? address : QString();
    }
    if (!model.isEmpty()) {
        p.FirstPageUrl = replacePageNumber(model, pageNo, 1);
        p.LastPageUrl = replacePageNumber(model, pageNo, p.LastPageNo);
    }
    p.NextPageUrl = unescaped(next);
    p.LastPageUrl = unescaped(p.LastPageUrl);
    p.PageUrlTemplate = pageUrlTemplate(p.LastPageUrl.contains(QStringLiteral("page")) ? p.LastPageUrl : p.NextPageUrl,
                                        p.LastPageNo);
    return p;
}

} // namespace orvix::photosite
