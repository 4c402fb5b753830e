// The first display's debug self-test and the Help menu's "Support forums", in real windows.
#include "settings_window_fixture.h"
#include "test_support.h"

#include "app/maker_host.h"
#include "foundation/command_line.h"
#include "foundation/desktop.h"
#include "ui/picture_strips.h"
#include "ui/strip_frame.h"
#include "ui/top_bar.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>

using namespace orvix;

namespace {

class WindowStart : public test::SettingsWindows
{
};

// Records what the program asks the desktop to open.
class RecordingDesktop : public IDesktop
{
public:
    int openTarget(const QString &target, const QString &, const QString &) override
    {
        opened << target;
        return 0;
    }
    int openFolder(const QString &folder) override { return openTarget(folder, {}, {}); }
    bool locateFile(const QString &) override { return false; }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return false; }
    bool isControlDown() override { return false; }
    QStringList opened;
};

TEST_F(WindowStart, DebugStartSearchesTheLibraryForElevenAfterStartUp)
{
    const QString pictures = home.path() + QStringLiteral("/Pictures/Orvix Images/");
    ASSERT_TRUE(QDir().mkpath(pictures));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (const char *name : {"11_ab lake_o.png", "22_cd hill_o.png"})
        ASSERT_TRUE(image.save(pictures + QLatin1String(name)));
    for (const bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debug" : "plain");
        SetCommandLineArgs(debug ? QStringList{QStringLiteral("debug")} : QStringList{});
        TFormMain &w = start();
        ASSERT_TRUE(test::waitUntil([&] { return w.programInitialized(); }, 20000));
        EXPECT_EQ(w.topBar()->edSearchTerm()->text(), debug ? QStringLiteral("11") : QString());
        EXPECT_EQ(w.topBar()->cbSearchIn()->currentIndex() == TTopBar::kSearchInLibrary, debug);
        QStringList found;
        for (const TFrameX *frame : w.strips()->searchStrip().FramesXAr)
            found << QFileInfo(frame->frameFn()).fileName();
        EXPECT_EQ(found, debug ? QStringList{QStringLiteral("11_ab lake_o.png")} : QStringList{});
        quit(w);
    }
    SetCommandLineArgs({});
}

TEST_F(WindowStart, SupportForumsOpensTheMakersForumPage)
{
    TFormMain &w = start();
    QAction *item = w.findChild<QAction *>(QStringLiteral("miSupportForums"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isEnabled());
    RecordingDesktop desktop;
    IDesktop *previous = SetDesktop(&desktop);
    item->trigger();
    SetDesktop(previous);
    EXPECT_EQ(desktop.opened, QStringList{MakerRoot() + QStringLiteral("/ForumThreads.aspx?AppId=13")});
    quit(w);
}

} // namespace
