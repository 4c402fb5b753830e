#include "listing_pages.h"

#include "paginator.h"

namespace orvix::photosite {

namespace {

constexpr int kFirstDeferred = 4; // containers from here on wait for their image (placeholder)

bool isHover(int position) { return position % 5 == 2; }

const char kEscapeJs[] =
    "function esc(v) { return String(v).replace(/&/g, '&amp;').replace(/\"/g, '&quot;'); }\n";

// Builds the set's thumbnail links from setPhotos; the markup is exactly setItem()'s.
const char kSetBuilderJs[] = R"JS(
  var html = '';
  for (var i = 0; i < setPhotos.length; i++) {
    var p = setPhotos[i];
    html += '<a href="' + esc(p.u) + '" title="' + esc(p.t) + '" class="image_link"><img src="' + esc(p.s)
      + '" width="75" height="75" alt="' + esc(p.t) + '" class="thumb"></a>\n';
  }
  document.getElementById('setThumbs').insertAdjacentHTML('beforeend', html);
})();
</script>
)JS";

// Builds the photostream's containers from its list data; the markup is exactly container()'s.
// The class name is written in two pieces so the script text itself holds no container marker.
const char kStreamBuilderJs[] = R"JS(
  var rows = Y.listData.rows, html = '';
  for (var i = 0; i < rows.length; i++) {
    var r = rows[i];
    html += '<span class="photo_container ' + 'pc_m"><a href="' + esc(r.photo_url) + '" title="' + esc(r.name)
      + '" class="rapidnofollow"><img src="' + esc(i < 4 ? r.url : Y.spaceball) + '" data-defer-src="' + esc(r.url)
      + '" width="' + r.width + '" height="' + r.height + '" alt="' + esc(r.name) + '" class="pc_img"></a></span>\n';
  }
  document.getElementById('photostream').insertAdjacentHTML('beforeend', html);
})();
</script>
)JS";

QString builderScript(const char *body)
{
    return QStringLiteral("<script>\n(function () {\n  ") + QString::fromLatin1(kEscapeJs)
           + QString::fromLatin1(body);
}

QString itemHref(const RenderContext &ctx, const Listing &listing, const Picture &picture)
{
    const QString path = ctx.site.picturePath(picture);
    switch (listing.layout) {
    case Layout::Set: return path + QStringLiteral("in/set-") + listing.key + QLatin1Char('/');
    case Layout::Pool:
    case Layout::Featured: return path + QStringLiteral("in/pool-") + listing.key + QLatin1Char('/');
    case Layout::Photostream: return path + QStringLiteral("in/photostream/");
    default: return path;
    }
}

// The program makes site-relative picture links absolute this way.
QString normalizePhotoUrl(const RenderContext &ctx, const QString &url)
{
    if (url.contains(QStringLiteral("://")))
        return url;
    QString out = ctx.root() + QLatin1Char('/') + url;
    while (out.contains(QStringLiteral("//")))
        out.replace(QStringLiteral("//"), QStringLiteral("/"));
    return out.replace(QStringLiteral(":/"), QStringLiteral("://"));
}

QString spaceballUrl(const RenderContext &ctx) { return ctx.root() + QStringLiteral("/images/spaceball.gif"); }

QString dims(const PictureSize &s, const char *which)
{
    return QString::number(which[0] == 'w' ? s.width : s.height);
}

QString thumbImg(const RenderContext &ctx, const Picture &p, char letter, bool legacy = false)
{
    const PictureSize &s = *p.size(letter);
    return startTag(u"img", {{QStringLiteral("src"), ctx.fileUrl(p, s)},
                             {QStringLiteral("width"), dims(s, "w")},
                             {QStringLiteral("height"), dims(s, "h")},
                             {QStringLiteral("alt"), p.title}},
                    legacy);
}

QString ownerLink(const RenderContext &ctx, const Picture &p, bool legacy = false)
{
    const Owner &o = ctx.site.owners().at(p.owner);
    return startTag(u"a", {{QStringLiteral("href"), QStringLiteral("/photos/") + o.path + QLatin1Char('/')}},
                    legacy)
           + escapeText(o.name) + endTag(u"a", legacy);
}

