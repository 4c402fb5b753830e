#include "manifest.h"

#include "picture_pages.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvix::photosite {

const ManifestPicture *Manifest::picture(const QString &id) const
{
    for (const ManifestPicture &p : pictures)
        if (p.id == id)
            return &p;
    return nullptr;
}

QList<const ManifestListingPage *> Manifest::pagesOf(const QString &layout) const
{
    QList<const ManifestListingPage *> out;
    for (const ManifestListingPage &p : listingPages)
        if (p.layout == layout)
            out << &p;
    return out;
}

namespace {

ManifestPicture pictureTruth(const RenderContext &ctx, PictureFiles &files, const Picture &p)
{
    const Site &site = ctx.site;
    ManifestPicture m;
    m.id = p.id;
    m.secret = p.secret;
    m.idX = p.id + QLatin1Char('_') + p.secret;
    m.title = p.title;
    m.imageName = expectedImageName(p.title);
    m.owner = site.owners().at(p.owner).path;
    m.ownerName = site.owners().at(p.owner).name;
    m.isPrivate = p.isPrivate;
    m.pageUrl = ctx.root() + site.picturePath(p);
    m.pageUrls << m.pageUrl << m.pageUrl + QStringLiteral("in/photostream/");
    for (const Listing &l : site.listings())
        if (l.layout == Layout::Set && l.pictures.contains(p.index))
            m.pageUrls << m.pageUrl + QStringLiteral("in/set-") + l.key + QLatin1Char('/');
    m.sizesPageUrl = ctx.root() + site.sizesPath(p);
    for (const PictureSize &s : p.sizes)
        if (s.listed)
            m.sizes << ManifestSize{QString(QLatin1Char(s.letter)), s.width, s.height, ctx.fileUrl(p, s),
                                ctx.root() + site.sizesPath(p, s.letter)};
    m.thumbUrl = ctx.thumbUrl(p, 't');
    m.largestFileUrl = ctx.fileUrl(p, p.largest()).toLower();
    const QByteArray bytes = files.bytes(p, p.largest());
    m.largestBytes = bytes.size();
    m.largestSha256 = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    m.largestFormat = p.largest().png ? QStringLiteral("png") : QStringLiteral("jpeg");
    for (int code = 0; code <= 2; ++code)
        m.chosenFileUrls << ctx.fileUrl(p, p.chosenSize(code)).toLower();
    return m;
}

QJsonObject toJson(const ManifestPicture &p)
{
    QJsonObject o;
    o[QStringLiteral("id")] = p.id;
    o[QStringLiteral("secret")] = p.secret;
    o[QStringLiteral("idX")] = p.idX;
    o[QStringLiteral("title")] = p.title;
    o[QStringLiteral("imageName")] = p.imageName;
    o[QStringLiteral("owner")] = p.owner;
    o[QStringLiteral("ownerName")] = p.ownerName;
    o[QStringLiteral("private")] = p.isPrivate;
    o[QStringLiteral("pageUrl")] = p.pageUrl;
    o[QStringLiteral("pageUrls")] = QJsonArray::fromStringList(p.pageUrls);
    o[QStringLiteral("sizesPageUrl")] = p.sizesPageUrl;
    QJsonArray sizes;
    for (const ManifestSize &s : p.sizes)
        sizes.append(QJsonObject{{QStringLiteral("letter"), s.letter},
                                 {QStringLiteral("width"), s.width},
                                 {QStringLiteral("height"), s.height},
                                 {QStringLiteral("fileUrl"), s.fileUrl},
                                 {QStringLiteral("pageUrl"), s.pageUrl}});
    o[QStringLiteral("sizes")] = sizes;
    o[QStringLiteral("thumbUrl")] = p.thumbUrl;
    o[QStringLiteral("largestFileUrl")] = p.largestFileUrl;
    o[QStringLiteral("largestBytes")] = p.largestBytes;
    o[QStringLiteral("largestSha256")] = p.largestSha256;
    o[QStringLiteral("largestFormat")] = p.largestFormat;
    o[QStringLiteral("chosenFileUrls")] = QJsonArray::fromStringList(p.chosenFileUrls);
    return o;
}

QJsonObject toJson(const ManifestListingPage &p)
{
    QJsonObject o;
    o[QStringLiteral("url")] = p.url;
    o[QStringLiteral("path")] = p.path;
    o[QStringLiteral("renderedPath")] = p.renderedPath;
    o[QStringLiteral("layout")] = p.layout;
    o[QStringLiteral("listingKey")] = p.listingKey;
    o[QStringLiteral("listingTitle")] = p.listingTitle;
    o[QStringLiteral("pageMode")] = p.pageMode;
    o[QStringLiteral("pageNo")] = p.pageNo;
    o[QStringLiteral("pageCount")] = p.pageCount;
    o[QStringLiteral("scriptBuilt")] = p.scriptBuilt;
    o[QStringLiteral("quirks")] = p.quirks;
    QJsonArray entries;
    for (const ExpectedEntry &e : p.entries)
        entries.append(QJsonObject{{QStringLiteral("PhotoTargetUrl"), e.PhotoTargetUrl},
                                   {QStringLiteral("PhotoThumbUrl"), e.PhotoThumbUrl},
                                   {QStringLiteral("PhotoTitle"), e.PhotoTitle},
                                   {QStringLiteral("pictureId"), e.pictureId}});
    o[QStringLiteral("entries")] = entries;
    if (p.hasPaging) {
        o[QStringLiteral("paging")] = QJsonObject{{QStringLiteral("PrevPageUrl"), p.paging.PrevPageUrl},
                                                  {QStringLiteral("NextPageUrl"), p.paging.NextPageUrl},
                                                  {QStringLiteral("FirstPageUrl"), p.paging.FirstPageUrl},
                                                  {QStringLiteral("LastPageUrl"), p.paging.LastPageUrl},
                                                  {QStringLiteral("CurrentPageNo"), p.paging.CurrentPageNo},
                                                  {QStringLiteral("LastPageNo"), p.paging.LastPageNo},
                                                  {QStringLiteral("PageUrlTemplate"), p.paging.PageUrlTemplate}};
    } else {
        o[QStringLiteral("paging")] = QJsonValue::Null;
    }
    return o;
}

} // namespace

