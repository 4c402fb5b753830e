#include "db_test_support.h"
#include "library/qt_print.h"

#include "foundation/log.h"
#include "foundation/thread_string_list.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <atomic>

using namespace orvix;
using orvix::test::PictureDbTest;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QStringList pendingMessages()
{
    TThreadStringList::Locker lock(pendingLogMessages());
    return lock.list();
}

} // namespace

TEST_F(PictureDbTest, AddressVariantsFindTheRecordedPicture)
{
    db->LoadImagesDb();
    db->RecordQueuedPicture(picture("12", "bb", "http://h/photos/u/12/"));
    db->RecordQueuedPicture(picture("7", "aa", "http://h/photos/u/7/in/set-721/"));

    for (const char *address : {"http://h/photos/u/12", "http://h/photos/u/12/",
                                "http://h/photos/u/12/in/photostream/", "http://h/photos/u/12/in/set-99/"})
        EXPECT_EQ(db->GetPictureKeyByPageUrl(address), "12_bb") << address;
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/7/"), "7_aa");
    // Picture 1 is not picture 12, nor 1 of another user's set of pages.
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/1/"), "");
    EXPECT_EQ(db->FindImageRecordByPageUrl("http://h/photos/u/1/"), "");

    // On disk: the mark, then one record per line with the queue time.
    const QStringList lines = QString::fromUtf8(readFile("pd_images.db").mid(3)).split("\r\n");
    ASSERT_TRUE(readFile("pd_images.db").startsWith(kBom));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].startsWith("12_bb|http://h/photos/u/12/|"));
    EXPECT_TRUE(QDateTime::fromString(lines[0].section('|', 2), "yyyy-MM-dd hh:mm:ss.zzz").isValid());
    EXPECT_EQ(lines[2], "");
    // In memory: sorted.
    EXPECT_TRUE(db->imagesSnapshot()[0].startsWith("12_bb|"));
    EXPECT_TRUE(db->ImagesDbFileTime().isValid());
}

TEST_F(PictureDbTest, DownloadedMeansRecordedAndFileStillOnDisk)
{
    db->LoadImagesDb();
    db->RecordQueuedPicture(picture("12", "ab", "http://h/photos/u/12/"));
    db->RecordQueuedPicture(picture("1", "cd", "http://h/photos/u/1/"));
    db->RecordQueuedPicture(picture("5", "ef", "http://h/photos/u/5/"));
    const QString twelve = touch("pics/12_ab Sunset_o.jpg");
    db->RegisterSavedFile(touch("pics/123_zz Other.jpg")); // must not count for 12, nor 1
    db->RegisterSavedFile(twelve);
    db->RegisterSavedFile(path("pics/5_ef Never saved.jpg"));

    EXPECT_TRUE(db->IsAlreadyDownloaded("http://h/photos/u/12"));
    EXPECT_FALSE(db->IsAlreadyDownloaded("http://h/photos/u/1/"));  // queued, no file
    EXPECT_FALSE(db->IsAlreadyDownloaded("http://h/photos/u/5/"));  // listed, file missing
    EXPECT_FALSE(db->IsAlreadyDownloaded("http://h/photos/u/99/")); // unknown
    EXPECT_EQ(db->FindLocalFileByKey("12"), twelve);
    EXPECT_EQ(db->FindLocalFileByKey("12_AB"), twelve);
    EXPECT_EQ(db->FindLocalFileByKey("2"), "");

    QFile::remove(twelve);
    EXPECT_FALSE(db->IsAlreadyDownloaded("http://h/photos/u/12"));
    EXPECT_EQ(readFile("pd_files.db"),
              kBom + (path("pics/123_zz Other.jpg") + "\r\n" + twelve + "\r\n"
                      + path("pics/5_ef Never saved.jpg") + "\r\n").toUtf8());
}

