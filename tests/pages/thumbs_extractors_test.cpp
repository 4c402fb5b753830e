#include "pages/page_mode.h"
#include "pages/site.h"
#include "pages/thumbs_extractors.h"

#include "recording_reports.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvix {

void PrintTo(const TWebFrameEntry &e, std::ostream *os)
{
    *os << e.Line().toStdString();
}

namespace {

const QString farm = QStringLiteral("http://farm%1.static.photosite.example/%1/");

std::vector<TWebFrameEntry> entriesOf(const TWebFrameEntryList &list)
{
    return {list.begin(), list.end()};
}

struct FixtureCase
{
    const char *file;
    std::vector<TWebFrameEntry> entries; // as extracted, before the caller normalises targets
    int boxes = 0;
    int alerts = 0;
};

TEST(ExtractThumbnails, FixturePages)
{
    const QString f1 = farm.arg(1), f2 = farm.arg(2), f3 = farm.arg(3), f4 = farm.arg(4),
                  f5 = farm.arg(5), f6 = farm.arg(6);
    const QString root = QStringLiteral("http://www.photosite.example");
    const FixtureCase cases[] = {
        {"set.html",
         {{"/photos/alice/1001/in/set-72157600/", f1 + "1001_aaa111_s.jpg", "Sunset | beach"},
          {"/photos/alice/1002/in/set-72157600/", f1 + "1002_bbb222_s.jpg", "Dune's edge"},
          {"/photos/alice/1003/in/set-72157600/", f1 + "1003_ccc333_s.jpg", "Wrapped title"}}},
        {"photo_paragraphs.html",
         {{"/photos/bob/2001/", f2 + "2001_ddd444_t.jpg", "Harbour; dawn"},
          {"/photos/bob/2002/", f2 + "2002_eee555_t.jpg", ""},
          {root + "/photos/bob/2003/", f2 + "2003_fff666_t.jpg",
           QString::fromLatin1(QStringLiteral("Ça va").toUtf8())}},
         1},
        {"pool.html",
         {{"/photos/carol/3001/in/pool-tide/", f3 + "3001_ggg777_t.jpg", "Tide pool"},
          {"/photos/carol/3002/in/pool-tide/", f3 + "3002_hhh888_t.jpg",
           QString::fromLatin1(QStringLiteral("Anémone").toUtf8())}}},
        {"container_pool.html",
         {{"/photos/dan/3101/in/pool-trains/", f3 + "3101_jjj111_t.jpg", "Steam"},
          {"/photos/dan/3102/in/pool-trains/", f3 + "3102_kkk222_t.jpg", "Diesel &amp; smoke"},
          {"/photos/dan/3103/in/pool-trains/", f3 + "3103_lll333_t.jpg", "Signal"}}},
        {"photostream.html", // script list data: slashes unescaped, thumbnails in size "t"
         {{root + "/photos/dave/4001/", f4 + "4001_mmm444_t.jpg", "Morning / fog"},
          {root + "/photos/dave/4002/", f4 + "4002_nnn555_t.jpg", "Noon"},
          {root + "/photos/dave/4003/", f4 + "4003_ooo666_t.jpg",
           QString::fromLatin1(QStringLiteral("Dusk at Ålesund").toUtf8())}}},
        {"photostream_one_row.html", // one row of list data: the containers are read instead
         {{"/photos/erin/5001/", f5 + "5001_ppp777_m.jpg", "Lake"},
          {"/photos/erin/5002/", f5 + "5002_qqq888_t.jpg",
           QString::fromLatin1(QStringLiteral("Crème brûlée").toUtf8())}}},
        {"search.html", // the hover class is not a match
         {{"/photos/fay/6001/", f6 + "6001_rrr999_t.jpg", "Red kite"},
          {"/photos/gus/6003/", f6 + "6003_ttt111_t.jpg", "Kite | string"}}},
        {"picture_and_set.html", {}}, // a picture page: no extractor runs
    };
    SetSiteHost(QString());
    for (const FixtureCase &c : cases) {
        const QString text = test::readFixtureLatin1(QStringLiteral("pages/") + c.file);
        test::RecordingReports reports;
        const TWebFrameEntryList list = ExtractThumbnails(GetPageMode(text), text, reports);
        EXPECT_EQ(entriesOf(list), c.entries) << c.file;
        EXPECT_EQ(reports.boxes.size(), c.boxes) << c.file << ": " << reports.boxes.join('\n').toStdString();
        EXPECT_EQ(reports.alerts.size(), c.alerts) << c.file;
    }
}

TEST(ExtractThumbnails, MissingTitleReportsTheParagraph)
{
    const QString text = test::readFixtureLatin1(QStringLiteral("pages/photo_paragraphs.html"));
    test::RecordingReports reports;
    ParsePhotoParagraphs(text, reports);
    ASSERT_EQ(reports.boxes.size(), 1);
    EXPECT_TRUE(reports.boxes[0].startsWith(
        QStringLiteral("p202: parsing failed, tag=alt=, html=<p class=\"Photo\"><a href=\"/photos/bob/2002/\">")))
        << reports.boxes[0].toStdString();
}

TEST(ExtractThumbnails, ListDataFallsBackToContainersEvenWhenTheyAreEmpty)
{
    const QString oneRow = QStringLiteral(
        "<span class=\"photo_container pc_m\">no link</span><span class=\"photo_container pc_m\">"
        "<script>Y.listData = {\"rows\":[{\"name\":\"A\",\"photo_url\":\"\\/p\\/1\\/\",\"url\":\"x.jpg\"}]}</script>");
    test::RecordingReports reports;
    EXPECT_EQ(ParseListData(oneRow).Count(), 1);
    EXPECT_TRUE(ExtractThumbnails(pmPhotoContainers, oneRow, reports).isEmpty());
}

TEST(ExtractThumbnails, SmallPagesAndTheirFailures)
{
    struct Case
    {
        const char *name;
        int mode;
        QString text;
        int count;
        int alerts;
        int boxes;
    };
    const Case cases[] = {
        {"set without pagination block", pmSetThumbs,
         QStringLiteral("<div id=\"setThumbs\"><a href=\"/p/1/in/set-1/\" title=\"t\" >x</a>"), 0, 0, 0},
        {"set block without links", pmSetThumbs,
         QStringLiteral("<div id=\"setThumbs\"><a href=\"x\"><div id=\"vsPagination\">"), 0, 1, 0},
        {"pagination before the set", pmSetThumbs,
         QStringLiteral("<div id=\"vsPagination\"><div id=\"setThumbs\"><a href=\"/in/set\"></a>"), 0, 1, 0},
        {"pool tag with a further attribute", pmPoolHoldPhotos,
         QStringLiteral("<div class=\"HoldPhotos\" id=\"x\"><p id=\"pool_1\"><a href=\"/p/1/\"></p>"), 0, 0, 0},
        {"paragraph without its end", pmPhotoParagraphs,
         QStringLiteral("<p class=\"Photo\"><a href=\"/p/1/\"><img src=\"t.jpg\" alt=\"A\">"), 0, 0, 0},
        {"paragraph with an unclosed quote", pmPhotoParagraphs,
         QStringLiteral("<p class=\"Photo\"><a href=\"/p/1/\"><img src=\"t.jpg\" alt=\"A</p>"), 1, 0, 1},
        {"paragraph with a bare attribute", pmPhotoParagraphs,
         QStringLiteral("<p class=\"Photo\"><a href=\"/p/1/\"><img src=\"t.jpg\" alt=A></p>"), 1, 0, 1},
        {"container without a link", pmPhotoContainerPool,
         QStringLiteral("<span class=\"photo_container pc_m\"><a href=\"#\"></a></span>"), 0, 0, 0},
        {"unknown mode", 6, QStringLiteral("<p class=\"Photo\"><a href=\"/p/1/\"></p>"), 0, 0, 0},
    };
    for (const Case &c : cases) {
        test::RecordingReports reports;
        EXPECT_EQ(ExtractThumbnails(c.mode, c.text, reports).Count(), c.count) << c.name;
        EXPECT_EQ(reports.alerts.size(), c.alerts) << c.name;
        EXPECT_EQ(reports.boxes.size(), c.boxes) << c.name;
        if (c.alerts) {
            EXPECT_EQ(reports.alerts[0], QStringLiteral("p101: parsing failed")) << c.name;
        }
    }
}

TEST(ExtractQuotedAttribute, CutsTheQuotedValue)
{
    const struct
    {
        const char *marker;
        const char *block;
        const char *value;
        const char *report; // code of the report, or empty
    } cases[] = {
        {"<a href=", "<p><a href=\"/p/1/\">", "/p/1/", ""},
        {"<a href=", "<a data-track=\"photo-click\" href=\"/p/2/\">", "/p/2/", ""},
        {"alt=\"", "<img alt=\"Title\">", "Title", ""},
        {"alt=\"", "<img src=\"x\">", "", "p202"},
        {"alt=\"", "<img alt=Title>", "", "p203"},
        {"alt=\"", "<img alt=\"Title>", "", "p204"},
    };
    for (const auto &c : cases) {
        test::RecordingReports reports;
        EXPECT_EQ(ExtractQuotedAttribute(QString::fromUtf8(c.marker), QString::fromUtf8(c.block), reports),
                  QString::fromUtf8(c.value)) << c.block;
        const QString code = QString::fromUtf8(c.report);
        EXPECT_EQ(reports.boxes.size(), code.isEmpty() ? 0 : 1) << c.block;
        if (!code.isEmpty() && !reports.boxes.isEmpty()) {
            EXPECT_EQ(reports.boxes[0], code + QStringLiteral(": parsing failed, tag=alt=, html=")
                                            + QString::fromUtf8(c.block));
        }
    }
}

TEST(ThumbnailSizes, ListDataAndDeferredImages)
{
    const struct
    {
        const char *url;
        const char *listData;  // thumbnail from script data
    } cases[] = {
        {"http://f/1/123_abc_m.jpg", "http://f/1/123_abc_t.jpg"},
        {"http://f/1/123_abc.jpg", "http://f/1/123_abc_t.jpg"},
        {"a_b.jpg", "a_b_t.jpg"}, // too short to hold a size letter
    };
    for (const auto &c : cases) {
        const QString script = QStringLiteral(
            "Y.listData = {\"rows\":[{\"name\":\"A\",\"photo_url\":\"/p/1/\",\"url\":\"%1\"},"
            "{\"name\":\"B\",\"photo_url\":\"/p/2/\",\"url\":\"%1\"}]}").arg(QString::fromUtf8(c.url));
        const TWebFrameEntryList list = ParseListData(script);
        ASSERT_EQ(list.Count(), 2) << c.url;
        EXPECT_EQ(list[0].PhotoThumbUrl, QString::fromUtf8(c.listData)) << c.url;
    }
}

TEST(WebFrameEntryList, TextForm)
{
    TWebFrameEntryList list;
    EXPECT_EQ(list.Text(), QString());
    list.Add(QStringLiteral("http://s/p/1/"), QStringLiteral("http://f/1_t.jpg"), QString());
    list.Add(QStringLiteral("http://s/p/2/"), QStringLiteral("http://f/2_t.jpg"), QStringLiteral("a|b"));
    list.Add(QStringLiteral("http://s/p/1/"), QStringLiteral("http://f/1_t.jpg"), QString());
    EXPECT_EQ(list.Text(), QStringLiteral("http://s/p/1/|http://f/1_t.jpg|\r\n"
                                          "http://s/p/2/|http://f/2_t.jpg|a|b\r\n"
                                          "http://s/p/1/|http://f/1_t.jpg|\r\n"));
    const QStringList lines = list.Lines();
    ASSERT_EQ(lines.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(EntryFromLine(lines[i]), list[i]) << i;
    EXPECT_EQ(EntryFromLine(QStringLiteral("a|b")), (TWebFrameEntry{"a", "b", ""}));
    list.Delete(0);
    EXPECT_EQ(list[0].PhotoTitle, QStringLiteral("a|b"));
}

} // namespace
} // namespace orvix
