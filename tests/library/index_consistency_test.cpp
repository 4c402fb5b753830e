// The indexed look-ups must answer exactly what a plain scan of the lists answers.

#include "db_test_support.h"
#include "library/picture_match.h"
#include "library/qt_print.h"

#include <QRandomGenerator>

using namespace orvix;
using orvix::test::PictureDbTest;

namespace {

QString pick(QRandomGenerator &rng, const QStringList &from)
{
    return from.at(rng.bounded(int(from.size())));
}

// Picture ids that are prefixes of each other, users, hosts and tails of every kind the
// parser produces, plus damaged records.
QString randomPageUrl(QRandomGenerator &rng)
{
    static const QStringList ids{"1", "12", "123", "1234", "21", "7", "70", "x1", "ab-9", "12a"};
    static const QStringList users{"u", "U", "user9", "a_b"};
    static const QStringList tails{"", "/", "/in/photostream/", "/in/set-72157/", "/in/set-7/", "/sizes/o/"};
    return "http://" + pick(rng, {"h", "www.h", "h:8080"}) + "/photos/" + pick(rng, users) + "/"
        + pick(rng, ids) + pick(rng, tails);
}

QString randomRecord(QRandomGenerator &rng)
{
    const QString key = QString::number(rng.bounded(40)) + "_" + pick(rng, {"ab", "AB", "c1", "zz"});
    const QString url = randomPageUrl(rng);
    switch (rng.bounded(10)) {
    case 0:
        return key + "|" + url + "|x|2024-01-01 10:00:00.000"; // a "|" inside the address
    case 1:
        return key + "|" + url;
    default:
        return key + "|" + url + "|2024-01-01 10:00:0" + QString::number(rng.bounded(10)) + ".000";
    }
}

QString randomQuery(QRandomGenerator &rng)
{
    switch (rng.bounded(6)) {
    case 0:
        return pick(rng, {"12", "1", "u/12", "photos", "", "|", "12|", "/", "h", "2024-01-01"});
    case 1:
        return randomPageUrl(rng).toUpper();
    default:
        return randomPageUrl(rng);
    }
}

QString scanRecords(const QStringList &records, const QString &pageUrl)
{
    const QString cut = CutPageUrlForLookup(pageUrl);
    for (const QString &r : records) {
        if (RecordMatchesPageUrl(r, cut))
            return r;
    }
    return QString();
}

QString scanFiles(const QStringList &files, const QString &key)
{
    for (const QString &f : files) {
        if (FileNameMatchesKey(f, key) && QFile::exists(f))
            return f;
    }
    return QString();
}

} // namespace

TEST_F(PictureDbTest, PageAddressIndexAgreesWithScan)
{
    QRandomGenerator rng(20240601);
    QStringList lines;
    for (int i = 0; i < 1500; ++i)
        lines << randomRecord(rng);
    writeFile("pd_images.db", lines.join("\r\n").toUtf8());
    db->LoadImagesDb();
    // Records inserted after the load live in the index's second part.
    for (int i = 0; i < 300; ++i)
        db->RecordQueuedPicture(picture(QString::number(rng.bounded(40)), "s", randomPageUrl(rng)));

    const QStringList records = db->imagesSnapshot();
    int hits = 0;
    for (int i = 0; i < 3000; ++i) {
        const QString q = randomQuery(rng);
        const QString expected = scanRecords(records, q);
        hits += !expected.isEmpty();
        ASSERT_EQ(db->FindImageRecordByPageUrl(q), expected) << q.toStdString();
    }
    EXPECT_GT(hits, 1000); // the queries do hit
}

TEST_F(PictureDbTest, FileKeyIndexAgreesWithScan)
{
    QRandomGenerator rng(7);
    QStringList listed;
    for (int i = 0; i < 800; ++i) {
        const QString name = pick(rng, {"", "", "", "a", "B"}) + QString::number(rng.bounded(60)) + pick(rng, {"_ab", "_AB", "", "_c1", "a_x", "-1"})
            + pick(rng, {" Sunset.jpg", ".png", "_o.jpg", " [tags] sea_o.jpg", ""});
        const QString p = folder() + "pics/" + pick(rng, {"", "sub/", "12_ab/"}) + name;
        if (rng.bounded(3) != 0)
            touch(p.mid(folder().size())); // the rest are listed but gone
        listed << p;
    }
    for (const QString &p : listed)
        db->RegisterSavedFile(p);

    for (int pass = 0; pass < 2; ++pass) {
        const QStringList files = db->filesSnapshot();
        for (int i = 0; i < 2000; ++i) {
            const QString key = pick(rng, {"", "", "A", "b"}) + QString::number(rng.bounded(70)) + pick(rng, {"", "_ab", "_Ab", "_a", "a", "_"});
            ASSERT_EQ(db->FindLocalFileByKey(key), scanFiles(files, key)) << key.toStdString();
        }
        db->RebuildFilesDb(folder() + "pics"); // the second pass runs on a rescanned list
    }
}
