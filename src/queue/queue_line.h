#pragma once

// The two kinds of queue line. Both are five fields joined by "|", and no field may hold a "|":
//
//   page line:  URL | url type ("id:1" picture page, "id:2" thumbnails page) | size code | tags |
//               target folder
//   media line: download URL | file base | reserved (empty) | page URL | target folder
//
// Lines travel as plain text through the queues and the item files; these helpers take them
// apart and put them together so every reader applies the same five-field rule.

#include <QString>
#include <QStringList>

#include <optional>

namespace orvix {

inline constexpr int kQueueLineFields = 5;
// A line quoted in a message is cut to this many characters: a leftover file may hold anything.
inline constexpr qsizetype kMaxQuotedLine = 200;
inline constexpr char16_t kPictureUrlType[] = u"id:1";
inline constexpr char16_t kThumbnailsUrlType[] = u"id:2";

// The trimmed fields of a line, or nothing when it is malformed: not exactly five fields, or a
// target folder with a ".." part.
std::optional<QStringList> SplitQueueLine(const QString &line);

struct PageLine
{
    QString url;
    QString urlType;
    QString sizeCode;
    QString tags;
    QString targetFolder;

    // Any url type but "id:2" counts as a picture page.
    bool isThumbnailsPage() const;
    // The size code as a number; text that is not a number counts as 0.
    int sizeIndex() const;
    QString line() const;
};

struct MediaLine
{
    QString downloadUrl;
    QString fileBase;
    QString reserved;
    QString pageUrl;
    QString targetFolder;

    QString line() const;
};

std::optional<PageLine> ParsePageLine(const QString &line);
std::optional<MediaLine> ParseMediaLine(const QString &line);

// "|id:1|" + size code + "|" + tags + "|" + target folder: appended to each picture page that a
// thumbnails page lists, so the pictures inherit the listing's size, tags and folder.
QString PictureLineSuffix(const PageLine &thumbnailsPage);

// The size letter of the sizes page: 1 "L", 2 "O", anything else "M".
QString SizeLetter(int sizeIndex);

// A picture's file name without extension: id + "_" + secret + " " + title, and when there are
// tags " [tags] " and the tags made safe for a file name with "_" shown as blanks. A "|" anywhere
// becomes "_" so the base stays one field.
QString MediaFileBase(const QString &pictureId, const QString &secretId, const QString &title,
                      const QString &tags);

// The key that finds a line's item file again: the whole line for a page line, the page URL
// (field 4) for a media line; a line that is not well formed is its own key.
QString PageLineKey(const QString &line);
QString MediaLineKey(const QString &line);

// The first field (a line's URL), or the whole text when it holds no "|".
QString FirstLineField(const QString &line);

// A URL without the photo site's host gets the site's root in front.
QString MakeSiteUrlAbsolute(const QString &url);

} // namespace orvix
