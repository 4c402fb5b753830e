// The picture strips in a splitter of their own, without the window or the browser engine:
// filling and restarting the strips, the thumbnail cache behind the previews, the library
// search and closing its view, the frames' hints and the picture menu.

#include "test_support.h"

#include "ui/picture_strips.h"
#include "ui/strip_frame.h"
#include "ui/thumbnail_maker.h"
#include "ui/widgets/lanczos_resample.h"
#include "ui/widgets/image_x.h"
#include "ui/widgets/tab_sheet_x.h"
#include "ui/widgets/varnel_page_control_x.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "foundation/run_control.h"
#include "library/picture_db.h"
#include "library/thumbnail_cache.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// Records what would have been opened or shown in the file manager.
class RecordingDesktop : public IDesktop
{
public:
    int openTarget(const QString &target, const QString &, const QString &) override
    {
        opened << target;
        return 0;
    }
    int openFolder(const QString &folder) override
    {
        opened << folder;
        return 0;
    }
    bool locateFile(const QString &file) override
    {
        located << file;
        return true;
    }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return false; }
    bool isControlDown() override { return false; }
    QStringList opened;
    QStringList located;
};

class Strips : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_previousDesktop = SetDesktop(&desktop);
        splitter.resize(900, 700);
        splitter.addWidget(new QWidget);
        TPictureStripsHost host;
        host.run = &run;
        host.picturesFolder = [this] { return pictures(); };
        host.cacheThumbnails = [this] { return cache; };
        host.editTags = [this](const QString &f) { editedTags << f; };
        host.locateInOrvix = [this](const QString &f) { locatedInOrvix << f; };
        strips = std::make_unique<TPictureStrips>(&splitter, std::move(host), nullptr);
        splitter.show();
    }
    void TearDown() override
    {
        strips.reset();
        SetDesktop(m_previousDesktop);
    }

    QString pictures() const { return m_dir.filePath(QStringLiteral("pictures")); }
    QString thumbs() const { return ThumbnailCacheFolder(pictures()); }
    // A real picture file in the pictures folder.
    QString picture(const QString &name, QSize size = QSize(400, 300), QColor colour = Qt::darkGreen) const
    {
        const QString path = pictures() + u'/' + name;
        QDir().mkpath(QFileInfo(path).path());
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    QStringList thumbFiles() const { return QDir(thumbs()).entryList(QDir::Files); }
    // Every preview asked for has come back from the threads that make them.
    void settle() { ASSERT_TRUE(test::waitUntil([this] { return strips->thumbnailsPending() == 0; }, 20000)); }
    static void setTime(const QString &path, const QDateTime &time)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
    }

    QTemporaryDir m_dir;
    RunControl run{m_dir.path()};
    RecordingDesktop desktop;
    IDesktop *m_previousDesktop = nullptr;
    ScriptedDialogs dialogs;
    ScopedDialogs dialogsGuard{dialogs};
    bool cache = true;
    QStringList editedTags;
    QStringList locatedInOrvix;
    QSplitter splitter{Qt::Vertical};
    std::unique_ptr<TPictureStrips> strips;
};

TEST_F(Strips, SessionStripRestartsAfter101FramesAndSearchStripRefuses)
{
    EXPECT_EQ(strips->bottomHeight(), 0); // nothing in use yet
    const QString file = picture(QStringLiteral("1_a Tree_o.jpg"), QSize(60, 40));
    for (int i = 0; i < 101; ++i)
        ASSERT_TRUE(strips->AddPictureFrame("session", file));
    EXPECT_EQ(strips->sessionStrip().FramesXAr.size(), 101);
    EXPECT_GE(strips->bottomHeight(), TPictureStrips::kBottomHeight);

    // The 102nd starts the strip again.
    ASSERT_TRUE(strips->AddPictureFrame("session", file));
    EXPECT_EQ(strips->sessionStrip().FramesXAr.size(), 1);
    const TFrameX *first = strips->sessionStrip().FramesXAr.first();
    EXPECT_EQ(first->x(), 0);
    EXPECT_EQ(strips->sessionStrip().LastFrameX, first->width() + 3);

    for (int i = 0; i < 101; ++i)
        ASSERT_TRUE(strips->AddPictureFrame("search", file));
    EXPECT_FALSE(strips->AddPictureFrame("search", file));
    EXPECT_EQ(strips->searchStrip().FramesXAr.size(), 101);

    // A missing file is not added; an unknown strip is left alone.
    EXPECT_FALSE(strips->AddPictureFrame("session", pictures() + "/gone.jpg"));
    EXPECT_TRUE(strips->AddPictureFrame("other", file));
    EXPECT_EQ(strips->sessionStrip().FramesXAr.size(), 1);
}

