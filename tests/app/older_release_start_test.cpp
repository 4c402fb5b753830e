// The first start on a settings folder an older release left: its files are taken up in the
// start-up order of both programs (ProgramContext), and nothing they held is lost.

#include "settings_test_support.h"

#include "app/program_context.h"
#include "app/program_settings.h"
#include "library/picture_db.h"
#include "library/qt_print.h"

#include <QDir>
#include <QStringEncoder>

using namespace orvix;
using orvix::test::SettingsTest;

namespace {

const QRect kWorkArea(0, 0, 1600, 880);

} // namespace

// All three files of an older release at once: the positions file must not make the session
// file exist before the older session file is copied to it.
TEST_F(SettingsTest, OlderSessionFileSurvivesBesideAPositionsFile)
{
    writeFile("orvix_downloader.ini", "[edOutputPath.Text]\r\n>/old/pictures\r\n");
    writeFile("orvix_downloader.Session.ini",
              "[edURL.Text]\r\n>http://h/photos/u/sets/1/page2/\r\n[edOutputPathInner.Text]\r\n>trip\r\n"
              "[multiqueue_left.Value]\r\n120.00000\r\n[queuePanel_top.Value]\r\n160.00000\r\n");
    writeFile("orvixdownloader.positions.ini", "5,6,700,500,Normal\r\n");

    SettingsValueMap controls;
    AddProgramSettingsControls(controls);
    ProgramContext context(controls, folder);
    context.PrepareDataFiles();
    context.LoadApplicationSettings();
    context.OpenSessionSettings();

    EXPECT_EQ(controls.text("edOutputPath"), "/old/pictures");
    EXPECT_EQ(controls.text("edURL"), "http://h/photos/u/sets/1/page2/");
    EXPECT_EQ(controls.text("edOutputPathInner"), "trip");
    EXPECT_EQ(controls.value("multiqueue_left"), 120);
    EXPECT_EQ(controls.value("queuePanel_top"), 160);
    const FormPlacement placement = context.ApplicationSettings().FormSize_Load(kWorkArea);
    EXPECT_EQ(placement.position, QPoint(5, 6));
    EXPECT_EQ(placement.size, QSize(700, 500));
    EXPECT_FALSE(QFile::exists(path("orvixdownloader.positions.ini")));
}

// "pd_files.db" in the encodings older releases wrote: converted at start, so the paths saved
// from now on (appended as UTF-8) and the old ones read back alike.
TEST_F(SettingsTest, OlderFilesDbIsConvertedBeforeNewPathsAreAppended)
{
    const QString pictures = folder + QString::fromUtf8("Bilder/");
    QDir().mkpath(pictures);
    const QString old = pictures + QString::fromUtf8("1_a Café.jpg");
    const QString saved = pictures + QString::fromUtf8("2_b Été à Łódź.jpg");
    for (const QString &f : {old, saved})
        writeFile(QDir(folder).relativeFilePath(f), "x");
    const QString oldLine = old + QStringLiteral("\r\n");
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"UTF-16 little-endian", "\xFF\xFE" + QStringEncoder(QStringConverter::Utf16LE).encode(oldLine)},
        {"UTF-16 big-endian", "\xFE\xFF" + QStringEncoder(QStringConverter::Utf16BE).encode(oldLine)},
        {"8-bit", oldLine.toLatin1()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("pd_files.db", c.bytes);
        {
            SettingsValueMap controls;
            ProgramContext context(controls, folder);
            context.PrepareDataFiles();
            context.EnsurePicturesFolder(pictures);
            context.LoadFilesDatabase();
            context.pictures().RegisterSavedFile(saved);
        }
        EXPECT_TRUE(readFile("pd_files.db").startsWith("\xEF\xBB\xBF"));
        PictureDatabase reread(folder);
        reread.LoadOrRebuildFilesDb(pictures);
        EXPECT_EQ(reread.filesSnapshot(), QStringList({old, saved}));
        EXPECT_EQ(reread.FindLocalFileByKey("2_b"), saved);
    }
    // A file already in UTF-8 with the mark is left as it is.
    const QByteArray current = readFile("pd_files.db");
    SettingsValueMap controls;
    ProgramContext(controls, folder).PrepareDataFiles();
    EXPECT_EQ(readFile("pd_files.db"), current);
}