// A file found in the folder by a worker makes the picture count as saved, on disk too, and
// only what was missing is written.
TEST_F(PictureDbTest, FoundFileCountsAsSavedOnce)
{
    db->LoadImagesDb();
    const QString page = QStringLiteral("http://h/photos/u/12/");
    const QString twelve = touch("pics/12_ab Sunset.jpg");
    ASSERT_FALSE(db->IsAlreadyDownloaded(page));

    db->RecordFoundPicture(picture("12", "ab", page), twelve);
    db->RecordFoundPicture(picture("12", "ab", page), twelve);
    EXPECT_TRUE(db->IsAlreadyDownloaded(page));
    EXPECT_EQ(db->imagesSnapshot().size(), 1);
    EXPECT_EQ(db->filesSnapshot(), QStringList{twelve});

    PictureDatabase reopened(folder());
    reopened.LoadImagesDb();
    reopened.LoadOrRebuildFilesDb(QString());
    EXPECT_TRUE(reopened.IsAlreadyDownloaded(page));

    // Queued earlier, its file saved by another run: only the file is added.
    const QString page5 = QStringLiteral("http://h/photos/u/5/");
    db->RecordQueuedPicture(picture("5", "ef", page5));
    const QString five = touch("pics/5_ef Lake.jpg");
    db->RecordFoundPicture(picture("5", "ef", page5), five);
    EXPECT_TRUE(db->IsAlreadyDownloaded(page5));
    EXPECT_EQ(db->imagesSnapshot().size(), 2);
    EXPECT_EQ(db->filesSnapshot(), (QStringList{twelve, five}));
}

TEST_F(PictureDbTest, RecordsWithOtherThanThreeFieldsAreReportedAsCorrupt)
{
    writeFile("pd_images.db", kBom + "12_ab|http://h/photos/u/12/x|y|2024-01-01 10:00:00.000\r\n"
                                     "3_cd|http://h/photos/u/3/|2024-01-01 10:00:00.000\r\n");
    db->LoadImagesDb();
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/12/"), "");
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Images DB is corrupt"}));
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/3/"), "3_cd");
}

TEST_F(PictureDbTest, KeyLookupNeedsTheWholeKey)
{
    writeFile("pd_images.db", kBom + "12_abc|http://h/photos/u/12/|t\r\n12_ab|http://h/photos/u/12b/|t\r\n");
    db->LoadImagesDb();
    EXPECT_EQ(db->FindImageRecordByKey("12_ab"), "12_ab|http://h/photos/u/12b/|t");
    EXPECT_EQ(db->FindImageRecordByKey("12_a"), "");
    EXPECT_EQ(db->FindImageRecordByKey("12_ABC"), ""); // the prefix compares case-sensitively
}

TEST_F(PictureDbTest, MissingFileIsCreatedWithTheMarkOnly)
{
    db->LoadImagesDb();
    EXPECT_EQ(readFile("pd_images.db"), kBom);
    EXPECT_TRUE(db->imagesSnapshot().isEmpty());
    EXPECT_TRUE(db->ImagesDbFileTime().isValid());
}

TEST_F(PictureDbTest, EightBitFileOfAnOlderReleaseIsConvertedOnce)
{
    // "Café" in the 8-bit code page: é is the single byte E9.
    writeFile("pd_images.db", "12_ab|http://h/photos/u/12/Caf\xE9/|2020-01-01 10:00:00.000\r\n");
    EXPECT_TRUE(db->ConvertLegacyImagesDb());
    const QByteArray converted = readFile("pd_images.db");
    EXPECT_EQ(converted, kBom + "12_ab|http://h/photos/u/12/Caf\xC3\xA9/|2020-01-01 10:00:00.000\r\n");
    EXPECT_FALSE(db->ConvertLegacyImagesDb());
    EXPECT_EQ(readFile("pd_images.db"), converted);

    db->LoadImagesDb();
    EXPECT_EQ(db->GetPictureKeyByPageUrl(QString::fromUtf8("http://h/photos/u/12/Café")), "12_ab");

    // UTF-8 written without the mark is not widened a second time.
    writeFile("pd_images.db", "1_a|http://h/Caf\xC3\xA9|t\r\n");
    EXPECT_TRUE(db->ConvertLegacyImagesDb());
    EXPECT_EQ(readFile("pd_images.db"), kBom + "1_a|http://h/Caf\xC3\xA9|t\r\n");
}