TEST_F(Strips, FramesShowTheirPictureTitleTagsAndNewestFrame)
{
    const QString tagged = picture(QStringLiteral("12_ab Lake at dawn_o[tags] sea rocks.jpg"), QSize(300, 600));
    const QString plain = picture(QStringLiteral("Holiday.png"), QSize(800, 200));
    ASSERT_TRUE(strips->AddPictureFrame("session", tagged));
    ASSERT_TRUE(strips->AddPictureFrame("session", plain));
    QApplication::processEvents(); // the strip laid out at its real size
    const TFrameX *a = strips->sessionStrip().FramesXAr[0];
    const TFrameX *b = strips->sessionStrip().FramesXAr[1];
    // 150 pixels high, as wide as the picture's proportions give.
    EXPECT_EQ(a->Image1x()->size(), QSize(75, 150));
    EXPECT_EQ(b->Image1x()->size(), QSize(600, 150));
    EXPECT_EQ(b->x(), a->width() + 3);
    EXPECT_EQ(a->comment(), "sea rocks");
    EXPECT_TRUE(a->StaticText1x()->isVisibleTo(const_cast<TFrameX *>(a)));
    EXPECT_FALSE(b->StaticText1x()->isVisibleTo(const_cast<TFrameX *>(b)));
    EXPECT_TRUE(a->Image1x()->toolTip().startsWith("Lake at dawn, sea rocks\n")) << a->Image1x()->toolTip().toStdString();
    EXPECT_TRUE(a->Image1x()->toolTip().endsWith("\n\n(right-click for options)"));
    EXPECT_TRUE(b->Image1x()->toolTip().startsWith("Holiday.png\n"));

    // At the strip's end it follows the newest frame; scrolled back, it stays where the user is.
    for (int i = 0; i < 6; ++i)
        strips->AddPictureFrame("session", plain);
    QScrollBar *bar = strips->sessionStrip().ScrollBox->horizontalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_GT(bar->maximum(), 0);
    bar->setValue(0);
    strips->AddPictureFrame("session", plain);
    EXPECT_EQ(bar->value(), 0);
}

