#include "settings_test_support.h"

#include "app/program_settings.h"
#include "app/settings_file.h"
#include "app/settings_migration.h"
#include "library/qt_print.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

using namespace orvix;
using orvix::test::SettingsTest;

namespace {

struct Stores {
    SettingsValueMap controls;
    TVarnelProject app{controls};
    TVarnelProject session{controls};

    Stores()
    {
        AddProgramSettingsControls(controls);
        app.setPropertiesList(ApplicationSettingsEntries());
        app.setSaveFormSize(true);
        session.setPropertiesList(SessionSettingsEntries());
    }
};

const QRect kWorkArea(0, 0, 1600, 880);

} // namespace

TEST_F(SettingsTest, EveryValueKindRoundTrips)
{
    const QList<ListViewItem> favorites{
        {"http://h/photos/u/sets/1/", {"Holiday [2019]", "2024-03-01 10:00:00"}, false, false},
        {"http://h/groups/g/pool/", {"", "2024-03-02 11:00:00"}, true, false},
    };
    const QString multiLine = "first line\r\n\r\n  indented after a blank\r\n[not a header]";
    {
        Stores s;
        s.app.SetSingleProject();
        s.controls.setListViewItems("lvFavorites", favorites);
        s.controls.setChecked("cbVersion1_0_0_10_initialized", true);
        s.controls.setText("edOutputPath", "[pictures] of mine");
        s.controls.setItemIndex("rg_ImageSizeToSave", 2);
        s.controls.setText("edStartPage", QString::fromUtf8("http://h/Été"));
        s.controls.setLines("edMinimizedWebPanelUrls", {"/groups/", "", "/people/"});
        s.controls.setChecked("cbCacheThumbnails", false);
        s.app.SaveProjectX();

        s.session.SetSessionProject(QString());
        s.controls.setText("edURL", multiLine);
        s.controls.setValue("multiqueue_left", 386);
        s.controls.setValue("queuePanel_height", 110.25);
        s.session.SaveProjectX();
    }
    EXPECT_TRUE(readFile("OrvixDownloader.ini").startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(fileLines("OrvixDownloader.Session.ini").contains("386.00000"));

    Stores s;
    s.app.SetSingleProject();
    s.session.SetSessionProject(QString());
    EXPECT_EQ(s.controls.listViewItems("lvFavorites"), favorites);
    EXPECT_TRUE(s.controls.checked("cbVersion1_0_0_10_initialized"));
    EXPECT_EQ(s.controls.text("edOutputPath"), "[pictures] of mine");
    EXPECT_EQ(s.controls.itemIndex("rg_ImageSizeToSave"), 2);
    EXPECT_EQ(s.controls.text("edStartPage"), QString::fromUtf8("http://h/Été"));
    EXPECT_EQ(s.controls.lines("edMinimizedWebPanelUrls"), QStringList({"/groups/", "", "/people/"}));
    EXPECT_FALSE(s.controls.checked("cbCacheThumbnails"));
    EXPECT_EQ(s.controls.text("edURL"), multiLine);
    EXPECT_DOUBLE_EQ(s.controls.value("multiqueue_left"), 386);
    EXPECT_DOUBLE_EQ(s.controls.value("queuePanel_height"), 110.25);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

TEST_F(SettingsTest, AbsentKeyKeepsTheDesignValueEmptyKeyEmpties)
{
    writeFile("OrvixDownloader.ini", "\xEF\xBB\xBF[edStartUrlIdx.Text]\r\n[edStartPage.Text]\r\n>x\r\n"
                                     "[rg_ImageSizeToSave.ItemIndex]\r\n\r\n"
                                     "[cbCacheThumbnails.Checked]\r\nyes\r\n"
                                     "[lvFavorites.Items]\r\n"
                                     "><checked>0<caption>http://h/sets/1/<FF>Title<FF>2024-01-01 10:00:00\r\n");
    Stores s;
    s.controls.setText("edOutputPath", "/design/value");
    s.app.SetSingleProject();
    EXPECT_EQ(s.controls.text("edOutputPath"), "/design/value"); // absent
    EXPECT_EQ(s.controls.text("edStartUrlIdx"), "");             // present, empty
    EXPECT_EQ(s.controls.text("edStartPage"), "x");
    EXPECT_EQ(s.controls.itemIndex("rg_ImageSizeToSave"), -1);   // empty reads as -1
    EXPECT_FALSE(s.controls.checked("cbCacheThumbnails"));       // only "1" checks
    EXPECT_EQ(s.controls.listViewItems("lvFavorites"),
              QList<ListViewItem>({{"http://h/sets/1/", {"Title", "2024-01-01 10:00:00"}, false, false}}));
}

TEST_F(SettingsTest, StartsAreCountedAndTheInstallationDateKept)
{
    {
        Stores first;
        first.app.SetSingleProject(); // no file yet: nothing to count
        EXPECT_EQ(first.app.GetStartsCount(), 0);
        first.app.SaveProjectX();
    }
    const QStringList written = fileLines("OrvixDownloader.ini");
    EXPECT_FALSE(written.contains("[starts]"));
    const int dateAt = int(written.indexOf("[installation date]"));
    ASSERT_GE(dateAt, 0);
    const QString installed = written.value(dateAt + 1);
    EXPECT_TRUE(QDateTime::fromString(installed, "yyyy-MM-dd hh:mm:ss").isValid()) << installed.toStdString();

    for (int start = 1; start <= 2; ++start) {
        Stores s;
        s.app.SetSingleProject();
        EXPECT_EQ(s.app.GetStartsCount(), start);
        EXPECT_FALSE(s.app.ProjectModifiedExternally()); // the store's own write
    }
    Stores s;
    s.app.SetSingleProject();
    s.app.SaveProjectX();
    const QStringList lines = fileLines("OrvixDownloader.ini");
    EXPECT_EQ(GetSectionValue(lines, "starts"), "3");
    EXPECT_EQ(GetSectionValue(lines, "installation date"), installed);
}

TEST_F(SettingsTest, EntriesTheWindowCannotServeAreReported)
{
    writeFile("OrvixDownloader.ini", "\xEF\xBB\xBF[edOutputPath.Lines]\r\n>a\r\n[edOutputPath.Colour]\r\n>b\r\n"
                                     "[edStartPage.Text]\r\n>kept going\r\n");
    SettingsValueMap controls;
    AddProgramSettingsControls(controls);
    TVarnelProject app(controls);
    app.setPropertiesList({"edMissing.Text", "edOutputPath.Lines", "edOutputPath.Colour",
                           "edOutputPath.Lines.Extra", "  ", "edStartPage.Text", "edStartUrlIdx.Colour"});
    app.SetSingleProject();
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Component edMissing not found",
                                            "info: Unknown class for object edOutputPath",
                                            "info: Unknown property: Colour"}));
    EXPECT_EQ(controls.text("edStartPage"), "kept going");
}