QString setItem(const RenderContext &ctx, const Listing &l, const Picture &p)
{
    return startTag(u"a", {{QStringLiteral("href"), itemHref(ctx, l, p)},
                           {QStringLiteral("title"), p.title},
                           {QStringLiteral("class"), QStringLiteral("image_link")}})
           + startTag(u"img", {{QStringLiteral("src"), ctx.thumbUrl(p, 's')},
                               {QStringLiteral("width"), QStringLiteral("75")},
                               {QStringLiteral("height"), QStringLiteral("75")},
                               {QStringLiteral("alt"), p.title},
                               {QStringLiteral("class"), QStringLiteral("thumb")}})
           + QStringLiteral("</a>\n");
}

QString container(const QString &href, const QString &title, const QString &src, const QString &deferSrc,
                  const PictureSize &s)
{
    return QStringLiteral("<span class=\"photo_container pc_m\">")
           + startTag(u"a", {{QStringLiteral("href"), href},
                             {QStringLiteral("title"), title},
                             {QStringLiteral("class"), QStringLiteral("rapidnofollow")}})
           + startTag(u"img", {{QStringLiteral("src"), src},
                               {QStringLiteral("data-defer-src"), deferSrc},
                               {QStringLiteral("width"), dims(s, "w")},
                               {QStringLiteral("height"), dims(s, "h")},
                               {QStringLiteral("alt"), title},
                               {QStringLiteral("class"), QStringLiteral("pc_img")}})
           + QStringLiteral("</a></span>\n");
}

// The photostream's list data names some medium files without their size letter.
QString streamRowUrl(const RenderContext &ctx, const Picture &p)
{
    if (p.ownIndex % 4 == 3)
        return ctx.root() + QLatin1Char('/') + p.server + QLatin1Char('/') + p.id + QLatin1Char('_') + p.secret
               + QStringLiteral(".jpg");
    return ctx.thumbUrl(p, 'm');
}

// Containers of a photostream or favorites page; from kFirstDeferred on, the image waits
// behind the placeholder and its address is in data-defer-src.
QString containers(const RenderContext &ctx, const Listing &l, const QList<int> &pics)
{
    QString out;
    for (int i = 0; i < pics.size(); ++i) {
        const Picture &p = ctx.site.pictures().at(pics.at(i));
        const QString url = l.layout == Layout::Photostream ? streamRowUrl(ctx, p) : ctx.thumbUrl(p, 'm');
        out += container(itemHref(ctx, l, p), p.title, i < kFirstDeferred ? url : spaceballUrl(ctx), url,
                         *p.size('m'));
    }
    return out;
}

QString paragraphs(const RenderContext &ctx, const Listing &l, const QList<int> &pics)
{
    QString out;
    for (int i = 0; i < pics.size(); ++i) {
        const Picture &p = ctx.site.pictures().at(pics.at(i));
        const Attr href{QStringLiteral("href"), itemHref(ctx, l, p)};
        const Attr title{QStringLiteral("title"), p.title};
        if (l.layout == Layout::Tag) {
            // Some links carry the click-tracking attribute in front of their href.
            const QString a = i % 2 == 1
                                  ? startTag(u"a", {{QStringLiteral("data-track"), QStringLiteral("photo-click")},
                                                    href, title})
                                  : startTag(u"a", {href, title});
            out += QStringLiteral("<p class=\"Photo\">") + a + thumbImg(ctx, p, 't')
                   + QStringLiteral("</a><br>by ") + ownerLink(ctx, p) + QStringLiteral("</p>\n");
        } else {
            out += QStringLiteral("<p id=\"pool_") + p.id + QStringLiteral("\" class=\"PoolList\">")
                   + startTag(u"a", {href, title}) + thumbImg(ctx, p, 't')
                   + QStringLiteral("</a><br><span class=\"pool_by\">from ") + ownerLink(ctx, p)
                   + QStringLiteral("</span></p>\n");
        }
    }
    return out;
}

