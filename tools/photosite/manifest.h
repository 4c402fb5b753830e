#pragma once

// Ground truth about the generated site: every picture with its files, and every listing page
// with what the program must find on it (page kind, entries, page numbering).

#include "listing_pages.h"
#include "paginator.h"
#include "picture_files.h"

#include <QByteArray>

namespace orvix::photosite {

struct ManifestSize
{
    QString letter;
    int width = 0;
    int height = 0;
    QString fileUrl;
    QString pageUrl; // its sizes page
};

struct ManifestPicture
{
    QString id;
    QString secret;
    QString idX;       // id + "_" + secret
    QString title;     // as the site shows it
    QString imageName; // as the program reads it from the picture page
    QString owner;
    QString ownerName;
    bool isPrivate = false;
    QString pageUrl;
    QStringList pageUrls; // every address that shows the picture page
    QString sizesPageUrl;
    QList<ManifestSize> sizes; // as the sizes page lists them, smallest first
    QString thumbUrl;
    QString largestFileUrl; // lower case, as read from the largest sizes page
    qint64 largestBytes = 0;
    QString largestSha256; // hex
    QString largestFormat; // "jpeg" or "png"
    // The file each size code (0 current, 1 large, 2 original) downloads, lower case.
    QStringList chosenFileUrls;
};

struct ManifestListingPage
{
    QString url; // the page's address, as the program's address box shows it
    QString path;
    QString renderedPath; // this site's view of the page as a browser holds it
    QString layout;
    QString listingKey;
    QString listingTitle;
    int pageMode = -1;
    int pageNo = 1;
    int pageCount = 1;
    bool scriptBuilt = false; // thumbnails appear only once the page's script ran
    bool quirks = false;      // served without a doctype
    QList<ExpectedEntry> entries;
    bool hasPaging = false; // false: one page, no paginator
    Paging paging;
};

struct Manifest
{
    QString host;
    QString baseUrl;
    quint64 seed = 0;
    int perPage = 0;
    QString sampleSetUrl; // a set of exactly three pages
    QList<ManifestPicture> pictures;
    QList<ManifestListingPage> listingPages;

    const ManifestPicture *picture(const QString &id) const;
    QList<const ManifestListingPage *> pagesOf(const QString &layout) const;
};

Manifest buildManifest(const RenderContext &ctx, PictureFiles &files);
QByteArray manifestJson(const Manifest &manifest);

} // namespace orvix::photosite
