#include "foundation_fixture.h"

#include "test_support.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/process.h"
#include "foundation/paths.h"

using namespace orvix;

TEST(Paths, TrailingSeparatorTable)
{
    struct Case {
        const char *path, *included, *excluded;
    };
    const Case cases[] = {
        {"", "", ""},
        {"/a/b", "/a/b/", "/a/b"},
        {"/a/b/", "/a/b/", "/a/b"},
        {"/a/b//", "/a/b/", "/a/b"},
        {"/", "/", "/"}, // the root stays a folder
        {"rel", "rel/", "rel"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(IncludeTrailingBackslash(c.path), c.included) << c.path;
        EXPECT_EQ(ExcludeTrailingBackslash(c.path), c.excluded) << c.path;
    }
}

TEST(Paths, SettingsFolderFromSetterThenEnvironment)
{
    SetSettingsFolder("/tmp/orvix-set");
    EXPECT_EQ(GetSettingsFolder(), "/tmp/orvix-set/");
    EXPECT_EQ(SettingsPath("pd_images.db"), "/tmp/orvix-set/pd_images.db");
    EXPECT_EQ(SettingsPath("/abs/file.txt"), "/abs/file.txt");
    EXPECT_EQ(ProgramLogFileName(), "/tmp/orvix-set/OrvixDownloader.log");

    SetSettingsFolder(QString());
    const QByteArray saved = qgetenv("ORVIX_SETTINGS");
    qputenv("ORVIX_SETTINGS", "/tmp/orvix-env");
    EXPECT_EQ(GetSettingsFolder(), "/tmp/orvix-env/");
    qunsetenv("ORVIX_SETTINGS");
    EXPECT_TRUE(GetSettingsFolder().endsWith('/'));
    EXPECT_NE(GetSettingsFolder(), "/tmp/orvix-env/");
    if (!saved.isEmpty())
        qputenv("ORVIX_SETTINGS", saved);
}

TEST(Dialogs, HeadlessAnswersNotOkAndScriptedAnswersAsSet)
{
    QString value = "start";
    EXPECT_TRUE(ConfirmOkCancel(nullptr, "Delete all?", "Orvix")); // true = not OK
    EXPECT_FALSE(InputText("Tags", "Enter tags", value));
    EXPECT_EQ(value, "start");

    ScriptedDialogs scripted;
    {
        ScopedDialogs installed(scripted);
        scripted.answerOk = true;
        scripted.inputAnswer = "cats";
        InfoBox("saved");
        ErrorBox("failed");
        EXPECT_FALSE(ConfirmOkCancel(nullptr, "Go on?", "Orvix"));
        EXPECT_TRUE(InputText("Tags", "Enter tags", value));
    }
    EXPECT_EQ(value, "cats");
    EXPECT_EQ(scripted.shown(),
              QStringList({"info: saved", "error: failed", "confirm: Go on?", "input: Enter tags"}));
    EXPECT_TRUE(ConfirmOkCancel(nullptr, "again", "Orvix")); // headless again after the scope
}

class SystemHelpers : public orvix::test::SandboxTest {};

TEST_F(SystemHelpers, TempPathLivesInTheLocalDataFolder)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", path("data").toUtf8());
    const QString temp = TempPath("upd.bin");
    EXPECT_TRUE(temp.startsWith(path("data/"))) << temp.toStdString();
    EXPECT_TRUE(temp.endsWith("/Temp/VarnelSoftware/upd.bin")) << temp.toStdString();
    EXPECT_TRUE(QFileInfo(temp).dir().exists());
    EXPECT_EQ(TempPath("/x/upd.bin"), "/x/upd.bin");
    if (saved.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", saved);
}

TEST_F(SystemHelpers, RunCommandStartsWithoutWaitingOrRaises)
{
    RunCommand("touch \"" + path("made by child") + "\"");
    EXPECT_TRUE(orvix::test::waitUntil([&] { return QFileInfo::exists(path("made by child")); }, 5000));
    EXPECT_THROW(RunCommand(path("no-such-program") + " arg"), EOrvix);
    EXPECT_THROW(RunCommand("  "), EOrvix);
}

TEST_F(SystemHelpers, ShellCallsGoThroughTheDesktop)
{
    struct Desktop : IDesktop {
        QStringList calls;
        int openTarget(const QString &t, const QString &p, const QString &f) override
        {
            calls << "open " + t + " [" + p + "] in " + f;
            return 0;
        }
        int openFolder(const QString &f) override
        {
            calls << "folder " + f;
            return 0;
        }
        bool locateFile(const QString &f) override
        {
            calls << "locate " + f;
            return true;
        }
        void forceForeground(QObject *) override {}
        bool isShiftDown() override { return false; }
        bool isControlDown() override { return true; }
    } desktop;

    writeBytes(path("pic.jpg"), "x");
    EXPECT_EQ(ShellOpen(path("pic.jpg")), -1); // headless: nothing opened
    EXPECT_FALSE(LocateInExplorer(path("pic.jpg")));
    EXPECT_FALSE(IsControlDown());

    IDesktop *previous = SetDesktop(&desktop);
    EXPECT_EQ(ShellOpen(path("pic.jpg")), 0);
    EXPECT_EQ(ShellOpen("https://example.org/", "", "/w"), 0);
    EXPECT_EQ(ShellOpen(path(".")), 0);
    EXPECT_EQ(ShellOpen("\"" + path(".") + "\""), 0); // quoted as a command line writes it
    EXPECT_EQ(ShellOpen("\"" + path("pic.jpg") + "\""), 0);
    EXPECT_TRUE(LocateInExplorer("\"" + path("pic.jpg") + "\""));
    EXPECT_FALSE(LocateInExplorer(path("gone.jpg")));
    EXPECT_TRUE(IsControlDown());
    SetDesktop(previous);
    EXPECT_EQ(desktop.calls, QStringList({"open " + path("pic.jpg") + " [] in " + QFileInfo(path("pic.jpg")).absolutePath(),
                                          "open https://example.org/ [] in /w", "folder " + path("."),
                                          "folder " + path("."),
                                          "open " + path("pic.jpg") + " [] in " + QFileInfo(path("pic.jpg")).absolutePath(),
                                          "locate " + path("pic.jpg")}));
}
