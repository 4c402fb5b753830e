#include "pages/page_mode.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace orvix {
namespace {

struct ModeCase
{
    const char *name;
    const char *text;
    int mode;
};

TEST(GetPageMode, MarkersDecideInOrder)
{
    const ModeCase cases[] = {
        {"empty", "", pmNotThumbnails},
        {"no marker", "<html><body>hello</body></html>", pmNotThumbnails},
        {"picture by script", "page_photo_id=1; page_p.title='x'; <div id=\"setThumbs\">",
         pmNotThumbnails},
        {"id without title decides later", "page_photo_id=1 <div id=\"setThumbs\">", pmSetThumbs},
        {"photo div beats set", "<div id=\"photo\"><div id=\"setThumbs\"", pmNotThumbnails},
        {"set beats paragraphs", "<p class=\"Photo\"><div id=\"setThumbs\"", pmSetThumbs},
        {"paragraphs", "<p class=\"Photo\">", pmPhotoParagraphs},
        {"pool with extra attribute", "<div class=\"HoldPhotos\" id=\"p\">", pmPoolHoldPhotos},
        {"one container", "<span class=\"photo_container pc_m\">", pmPhotoContainerPool},
        {"two containers",
         "<span class=\"photo_container pc_m\"></span><span class=\"photo_container pc_s\">",
         pmPhotoContainers},
        {"second container without the span tag",
         "<span class=\"photo_container pc_m\"> x photo_container pc_b", pmPhotoContainers},
        {"search, legacy form", "<DIV id=ResultsThumbsDiv class=ResultsThumbs>", pmSearchResults},
        {"search, site form", "<div id=\"ResultsThumbsDiv\" class=\"ResultsThumbs\">",
         pmNotThumbnails},
        {"markers are case-sensitive", "<P CLASS=\"Photo\">", pmNotThumbnails},
    };
    for (const ModeCase &c : cases)
        EXPECT_EQ(GetPageMode(QString::fromUtf8(c.text)), c.mode) << c.name;
}

TEST(GetPageMode, FixturePages)
{
    const std::pair<const char *, int> cases[] = {
        {"picture.html", pmNotThumbnails},
        {"picture_and_set.html", pmNotThumbnails},
        {"unrecognised.html", pmNotThumbnails},
        {"set.html", pmSetThumbs},
        {"photo_paragraphs.html", pmPhotoParagraphs},
        {"pool.html", pmPoolHoldPhotos},
        {"container_pool.html", pmPhotoContainerPool},
        {"photostream.html", pmPhotoContainers},
        {"photostream_one_row.html", pmPhotoContainers},
        {"search.html", pmSearchResults},
    };
    for (const auto &[file, mode] : cases) {
        const QString text = test::readFixtureLatin1(QStringLiteral("pages/") + file);
        ASSERT_FALSE(text.isEmpty()) << file;
        EXPECT_EQ(GetPageMode(text), mode) << file;
    }
}

} // namespace
} // namespace orvix
