#include "site_routes.h"

#include "listing_pages.h"
#include "picture_pages.h"

#include <QRegularExpression>
#include <QUrl>

namespace orvix::photosite {

SiteResponse htmlResponse(const QString &html, int status)
{
    SiteResponse r;
    r.status = status;
    r.contentType = "text/html; charset=utf-8";
    r.body = html.toUtf8();
    return r;
}

SiteResponse notFound()
{
    return htmlResponse(standardPage(QStringLiteral("Page not found | Photo Site"), QString(),
                                     QStringLiteral("<h1>Page not found</h1>\n<p>There is nothing at this "
                                                    "address.</p>\n")),
                        404);
}

QMap<QString, QString> parseCookies(const QString &header)
{
    QMap<QString, QString> cookies;
    for (const QString &part : header.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq > 0)
            cookies.insert(part.left(eq).trimmed(), part.mid(eq + 1).trimmed());
    }
    return cookies;
}

QMap<QString, QString> parseForm(const QString &encoded)
{
    QMap<QString, QString> fields;
    for (const QString &part : encoded.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        const QString name = eq < 0 ? part : part.left(eq);
        QString value = eq < 0 ? QString() : part.mid(eq + 1);
        value.replace(QLatin1Char('+'), QLatin1Char(' '));
        fields.insert(QUrl::fromPercentEncoding(name.toUtf8()), QUrl::fromPercentEncoding(value.toUtf8()));
    }
    return fields;
}

namespace {

SiteResponse redirect(const QString &location, QList<QPair<QByteArray, QByteArray>> headers = {})
{
    SiteResponse r = htmlResponse(QStringLiteral("<html><body><a href=\"") + escapeAttribute(location)
                                      + QStringLiteral("\">moved</a></body></html>\n"),
                                  302);
    r.headers = std::move(headers);
    r.headers.append({"Location", location.toUtf8()});
    return r;
}

// Page N of a listing whose addresses carry "page=N" in the query; 1 without it, 0 when bad.
int queryPageNo(const QString &query)
{
    static const QRegularExpression re(QStringLiteral("(?:^|[&;])page=([^&;]*)"));
    const QRegularExpressionMatch m = re.match(query);
    if (!m.hasMatch())
        return 1;
    bool ok = false;
    const int n = m.captured(1).toInt(&ok);
    return ok && n >= 1 ? n : 0;
}

QRegularExpression anchored(const char *pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromLatin1(pattern)));
}

} // namespace

