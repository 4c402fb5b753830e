#include "db_test_support.h"
#include "library/db_integrity.h"
#include "library/page_for_file.h"
#include "library/qt_print.h"
#include "library/tags.h"

#include "foundation/log.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace orvix;
using orvix::test::PictureDbTest;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kGood1("1_a|http://h/photos/u/1/|2024-01-01 10:00:00.000");
const QByteArray kGood2("2_b|http://h/photos/u/2/|2024-01-01 10:00:00.000");
const QByteArray kFourFields("3_c|http://h/photos/u/3/x|y|2024-01-01 10:00:00.000");
const QByteArray kTwoFields("4_d|http://h/photos/u/4/");

QStringList backups(const QString &folder)
{
    return QDir(folder).entryList({"pd_images_*.db"}, QDir::Files);
}

} // namespace

TEST_F(PictureDbTest, RepairRemovesBadLinesAfterABackup)
{
    const QByteArray original = kBom + kGood1 + "\r\n\r\n" + kFourFields + "\r\n" + kGood2 + "\r\n" + kTwoFields + "\r\n";
    writeFile("pd_images.db", original);
    db->LoadImagesDb();
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/3/"), ""); // reported corrupt
    dialogs.clear();

    const IntegrityResult r = CheckImagesDbIntegrity(*db, [] { return false; });
    EXPECT_EQ(r.outcome, IntegrityResult::Outcome::Repaired);
    EXPECT_EQ(r.problems, 2);
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Database repaired. Problems found: 2"}));
    // Empty lines are dropped too, without being counted.
    EXPECT_EQ(readFile("pd_images.db"), kBom + kGood1 + "\r\n" + kGood2 + "\r\n");
    const QStringList copies = backups(dir.path());
    ASSERT_EQ(copies.size(), 1);
    EXPECT_TRUE(QRegularExpression("^pd_images_\\d{8}_\\d{6}_\\d{3}\\.db$").match(copies[0]).hasMatch()) << copies[0].toStdString();
    EXPECT_EQ(readFile(copies[0]), original);

    // The repaired records no longer disturb the look-ups of this run.
    dialogs.clear();
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/3/"), "");
    EXPECT_TRUE(dialogs.shown().isEmpty());
    EXPECT_EQ(db->GetPictureKeyByPageUrl("http://h/photos/u/2/"), "2_b");
    EXPECT_FALSE(db->ReloadImagesDbIfChanged().reloaded);
}

TEST_F(PictureDbTest, RepairWithoutProblemsOrWithQueuedLinesChangesNothing)
{
    struct Case {
        QByteArray content;
        bool queuesHoldLines;
        IntegrityResult::Outcome outcome;
        const char *message;
    } cases[] = {
        {kBom + kGood1 + "\r\n\r\n" + kGood2 + "\r\n", false, IntegrityResult::Outcome::NoProblems,
         "info: No problems found."},
        {kBom + kGood1 + "\r\n" + kFourFields + "\r\n", true, IntegrityResult::Outcome::QueuesNotEmpty,
         "info: Please make sure the queue is empty before repairing the database"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message);
        writeFile("pd_images.db", c.content);
        dialogs.clear();
        const IntegrityResult r = CheckImagesDbIntegrity(*db, [&] { return c.queuesHoldLines; });
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(dialogs.shown(), QStringList({c.message}));
        EXPECT_EQ(readFile("pd_images.db"), c.content);
        EXPECT_TRUE(backups(dir.path()).isEmpty());
    }
    // No file: nothing to check, nothing shown.
    QFile::remove(db->imagesDbPath());
    dialogs.clear();
    EXPECT_EQ(CheckImagesDbIntegrity(*db, [] { return false; }).outcome, IntegrityResult::Outcome::NoFile);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(PictureDbTest, RemovedLinesGoToTheProgramLog)
{
    QStringList logged;
    TLog log(&logged);
    log.logToFile = false;
    SetProgramLog(&log);
    writeFile("pd_images.db", kBom + kGood1 + "\r\n" + kTwoFields + "\r\n");
    CheckImagesDbIntegrity(*db, [] { return false; });
    SetProgramLog(nullptr);
    ASSERT_EQ(logged.size(), 1);
    EXPECT_TRUE(logged[0].endsWith("removing line: " + QString::fromUtf8(kTwoFields))) << logged[0].toStdString();
}

TEST_F(PictureDbTest, PageOfASavedFile)
{
    writeFile("pd_images.db", kBom + "12_ab|http://h/photos/u/12/in/set-5/|t\r\n13_cd|broken\r\n");
    db->LoadImagesDb();
    struct Case {
        const char *file;
        PageForFile::Action action;
        const char *url; // "*" for the zoom page
        const char *message;
    } cases[] = {
        {"/p/12_ab Sunset [tags] sea_o.jpg", PageForFile::Action::Navigate, "http://h/photos/u/12/in/set-5/", ""},
        {"/p/12_ab.jpg", PageForFile::Action::Navigate, "http://h/photos/u/12/in/set-5/", ""},
        {"/p/13_cd x.jpg", PageForFile::Action::CorruptRecord, "", "Corrupt images database"},
        {"/p/14_ef x.jpg", PageForFile::Action::TryZoomPage, "*",
         "Could not find URL for picture. Will try to locate it directly."},
        {"/p/holiday.jpg", PageForFile::Action::None, "", ""},
        {"/p/", PageForFile::Action::None, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const PageForFile r = FindPageForSavedFile(*db, c.file);
        EXPECT_EQ(r.action, c.action);
        EXPECT_EQ(r.message, c.message);
        if (QByteArray(c.url) == "*")
            EXPECT_TRUE(r.url.contains("photo_zoom.gne?id=14&")) << r.url.toStdString();
        else
            EXPECT_EQ(r.url, c.url);
    }
}

TEST_F(PictureDbTest, TagEditorTargets)
{
    const QString tagged = touch("pics/12_ab Sunset [tags]  _o.jpg");
    const QString plain = touch("pics/13_cd Sea.jpg");
    EXPECT_EQ(TagMenuCaption(tagged), "Add tags"); // only blanks after the marker
    EXPECT_EQ(TagMenuCaption(path("pics/12_ab x [tags] sea.jpg")), "Edit tags");
    EXPECT_EQ(TagMenuCaption(plain), "Add tags");
    EXPECT_EQ(TagEditProblem(plain), "");
    EXPECT_EQ(TagEditProblem(""), "No file to edit");
    EXPECT_EQ(TagEditProblem(path("gone.jpg")), "Picture file " + path("gone.jpg") + " does not exist");
}

TEST_F(PictureDbTest, TagRenameMovesTheFile)
{
    const QString old = touch("pics/12_ab Sunset [tags] sea_o.jpg");
    const QString renamed = RenameWithTags(old, "lake_side:2");
    EXPECT_EQ(QFileInfo(renamed).fileName(), "12_ab Sunset _o[tags]lake side 2.jpg");
    EXPECT_TRUE(QFile::exists(renamed));
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_EQ(ExtractTags(QFileInfo(renamed).fileName()), "lake side 2");

    // Never over another file.
    const QString other = touch("pics/7_x A.jpg");
    touch("pics/7_x A[tags]b.jpg");
    EXPECT_EQ(RenameWithTags(other, "b"), "");
    EXPECT_TRUE(QFile::exists(other));
}
