#include "picture_page.h"

#include "parse_reports.h"
#include "site.h"

#include "foundation/text.h"

#include <QFileInfo>

#include <algorithm>

namespace orvix {

namespace {

// Id and secret from the preview link "...http://host/folder/id_secret_size.jpg">".
bool readPreviewLink(QStringView line, QString &id, QString &secret)
{
    const ArStrX afterScheme = TextSplit(line, u"http://", true);
    if (afterScheme.size() < 2)
        return false;
    const ArStrX pathParts = TextSplit(afterScheme[1], u"/", true);
    if (pathParts.size() < 3)
        return false;
    const ArStrX nameParts = TextSplit(TextReplaceAll(pathParts[2], u"\">", u""), u"_", true);
    if (nameParts.size() != 3)
        return false;
    id = nameParts[0];
    secret = nameParts[1];
    return true;
}

// Ids and secrets go into queue lines, database records and file names: letters and digits only.
bool plainKeyPart(const QString &part)
{
    return !part.isEmpty() && std::all_of(part.begin(), part.end(), [](QChar c) {
        return c.unicode() < 128 && c.isLetterOrNumber();
    });
}

QString readTitle(QStringView line)
{
    const ArStrX parts = TextSplit(TextAfterView(line, u"name=\"title\""), u"content=", true);
    QString title = parts.size() >= 2 ? parts[1] : QString();
    for (QStringView drop : {u"\">", u"\"", u";", u"'"})
        title = TextReplaceAll(title, drop, u"");
    return DecodeWidenedUtf8(title);
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int follow;
        char32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + follow >= n)
            return false;
        for (int k = 1; k <= follow; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8.
        if ((follow == 2 && cp < 0x800) || (follow == 3 && cp < 0x10000) || cp > 0x10FFFF
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

} // namespace

QString DecodeWidenedUtf8(const QString &text)
{
    bool high = false;
    for (QChar ch : text) {
        if (ch.unicode() > 0xFF)
            return text;
        high = high || ch.unicode() > 0x7F;
    }
    if (!high)
        return text;
    const QByteArray bytes = text.toLatin1();
    return isValidUtf8(bytes) ? QString::fromUtf8(bytes) : text;
}

void ParsePicturePage(QStringView text, TImageData &record, IParseReports &reports,
                      const QString &reportUrl)
{
    record.ImageId.clear();
    record.ImageSecretID.clear();
    record.ImageName.clear();

    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        const QStringView line = text.mid(pos, end - pos);
        pos = end + ((end + 1 < n && text[end] == u'\r' && text[end + 1] == u'\n') ? 2 : 1);

        if (record.ImageId.isEmpty() && TextContains(line, u"rel=\"image_src\"")) {
            if (!readPreviewLink(line, record.ImageId, record.ImageSecretID))
                reports.alert(QStringLiteral("error: ar.Length() <> 3, url=") + reportUrl);
            else if (!plainKeyPart(record.ImageId) || !plainKeyPart(record.ImageSecretID))
                reports.alert(QStringLiteral("error: picture id or secret is not letters and digits, url=")
                              + reportUrl);
        } else if (record.ImageName.isEmpty()
                   && TextContains(line, u"<meta name=\"title\" content=\"")) {
            record.ImageName = readTitle(line);
        } else if (!record.ImageId.isEmpty() && !record.ImageSecretID.isEmpty()
                   && !record.ImageName.isEmpty()) {
            break;
        }
    }

    if (!plainKeyPart(record.ImageId) || !plainKeyPart(record.ImageSecretID)) {
        // Not a picture page.
        record.ImageId.clear();
        record.ImageSecretID.clear();
    }
    record.AllSizesAvailable = true;
    record.PageVersion = 2;
    if (!record.ImageId.isEmpty() && !record.ImageSecretID.isEmpty())
        record.ImageIdX = record.ImageId + u'_' + record.ImageSecretID;
}

QString ZoomPageUrl(const QString &imageId)
{
    return TextReplaceAll(SiteRoot() + QStringLiteral("/photo_zoom.gne?id=[image_id]&context=photostream&size=o"),
                          u"[image_id]", imageId);
}

QString ZoomPageUrlForFileName(const QString &fileName)
{
    QString name = TextTrim(QFileInfo(fileName).fileName());
    name = TextBefore(name, u".");
    name = TextBefore(name, u" ");
    const ArStrX parts = TextSplit(name, u"_");
    return parts.size() >= 2 && !parts[0].isEmpty() ? ZoomPageUrl(parts[0]) : QString();
}

} // namespace orvix
