#pragma once

// The generated content of the simulated photo site: owners, pictures with their sizes, and the
// listings (sets, tags, group pools, photostreams, favorites, searches). Everything is derived
// from the seed, so two sites built with the same options are identical.

#include <QList>
#include <QString>
#include <QStringList>

namespace orvix::photosite {

struct SiteOptions
{
    quint64 seed = 1;
    int owners = 3;
    int photosPerOwner = 30;
    int perPage = 10;
    qint64 largestFileBytes = 400 * 1024; // approximate size of each picture's largest file
};

struct PictureSize
{
    char letter = 'm'; // s, t, m, l, o
    int width = 0;
    int height = 0;
    bool png = false;       // the largest size of some pictures is a PNG
    int noisyRows = 0; // rows carrying fine noise: how the largest file gets its wanted byte size
    bool listed = true; // shown on the sizes page (the file exists either way)
};

struct Picture
{
    int index = 0;    // position in Site::pictures
    int owner = 0;    // index into Site::owners
    int ownIndex = 0; // position in the owner's photostream, 0 = newest
    QString id;       // decimal
    QString secret;   // lower-case hex
    QString server;   // image server folder
    QString title;
    bool isPrivate = false;
    int variant = 0;          // which picture-page markers the page carries (0..2)
    int sizesPageShows = 0;   // index into sizes of the size the plain sizes page shows
    bool absoluteSizeLinks = false;
    QList<PictureSize> sizes; // smallest first
    QStringList tags;
    quint64 patternSeed = 0;

    const PictureSize &largest() const { return sizes.last(); }
    const PictureSize *size(char letter) const;
    // The size a download takes for size code 0 (current), 1 (large) or 2 (original): the
    // largest listed size whose longer side is at most 500, 1024 or any pixels; the smallest
    // listed when none fits.
    const PictureSize &chosenSize(int sizeCode) const;
};

struct Owner
{
    QString path; // as in /photos/PATH/
    QString name;
    QList<int> pictures; // newest first
};

enum class Layout { Set, Tag, Pool, Featured, Photostream, Favorites, Search };

// How a listing writes the number of page N in its addresses.
enum class PageStyle { Slash, Query, Amp, Semicolon }; // /pageN/  ?page=N  &page=N  ;page=N

struct Listing
{
    Layout layout = Layout::Set;
    QString key;      // set id, tag, group name, owner path or search term
    QString title;
    QString basePath; // address of page 1 (path and query, unescaped)
    int owner = -1;
    int featured = -1; // picture shown in the single photo container of a featured pool
    QList<int> pictures;
};

QString layoutName(Layout layout);
PageStyle pageStyle(Layout layout);

class Site
{
public:
    explicit Site(const SiteOptions &options);

    const SiteOptions &options() const { return m_options; }
    const QList<Owner> &owners() const { return m_owners; }
    const QList<Picture> &pictures() const { return m_pictures; }
    const QList<Listing> &listings() const { return m_listings; }
    const QStringList &sampleSearches() const { return m_sampleSearches; }
    const QStringList &tags() const { return m_tags; }
    const QStringList &groups() const { return m_groups; }

    const Picture *pictureById(QStringView id) const;
    int ownerByPath(QStringView path) const; // -1 when unknown
    const Listing *findListing(Layout layout, QStringView key) const;
    Listing searchListing(const QString &term) const; // any query, built on demand
    // The set of exactly three pages (when the owner has enough pictures), for demos and tests.
    const Listing *sampleSet() const;

    int pageCount(const Listing &listing) const;
    QList<int> picturesOnPage(const Listing &listing, int pageNo) const;
    // Address of page pageNo (1-based) as path and query, unescaped; page 1 is the bare address.
    QString pageAddress(const Listing &listing, int pageNo, bool explicitFirst = false) const;

    // Page addresses of a picture (path only).
    QString picturePath(const Picture &picture) const;
    QString sizesPath(const Picture &picture, char letter = 0) const;
    QString fileName(const Picture &picture, const PictureSize &size) const;
    QString filePath(const Picture &picture, const PictureSize &size) const;

private:
    void makeOwners();
    void makePictures();
    void makeListings();
    QString makeTitle(int index, quint64 h) const;
    QList<PictureSize> makeSizes(int index) const;

    SiteOptions m_options;
    QList<Owner> m_owners;
    QList<Picture> m_pictures;
    QList<Listing> m_listings;
    QStringList m_sampleSearches;
    QStringList m_tags;
    QStringList m_groups;
};

// Deterministic 64-bit mixing (splitmix64) for every generated value.
quint64 mix64(quint64 x);
quint64 mix64(quint64 a, quint64 b);

} // namespace orvix::photosite