QString setPage(const RenderContext &ctx, const Listing &l, int pageNo, bool afterScripts)
{
    const Owner &o = ctx.site.owners().at(l.owner);
    const QList<int> pics = ctx.site.picturesOnPage(l, pageNo);
    QString items, data;
    for (int i : pics) {
        const Picture &p = ctx.site.pictures().at(i);
        items += setItem(ctx, l, p);
        data += QString(data.isEmpty() ? QString() : QStringLiteral(",\n")) + QStringLiteral("{\"u\":")
                + jsString(itemHref(ctx, l, p)) + QStringLiteral(",\"t\":") + jsString(p.title)
                + QStringLiteral(",\"s\":") + jsString(ctx.thumbUrl(p, 's')) + QLatin1Char('}');
    }
    const QString body =
        QStringLiteral("<div id=\"setCrumbs\"><a href=\"/photos/") + o.path + QStringLiteral("/\">")
        + escapeText(o.name) + QStringLiteral("</a> / <a href=\"/photos/") + o.path
        + QStringLiteral("/sets/\">Sets</a></div>\n<h1 class=\"set-title\">") + escapeText(l.title)
        + QStringLiteral("</h1>\n<div id=\"setThumbs\" class=\"thumbs\">\n") + (afterScripts ? items : QString())
        + QStringLiteral("</div>\n<div id=\"vsPagination\">\n") + paginatorMarkup(ctx, l, pageNo)
        + QStringLiteral("</div>\n<script>\nvar setPhotos = [") + data + QStringLiteral("];\n</script>\n")
        + builderScript(kSetBuilderJs);
    return standardPage(l.title + QStringLiteral(" - a set on Photo Site"), QString(), body);
}

QString photostreamPage(const RenderContext &ctx, const Listing &l, int pageNo, bool afterScripts)
{
    const QList<int> pics = ctx.site.picturesOnPage(l, pageNo);
    QString rows;
    for (int i : pics) {
        const Picture &p = ctx.site.pictures().at(i);
        const PictureSize &m = *p.size('m');
        rows += QString(rows.isEmpty() ? QString() : QStringLiteral(",")) + QStringLiteral("{\"name\":")
                + jsString(p.title) + QStringLiteral(",\"id\":") + jsString(p.id)
                + QStringLiteral(",\"photo_url\":") + jsString(itemHref(ctx, l, p)) + QStringLiteral(",\"url\":")
                + jsString(streamRowUrl(ctx, p)) + QStringLiteral(",\"width\":") + QString::number(m.width)
                + QStringLiteral(",\"height\":") + QString::number(m.height) + QLatin1Char('}');
    }
    const QString body =
        QStringLiteral("<h1 class=\"stream-title\">") + escapeText(l.title)
        + QStringLiteral("</h1>\n<div id=\"photostream\" class=\"photostream\">\n")
        + (afterScripts ? containers(ctx, l, pics) : QString()) + QStringLiteral("</div>\n")
        + paginatorMarkup(ctx, l, pageNo) + QStringLiteral("<script>\nvar Y = window.Y || {};\nY.spaceball = ")
        + jsString(spaceballUrl(ctx)) + QStringLiteral(";\nY.listData = {\"page\":") + QString::number(pageNo)
        + QStringLiteral(",\"perPage\":") + QString::number(ctx.site.options().perPage)
        + QStringLiteral(",\"total\":") + QString::number(l.pictures.size()) + QStringLiteral(",\"rows\":[")
        + rows + QStringLiteral("]};\n</script>\n") + builderScript(kStreamBuilderJs);
    return standardPage(l.title + QStringLiteral(" | Photo Site"), QString(), body);
}

QString staticPage(const RenderContext &ctx, const Listing &l, int pageNo)
{
    const QList<int> pics = ctx.site.picturesOnPage(l, pageNo);
    QString body = QStringLiteral("<h1>") + escapeText(l.title) + QStringLiteral("</h1>\n");
    switch (l.layout) {
    case Layout::Tag:
        body += QStringLiteral("<div id=\"Main\" class=\"tag-results\">\n") + paragraphs(ctx, l, pics)
                + QStringLiteral("</div>\n");
        break;
    case Layout::Pool:
        body += QStringLiteral("<div class=\"HoldPhotos\">\n") + paragraphs(ctx, l, pics)
                + QStringLiteral("</div>\n");
        break;
    case Layout::Featured: {
        const Picture &f = ctx.site.pictures().at(l.featured);
        body += QStringLiteral("<div id=\"featured\" class=\"featured\">\n")
                + container(itemHref(ctx, l, f), f.title, ctx.thumbUrl(f, 'm'), ctx.thumbUrl(f, 'm'),
                            *f.size('m'))
                + QStringLiteral("</div>\n<div id=\"pool-list\" class=\"pool-list\">\n") + paragraphs(ctx, l, pics)
                + QStringLiteral("</div>\n");
        break;
    }
    default:
        body += QStringLiteral("<div id=\"favorites\" class=\"photostream\">\n")
                + containers(ctx, l, pics) + QStringLiteral("</div>\n");
        break;
    }
    body += paginatorMarkup(ctx, l, pageNo);
    return standardPage(l.title + QStringLiteral(" | Photo Site"), QString(), body);
}

