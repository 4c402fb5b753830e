// The thumbnail cache's names, its freshness rule and its trimming at close.

#include "library/qt_print.h"

#include "library/thumbnail_cache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

void writeWithTime(const QString &path, const QDateTime &time)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.flush(); // or closing would write, and set the time again
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

TEST(ThumbnailCache, NamesKeepTheEndOfALongFolder)
{
    const QString cache = ThumbnailCacheFolder("/home/u/Pictures");
    EXPECT_EQ(cache, "/home/u/Pictures/thumbs/");
    EXPECT_EQ(CachedThumbnailPath(cache, "/home/u/Pictures/set/12_ab Sea_o.jpg"),
              cache + "12_ab Sea_o.jpg_homeuPicturesset.png");
    // Unsafe characters of the folder or the name are replaced, the separators dropped.
    EXPECT_EQ(CachedThumbnailPath(cache, "/home/u/a:b/x|y.jpg"), cache + "x_y.jpg_homeuab.png");

    const QString deep = "/home/u/Pictures/" + QString(90, 'a') + "/the end of it/12_ab Sea_o.jpg";
    const QString name = QFileInfo(CachedThumbnailPath(cache, deep)).fileName();
    const QString folderPart = name.mid(QStringLiteral("12_ab Sea_o.jpg_").size()).chopped(4);
    EXPECT_TRUE(folderPart.endsWith("the end of it")) << name.toStdString();
    EXPECT_EQ(cache.size() + QStringLiteral("12_ab Sea_o.jpg").size() + folderPart.size(), kThumbnailNameBudget);
    // Two deep folders that differ only at their end get two thumbnails.
    EXPECT_NE(CachedThumbnailPath(cache, "/home/u/Pictures/" + QString(90, 'a') + "/one/x.jpg"),
              CachedThumbnailPath(cache, "/home/u/Pictures/" + QString(90, 'a') + "/two/x.jpg"));
    // A name that alone passes the budget keeps no folder part, and still names one file.
    const QString longName = QString(130, 'n') + ".jpg";
    EXPECT_EQ(CachedThumbnailPath(cache, "/p/" + longName), cache + longName + "_.png");
}

TEST(ThumbnailCache, CachedThumbnailIsUsedUntilThePictureIsNewer)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath("p/12_ab Sea.jpg");
    const QString cached = dir.filePath("thumbs/t.png");
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_FALSE(TakeCachedThumbnail(cached, picture)); // none yet

    writeWithTime(picture, now.addSecs(-3600));
    writeWithTime(cached, now.addSecs(-1800));
    EXPECT_TRUE(TakeCachedThumbnail(cached, picture));
    // Touched: it counts as shown now.
    EXPECT_GE(QFileInfo(cached).lastModified(), now.addSecs(-5));

    writeWithTime(picture, now.addSecs(60)); // the picture changed since
    EXPECT_FALSE(TakeCachedThumbnail(cached, picture));
}

TEST(ThumbnailCache, TrimmingKeepsTheNewest500)
{
    QTemporaryDir dir;
    const QString cache = dir.path() + "/thumbs/";
    const QDateTime base = QDateTime::currentDateTime().addDays(-1);
    // Written in a shuffled order so the file names and creation order say nothing.
    for (int i = 0; i < 650; ++i) {
        const int age = (i * 7919) % 650;
        writeWithTime(cache + QStringLiteral("t%1.png").arg(age, 3, 10, QLatin1Char('0')), base.addSecs(age));
    }
    EXPECT_EQ(TrimThumbnailCache(cache), 150);
    const QStringList left = QDir(cache).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), 500);
    EXPECT_EQ(left.first(), "t150.png");
    EXPECT_EQ(left.last(), "t649.png");

    EXPECT_EQ(TrimThumbnailCache(cache), 0);
    EXPECT_EQ(TrimThumbnailCache(dir.path() + "/none/"), 0);
}