TEST_F(PictureDbTest, AnotherProcessesRecordsAppearAfterReload)
{
    db->LoadImagesDb();
    db->RecordQueuedPicture(picture("1", "a", "http://h/photos/u/1/"));
    // Nothing changed on disk yet.
    EXPECT_FALSE(db->ReloadImagesDbIfChanged().reloaded);

    // The other instance writes a second later at the earliest: age the file instead of waiting.
    ageFile(db->imagesDbPath());
    db->LoadImagesDb();

    QProcess other;
    other.start(ORVIX_DB_APPEND_HELPER, {dir.path(), "21", "22"});
    ASSERT_TRUE(other.waitForFinished(30000));
    ASSERT_EQ(other.exitCode(), 0) << other.readAllStandardError().toStdString();
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/21/"), "");
    // This instance records a picture after the other's: its own line now follows theirs.
    db->RecordQueuedPicture(picture("2", "b", "http://h/photos/u/2/"));

    QStringList screen;
    const auto r = db->ReloadImagesDbIfChanged([&](const QString &s) { screen << s; });
    EXPECT_TRUE(r.reloaded);
    EXPECT_TRUE(r.appendedOnly);
    EXPECT_EQ(screen, QStringList({"reloading images_db"}));
    for (const char *id : {"21", "22", "1", "2"})
        EXPECT_FALSE(db->GetPictureKeyByPageUrl(QString("http://h/photos/u/%1/").arg(id)).isEmpty()) << id;
    EXPECT_FALSE(db->ReloadImagesDbIfChanged().reloaded);

    // What was read piecewise is what a fresh start reads: no line lost or doubled.
    PictureDatabase fresh(folder());
    fresh.LoadImagesDb();
    EXPECT_EQ(db->imagesSnapshot(), fresh.imagesSnapshot());
    EXPECT_EQ(db->imagesSnapshot().size(), 4);
}

TEST_F(PictureDbTest, RecordsWrittenWithinTheTimeToleranceAreNotHidden)
{
    db->LoadImagesDb();
    // Another instance appends within the same second, then this one records a picture.
    QFile other(db->imagesDbPath());
    ASSERT_TRUE(other.open(QIODevice::Append));
    other.write("21_s|http://h/photos/u/21/|2024-01-01 10:00:00.000\r\n");
    other.close();
    db->RecordQueuedPicture(picture("1", "a", "http://h/photos/u/1/"));

    const auto r = db->ReloadImagesDbIfChanged();
    EXPECT_TRUE(r.reloaded);
    EXPECT_TRUE(r.appendedOnly);
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/21/"), "21_s");
    EXPECT_EQ(db->imagesSnapshot().size(), 2);
    EXPECT_FALSE(db->ReloadImagesDbIfChanged().reloaded);
}