TEST_F(SettingsTest, SessionStoreMergesTheOldFileAndDropsItAtTheNextSave)
{
    writeFile("OrvixDownloader.Session.ini", "\xEF\xBB\xBF[Form Position and Size]\r\n10,20,800,600,Normal\r\n"
                                             "[edURL.Text]\r\n>http://h/new/\r\n");
    writeFile("orvix_downloader2.ini", "[edURL.Text]\r\n>http://h/old/\r\n[edOutputPathInner.Text]\r\n>sub\r\n");
    Stores s;
    s.session.SetSessionProject(path("orvix_downloader2.ini"));
    EXPECT_FALSE(QFile::exists(path("orvix_downloader2.ini")));
    EXPECT_EQ(s.controls.text("edURL"), "http://h/new/");    // the session file's own section wins
    EXPECT_EQ(s.controls.text("edOutputPathInner"), "sub");  // taken from the old file

    s.session.CloseQuery(QRect(), false, kWorkArea); // written at every exit
    const QStringList lines = fileLines("OrvixDownloader.Session.ini");
    EXPECT_EQ(lines.mid(0, 2), QStringList({"[Form Position and Size]", "10,20,800,600,Normal"}));
    EXPECT_EQ(lines.count("[edURL.Text]"), 1);
    EXPECT_EQ(GetSectionValue(lines, "edOutputPathInner.Text"), ">sub");
}