// Served without a doctype; in legacy form it is the text a browser in quirks mode gives back.
QString searchPage(const RenderContext &ctx, const Listing &l, int pageNo, bool legacy)
{
    const QList<int> pics = ctx.site.picturesOnPage(l, pageNo);
    auto tag = [legacy](const char *name, std::initializer_list<Attr> attrs) {
        return startTag(QString::fromLatin1(name), attrs, legacy);
    };
    auto end = [legacy](const char *name) { return endTag(QString::fromLatin1(name), legacy); };
    QString out = tag("html", {}) + QLatin1Char('\n') + tag("head", {}) + QLatin1Char('\n')
                  + tag("meta", {{QStringLiteral("http-equiv"), QStringLiteral("Content-Type")},
                                 {QStringLiteral("content"), QStringLiteral("text/html; charset=utf-8")}})
                  + QLatin1Char('\n') + tag("title", {}) + QStringLiteral("Photo Site: ") + escapeText(l.title)
                  + end("title") + QLatin1Char('\n') + end("head") + QLatin1Char('\n') + tag("body", {})
                  + QLatin1Char('\n')
                  + tag("form", {{QStringLiteral("action"), QStringLiteral("/search/")},
                                 {QStringLiteral("method"), QStringLiteral("get")}})
                  + tag("input", {{QStringLiteral("name"), QStringLiteral("q")},
                                  {QStringLiteral("value"), l.key}})
                  + tag("input", {{QStringLiteral("type"), QStringLiteral("hidden")},
                                  {QStringLiteral("name"), QStringLiteral("w")},
                                  {QStringLiteral("value"), QStringLiteral("all")}})
                  + end("form") + QLatin1Char('\n') + tag("h1", {}) + QStringLiteral("Search results for ")
                  + escapeText(l.key) + end("h1") + QLatin1Char('\n')
                  + tag("div", {{QStringLiteral("id"), QStringLiteral("ResultsThumbsDiv")},
                                {QStringLiteral("class"), QStringLiteral("ResultsThumbs")}})
                  + QLatin1Char('\n');
    for (int i = 0; i < pics.size(); ++i) {
        const Picture &p = ctx.site.pictures().at(pics.at(i));
        // The hover class is what the browser shows for the result under the mouse.
        const QString cls = isHover(i) ? QStringLiteral("ResultsThumbsChild ResultsThumbsChild_hover")
                                       : QStringLiteral("ResultsThumbsChild");
        out += tag("div", {{QStringLiteral("class"), cls}})
               + tag("a", {{QStringLiteral("href"), itemHref(ctx, l, p)}}) + thumbImg(ctx, p, 't', legacy)
               + end("a") + tag("br", {}) + ownerLink(ctx, p, legacy) + end("div") + QLatin1Char('\n');
    }
    out += end("div") + QLatin1Char('\n') + paginatorMarkup(ctx, l, pageNo, legacy) + end("body")
           + QLatin1Char('\n') + end("html") + QLatin1Char('\n');
    return out;
}

} // namespace

bool isScriptBuilt(Layout layout) { return layout == Layout::Set || layout == Layout::Photostream; }

bool isQuirks(Layout layout) { return layout == Layout::Search; }

QString listingPage(const RenderContext &ctx, const Listing &listing, int pageNo, bool afterScripts)
{
    switch (listing.layout) {
    case Layout::Set: return setPage(ctx, listing, pageNo, afterScripts);
    case Layout::Photostream: return photostreamPage(ctx, listing, pageNo, afterScripts);
    case Layout::Search: return searchPage(ctx, listing, pageNo, afterScripts);
    default: return staticPage(ctx, listing, pageNo);
    }
}

int expectedPageMode(const Site &site, const Listing &listing, int pageNo)
{
    const qsizetype count = site.picturesOnPage(listing, pageNo).size();
    switch (listing.layout) {
    case Layout::Set: return 1;
    case Layout::Tag: return count > 0 ? 2 : -1;
    case Layout::Pool: return 3;
    case Layout::Featured: return 4;
    case Layout::Photostream:
    case Layout::Favorites: return count >= 2 ? 5 : count == 1 ? 4 : -1;
    case Layout::Search: return 8;
    }
    return -1;
}

