// The settings panel inside real main windows: the first start, the settings mutex between two
// running instances, the checks made on closing, the start page, and a settings file that
// cannot be written. Each case starts the browser engine, so each runs in a process of its own.
#include "settings_window_fixture.h"
#include "test_support.h"

#include "library/qt_print.h"

#include "ui/picture_panel.h"
#include "ui/settings_panel.h"
#include "ui/top_bar.h"
#include "ui/widgets/directory_edit.h"
#include "ui/widgets/nav_bar.h"
#include "ui/widgets/varnel_page_control_x.h"

#include "app/program_context.h"
#include "foundation/desktop.h"
#include "foundation/named_mutex.h"
#include "foundation/paths.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

#include <sys/mount.h>
#include <unistd.h>

using namespace orvix;
using orvix::test::SettingsWindows;

namespace {

constexpr int kStartMs = 60000;

template <typename T>
T *child(TFormMain &w, const char *name)
{
    T *found = w.findChild<T *>(QLatin1String(name));
    EXPECT_TRUE(found) << name;
    return found;
}

// What the panel asked of the desktop.
struct RecordingDesktop : IDesktop
{
    QStringList calls;
    int openTarget(const QString &t, const QString &, const QString &) override
    {
        calls << "open " + t;
        return 0;
    }
    int openFolder(const QString &f) override
    {
        calls << "folder " + f;
        return 0;
    }
    bool locateFile(const QString &) override { return true; }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return false; }
    bool isControlDown() override { return false; }
};

bool settingsMutexHeld()
{
    return MutexExists(TSettingsPanel::SettingsMutexName(GetSettingsFolder()));
}

} // namespace

TEST_F(SettingsWindows, FirstStartOpensTheSettingsAndClosingThemMakesTheNextStartResume)
{
    TFormMain &first = start();
    TSettingsPanel *panel = first.settingsPanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->pages()->ActivePageIndex(), TSettingsPanel::kPageGeneral);
    EXPECT_TRUE(settingsMutexHeld());
    EXPECT_EQ(first.topBar()->edURL()->text(), page("/"));
    EXPECT_FALSE(QFile::exists(settingsFile())); // the marker is written with the settings

    // The picture size chosen here is the one the picture panel offers.
    child<QWidget>(first, "rg_ImageSizeToSave")->findChildren<QRadioButton *>().at(1)->click();
    EXPECT_EQ(first.picturePanel()->cbImageSizeToSave()->currentIndex(), 1);

    panel->bCloseSettings()->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(settingsMutexHeld());
    EXPECT_EQ(stored("cbVersion1_0_0_10_initialized.Checked"), "1");
    EXPECT_EQ(stored("rg_ImageSizeToSave.ItemIndex"), "1");
    EXPECT_EQ(stored("edOutputPath.Text"), home.path() + "/Pictures/Orvix Images");
    EXPECT_EQ(stored("starts"), "<absent>"); // the first start found no file to count in
    EXPECT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().join('|').toStdString();

    const QString lastPage = page("/photos/alma/");
    first.topBar()->edURL()->setText(lastPage);
    quit(first);

    TFormMain &second = start();
    EXPECT_FALSE(second.settingsPanel()->isVisible());
    EXPECT_FALSE(settingsMutexHeld());
    EXPECT_EQ(second.topBar()->edURL()->text(), lastPage);
    EXPECT_EQ(second.picturePanel()->cbImageSizeToSave()->currentIndex(), 1);
    EXPECT_EQ(stored("starts"), "1");
    quit(second);
    start();
    EXPECT_EQ(stored("starts"), "2");
}