SiteResponse SiteRoutes::handle(const SiteRequest &request, bool afterScripts) const
{
    QString path = request.path;
    const bool isFile = path.contains(QLatin1Char('.'));
    if (!isFile && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    const bool post = request.method == QStringLiteral("POST");
    if (post && !path.endsWith(QStringLiteral("/confirm/")) && path != QStringLiteral("/signin/"))
        return htmlResponse(QStringLiteral("<h1>Method not allowed</h1>\n"), 405);

    if (path == QStringLiteral("/"))
        return htmlResponse(homePage(m_ctx));
    if (path == QStringLiteral("/signin/") || path == QStringLiteral("/signout/"))
        return signIn(path == QStringLiteral("/signin/"));
    if (path == QStringLiteral("/images/spaceball.gif")) {
        SiteResponse r;
        r.contentType = "image/gif";
        r.body = spaceballGif();
        return r;
    }
    if (path == QStringLiteral("/photo_zoom.gne")) {
        const Picture *p = m_ctx.site.pictureById(parseForm(request.query).value(QStringLiteral("id")));
        return p ? redirect(m_ctx.site.sizesPath(*p, p->largest().letter)) : notFound();
    }
    if (path == QStringLiteral("/search/"))
        return search(request, afterScripts);
    if (path == QStringLiteral("/search/page2/")) {
        // Follow the site's own odd link to page 2 the way its search form would.
        const int at = request.referer.indexOf(QStringLiteral("/search/?"));
        if (at < 0)
            return notFound();
        QString back = request.referer.mid(at);
        const int page = back.indexOf(QStringLiteral("&page="));
        if (page >= 0)
            back.truncate(page);
        return redirect(back + QStringLiteral("&page=2"));
    }
    if (isFile)
        return file(path);
    if (path.startsWith(QStringLiteral("/photos/")))
        return photos(request, path, afterScripts);

    static const QRegularExpression group = anchored("/groups/([^/]+)/(pool/(featured/)?)?");
    const QRegularExpressionMatch g = group.match(path);
    if (g.hasMatch()) {
        if (g.captured(2).isEmpty())
            return m_ctx.site.findListing(Layout::Pool, g.captured(1))
                       ? redirect(path + QStringLiteral("pool/"))
                       : notFound();
        const Layout layout = g.captured(3).isEmpty() ? Layout::Pool : Layout::Featured;
        const Listing *l = m_ctx.site.findListing(layout, g.captured(1));
        return l ? listing(*l, queryPageNo(request.query), afterScripts) : notFound();
    }
    return notFound();
}

SiteResponse SiteRoutes::photos(const SiteRequest &request, const QString &path, bool afterScripts) const
{
    const Site &site = m_ctx.site;
    static const QRegularExpression tag = anchored("/photos/tags/([^/]+)/");
    static const QRegularExpression owner = anchored("/photos/([^/]+)/(.*)");
    static const QRegularExpression streamPage = anchored("page(\\d+)/");
    static const QRegularExpression set = anchored("sets/(\\d+)/(?:page(\\d+)/)?");
    static const QRegularExpression pic = anchored("(\\d+)/(.*)");

    const QRegularExpressionMatch t = tag.match(path);
    if (t.hasMatch()) {
        const Listing *l = site.findListing(Layout::Tag, t.captured(1));
        return l ? listing(*l, queryPageNo(request.query), afterScripts) : notFound();
    }
    const QRegularExpressionMatch o = owner.match(path);
    const int k = o.hasMatch() ? site.ownerByPath(o.captured(1)) : -1;
    if (k < 0)
        return notFound();
    const QString rest = o.captured(2);
    if (rest.isEmpty())
        return listing(*site.findListing(Layout::Photostream, o.captured(1)), 1, afterScripts);
    if (const QRegularExpressionMatch m = streamPage.match(rest); m.hasMatch())
        return listing(*site.findListing(Layout::Photostream, o.captured(1)), m.captured(1).toInt(), afterScripts);
    if (rest == QStringLiteral("favorites/"))
        return listing(*site.findListing(Layout::Favorites, o.captured(1)), queryPageNo(request.query),
                       afterScripts);
    if (rest == QStringLiteral("sets/"))
        return htmlResponse(ownerSetsPage(m_ctx, k));
    if (const QRegularExpressionMatch m = set.match(rest); m.hasMatch()) {
        const Listing *l = site.findListing(Layout::Set, m.captured(1));
        if (!l || l->owner != k)
            return notFound();
        return listing(*l, m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(), afterScripts);
    }
    if (const QRegularExpressionMatch m = pic.match(rest); m.hasMatch()) {
        const Picture *p = site.pictureById(m.captured(1));
        if (!p || p->owner != k)
            return notFound();
        return picture(request, *p, m.captured(2));
    }
    return notFound();
}

SiteResponse SiteRoutes::picture(const SiteRequest &request, const Picture &p, const QString &rest) const
{
    const QString cookie = QStringLiteral("ok_") + p.id;
    if (rest == QStringLiteral("confirm/")) {
        QString back = request.form.value(QStringLiteral("return"));
        if (back.isEmpty())
            back = parseForm(request.query).value(QStringLiteral("return"));
        if (!back.startsWith(QStringLiteral("/photos/")))
            back = m_ctx.site.picturePath(p);
        return redirect(back, {{"Set-Cookie", cookie.toUtf8() + "=1; Path=/"}});
    }
    static const QRegularExpression sizes = anchored("sizes/(?:([a-z])/)?");
    const QRegularExpressionMatch s = sizes.match(rest);
    const bool isPicturePage = rest.isEmpty() || rest.startsWith(QStringLiteral("in/"));
    if (!s.hasMatch() && !isPicturePage)
        return notFound();
    if (p.isPrivate && request.cookies.value(cookie) != QStringLiteral("1")) {
        QString here = request.path;
        if (!request.query.isEmpty())
            here += QLatin1Char('?') + request.query;
        return htmlResponse(confirmationPage(m_ctx, p, here));
    }
    if (isPicturePage)
        return htmlResponse(picturePage(m_ctx, p));
    int shown = p.sizesPageShows;
    if (!s.captured(1).isEmpty()) {
        shown = -1;
        for (int i = 0; i < p.sizes.size(); ++i)
            if (QLatin1Char(p.sizes.at(i).letter) == s.captured(1).at(0))
                shown = i;
        if (shown < 0)
            return notFound();
    }
    return htmlResponse(sizesPage(m_ctx, p, shown));
}

SiteResponse SiteRoutes::file(const QString &path) const
{
    static const QRegularExpression re = anchored("/(\\d+)/(\\d+)_([0-9a-f]+)(?:_([a-z]))?\\.(jpg|png)");
    const QRegularExpressionMatch m = re.match(path);
    const Picture *p = m.hasMatch() ? m_ctx.site.pictureById(m.captured(2)) : nullptr;
    if (!p || p->server != m.captured(1) || p->secret != m.captured(3))
        return notFound();
    // A file named without its size letter is the medium size.
    const char letter = m.captured(4).isEmpty() ? 'm' : m.captured(4).at(0).toLatin1();
    const PictureSize *size = p->size(letter);
    if (!size || size->png != (m.captured(5) == QStringLiteral("png")))
        return notFound();
    SiteResponse r;
    r.contentType = size->png ? "image/png" : "image/jpeg";
    r.body = m_files.bytes(*p, *size);
    return r;
}

SiteResponse SiteRoutes::search(const SiteRequest &request, bool afterScripts) const
{
    QString query = request.query;
    // The page number is part of the listing's address, not of the search.
    query.remove(QRegularExpression(QStringLiteral("&page=[^&]*")));
    const QString term = parseForm(query).value(QStringLiteral("q")).trimmed();
    const Listing l = m_ctx.site.searchListing(term);
    return listing(l, queryPageNo(request.query), afterScripts);
}

SiteResponse SiteRoutes::signIn(bool in) const
{
    const QByteArray cookie = in ? "session=s" + QByteArray::number(mix64(m_ctx.site.options().seed, ++m_sessions), 16)
                                       + "; Path=/; HttpOnly"
                                 : QByteArray("session=; Path=/; Max-Age=0");
    SiteResponse r = htmlResponse(standardPage(
        in ? QStringLiteral("Signed in | Photo Site") : QStringLiteral("Signed out | Photo Site"), QString(),
        in ? QStringLiteral("<h1>You are signed in</h1>\n<p><a href=\"/\">Go to the home page</a></p>\n")
           : QStringLiteral("<h1>You are signed out</h1>\n")));
    r.headers.append({"Set-Cookie", cookie});
    return r;
}

SiteResponse SiteRoutes::listing(const Listing &l, int pageNo, bool afterScripts) const
{
    if (pageNo < 1)
        return notFound();
    // Pages past the end exist and show no pictures, as on the real site.
    return htmlResponse(listingPage(m_ctx, l, pageNo, afterScripts));
}

} // namespace orvix::photosite
