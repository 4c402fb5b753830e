// The library search the strip and orvix-cli share, titles from file names, and a tagged
// picture that must keep counting as downloaded.

#include "db_test_support.h"
#include "library/qt_print.h"

#include "library/library_search.h"
#include "library/tags.h"

#include <QFileInfo>

using namespace orvix;
using orvix::test::PictureDbTest;

TEST_F(PictureDbTest, LibrarySearchKeepsListOrderAndTakesOnlyExistingPictures)
{
    const QString sea = touch("pics/3_c Sea at dawn_o.jpg");
    const QString lake = touch("pics/1_a Lake_o.png");
    const QString lakeUpper = touch("pics/2_b BIG LAKE.JPG");
    const QString lakeText = touch("pics/4_d lake notes.txt");   // not a picture
    const QString lakeIcon = touch("pics/sub/5_e lakeicon.ico");
    const QString lakeBmp = touch("pics/6_f lake.bmp");
    const QString lakeGif = touch("pics/7_g lake.gif");          // no preview for it
    const QString lakeGone = path("pics/8_h lake gone.jpg");     // listed, deleted since
    const QStringList files{lakeUpper, sea, lakeText, lakeGone, lake, lakeIcon, lakeGif, lakeBmp, lake};

    struct Case {
        const char *term;
        QStringList expected;
    } cases[] = {
        {"lake", {lakeUpper, lake, lakeIcon, lakeBmp, lake}}, // list order, duplicates kept
        {"LAKE", {lakeUpper, lake, lakeIcon, lakeBmp, lake}}, // capitals find small letters
        {"dawn ", {}},                                        // the trailing blank counts
        {"dawn", {sea}},
        {"sea at", {sea}},
        {"", {}},
        {"nothing", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CollectLibraryMatches(files, QString::fromUtf8(c.term), -1), c.expected) << c.term;
    EXPECT_EQ(CollectLibraryMatches(files, "lake", 2), (QStringList{lakeUpper, lake}));

    for (const QString &f : files)
        db->RegisterSavedFile(f);
    EXPECT_EQ(LibrarySearchFiles(*db, "Lake"), (QStringList{lakeUpper, lake, lakeIcon, lakeBmp, lake}));
}

TEST_F(PictureDbTest, LibrarySearchShowsAtMost101Pictures)
{
    QStringList files;
    for (int i = 0; i < 130; ++i)
        files << touch(QStringLiteral("pics/%1_x Tree %1_o.jpg").arg(i));
    const QStringList shown = CollectLibraryMatches(files, "tree");
    ASSERT_EQ(shown.size(), kLibrarySearchShown);
    EXPECT_EQ(shown, files.mid(0, kLibrarySearchShown));
    EXPECT_EQ(CollectLibraryMatches(files, "tree", -1).size(), 130);
}

TEST(LibraryTitles, ExtractTitleFromFileName)
{
    const struct {
        const char *name;
        const char *title;
    } cases[] = {
        {"12_ab Lake at dawn_b.jpg", "Lake at dawn"},
        {"/home/u/Pictures/set/12_ab Lake at dawn_b.jpg", "Lake at dawn"},
        {"12_ab Sunset [tags] sea_o.jpg", "Sunset [tags] sea"},
        {"12_ab Sunset_o[tags]lake.jpg", "Sunset"},
        {"/pics/my_set/Holiday.jpg", "Holiday.jpg"}, // not a saved picture's name: kept whole
        {"12_ab.jpg", "12"},                         // no title: the id is all there is
        {"no underscore here.jpg", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ExtractTitleFromFileName(QString::fromUtf8(c.name)), QString::fromUtf8(c.title)) << c.name;
}

TEST_F(PictureDbTest, TaggedPictureStillCountsAsDownloaded)
{
    db->LoadImagesDb();
    db->RecordQueuedPicture(picture("12", "ab", "http://h/photos/u/12/"));
    const QString old = touch("pics/12_ab Sunset_o.jpg");
    db->RegisterSavedFile(old);
    ASSERT_TRUE(db->IsAlreadyDownloaded("http://h/photos/u/12/"));

    const QString renamed = RetagSavedPicture(*db, old, "lake");
    EXPECT_EQ(renamed, path("pics/12_ab Sunset_o[tags]lake.jpg"));
    EXPECT_TRUE(db->IsAlreadyDownloaded("http://h/photos/u/12/"));
    EXPECT_EQ(db->FindLocalFileByKey("12_ab"), renamed);
    // Listed on disk too, so the next start knows it without a rescan.
    EXPECT_TRUE(QString::fromUtf8(readFile("pd_files.db")).contains(renamed));

    // A failed rename lists nothing.
    const qsizetype listed = db->filesSnapshot().size();
    EXPECT_EQ(RetagSavedPicture(*db, path("pics/gone_x.jpg"), "a"), "");
    EXPECT_EQ(db->filesSnapshot().size(), listed);
}