// The first instance is a real process of the program on the same settings folder: its first
// start shows the settings.
TEST_F(SettingsWindows, SecondInstanceCannotOpenTheSettingsWhileTheFirstShowsThem)
{
    QProcess other;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    env.insert(QStringLiteral("HOME"), home.path());
    other.setProcessEnvironment(env);
    other.setProcessChannelMode(QProcess::MergedChannels);
    other.start(test::binaryDir() + QStringLiteral("/src/ui/orvix"),
                {QStringLiteral("settings=") + folder, QStringLiteral("site=127.0.0.1:1"), QStringLiteral("nomutex")});
    ASSERT_TRUE(other.waitForStarted(10000));
    const bool up = test::waitUntil([] { return settingsMutexHeld(); }, kStartMs);
    if (!up)
        other.kill();
    ASSERT_TRUE(up) << other.readAll().toStdString();

    const QString refused = QStringLiteral("info: Another instance of the orvix downloader options is already open.");
    TFormMain &second = start(); // its own first start asks for the panel too
    EXPECT_EQ(dialogs.shown(), QStringList{refused});
    QAction *browsing = second.findChild<QAction *>(QStringLiteral("miBrowsingSettings"));
    browsing->trigger();
    EXPECT_EQ(dialogs.shown(), (QStringList{refused, refused}));
    EXPECT_FALSE(second.settingsPanel()->isVisible());

    other.kill(); // the system lets go of a dead holder's mutex
    other.waitForFinished(10000);
    browsing->trigger();
    EXPECT_TRUE(second.settingsPanel()->isVisible());
    EXPECT_EQ(second.settingsPanel()->pages()->ActivePageIndex(), TSettingsPanel::kPageBrowsing);
    EXPECT_TRUE(second.settingsPanel()->holdsMutex());
    EXPECT_EQ(dialogs.shown().size(), 2);
}

