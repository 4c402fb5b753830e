// The window's picture strips while their previews are being made: the window goes (closed by
// the user, or dropped) before the threads that make them are done.

#include "settings_window_fixture.h"

#include "ui/picture_strips.h"

#include "app/program_context.h"
#include "library/picture_db.h"
#include "library/thumbnail_cache.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QThread>

using namespace orvix;

namespace {

class WindowStrips : public test::SettingsWindows
{
};

TEST_F(WindowStrips, TheWindowGoesWhilePreviewsAreMadeWithoutWaitingForTheRest)
{
    for (const bool closedByUser : {true, false}) {
        TFormMain &w = start();
        const QString pictures = w.ensuredPicturesFolder();
        const QString thumbs = ThumbnailCacheFolder(pictures);
        QDir(thumbs).removeRecursively();
        // Large enough that making 101 previews takes a while.
        const QString first = pictures + QStringLiteral("0_a lake_o.png");
        if (!QFile::exists(first)) {
            QImage image(2000, 1500, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            ASSERT_TRUE(image.save(first));
            for (int i = 1; i < 101; ++i)
                ASSERT_TRUE(QFile::copy(first, pictures + QStringLiteral("%1_a lake_o.png").arg(i)));
        }
        for (int i = 0; i < 101; ++i)
            w.context().pictures().RegisterSavedFile(pictures + QStringLiteral("%1_a lake_o.png").arg(i));
        w.searchLibrary(QStringLiteral("lake"));
        ASSERT_EQ(w.strips()->searchStrip().FramesXAr.size(), 101);
        ASSERT_GT(w.strips()->thumbnailsPending(), 0);
        if (closedByUser) {
            quit(w);
        } else {
            windows.pop_back();
        }
        // The queue was dropped, not worked through, and nothing is written afterwards.
        const qsizetype written = QDir(thumbs).entryList(QDir::Files).size();
        EXPECT_LT(written, 101) << closedByUser;
        QThread::msleep(300);
        EXPECT_EQ(QDir(thumbs).entryList(QDir::Files).size(), written) << closedByUser;
    }
}

} // namespace
