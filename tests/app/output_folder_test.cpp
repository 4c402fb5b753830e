// The pictures folder: trailing dots, and the two fallbacks when the folder cannot be made.
#include "settings_test_support.h"

#include "app/output_folder.h"
#include "foundation/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace orvix;
using orvix::test::SettingsTest;

namespace {

// Points the user's pictures folder somewhere else for one test.
class PicturesFolder
{
public:
    explicit PicturesFolder(const QString &home) : m_home(qgetenv("HOME")), m_config(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", home.toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
    }
    ~PicturesFolder()
    {
        qputenv("HOME", m_home);
        if (m_config.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_config);
    }
    // Writes the desktop's own setting for the pictures folder.
    static void set(const QString &home, const QString &pictures)
    {
        QDir().mkpath(home + "/.config");
        QFile f(home + "/.config/user-dirs.dirs");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("XDG_PICTURES_DIR=\"" + QFile::encodeName(pictures) + "\"\n");
    }

private:
    QByteArray m_home;
    QByteArray m_config;
};

} // namespace

TEST_F(SettingsTest, OutputFolderLosesTrailingDotsButKeepsDotFolders)
{
    const QString base = folder + "out";
    QDir().mkpath(base + "/inner");
    const struct {
        QString given;
        QString chosen;
    } cases[] = {
        {base + "/pics...", base + "/pics"},
        {base + "/a.b.", base + "/a.b"},
        {base + "/inner/..", base + "/inner/.."},
        {base + "/.", base + "/."},
    };
    for (const auto &c : cases)
        EXPECT_EQ(EnsureOutputFolder(c.given, folder), c.chosen) << c.given.toStdString();
    EXPECT_TRUE(QFileInfo(base + "/pics").isDir());
    EXPECT_FALSE(QFileInfo::exists(base + "/pics..."));
    EXPECT_FALSE(QFileInfo::exists(base + "/a.b."));
}

TEST_F(SettingsTest, OutputFolderFallsBackToPicturesThenToTheSettingsFolder)
{
    const QString home = folder + "home";
    QDir().mkpath(home);
    PicturesFolder guard(home);
    QFile blocker(folder + "a-file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = folder + "a-file/sub";

    PicturesFolder::set(home, home + "/My Pictures");
    for (const QString &given : {QString(), impossible, QStringLiteral("...")})
        EXPECT_EQ(EnsureOutputFolder(given, folder), home + "/My Pictures/Orvix Images") << given.toStdString();
    EXPECT_TRUE(QFileInfo(home + "/My Pictures/Orvix Images").isDir());

    PicturesFolder::set(home, impossible);
    EXPECT_EQ(EnsureOutputFolder(impossible, folder), folder + "Orvix Images");
    EXPECT_TRUE(QFileInfo(folder + "Orvix Images").isDir());
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // Nothing can be made: said, and passed on.
    const QString settingsBlocked = folder + "a-file/settings/";
    EXPECT_THROW(EnsureOutputFolder(impossible, settingsBlocked), EFileError);
    EXPECT_EQ(dialogs.shown(), QStringList{"error: Could not create folder: " + settingsBlocked + "Orvix Images"});
}
