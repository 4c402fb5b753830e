#include "settings_test_support.h"

#include "app/settings_folder.h"
#include "app/settings_migration.h"
#include "library/qt_print.h"

#include "foundation/command_line.h"
#include "foundation/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace orvix;
using orvix::test::SettingsTest;

TEST(SettingsFolder, RulesInOrder)
{
    QTemporaryDir tmp;
    const QString installed = "/usr/local/bin/orvix";
    const QString roamingExe = tmp.path() + "/prefix/Orvix Bin/orvix";
    QDir().mkpath(tmp.path() + "/prefix/Orvix Bin");
    QFile marker(roamingExe + ".roaming");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));

    struct Case {
        const char *what;
        SettingsFolderInputs in;
        QString folder;
        bool notice;
    } cases[] = {
        {"override wins", {"/tmp/mine", true, installed, {"/usr/local"}, "/home/a/local", "/home/a/roam"},
         "/tmp/mine/", false},
        {"noinstall under the prefix", {"", true, installed, {"/usr/local"}, "/home/a/local", "/home/a/roam"},
         "/usr/local/bin/", true},
        {"noinstall elsewhere", {"", true, "/opt/x/orvix", {"/usr/local"}, "/l", "/r"}, "/opt/x/", false},
        {"installed", {"", false, installed, {"/usr/local/"}, "/home/a/local", "/home/a/roam"},
         "/home/a/local/bin/", false},
        {"installed, prefix compared without case", {"", false, "/USR/Local/bin/orvix", {"/usr/local"}, "/l", "/r"},
         "/l/bin/", false},
        {"installed with the roaming marker", {"", false, roamingExe, {tmp.path() + "/prefix"}, "/l", "/r"},
         "/r/Orvix Bin/", false},
        {"portable", {"", false, "/home/a/apps/orvix/orvix", {"/usr/local"}, "/l", "/r"}, "/home/a/apps/orvix/", false},
        {"installed under the installer's prefix, one of several",
         {"", false, "/opt/Varnel Software/OrvixDownloader", {"/usr/", "/opt/"}, "/l", "/r"},
         "/l/Varnel Software/", false},
        {"a prefix that is only a name prefix", {"", false, "/usr/localx/orvix", {"/usr/local"}, "/l", "/r"},
         "/usr/localx/", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const SettingsFolderChoice choice = ResolveSettingsFolder(c.in);
        EXPECT_EQ(choice.folder, c.folder);
        EXPECT_EQ(!choice.notice.isEmpty(), c.notice);
    }
    EXPECT_EQ(ResolveSettingsFolder(cases[1].in).notice,
              "You have specified \"noinstall\" while in \"c:\\program files\".\r\n"
              "Some settings will be created in c:\\program files");
}

TEST_F(SettingsTest, OlderSettingsFilesAreRenamed)
{
    writeFile("orvix_downloader.ini", "[edStartPage.Text]\r\n>old\r\n");
    writeFile("orvix_downloader2.ini", "[edURL.Text]\r\n>http://h/old2/\r\n");
    writeFile("orvix_downloader.Session.ini", "[edURL.Text]\r\n>s\r\n");
    writeFile("OrvixDownloader.Session.ini", "current");

    RenameOlderSettingsFirstStep(GetSettingsFolder());
    EXPECT_EQ(readFile("OrvixDownloader.ini"), "[edStartPage.Text]\r\n>old\r\n");
    EXPECT_EQ(readFile("OrvixDownloader.Session.ini"), "current"); // never overwritten

    RenameOlderSettingsSecondStep(GetSettingsFolder());
    QByteArray merged = readFile("orvix_downloader.ini");
    merged.replace("\xEF\xBB\xBF", "");
    EXPECT_EQ(merged, "[edStartPage.Text]\r\n>old\r\n[edURL.Text]\r\n>http://h/old2/\r\n");
    // A file that has the pictures folder is complete already.
    writeFile("orvix_downloader.ini", "[edOutputPath.Text]\r\n>/p\r\n");
    RenameOlderSettingsSecondStep(GetSettingsFolder());
    EXPECT_EQ(readFile("orvix_downloader.ini"), "[edOutputPath.Text]\r\n>/p\r\n");

    QFile::remove(path("orvix_downloader2.ini"));
    EXPECT_EQ(PrepareOlderSessionFile(GetSettingsFolder()), path("orvix_downloader2.ini"));
    EXPECT_EQ(readFile("orvix_downloader2.ini"), "[edOutputPath.Text]\r\n>/p\r\n");
}

