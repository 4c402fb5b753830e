#include "foundation_fixture.h"

#include "foundation/dialogs.h"
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
