#include "site_model.h"

#include "picture_files.h"

#include <QRegularExpression>
#include <QUrl>
#include <climits>
#include <cmath>

namespace orvix::photosite {

quint64 mix64(quint64 x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

quint64 mix64(quint64 a, quint64 b) { return mix64(mix64(a) ^ (b * 0xD6E8FEB86659FD93ULL)); }

namespace {

const char *const kOwnerPaths[] = {"alma", "bruno", "celine", "dario", "elif", "farid", "greta", "hugo",
                                   "ines", "jonas", "kaito", "lena", "milo", "nora", "oskar", "rosa"};
const char *const kOwnerNames[] = {"Alma Berg", "Bruno Costa", "Céline Faure", "Dario Russo",
                                   "Elif Kaya", "Farid Haddad", "Greta Lind", "Hugo Meyer",
                                   "Inès Roux", "Jonas Vik", "Kaito Mori", "Lena Wolf",
                                   "Milo Novak", "Nora Sand", "Oskar Holm", "Rosa Prat"};
constexpr int kNamedOwners = int(sizeof(kOwnerPaths) / sizeof(kOwnerPaths[0]));

const char *const kAdjectives[] = {"Misty", "Golden", "Quiet", "Early", "Late", "Blue",
                                   "Old", "Bright", "Hidden", "Winter", "Narrow", "Empty"};
const char *const kNouns[] = {"harbour", "bridge", "market", "garden", "station", "orchard",
                              "lighthouse", "alley", "meadow", "rooftop", "pier", "chapel"};
// Titles that carry what the program must keep or strip: accented letters, apostrophes,
// semicolons and the "|" that also separates fields of the program's entry lines.
const char *const kAccented[] = {"Café on the corner", "Crème brûlée at noon", "Ærø harbour walk",
                                 "Ñandú crossing", "Fjällen at dusk", "Über den Dächern"};
const char *const kApostrophe[] = {"Tom's old bicycle", "Anna's window", "Søren's garden gate",
                                   "The baker's cart"};
const char *const kSemicolon[] = {"Rain; again", "Snow; then sun", "Fog; mostly"};
const char *const kBar[] = {"North shore | morning", "Old town | night walk"};

template <size_t N>
QString pick(const char *const (&list)[N], quint64 h)
{
    return QString::fromUtf8(list[h % N]);
}

const char *const kSetTitles[] = {"Harbour walks", "Evenings", "Small things", "On the road",
                                  "Family album", "Under the bridge"};
const char *const kTags[] = {"travel", "street", "nature", "night", "portrait", "winter"};
const char *const kGroups[] = {"streetlight", "quiet-waters", "northern-skies"};

PictureSize scaled(char letter, int longSide, int aspectW, int aspectH)
{
    PictureSize s;
    s.letter = letter;
    if (aspectW >= aspectH) {
        s.width = longSide;
        s.height = qMax(1, int(std::lround(double(longSide) * aspectH / aspectW)));
    } else {
        s.height = longSide;
        s.width = qMax(1, int(std::lround(double(longSide) * aspectW / aspectH)));
    }
    return s;
}

} // namespace

const PictureSize *Picture::size(char letter) const
{
    for (const PictureSize &s : sizes)
        if (s.letter == letter)
            return &s;
    return nullptr;
}

const PictureSize &Picture::chosenSize(int sizeCode) const
{
    const int limit = sizeCode == 2 ? INT_MAX : sizeCode == 1 ? 1024 : 500;
    const PictureSize *chosen = nullptr;
    const PictureSize *smallest = nullptr;
    for (const PictureSize &s : sizes) {
        if (!s.listed)
            continue;
        const int side = qMax(s.width, s.height);
        if (side <= limit && (!chosen || side >= qMax(chosen->width, chosen->height)))
            chosen = &s;
        if (!smallest || side < qMax(smallest->width, smallest->height))
            smallest = &s;
    }
    return chosen ? *chosen : *smallest;
}

QString layoutName(Layout layout)
{
    switch (layout) {
    case Layout::Set: return QStringLiteral("set");
    case Layout::Tag: return QStringLiteral("tag");
    case Layout::Pool: return QStringLiteral("pool");
    case Layout::Featured: return QStringLiteral("featured");
    case Layout::Photostream: return QStringLiteral("photostream");
    case Layout::Favorites: return QStringLiteral("favorites");
    case Layout::Search: return QStringLiteral("search");
    }
    return QString();
}

PageStyle pageStyle(Layout layout)
{
    switch (layout) {
    case Layout::Set:
    case Layout::Photostream: return PageStyle::Slash;
    case Layout::Pool:
    case Layout::Favorites: return PageStyle::Query;
    case Layout::Featured:
    case Layout::Search: return PageStyle::Amp;
    case Layout::Tag: return PageStyle::Semicolon;
    }
    return PageStyle::Slash;
}

Site::Site(const SiteOptions &options) : m_options(options)
{
    m_options.owners = qBound(1, m_options.owners, 100);
    m_options.photosPerOwner = qBound(1, m_options.photosPerOwner, 5000);
    m_options.perPage = qBound(1, m_options.perPage, 500);
    m_options.largestFileBytes = qBound<qint64>(1024, m_options.largestFileBytes, 64LL << 20);
    for (const char *t : kTags)
        m_tags << QString::fromLatin1(t);
    for (const char *g : kGroups)
        m_groups << QString::fromLatin1(g);
    makeOwners();
    makePictures();
    makeListings();
}

void Site::makeOwners()
{
    for (int k = 0; k < m_options.owners; ++k) {
        Owner o;
        const int named = k % kNamedOwners;
        const int round = k / kNamedOwners;
        o.path = QString::fromLatin1(kOwnerPaths[named]);
        o.name = QString::fromUtf8(kOwnerNames[named]);
        if (round > 0) {
            o.path += QString::number(round + 1);
            o.name += QLatin1Char(' ') + QString::number(round + 1);
        }
        m_owners << o;
    }
}

QString Site::makeTitle(int index, quint64 h) const
{
    QString title;
    switch (index % 8) {
    case 1: title = pick(kAccented, h); break;
    case 3: title = pick(kApostrophe, h); break;
    case 5: title = pick(kSemicolon, h); break;
    case 7: title = pick(kBar, h); break;
    default:
        title = pick(kAdjectives, h) + QLatin1Char(' ') + pick(kNouns, h >> 16);
        break;
    }
    if (index % 3 == 0)
        title += QStringLiteral(" by the lake");
    return title;
}

QList<PictureSize> Site::makeSizes(int index) const
{
    static const int aspects[3][2] = {{4, 3}, {3, 4}, {3, 2}};
    const int aw = aspects[index % 3][0];
    const int ah = aspects[index % 3][1];
    const int kind = index % 6; // 5: no original offered, 2: the original is a PNG
    const bool png = kind == 2;

    // The largest file's byte size follows the wanted size: by its dimensions, and when it
    // would be too small to stay the largest size, by how many of its rows carry noise.
    const qint64 pixels = noiseRichPixelCount(m_options.largestFileBytes, png);
    int largestLong = int(std::lround(std::sqrt(double(pixels) * qMax(aw, ah) / qMin(aw, ah))));
    largestLong = qMax(largestLong, 360);

    QList<PictureSize> sizes;
    PictureSize square;
    square.letter = 's';
    square.width = square.height = 75;
    sizes << square << scaled('t', 100, aw, ah) << scaled('m', 240, aw, ah);
    // Sizes that put each rule of choosing a size to work: kind 1 has sizes right at the limits
    // (500 and 1024 pixels), kind 4 lists only sizes above both limits.
    if (kind == 5) {
        sizes << scaled('l', largestLong, aw, ah);
    } else if (kind == 1) {
        sizes << scaled('z', 500, aw, ah) << scaled('l', 1024, aw, ah) << scaled('o', qMax(largestLong, 1600), aw, ah);
    } else if (kind == 4) {
        for (PictureSize &small : sizes)
            small.listed = false;
        sizes << scaled('l', 1280, aw, ah) << scaled('o', qMax(largestLong, 2048), aw, ah);
    } else {
        sizes << scaled('l', qBound(270, largestLong * 3 / 4, 1024), aw, ah);
        sizes << scaled('o', largestLong, aw, ah);
    }
    PictureSize &largest = sizes.last();
    largest.png = png;
    largest.noisyRows = int(qMin<qint64>(largest.height, (pixels + largest.width - 1) / largest.width));
    return sizes;
}

void Site::makePictures()
{
    const quint64 seed = m_options.seed;
    const int perPage = m_options.perPage;
    // Owner 0's first set is the sample set of three pages; it holds no private picture so a
    // demo download of it runs without a confirmation.
    const int sampleSetSize = 2 * perPage + (perPage + 1) / 2;
    const quint64 idBase = 40000000000ULL + (seed % 97) * 100000000ULL;
    for (int k = 0; k < m_owners.size(); ++k) {
        const int count = m_options.photosPerOwner + (k * 3) % 7;
        for (int j = 0; j < count; ++j) {
            Picture p;
            p.index = int(m_pictures.size());
            p.owner = k;
            p.ownIndex = j;
            const quint64 seq = quint64(k) * 10000 + quint64(count - j);
            const quint64 h = mix64(seed, seq);
            p.id = QString::number(idBase + seq * 1000 + h % 1000);
            p.secret = QString::number(mix64(h, 1) | (1ULL << 63), 16).right(10);
            p.server = QString::number(1000 + mix64(h, 2) % 9000);
            p.title = makeTitle(p.index, mix64(h, 3));
            p.isPrivate = j % 9 == 7 && !(k == 0 && j < sampleSetSize);
            p.variant = p.index % 3;
            p.sizes = makeSizes(p.index);
            p.sizesPageShows = p.index % 4 == 0 ? int(p.sizes.size()) - 1 : 2;
            if (!p.sizes.at(p.sizesPageShows).listed)
                p.sizesPageShows = int(p.sizes.size()) - 2;
            p.absoluteSizeLinks = p.index % 2 == 1;
            p.patternSeed = mix64(h, 4);
            p.tags << m_tags.at(p.index % m_tags.size());
            const QString second = m_tags.at((p.index / m_tags.size() + 2) % m_tags.size());
            if (second != p.tags.first())
                p.tags << second;
            m_owners[k].pictures << p.index;
            m_pictures << p;
        }
    }
}

void Site::makeListings()
{
    const quint64 seed = m_options.seed;
    const int perPage = m_options.perPage;
    int setCounter = 0;
    for (int k = 0; k < m_owners.size(); ++k) {
        const Owner &o = m_owners.at(k);
        const QString base = QStringLiteral("/photos/") + o.path + QLatin1Char('/');

        Listing stream;
        stream.layout = Layout::Photostream;
        stream.key = o.path;
        stream.title = o.name + QStringLiteral("'s photostream");
        stream.basePath = base;
        stream.owner = k;
        stream.pictures = o.pictures;
        m_listings << stream;

        Listing fav;
        fav.layout = Layout::Favorites;
        fav.key = o.path;
        fav.title = o.name + QStringLiteral("'s favorites");
        fav.basePath = base + QStringLiteral("favorites/");
        fav.owner = k;
        for (const Picture &p : m_pictures)
            if (p.owner != k && mix64(seed, quint64(p.index) * 31 + k) % 4 == 0)
                fav.pictures << p.index;
        // A last page with a single picture would hold one photo container only, which the
        // program reads as another layout; favorites pages always show at least two.
        if (fav.pictures.size() % perPage == 1 && fav.pictures.size() > 1)
            fav.pictures.removeLast();
        m_listings << fav;

        QList<QList<int>> members(3);
        const int sampleSize = qMin(int(o.pictures.size()), 2 * perPage + (perPage + 1) / 2);
        members[0] = o.pictures.mid(0, sampleSize);
        for (int j = 0; j < o.pictures.size(); ++j) {
            if (j % 3 == 1)
                members[1] << o.pictures.at(j);
            if (j % 3 == 2 && members[2].size() < 4)
                members[2] << o.pictures.at(j);
        }
        for (int s = 0; s < 3; ++s) {
            if (members[s].isEmpty())
                continue;
            Listing set;
            set.layout = Layout::Set;
            set.key = QString::number(72157000000000000ULL + mix64(seed, 977 + setCounter) % 999999999999ULL);
            set.title = QString::fromLatin1(kSetTitles[(k + s) % 6]);
            set.basePath = base + QStringLiteral("sets/") + set.key + QLatin1Char('/');
            set.owner = k;
            set.pictures = members[s];
            m_listings << set;
            ++setCounter;
        }
    }

    for (const QString &tag : std::as_const(m_tags)) {
        Listing l;
        l.layout = Layout::Tag;
        l.key = tag;
        l.title = QStringLiteral("Photos tagged with ") + tag;
        l.basePath = QStringLiteral("/photos/tags/") + tag + QStringLiteral("/?sort=recent");
        for (const Picture &p : m_pictures)
            if (p.tags.contains(tag))
                l.pictures << p.index;
        if (!l.pictures.isEmpty())
            m_listings << l;
    }

    for (int g = 0; g < m_groups.size(); ++g) {
        Listing pool;
        pool.layout = Layout::Pool;
        pool.key = m_groups.at(g);
        pool.title = m_groups.at(g);
        pool.title[0] = pool.title[0].toUpper();
        pool.title.replace(QLatin1Char('-'), QLatin1Char(' '));
        pool.basePath = QStringLiteral("/groups/") + pool.key + QStringLiteral("/pool/");
        for (const Picture &p : m_pictures)
            if (p.index % m_groups.size() == g)
                pool.pictures << p.index;
        if (pool.pictures.isEmpty())
            continue;
        m_listings << pool;

        Listing featured = pool;
        featured.layout = Layout::Featured;
        featured.title = pool.title + QStringLiteral(": featured");
        featured.basePath = pool.basePath + QStringLiteral("featured/?view=grid");
        featured.featured = pool.pictures.first();
        m_listings << featured;
    }

    m_sampleSearches << QStringLiteral("lake");
    const QString noun = m_pictures.first().title.section(QLatin1Char(' '), 1, 1);
    if (!noun.isEmpty() && noun != QStringLiteral("by"))
        m_sampleSearches << noun;
    for (const QString &term : std::as_const(m_sampleSearches))
        m_listings << searchListing(term);
}

Listing Site::searchListing(const QString &term) const
{
    Listing l;
    l.layout = Layout::Search;
    l.key = term;
    l.title = QStringLiteral("Search: ") + term;
    l.basePath = QStringLiteral("/search/?q=")
                 + QString::fromLatin1(QUrl::toPercentEncoding(term)) + QStringLiteral("&w=all");
    static const QRegularExpression nonWord(QStringLiteral("[^\\w]+"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    const QStringList wanted = term.toLower().split(nonWord, Qt::SkipEmptyParts);
    if (wanted.isEmpty())
        return l;
    for (const Picture &p : m_pictures) {
        const QStringList words = (p.title + QLatin1Char(' ') + p.tags.join(QLatin1Char(' ')))
                                      .toLower()
                                      .split(nonWord, Qt::SkipEmptyParts);
        bool all = true;
        for (const QString &w : wanted)
            all = all && words.contains(w);
        if (all)
            l.pictures << p.index;
    }
    return l;
}

const Picture *Site::pictureById(QStringView id) const
{
    for (const Picture &p : m_pictures)
        if (p.id == id)
            return &p;
    return nullptr;
}

int Site::ownerByPath(QStringView path) const
{
    for (int k = 0; k < m_owners.size(); ++k)
        if (m_owners.at(k).path == path)
            return k;
    return -1;
}

const Listing *Site::findListing(Layout layout, QStringView key) const
{
    for (const Listing &l : m_listings)
        if (l.layout == layout && l.key == key)
            return &l;
    return nullptr;
}

const Listing *Site::sampleSet() const
{
    for (const Listing &l : m_listings)
        if (l.layout == Layout::Set && pageCount(l) == 3)
            return &l;
    return findListing(Layout::Set, QString());
}

int Site::pageCount(const Listing &listing) const
{
    const int n = int(listing.pictures.size());
    return qMax(1, (n + m_options.perPage - 1) / m_options.perPage);
}

QList<int> Site::picturesOnPage(const Listing &listing, int pageNo) const
{
    if (pageNo < 1)
        return {};
    return listing.pictures.mid(qsizetype(pageNo - 1) * m_options.perPage, m_options.perPage);
}

QString Site::pageAddress(const Listing &listing, int pageNo, bool explicitFirst) const
{
    if (pageNo == 1 && !explicitFirst)
        return listing.basePath;
    const QString n = QString::number(pageNo);
    switch (pageStyle(listing.layout)) {
    case PageStyle::Slash: return listing.basePath + QStringLiteral("page") + n + QLatin1Char('/');
    case PageStyle::Query: return listing.basePath + QStringLiteral("?page=") + n;
    case PageStyle::Amp: return listing.basePath + QStringLiteral("&page=") + n;
    case PageStyle::Semicolon: return listing.basePath + QStringLiteral(";page=") + n;
    }
    return listing.basePath;
}

QString Site::picturePath(const Picture &picture) const
{
    return QStringLiteral("/photos/") + m_owners.at(picture.owner).path + QLatin1Char('/') + picture.id
           + QLatin1Char('/');
}

QString Site::sizesPath(const Picture &picture, char letter) const
{
    QString path = picturePath(picture) + QStringLiteral("sizes/");
    if (letter)
        path += QString(QLatin1Char(letter)) + QLatin1Char('/');
    return path;
}

QString Site::fileName(const Picture &picture, const PictureSize &size) const
{
    return picture.id + QLatin1Char('_') + picture.secret + QLatin1Char('_') + QLatin1Char(size.letter)
           + (size.png ? QStringLiteral(".png") : QStringLiteral(".jpg"));
}

QString Site::filePath(const Picture &picture, const PictureSize &size) const
{
    return QLatin1Char('/') + picture.server + QLatin1Char('/') + fileName(picture, size);
}

} // namespace orvix::photosite
