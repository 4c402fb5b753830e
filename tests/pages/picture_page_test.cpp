#include "pages/picture_page.h"
#include "pages/site.h"

#include "recording_reports.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace orvix {
namespace {

TImageData parse(const QString &text, test::RecordingReports &reports,
                 const QString &pageUrl = QStringLiteral("http://site/p/1/"))
{
    TImageData record;
    record.PageUrl = pageUrl;
    record.ImageIdX = QStringLiteral("kept");
    ParsePicturePage(text, record, reports, QStringLiteral("http://nav/1"));
    return record;
}

TEST(ParsePicturePage, ReadsFixturePageSource)
{
    test::RecordingReports reports;
    const TImageData r = parse(test::readFixtureLatin1(QStringLiteral("pages/picture.html")), reports);
    EXPECT_EQ(r.ImageId, QStringLiteral("4567012345"));
    EXPECT_EQ(r.ImageSecretID, QStringLiteral("9fe3a1b2c4"));
    EXPECT_EQ(r.ImageIdX, QStringLiteral("4567012345_9fe3a1b2c4"));
    // Apostrophes and semicolons are dropped, UTF-8 is decoded, "|" stays.
    EXPECT_EQ(r.ImageName, QStringLiteral("Café dété “noir” | au lait"));
    EXPECT_TRUE(r.AllSizesAvailable);
    EXPECT_EQ(r.PageVersion, 2);
    EXPECT_EQ(r.PageUrl, QStringLiteral("http://site/p/1/"));
    EXPECT_TRUE(reports.alerts.isEmpty());
}

TEST(ParsePicturePage, MalformedPreviewLinkAlertsAndALaterOneIsStillRead)
{
    test::RecordingReports reports;
    const TImageData r =
        parse(test::readFixtureLatin1(QStringLiteral("pages/picture_and_set.html")), reports);
    EXPECT_EQ(r.ImageId, QStringLiteral("777001"));
    EXPECT_EQ(r.ImageSecretID, QStringLiteral("f00dcafe"));
    EXPECT_EQ(r.ImageName, QString()); // no title meta tag
    EXPECT_EQ(reports.alerts, QStringList{QStringLiteral("error: ar.Length() <> 3, url=http://nav/1")});
}

TEST(ParsePicturePage, EdgeCases)
{
    struct Case
    {
        const char *name;
        QString text;
        QString id, secret, title, idx;
        int alerts;
    };
    const QString link = QStringLiteral("<link rel=\"image_src\" href=\"http://h/1/456_abc_m.jpg\">");
    const Case cases[] = {
        {"empty text", QString(), {}, {}, {}, QStringLiteral("kept"), 0},
        {"CR line ends", link + u'\r' + QStringLiteral("<meta name=\"title\" content=\"A\">\r"),
         QStringLiteral("456"), QStringLiteral("abc"), QStringLiteral("A"), QStringLiteral("456_abc"), 0},
        {"no http in link", QStringLiteral("<link rel=\"image_src\" href=\"/1/456_abc_m.jpg\">"),
         {}, {}, {}, QStringLiteral("kept"), 1},
        {"too few path parts", QStringLiteral("<link rel=\"image_src\" href=\"http://h/456_abc_m.jpg\">"),
         {}, {}, {}, QStringLiteral("kept"), 1},
        {"four name parts", QStringLiteral("<link rel=\"image_src\" href=\"http://h/1/4_5_6_m.jpg\">"),
         {}, {}, {}, QStringLiteral("kept"), 1},
        {"first title wins", QStringLiteral("<meta name=\"title\" content=\"One\">\n<meta name=\"title\" content=\"Two\">"),
         {}, {}, QStringLiteral("One"), QStringLiteral("kept"), 0},
        // Ids and secrets end up in queue lines and file names: anything but letters and digits
        // means this is no picture page.
        {"bar in the id", QStringLiteral("<link rel=\"image_src\" href=\"http://h/1/45|6_abc_m.jpg\">"),
         {}, {}, {}, QStringLiteral("kept"), 1},
        {"dots in the secret", QStringLiteral("<link rel=\"image_src\" href=\"http://h/1/456_a..b_m.jpg\">"),
         {}, {}, {}, QStringLiteral("kept"), 1},
        {"only the first good link counts",
         link + QStringLiteral("\n<link rel=\"image_src\" href=\"http://h/1/9_zz_m.jpg\">"),
         QStringLiteral("456"), QStringLiteral("abc"), {}, QStringLiteral("456_abc"), 0},
    };
    for (const Case &c : cases) {
        test::RecordingReports reports;
        const TImageData r = parse(c.text, reports);
        EXPECT_EQ(r.ImageId, c.id) << c.name;
        EXPECT_EQ(r.ImageSecretID, c.secret) << c.name;
        EXPECT_EQ(r.ImageName, c.title) << c.name;
        EXPECT_EQ(r.ImageIdX, c.idx) << c.name;
        EXPECT_EQ(reports.alerts.size(), c.alerts) << c.name;
        EXPECT_TRUE(r.AllSizesAvailable) << c.name;
        EXPECT_EQ(r.PageVersion, 2) << c.name;
    }
}

TEST(ParsePicturePage, TitleDecodedOnlyWhenByteWidened)
{
    const QString accented = QStringLiteral("Crème brûlée – 東京");
    const QString line = QStringLiteral("<meta name=\"title\" content=\"%1\">");
    const struct
    {
        const char *name;
        QString text;
        QString title;
    } cases[] = {
        {"widened UTF-8 bytes", QString::fromLatin1(line.arg(accented).toUtf8()), accented},
        {"already decoded", line.arg(accented), accented},
        {"decoded Latin-1 letters only", line.arg(QStringLiteral("Café")), QStringLiteral("Café")},
        {"ASCII", line.arg(QStringLiteral("Plain")), QStringLiteral("Plain")},
        {"widened bytes that are not UTF-8", QString::fromLatin1("<meta name=\"title\" content=\"caf\xE9\">"),
         QString::fromLatin1("caf\xE9")},
    };
    for (const auto &c : cases) {
        test::RecordingReports reports;
        EXPECT_EQ(parse(c.text, reports).ImageName, c.title) << c.name;
    }
}

TEST(DecodeWidenedUtf8, RejectsWhatIsNotUtf8)
{
    const struct
    {
        QByteArray bytes;
        bool decoded;
    } cases[] = {
        {"\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},       // four-byte sequence
        {"\xC3", false},                  // cut short
        {"\xC0\xAF", false},              // overlong
        {"\xED\xA0\x80", false},          // surrogate
        {"\xF4\x90\x80\x80", false},      // past U+10FFFF
        {"\xE2\x82", false},              // cut short at the end
    };
    for (const auto &c : cases) {
        const QString widened = QString::fromLatin1(c.bytes);
        const QString out = DecodeWidenedUtf8(widened);
        EXPECT_EQ(out, c.decoded ? QString::fromUtf8(c.bytes) : widened) << c.bytes.toHex().constData();
    }
}

TEST(ZoomPage, FromIdAndFromSavedFileName)
{
    SetSiteHost(QStringLiteral("127.0.0.1:8123"));
    const QString zoom = QStringLiteral("http://127.0.0.1:8123/photo_zoom.gne?id=123&context=photostream&size=o");
    EXPECT_EQ(ZoomPageUrl(QStringLiteral("123")), zoom);
    EXPECT_EQ(ZoomPageUrlForFileName(QStringLiteral("/pics/ 123_abc_b.jpg ")), zoom);
    EXPECT_EQ(ZoomPageUrlForFileName(QStringLiteral("/pics/123_abc tag one.jpg")), zoom);
    EXPECT_EQ(ZoomPageUrlForFileName(QStringLiteral("/pics/123.jpg")), QString());
    EXPECT_EQ(ZoomPageUrlForFileName(QStringLiteral("/pics/holiday 1_2.jpg")), QString());
    SetSiteHost(QString());
}

} // namespace
} // namespace orvix