// Pictures that cannot be read get a small mark in place of the frame foreseen: the strip gets
// shorter, and the next picture saved is still shown at its end.
TEST_F(Strips, SessionStripEndsAtTheNewestPictureAfterPreviewsChangeSize)
{
    const QString broken = pictures() + QStringLiteral("/1_a Broken.jpg");
    QDir().mkpath(pictures());
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a picture");
    file.close();
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(strips->AddPictureFrame("session", broken));
    settle();
    QApplication::processEvents();
    const TStrip &strip = strips->sessionStrip();
    QScrollBar *bar = strip.ScrollBox->horizontalScrollBar();
    ASSERT_LT(strip.FramesXAr[0]->width(), TPictureStrips::kFrameHeight); // smaller than foreseen
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(strip.PrevPosition, strip.LastFrameX - strip.ScrollBox->width());

    strips->AddPictureFrame("session", picture(QStringLiteral("2_b Lake.png")));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(Strips, ThumbnailIsCachedReusedAndRebuiltWhenThePictureIsNewer)
{
    const QString file = picture(QStringLiteral("5_e Red_o.jpg"), QSize(600, 300), Qt::red);
    ASSERT_TRUE(strips->AddPictureFrame("session", file));
    settle();
    EXPECT_GT(strips->sessionStrip().FramesXAr.last()->Image1x()->bitmap().pixelColor(150, 75).red(), 240);
    const QString cached = CachedThumbnailPath(thumbs(), file);
    ASSERT_EQ(thumbFiles(), QStringList{QFileInfo(cached).fileName()});
    EXPECT_EQ(QImage(cached).size(), QSize(300, 150));
    EXPECT_GT(QImage(cached).pixelColor(150, 75).red(), 240);

    // Shown again: the thumbnail is read, not rebuilt (a mark painted into it shows).
    QImage marked(cached);
    marked.fill(Qt::blue);
    ASSERT_TRUE(marked.save(cached));
    setTime(file, QDateTime::currentDateTime().addSecs(-60));
    ASSERT_TRUE(strips->AddPictureFrame("session", file));
    EXPECT_EQ(strips->sessionStrip().FramesXAr.last()->Image1x()->bitmap().pixelColor(10, 10), QColor(Qt::blue));

    // The picture changed after its thumbnail was made: rebuilt from the picture.
    picture(QStringLiteral("5_e Red_o.jpg"), QSize(300, 300), Qt::green);
    setTime(file, QDateTime::currentDateTime().addSecs(60));
    ASSERT_TRUE(strips->AddPictureFrame("session", file));
    settle();
    EXPECT_EQ(strips->sessionStrip().FramesXAr.last()->Image1x()->size(), QSize(150, 150));
    EXPECT_EQ(QImage(cached).size(), QSize(150, 150));
    EXPECT_GT(QImage(cached).pixelColor(75, 75).green(), 100);

    // A picture that cannot be decoded shows the error picture, which is not cached.
    const QString broken = pictures() + "/6_f Broken_o.jpg";
    QFile junk(broken);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\xFF\xD8 not a picture");
    junk.close();
    ASSERT_TRUE(strips->AddPictureFrame("session", broken));
    settle();
    EXPECT_EQ(strips->sessionStrip().FramesXAr.last()->Image1x()->bitmap(), TImageX::ErrorPicture());
    EXPECT_FALSE(QFileInfo::exists(CachedThumbnailPath(thumbs(), broken)));
    EXPECT_EQ(thumbFiles().size(), 1);
}

TEST_F(Strips, WithCachingOffNothingIsWrittenToThumbs)
{
    cache = false;
    const QString file = picture(QStringLiteral("5_e Red_o.jpg"));
    ASSERT_TRUE(strips->AddPictureFrame("session", file));
    ASSERT_TRUE(strips->AddPictureFrame("search", file));
    settle();
    EXPECT_FALSE(strips->searchStrip().FramesXAr.first()->previewPending());
    EXPECT_FALSE(QFileInfo::exists(thumbs()));
    EXPECT_EQ(strips->sessionStrip().FramesXAr.first()->Image1x()->height(), 150);
}

TEST_F(Strips, LibrarySearchFillsTheSearchStripAndClosingItHidesAnEmptyBottom)
{
    PictureDatabase db(m_dir.path() + u'/');
    const QString small = picture(QStringLiteral("tree/1_a Tree_o.jpg"), QSize(30, 20));
    for (int i = 0; i < 130; ++i)
        db.RegisterSavedFile(small);
    const QString sea = picture(QStringLiteral("2_b Sea at dawn_o.jpg"), QSize(30, 20));
    db.RegisterSavedFile(sea);

    strips->LibrarySearch(db, "TREE");
    EXPECT_EQ(strips->searchStrip().FramesXAr.size(), 101);
    EXPECT_EQ(strips->pcBottom()->ActivePage(), strips->tsSearchImages());
    EXPECT_GE(strips->bottomHeight(), TPictureStrips::kBottomHeight);
    // The close button is at the top right, and nothing covers it.
    QToolButton *close = strips->bClosePictureSearch();
    EXPECT_TRUE(close->isVisible());
    QApplication::processEvents();
    const QPoint centre = close->mapTo(strips->pcBottom(), close->rect().center());
    EXPECT_EQ(strips->pcBottom()->childAt(centre), close);
    EXPECT_GT(centre.x(), strips->pcBottom()->width() - 40);

    strips->LibrarySearch(db, "dawn ");
    EXPECT_EQ(strips->searchStrip().FramesXAr.size(), 0); // "dawn_o": the blank counts
    strips->LibrarySearch(db, "DAWN");
    ASSERT_EQ(strips->searchStrip().FramesXAr.size(), 1);
    EXPECT_EQ(strips->searchStrip().FramesXAr.first()->frameFn(), sea);

    strips->bClosePictureSearchClick();
    EXPECT_EQ(strips->bottomHeight(), 0);
    EXPECT_EQ(strips->pcBottom()->ActivePage(), strips->tsSessionImages());
    EXPECT_FALSE(strips->bClosePictureSearch()->isVisible());

    // With session pictures the bottom stays open on them.
    strips->AddPictureFrame("session", sea);
    strips->LibrarySearch(db, "tree");
    strips->bClosePictureSearchClick();
    EXPECT_GE(strips->bottomHeight(), TPictureStrips::kBottomHeight);
    EXPECT_EQ(strips->searchStrip().FramesXAr.size(), 0);
}

TEST_F(Strips, MouseSelectsFramesAndThePictureMenuActsOnTheSelectedFile)
{
    const QString a = picture(QStringLiteral("1_a One_o.jpg"));
    const QString b = picture(QStringLiteral("2_b Two [tags] x_o.jpg"));
    strips->AddPictureFrame("session", a);
    strips->AddPictureFrame("session", b);
    TFrameX *fa = strips->sessionStrip().FramesXAr[0];
    TFrameX *fb = strips->sessionStrip().FramesXAr[1];
    const auto colour = [](TFrameX *f) { return f->palette().color(QPalette::Window); };

    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(fa->Image1x(), &enter);
    EXPECT_EQ(colour(fa), QColor(138, 148, 250));
    QTest::mousePress(fb->Image1x(), Qt::RightButton);
    EXPECT_EQ(colour(fb), QColor(68, 68, 250));
    EXPECT_EQ(strips->SelectedStripFile(), b);
    strips->popupImage()->hide();
    strips->popupImagePopup();
    const auto action = [this](const char *name) { return strips->popupImage()->findChild<QAction *>(name); };
    EXPECT_EQ(action("piAddTag")->text(), "Edit tags");

    action("piOpenFrame")->trigger();
    action("piLocateInExplorer")->trigger();
    action("piAddTag")->trigger();
    action("piLocateInOrvix")->trigger();
    EXPECT_EQ(desktop.opened, QStringList{b}); // the quotes are the shell's, not the file's
    EXPECT_EQ(desktop.located, QStringList{b});
    EXPECT_EQ(editedTags, QStringList{b});
    EXPECT_EQ(locatedInOrvix, QStringList{b});

    // Another frame pressed: the first turns white again; a double click opens the picture.
    QTest::mousePress(fa->Image1x(), Qt::LeftButton);
    EXPECT_EQ(colour(fb), QColor(Qt::white));
    QTest::mouseDClick(fa->Image1x(), Qt::LeftButton);
    EXPECT_EQ(desktop.opened.last(), a);

    // A renamed file: its frame shows the new tags and path.
    const QString renamed = pictures() + "/2_b Two _o[tags]lake.jpg";
    strips->setSelectedStripFile(b);
    strips->FileRenamed(b, renamed);
    EXPECT_EQ(fb->frameFn(), renamed);
    EXPECT_EQ(fb->comment(), "lake");
    EXPECT_EQ(strips->SelectedStripFile(), renamed);
}

TEST_F(Strips, TheWheelScrollsAStripSidewaysByItsDistance)
{
    const QString wide = picture(QStringLiteral("3_c Wide_o.png"), QSize(800, 200));
    for (const char *id : {"session", "search"}) {
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(strips->AddPictureFrame(id, wide));
        const TStrip &strip = QLatin1String(id) == "session" ? strips->sessionStrip() : strips->searchStrip();
        strips->pcBottom()->SetTab(QLatin1String(id) == "session" ? strips->tsSessionImages() : strips->tsSearchImages());
        QApplication::processEvents();
        QScrollBar *bar = strip.ScrollBox->horizontalScrollBar();
        ASSERT_GT(bar->maximum(), 500) << id;
        bar->setValue(200);
        // Over a picture, or over the strip between pictures.
        const auto wheel = [&](QWidget *over, int dy) {
            QWheelEvent event(QPointF(10, 10), over->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, dy),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(over, &event);
        };
        wheel(strip.FramesXAr.first()->Image1x(), -120); // towards the user: further along the strip
        EXPECT_EQ(bar->value(), 320) << id;
        wheel(strip.ScrollBox->viewport(), 240);
        EXPECT_EQ(bar->value(), 80) << id;
    }
}

TEST_F(Strips, APreviewNeverReachesAFrameThatIsGone)
{
    // Many previews asked for, then the strip cleared before they are made: a frame added
    // afterwards gets its own picture, and none of the cleared ones is still awaited.
    const QString red = picture(QStringLiteral("1_a Red_o.jpg"), QSize(1200, 900), Qt::red);
    const QString blue = picture(QStringLiteral("2_b Blue_o.jpg"), QSize(600, 300), Qt::blue);
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(strips->AddPictureFrame("search", red));
    EXPECT_GT(strips->thumbnailsPending(), 0);
    strips->ClearStrip("search");
    ASSERT_TRUE(strips->AddPictureFrame("search", blue));
    settle();
    const TFrameX *frame = strips->searchStrip().FramesXAr.first();
    const QImage shown = frame->Image1x()->bitmap();
    EXPECT_EQ(shown.size(), QSize(300, 150));
    EXPECT_GT(shown.pixelColor(150, 75).blue(), 240);
    EXPECT_LT(shown.pixelColor(150, 75).red(), 20);
}

TEST_F(Strips, ClosingWhilePreviewsAreMadeDropsTheRestAndEndsTheThreads)
{
    QStringList files;
    for (int i = 0; i < 101; ++i)
        files << picture(QStringLiteral("%1_a Big_o.png").arg(i), QSize(800, 600), QColor(i, 80, 80));
    for (const QString &file : files)
        ASSERT_TRUE(strips->AddPictureFrame("search", file));
    // Made on the run's registered threads.
    ASSERT_TRUE(test::waitUntil([this] {
        for (const RegisteredThread &t : run.Threads.entries())
            if (t.className == "TThumbnailMaker")
                return true;
        return false;
    }, 20000));
    strips.reset(); // the window closes
    EXPECT_TRUE(run.Threads.entries().isEmpty());
    // Only the pictures in hand were finished; the queue was dropped, not worked through.
    EXPECT_LT(thumbFiles().size(), files.size());
    const int written = int(thumbFiles().size());
    QTest::qWait(200);
    EXPECT_EQ(thumbFiles().size(), written);
}

// Decoding a JPEG at a reduced size first must give the picture the full decode gives, at the
// size foreseen from the file's header.
TEST(Thumbnails, ReducedDecodingKeepsSizeAndLook)
{
    QTemporaryDir dir;
    struct Case
    {
        QSize picture;
        QSize thumbnail;
    } cases[] = {
        {{1024, 768}, {200, 150}},  // read at 1/4
        {{4000, 3000}, {200, 150}}, // at 1/8
        {{999, 301}, {497, 150}},   // at 1/2, odd sizes
        {{4000, 300}, {2000, 150}}, // too low to reduce
        {{120, 90}, {120, 90}},     // never enlarged
    };
    for (const Case &c : cases) {
        QImage source(c.picture, QImage::Format_RGB32);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x)
                source.setPixel(x, y, qRgb(x * 255 / source.width(), y * 255 / source.height(), (x / 64 + y / 64) % 2 ? 200 : 40));
        const QString path = dir.filePath(QStringLiteral("p%1x%2.jpg").arg(c.picture.width()).arg(c.picture.height()));
        ASSERT_TRUE(source.save(path, "JPEG", 95));
        const QImage made = MakeThumbnail(path, 150);
        EXPECT_EQ(made.size(), c.thumbnail) << c.picture.width();
        EXPECT_EQ(PredictThumbnailSize(path, 150), c.thumbnail) << c.picture.width();
        const QImage full = TImageX::ResampleOrKeep(QImage(path), c.thumbnail).convertToFormat(QImage::Format_RGB32);
        const QImage mine = made.convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(mine.size(), full.size());
        double diff = 0;
        for (int y = 0; y < full.height(); ++y)
            for (int x = 0; x < full.width(); ++x) {
                const QRgb a = full.pixel(x, y), b = mine.pixel(x, y);
                diff += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        EXPECT_LT(diff / (3.0 * full.width() * full.height()), 6.0) << c.picture.width();
    }
}

} // namespace