TEST_F(SettingsTest, PositionsFileOfOlderReleasesIsMergedIntoTheSessionFile)
{
    writeFile("orvixdownloader.positions.ini", "5,6,700,500,Normal\r\n");
    writeFile("OrvixDownloader.Session.ini", "\xEF\xBB\xBF[edURL.Text]\r\n>http://h/x/\r\n");
    Stores s;
    MergeOlderPositionsFile(folder);
    EXPECT_FALSE(QFile::exists(path("orvixdownloader.positions.ini")));
    EXPECT_EQ(fileLines("OrvixDownloader.Session.ini"),
              QStringList({"[Form Position and Size]", "5,6,700,500,Normal", "[edURL.Text]", ">http://h/x/"}));
    const FormPlacement p = s.app.FormSize_Load(kWorkArea);
    EXPECT_EQ(p.position, QPoint(5, 6));
    EXPECT_EQ(p.size, QSize(700, 500));
}

TEST_F(SettingsTest, MaximisedWindowIsStoredInsetAndReopensMaximised)
{
    Stores s;
    s.session.SetSessionProject(QString());
    s.session.CloseQuery(QRect(), false, kWorkArea);
    s.app.CloseQuery(QRect(3, 4, 500, 400), true, kWorkArea);
    EXPECT_EQ(GetSectionValue(fileLines("OrvixDownloader.Session.ini"), "Form Position and Size"),
              "100,110,1400,660,Max");
    const FormPlacement p = s.app.FormSize_Load(kWorkArea);
    EXPECT_TRUE(p.maximize);
    EXPECT_EQ(p.size, kWorkArea.size());

    // A window parked far off screen is not stored; the previous bounds stay.
    s.app.CloseQuery(QRect(-500, 10, 300, 200), false, kWorkArea);
    EXPECT_EQ(GetSectionValue(fileLines("OrvixDownloader.Session.ini"), "Form Position and Size"),
              "100,110,1400,660,Max");
    s.app.CloseQuery(QRect(-50, 10, 300, 200), false, kWorkArea);
    EXPECT_EQ(s.app.FormSize_Load(kWorkArea),
              (FormPlacement{true, QPoint(-50, 10), true, QSize(300, 200), false}));
}

TEST_F(SettingsTest, AnotherInstancesSaveIsNoticedAndReloaded)
{
    Stores mine, other;
    mine.app.SetSingleProject();
    other.app.SetSingleProject();
    EXPECT_FALSE(mine.app.ProjectModifiedExternally());

    other.controls.setText("edOutputPath", "/other/pictures");
    other.app.SaveProjectX();
    // Past the 2-second tolerance, without waiting for the clock.
    QFile f(mine.app.ProjectFn());
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(10), QFileDevice::FileModificationTime));
    f.close();

    EXPECT_TRUE(mine.app.ProjectModifiedExternally());
    EXPECT_TRUE(mine.app.ReloadProject());
    EXPECT_EQ(mine.controls.text("edOutputPath"), "/other/pictures");
    EXPECT_FALSE(mine.app.ProjectModifiedExternally());

    QFile::remove(mine.app.ProjectFn());
    EXPECT_FALSE(mine.app.ReloadProject());
    EXPECT_FALSE(mine.app.ProjectModifiedExternally());
}

TEST_F(SettingsTest, FailedSaveIsReported)
{
    Stores s;
    s.app.SetSingleProject();
    // A folder where the file should be: every attempt fails and nothing is written.
    ASSERT_TRUE(QDir().mkpath(s.app.ProjectFn()));
    EXPECT_FALSE(s.app.SaveProjectX());
    EXPECT_EQ(dialogs.shown(), QStringList({"error: Saving to " + s.app.ProjectFn() + " FAILED"}));
    EXPECT_FALSE(s.app.ProjectModifiedExternally()); // a failed write is no write of another instance

    ASSERT_TRUE(QDir().rmdir(s.app.ProjectFn()));
    EXPECT_TRUE(s.app.SaveProjectX());
}