TEST_F(PictureDbTest, RewrittenFileIsReadWhole)
{
    const QByteArray start = kBom + "1_a|http://h/photos/u/1/|2024-01-01 10:00:00.000\r\n"
                                    "2_b|http://h/photos/u/2/|2024-01-01 10:00:00.000\r\n";
    struct Case {
        const char *what;
        QByteArray after;
        bool appendedOnly;
        int records;
    } cases[] = {
        {"appended", start + "3_c|http://h/photos/u/3/|2024-01-01 10:00:00.000\r\n", true, 3},
        {"shortened by a repair", kBom + "2_b|http://h/photos/u/2/|2024-01-01 10:00:00.000\r\n", false, 1},
        {"rewritten, same length", kBom + "1_a|http://h/photos/u/1/|2024-01-01 10:00:00.000\r\n"
                                          "9_z|http://h/photos/u/9/|2024-01-01 10:00:00.000\r\n", false, 2},
        {"rewritten, then appended", kBom + "7_q|http://h/photos/u/7/|2024-01-01 10:00:00.000\r\n"
                                            "8_r|http://h/photos/u/8/|2024-01-01 10:00:00.000\r\n"
                                            "3_c|http://h/photos/u/3/|2024-01-01 10:00:00.000\r\n", false, 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeFile("pd_images.db", start);
        ageFile(db->imagesDbPath());
        db->LoadImagesDb();
        writeFile("pd_images.db", c.after);
        const auto r = db->ReloadImagesDbIfChanged();
        EXPECT_TRUE(r.reloaded);
        EXPECT_EQ(r.appendedOnly, c.appendedOnly);
        PictureDatabase fresh(folder());
        fresh.LoadImagesDb();
        EXPECT_EQ(db->imagesSnapshot(), fresh.imagesSnapshot());
        EXPECT_EQ(db->imagesSnapshot().size(), c.records);
    }
}

TEST_F(PictureDbTest, LastLineWithoutLineEndIsReadAgainWhenCompleted)
{
    writeFile("pd_images.db", kBom + "1_a|http://h/photos/u/1/|t\r\n9_z|http://h/photos/u/9/|t");
    ageFile(db->imagesDbPath());
    db->LoadImagesDb();
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/9/"), "9_z"); // a finished last line
    writeFile("pd_images.db", kBom + "1_a|http://h/photos/u/1/|t\r\n9_z|http://h/photos/u/9/|t\r\n"
                                     "5_e|http://h/photos/u/5/|t\r\n");
    EXPECT_TRUE(db->ReloadImagesDbIfChanged().appendedOnly);
    EXPECT_EQ(db->imagesSnapshot(),
              QStringList({"1_a|http://h/photos/u/1/|t", "5_e|http://h/photos/u/5/|t", "9_z|http://h/photos/u/9/|t"}));
}

TEST_F(PictureDbTest, UnwritableFileRetriesTheRecordElevenTimes)
{
    db->LoadImagesDb();
    pendingLogMessages().Clear();
    // A folder where the file should be: every append fails.
    QFile::remove(db->imagesDbPath());
    ASSERT_TRUE(QDir().mkdir(db->imagesDbPath()));

    db->RecordQueuedPicture(picture("3", "c", "http://h/photos/u/3/"));
    EXPECT_EQ(pendingMessages(), QStringList(11, "exception s1. recovering"));
    // The lookups of this run still know the picture, once.
    EXPECT_EQ(db->imagesSnapshot().size(), 1);
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/3"), "3_c");
    pendingLogMessages().Clear();
}

TEST_F(PictureDbTest, WorkerInsertsWhileTheMainThreadLooksUp)
{
    db->LoadImagesDb();
    std::atomic<bool> done{false};
    QThread *worker = QThread::create([&] {
        for (int i = 0; i < 300; ++i)
            db->RecordQueuedPicture(picture(QString::number(i), "s", "http://h/photos/u/" + QString::number(i) + "/"));
        done = true;
    });
    worker->start();
    while (!done) {
        // Records are seen whole and in order, never half-inserted.
        const QStringList snapshot = db->imagesSnapshot();
        for (const QString &line : snapshot)
            ASSERT_EQ(line.count('|'), 2);
        db->GetPictureKeyByPageUrl("http://h/photos/u/0/");
    }
    worker->wait();
    delete worker;
    EXPECT_EQ(db->imagesSnapshot().size(), 300);
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/299"), "299_s");
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/150"), "150_s");
}

TEST_F(PictureDbTest, RescanListsThePicturesFolder)
{
    const QString a = touch("pics/1_a x.jpg");
    const QString b = touch("pics/sub/2_b y.png");
    touch("pics/thumbs/1_a x.jpg");
    touch("pics/sub/thumbs/2_b y.png");
    touch("pics/.hidden/3_c.jpg");
    // Hidden files are no pictures of the library: the media worker's own among them.
    touch("pics/.orvix-4242-1.part");
    touch("pics/sub/.orvix-2_b.claim");
    touch("pics/sub/.directory");
    writeFile("pd_files.db", kBom + "stale\r\n");

    EXPECT_EQ(RescanPicturesFolder(*db, path("pics")), 2);
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Library files updated from " + path("pics") + "\r\nFiles located: 2"}));
    QStringList files = db->filesSnapshot();
    files.sort();
    EXPECT_EQ(files, QStringList({a, b}));
    EXPECT_EQ(db->FindLocalFileByKey("2_b"), b);

    // A fresh start loads the list the rescan wrote.
    PictureDatabase again(folder());
    again.LoadOrRebuildFilesDb(path("pics"));
    EXPECT_EQ(again.filesSnapshot(), db->filesSnapshot());
    EXPECT_EQ(again.FindLocalFileByKey("1"), a);

    // Without a list file the folder is scanned.
    QFile::remove(path("pd_files.db"));
    PictureDatabase fresh(folder());
    fresh.LoadOrRebuildFilesDb(path("pics"));
    EXPECT_EQ(fresh.filesSnapshot().size(), 2);
    EXPECT_TRUE(QFile::exists(path("pd_files.db")));
}