TEST_F(SettingsTest, TransferFromTheProgramFolder)
{
    const QString source = folder + "prog/", destination = folder + "local/prog/";
    QDir().mkpath(source);
    QDir().mkpath(destination);
    for (const char *name : {"OrvixDownloader.ini", "pd_images.db", "orvix.log", "OrvixDownloader.Session.ini",
                             "bugreport.txt", "README.txt", "libfoo.so", "other.db"})
        writeFile(QString("prog/") + name, name);
    writeFile("local/prog/pd_images.db", "newer");
    writeFile("local/prog/orvix.log", "keep");

    // Not root: offers the elevated restart and ends either way.
    for (bool ok : {true, false}) {
        dialogs.clear();
        dialogs.answerOk = ok;
        int restarts = 0;
        EXPECT_EQ(TransferSettings({source, destination, false, [&] { ++restarts; }}), TransferOutcome::EndProcess);
        EXPECT_EQ(restarts, ok ? 1 : 0);
        EXPECT_EQ(dialogs.shown().size(), 1);
        EXPECT_TRUE(QFile::exists(source + "pd_images.db"));
    }

    // As root: overwrite pd_images.db (OK), keep orvix.log (Cancel).
    struct Answers : ScriptedDialogs {
        bool okCancel(QObject *o, const QString &text, const QString &c) override
        {
            ScriptedDialogs::okCancel(o, text, c);
            return text.contains("pd_images.db");
        }
    } answers;
    ScopedDialogs guard(answers);
    EXPECT_EQ(TransferSettings({source, destination, true, {}}), TransferOutcome::Continue);
    const QStringList shown = answers.shown();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0], "info: The following files will be transferred from " + source + "\r\nto: " + destination
                            + "\r\nOrvixDownloader.Session.ini\r\nOrvixDownloader.ini\r\norvix.log\r\npd_images.db");
    EXPECT_EQ(shown[1], "confirm: Overwrite destination file " + destination + "orvix.log? (already exists in "
                            + destination + ")");
    EXPECT_EQ(readFile("local/prog/pd_images.db"), "pd_images.db");
    EXPECT_EQ(readFile("local/prog/orvix.log"), "keep");
    EXPECT_EQ(readFile("local/prog/OrvixDownloader.ini"), "OrvixDownloader.ini");
    QStringList left = QDir(source).entryList(QDir::Files);
    left.sort();
    EXPECT_EQ(left, QStringList({"README.txt", "bugreport.txt", "libfoo.so", "orvix.log", "other.db"}));

    // Nothing of ours left: nothing to do.
    QFile::remove(source + "orvix.log");
    answers.clear();
    EXPECT_EQ(TransferSettings({source, destination, false, {}}), TransferOutcome::Continue);
    EXPECT_TRUE(answers.shown().isEmpty());
}

TEST_F(SettingsTest, SwitchAndEnvironmentOverrideTheFolder)
{
    const QStringList savedArgs = CommandLineArgs();
    const QByteArray savedEnv = qgetenv("ORVIX_SETTINGS");
    const QString fromEnv = folder + "from env", fromSwitch = folder + "from switch";

    qputenv("ORVIX_SETTINGS", fromEnv.toUtf8());
    SetCommandLineArgs({"debug"});
    EXPECT_EQ(CurrentSettingsFolderInputs().overrideFolder, fromEnv);
    SetCommandLineArgs({"/settings=" + fromSwitch, "noinstall"});
    const SettingsFolderInputs in = CurrentSettingsFolderInputs();
    EXPECT_EQ(in.overrideFolder, fromSwitch);
    EXPECT_TRUE(in.noInstall);

    // Start-up creates the folder and hands it to the foundation.
    EXPECT_EQ(InitSettingsFolder(), fromSwitch + "/");
    EXPECT_TRUE(QFileInfo(fromSwitch).isDir());
    EXPECT_EQ(GetSettingsFolder(), fromSwitch + "/");
    EXPECT_TRUE(dialogs.shown().isEmpty());

    SetCommandLineArgs(savedArgs);
    if (savedEnv.isNull())
        qunsetenv("ORVIX_SETTINGS");
    else
        qputenv("ORVIX_SETTINGS", savedEnv);
}