Manifest buildManifest(const RenderContext &ctx, PictureFiles &files)
{
    const Site &site = ctx.site;
    files.prepareLargest(site.pictures());
    Manifest m;
    m.host = ctx.host;
    m.baseUrl = ctx.root();
    m.seed = site.options().seed;
    m.perPage = site.options().perPage;
    if (const Listing *sample = site.sampleSet())
        m.sampleSetUrl = ctx.root() + sample->basePath;
    for (const Picture &p : site.pictures())
        m.pictures << pictureTruth(ctx, files, p);
    for (const Listing &l : site.listings()) {
        const int count = site.pageCount(l);
        for (int n = 1; n <= count; ++n) {
            ManifestListingPage page;
            page.path = site.pageAddress(l, n);
            page.url = ctx.root() + page.path;
            page.renderedPath = QStringLiteral("/__rendered") + page.path;
            page.layout = layoutName(l.layout);
            page.listingKey = l.key;
            page.listingTitle = l.title;
            page.pageMode = expectedPageMode(site, l, n);
            page.pageNo = n;
            page.pageCount = count;
            page.scriptBuilt = isScriptBuilt(l.layout);
            page.quirks = isQuirks(l.layout);
            page.entries = expectedEntries(ctx, l, n);
            page.hasPaging = count > 1;
            if (page.hasPaging)
                page.paging = expectedPaging(ctx, l, n);
            m.listingPages << page;
        }
    }
    return m;
}

QByteArray manifestJson(const Manifest &manifest)
{
    QJsonObject o;
    o[QStringLiteral("host")] = manifest.host;
    o[QStringLiteral("baseUrl")] = manifest.baseUrl;
    o[QStringLiteral("seed")] = QString::number(manifest.seed);
    o[QStringLiteral("perPage")] = manifest.perPage;
    o[QStringLiteral("sampleSetUrl")] = manifest.sampleSetUrl;
    QJsonArray pictures;
    for (const ManifestPicture &p : manifest.pictures)
        pictures.append(toJson(p));
    o[QStringLiteral("pictures")] = pictures;
    QJsonArray pages;
    for (const ManifestListingPage &p : manifest.listingPages)
        pages.append(toJson(p));
    o[QStringLiteral("listingPages")] = pages;
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace orvix::photosite
