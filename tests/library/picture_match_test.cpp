#include "library/picture_match.h"
#include "library/tags.h"

#include "library/qt_print.h"

#include <gtest/gtest.h>

using namespace orvix;

TEST(PictureMatch, AddressVariantsCutToThePlainPage)
{
    const QString plain = "http://h/photos/u/1";
    for (const char *v : {"http://h/photos/u/1", "http://h/photos/u/1/", " http://h/photos/u/1/ ",
                          "http://h/photos/u/1/in/photostream/", "http://h/photos/u/1/in/photostream",
                          "http://h/photos/u/1/in/set-72157/", "http://h/photos/u/1/in/set-72157"})
        EXPECT_EQ(CutPageUrlForLookup(QString::fromUtf8(v)), plain) << v;
}

TEST(PictureMatch, RecordMatchNeedsABoundaryAfterTheAddress)
{
    struct Case {
        const char *record;
        const char *cut;
        bool match;
    } cases[] = {
        {"12_b|http://h/photos/u/12/|2024", "http://h/photos/u/1", false}, // picture 1 is not 12
        {"12_b|http://h/photos/u/12/|2024", "http://h/photos/u/12", true},
        {"12_b|http://h/photos/u/12|2024", "http://h/photos/u/12", true},
        {"12_b|http://h/photos/u/12/in/set-5/|2024", "http://h/photos/u/12", true},
        {"12_b|http://h/photos/u/123/|x|http://h/photos/u/12", "http://h/photos/u/12", true}, // at end
        {"12_b|http://h/photos/u/12a/|x|http://h/photos/u/12/", "http://h/photos/u/12", true}, // 2nd
        {"12_b|http://h/photos/u/12/|2024", "", false},
        {"12_b|http://h/photos/U/12/|2024", "http://h/photos/u/12", false}, // case-sensitive
    };
    for (const Case &c : cases)
        EXPECT_EQ(RecordMatchesPageUrl(QString::fromUtf8(c.record), QString::fromUtf8(c.cut)), c.match)
            << c.record << " / " << c.cut;
}

TEST(PictureMatch, KeyMatchesOnlyTheStartOfTheFileName)
{
    struct Case {
        const char *path;
        const char *key;
        bool match;
    } cases[] = {
        {"/p/12_ab Sunset.jpg", "12", true},
        {"/p/12_ab Sunset.jpg", "12_ab", true},
        {"/p/12_AB Sunset.jpg", "12_ab", true},  // case of letters ignored
        {"/p/123_ab Sunset.jpg", "12", false},   // the id 12 is not 123
        {"/p/12_abc Sunset.jpg", "12_ab", false},
        {"/p/9_x 12_ab.jpg", "12_ab", false},    // elsewhere in the name
        {"/12_ab/9_x.jpg", "12_ab", false},      // in a folder name
        {"/p/12", "12", true},                   // nothing follows
        {"/p/12é.jpg", "12", false},             // a letter follows
        {"/p/12_ab.jpg", "", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(FileNameMatchesKey(QString::fromUtf8(c.path), QString::fromUtf8(c.key)), c.match)
            << c.path << " / " << c.key;
}

TEST(PictureMatch, FileNamePieces)
{
    EXPECT_EQ(FileNameKeyPieces(u"12_ab Sunset_o.jpg"), QStringList({"12", "ab"}));
    EXPECT_EQ(FileNameKeyPieces(u"12_ab_o.jpg"), QStringList({"12", "ab", "o"}));
    EXPECT_EQ(FileNameKeyPieces(u"12.jpg"), QStringList({"12"}));
    EXPECT_EQ(ImageIdFromFileName(u"/p/x_y/12_ab Sunset.jpg"), "12");
}

TEST(Tags, ExtractTags)
{
    struct Case {
        const char *name;
        const char *tags;
    } cases[] = {
        {"12_ab Sunset [tags] sea lake_o.jpg", " sea lake"},
        {"12_ab Sunset [tags] sea.jpg", " sea"},
        {"12_ab Sunset_o.jpg", ""},
        {"12_ab Sunset[tags]x_o", "x"},            // no extension: only the suffix goes
        {"12_ab [tags]a [tags]b.png", "a b"},       // every marker removed
        {"12_ab [tags]_o.jpg", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ExtractTags(QString::fromUtf8(c.name)), QString::fromUtf8(c.tags)) << c.name;
}

TEST(Tags, NewTagsGoBeforeTheExtension)
{
    struct Case {
        const char *oldPath;
        const char *tags;
        const char *newPath;
    } cases[] = {
        {"/p/12_ab Sunset_o.jpg", "lake", "/p/12_ab Sunset_o[tags]lake.jpg"},
        {"/p/12_ab Sunset [tags] sea_o.jpg", "lake", "/p/12_ab Sunset _o[tags]lake.jpg"},
        {"/p/12_ab Sunset[tags]lake.jpg", "sea sky", "/p/12_ab Sunset[tags]sea sky.jpg"},
        {"/p/12_ab Sunset.jpeg", "lake", "/p/12_ab Sunset[tags]lake.jpeg"},   // four-letter extension
        {"/p/12_ab Sunset", "lake", "/p/12_ab Sunset[tags]lake"},
        {"/p/[tags] x/12_ab.jpg", "lake", "/p/[tags] x/12_ab[tags]lake.jpg"}, // folder left alone
    };
    for (const Case &c : cases)
        EXPECT_EQ(PathWithNewTags(QString::fromUtf8(c.oldPath), QString::fromUtf8(c.tags)),
                  QString::fromUtf8(c.newPath))
            << c.oldPath;
}