QList<ExpectedEntry> expectedEntries(const RenderContext &ctx, const Listing &listing, int pageNo)
{
    QList<ExpectedEntry> entries;
    // A single container is read as a pool page, where no pool paragraph follows it.
    if (expectedPageMode(ctx.site, listing, pageNo) == 4 && listing.layout != Layout::Featured)
        return entries;
    const QList<int> pics = ctx.site.picturesOnPage(listing, pageNo);
    for (int i = 0; i < pics.size(); ++i) {
        const Picture &p = ctx.site.pictures().at(pics.at(i));
        ExpectedEntry e;
        e.PhotoTargetUrl = normalizePhotoUrl(ctx, itemHref(ctx, listing, p));
        e.PhotoTitle = p.title;
        e.pictureId = p.id;
        switch (listing.layout) {
        case Layout::Set: e.PhotoThumbUrl = ctx.thumbUrl(p, 's'); break;
        case Layout::Favorites:
            e.PhotoThumbUrl = ctx.thumbUrl(p, i < kFirstDeferred ? 'm' : 't');
            break;
        case Layout::Search:
            if (isHover(i))
                continue;
            e.PhotoThumbUrl = ctx.thumbUrl(p, 't');
            break;
        default: e.PhotoThumbUrl = ctx.thumbUrl(p, 't'); break;
        }
        entries << e;
    }
    return entries;
}

QString homePage(const RenderContext &ctx)
{
    const Site &site = ctx.site;
    auto li = [](const QString &href, const QString &text) {
        return QStringLiteral("<li><a href=\"") + escapeAttribute(href) + QStringLiteral("\">") + escapeText(text)
               + QStringLiteral("</a></li>\n");
    };
    QString body = QStringLiteral("<h1>Photo Site</h1>\n<h2>People</h2>\n<ul class=\"people\">\n");
    for (int k = 0; k < site.owners().size(); ++k) {
        const Owner &o = site.owners().at(k);
        body += li(QStringLiteral("/photos/") + o.path + QLatin1Char('/'), o.name + QStringLiteral(": photostream"));
        body += li(QStringLiteral("/photos/") + o.path + QStringLiteral("/favorites/"),
                   o.name + QStringLiteral(": favorites"));
        body += li(QStringLiteral("/photos/") + o.path + QStringLiteral("/sets/"), o.name + QStringLiteral(": sets"));
    }
    body += QStringLiteral("</ul>\n<h2>Groups</h2>\n<ul class=\"groups\">\n");
    for (const Listing &l : site.listings())
        if (l.layout == Layout::Pool || l.layout == Layout::Featured)
            body += li(l.basePath, l.title);
    body += QStringLiteral("</ul>\n<h2>Tags</h2>\n<ul class=\"tags\">\n");
    for (const Listing &l : site.listings())
        if (l.layout == Layout::Tag)
            body += li(l.basePath, l.key);
    body += QStringLiteral("</ul>\n<h2>Searches</h2>\n<ul class=\"searches\">\n");
    for (const Listing &l : site.listings())
        if (l.layout == Layout::Search)
            body += li(l.basePath, l.key);
    body += QStringLiteral("</ul>\n");
    if (const Listing *sample = site.sampleSet())
        body += QStringLiteral("<p class=\"sample\">Sample set: <a href=\"") + sample->basePath
                + QStringLiteral("\">") + escapeText(sample->title) + QStringLiteral("</a></p>\n");
    return standardPage(QStringLiteral("Photo Site"), QString(), body);
}

QString ownerSetsPage(const RenderContext &ctx, int owner)
{
    const Owner &o = ctx.site.owners().at(owner);
    QString body = QStringLiteral("<h1>Sets of ") + escapeText(o.name) + QStringLiteral("</h1>\n<ul class=\"sets\">\n");
    for (const Listing &l : ctx.site.listings())
        if (l.layout == Layout::Set && l.owner == owner)
            body += QStringLiteral("<li><a href=\"") + l.basePath + QStringLiteral("\">") + escapeText(l.title)
                    + QStringLiteral("</a> (") + QString::number(l.pictures.size()) + QStringLiteral(" photos)</li>\n");
    body += QStringLiteral("</ul>\n");
    return standardPage(QStringLiteral("Sets | Photo Site"), QString(), body);
}

} // namespace orvix::photosite