TEST_F(SettingsWindows, ClosingRefusesAFolderThatCannotBeUsedAndDropsTrailingDots)
{
    const QString work = dir.path() + "/work";
    QDir().mkpath(work + "/readonly");
    QFile(work + "/a-file").open(QIODevice::WriteOnly);
    bool mounted = false;
    if (::geteuid() == 0) {
        // Root writes through permissions: only a read-only file system refuses it.
        mounted = ::mount("tmpfs", QFile::encodeName(work + "/readonly").constData(), "tmpfs", MS_RDONLY,
                          "size=64k") == 0;
        if (!mounted)
            GTEST_SKIP() << "mounting a read-only tmpfs is not permitted here";
    } else {
        QFile::setPermissions(work + "/readonly", QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    struct Unmount {
        QString path;
        bool on;
        ~Unmount() { if (on) ::umount2(QFile::encodeName(path).constData(), MNT_DETACH); }
    } unmount{work + "/readonly", mounted};

    TFormMain &w = start();
    TSettingsPanel *panel = w.settingsPanel();
    const struct {
        QString typed;
        QString said;
    } refused[] = {
        {work + "/a-file/sub", "info: Could not create directory: " + work + "/a-file/sub"},
        {QString(), "info: Could not create directory: "},
        {work + "/readonly", "info: You have no access right to write to: " + work
                                 + "/readonly\r\nPlease select another folder."},
    };
    for (const auto &c : refused) {
        dialogs.clear();
        panel->edOutputPath()->setText(c.typed);
        panel->bCloseSettings()->click();
        EXPECT_EQ(dialogs.shown(), QStringList{c.said}) << c.typed.toStdString();
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(settingsMutexHeld());
        EXPECT_EQ(panel->edOutputPath()->text(), c.typed);
        EXPECT_FALSE(QFile::exists(settingsFile()));
    }

    dialogs.clear();
    panel->edOutputPath()->setText(work + "/pictures...");
    panel->bCloseSettings()->click();
    EXPECT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().join('|').toStdString();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(stored("edOutputPath.Text"), work + "/pictures");
    EXPECT_EQ(panel->edOutputPath()->text(), work + "/pictures");
    EXPECT_EQ(w.context().outputFolder(), work + "/pictures");
    EXPECT_TRUE(QFileInfo(work + "/pictures").isDir());
    EXPECT_FALSE(QFileInfo::exists(work + "/pictures..."));
}

TEST_F(SettingsWindows, AFailedSettingsWriteIsSaidAndKeepsThePanelWithItsValues)
{
    TFormMain &w = start();
    TSettingsPanel *panel = w.settingsPanel();
    const QString pictures = dir.path() + "/pictures";
    panel->edOutputPath()->setText(pictures);
    child<QCheckBox>(w, "cbCacheThumbnails")->setChecked(false);
    // A folder where the file should be: no write can replace it.
    ASSERT_TRUE(QDir().mkpath(settingsFile()));

    panel->bCloseSettings()->click();
    EXPECT_EQ(dialogs.shown(), QStringList{"error: Saving to " + settingsFile() + " FAILED"});
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panel->holdsMutex());
    EXPECT_EQ(panel->edOutputPath()->text(), pictures);
    EXPECT_FALSE(child<QCheckBox>(w, "cbCacheThumbnails")->isChecked());

    ASSERT_TRUE(QDir().rmdir(settingsFile()));
    dialogs.clear();
    panel->bCloseSettings()->click();
    EXPECT_TRUE(dialogs.shown().isEmpty()) << dialogs.shown().join('|').toStdString();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(settingsMutexHeld());
    EXPECT_EQ(stored("edOutputPath.Text"), pictures);
    EXPECT_EQ(stored("cbCacheThumbnails.Checked"), "0");
    EXPECT_FALSE(w.context().cacheThumbnails());
}

TEST_F(SettingsWindows, GoToThisPageIsStoredAsOneAndOpensAtTheNextStart)
{
    const QString startPage = page("/photos/start/");
    TFormMain &first = start();
    first.findChild<QAction *>(QStringLiteral("miBrowsingSettings"))->trigger();
    EXPECT_EQ(first.settingsPanel()->pages()->ActivePageIndex(), TSettingsPanel::kPageBrowsing);
    child<QRadioButton>(first, "rbStartPage2")->click();
    EXPECT_EQ(child<QLineEdit>(first, "edStartUrlIdx")->text(), "1");
    child<QLineEdit>(first, "edStartPage")->setText(startPage);
    first.settingsPanel()->bCloseSettings()->click();
    EXPECT_EQ(stored("edStartUrlIdx.Text"), "1");
    EXPECT_EQ(stored("edStartPage.Text"), startPage);
    first.topBar()->edURL()->setText(page("/photos/alma/"));
    quit(first);

    TFormMain &second = start();
    EXPECT_EQ(second.topBar()->edURL()->text(), startPage);
    EXPECT_TRUE(child<QRadioButton>(second, "rbStartPage2")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(second, "rbStartPage1")->isChecked());

    // The panel stays centred in a resized window; "Open" shows the pictures folder in use.
    TSettingsPanel *panel = second.settingsPanel();
    panel->miGeneralSettingsClick(TSettingsPanel::kPageGeneral);
    second.resize(1100, 760);
    EXPECT_TRUE(test::waitUntil([&] {
        return second.width() == 1100
               && panel->pos() == QPoint((second.width() - panel->width()) / 2, (second.height() - panel->height()) / 2);
    }, 5000)) << panel->x() << "," << panel->y() << " in " << second.width() << "x" << second.height();
    RecordingDesktop desktop;
    IDesktop *previous = SetDesktop(&desktop);
    child<QPushButton>(second, "bOpenOutputFolder")->click();
    SetDesktop(previous);
    EXPECT_EQ(desktop.calls, QStringList{"folder " + second.context().outputFolder()});

    // Back to the last page: "0" again.
    second.settingsPanel()->miGeneralSettingsClick(TSettingsPanel::kPageBrowsing);
    child<QRadioButton>(second, "rbStartPage1")->click();
    second.settingsPanel()->bCloseSettings()->click();
    EXPECT_EQ(stored("edStartUrlIdx.Text"), "0");
}

// This instance's values win over what another instance wrote meanwhile, and it says so.
TEST_F(SettingsWindows, SettingsWrittenMeanwhileByAnotherInstanceAreOverwrittenWithAWarning)
{
    writeSettings({"[cbVersion1_0_0_10_initialized.Checked]", "1", "[edStartPage.Text]", ">mine"});
    TFormMain &w = start();
    w.settingsPanel()->miGeneralSettingsClick(TSettingsPanel::kPageBrowsing);
    child<QLineEdit>(w, "edStartPage")->setText(page("/photos/mine/"));
    writeSettings({"[cbVersion1_0_0_10_initialized.Checked]", "1", "[edStartPage.Text]", ">theirs"});
    touchLater();

    w.settingsPanel()->bCloseSettings()->click();
    EXPECT_EQ(dialogs.shown(), QStringList{"info: Another instance has already modified the settings. "
                                           "The old settings will be discarded."});
    EXPECT_EQ(stored("edStartPage.Text"), page("/photos/mine/"));
    EXPECT_FALSE(w.context().ApplicationSettings().ProjectModifiedExternally());
}
