// orvix-cli where a run used to lose work or report success while losing it: lines that can
// never be processed, leftover files resume cannot take, item files that cannot be written, and
// folders given on the command line.

#include "e2e_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/mount.h>

using namespace orvix::test;
using orvix::photosite::ManifestPicture;

namespace {

class CliFaults : public CliSandbox
{
};

TEST_F(CliFaults, FolderOptionsThatCannotWorkAreRefusedWithExitTwo)
{
    startSite(smallSite());
    withOut = false;
    QFile(file(QStringLiteral("a-file"))).open(QIODevice::WriteOnly);
    const struct
    {
        QStringList args;
        const char *reason;
    } cases[] = {
        {{QStringLiteral("get"), QStringLiteral("--out=") + file(QStringLiteral("a|b")), QStringLiteral("http://x/")},
         "--out may not hold \"|\""},
        {{QStringLiteral("get"), QStringLiteral("--out=") + file(QStringLiteral("a-file")), QStringLiteral("http://x/")},
         "cannot be used: it is not a folder"},
        {{QStringLiteral("get"), QStringLiteral("--out=") + file(QStringLiteral("a-file/sub")), QStringLiteral("http://x/")},
         "cannot be used: it cannot be created"},
        {{QStringLiteral("get"), QStringLiteral("--subfolder=a|b"), QStringLiteral("http://x/")}, "--subfolder may hold"},
        {{QStringLiteral("get"), QStringLiteral("http://x/a|b")}, "an address may not hold \"|\""},
        {{QStringLiteral("get"), QStringLiteral("--subfolder=.."), QStringLiteral("http://x/")}, "--subfolder may not be \"..\""},
    };
    for (const auto &c : cases) {
        const CliResult r = runCli(c.args, 30000);
        EXPECT_EQ(r.exitCode, 2) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.reason))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("a|b"))));
}

TEST_F(CliFaults, RelativeOutIsTakenFromTheStartingFolder)
{
    startSite(smallSite());
    withOut = false;
    startFolder = file(QString());
    const auto chosen = firstPublicPictures(1);
    const CliResult r = runCli({QStringLiteral("get"), QStringLiteral("--out=rel/pics"), chosen[0]->pageUrl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectSavedOnce(file(QStringLiteral("rel/pics/")), chosen);
    EXPECT_FALSE(QFileInfo::exists(settings() + QStringLiteral("/rel")));
}

// A folder typed with trailing dots is the folder without them, as in the desktop program.
TEST_F(CliFaults, OutWithTrailingDotsSavesInTheFolderWithout)
{
    startSite(smallSite());
    withOut = false;
    const auto chosen = firstPublicPictures(1);
    const CliResult r = runCli({QStringLiteral("get"), QStringLiteral("--out=") + file(QStringLiteral("dots...")),
                                chosen[0]->pageUrl});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    expectSavedOnce(file(QStringLiteral("dots/")), chosen);
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("dots..."))));
}

// Without --out the settings' pictures folder is used; a damaged settings file, or a folder there
// that cannot be used, is said instead of passed over in silence.
TEST_F(CliFaults, FallingBackFromTheSettingsIsSaid)
{
    startSite(smallSite());
    withOut = false;
    const QString empty = writeLines(QStringLiteral("none.txt"), {});
    const QString ini = settings() + QStringLiteral("/OrvixDownloader.ini");
    QDir().mkpath(settings());
    const struct
    {
        QByteArray contents;
        QString said;
    } cases[] = {
        {QByteArray("\x00\x13\xFE garbage", 12), QStringLiteral("the settings file ") + ini + QStringLiteral(" names no pictures folder")},
        {QByteArray("[edOutputPath.Text]\r\n>") + QFile::encodeName(file(QStringLiteral("none.txt/sub"))),
         QStringLiteral("the pictures folder of the settings, ") + file(QStringLiteral("none.txt/sub"))
             + QStringLiteral(", cannot be used")},
    };
    for (const auto &c : cases) {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.contents);
        f.close();
        const CliResult r = runCli({QStringLiteral("paste"), empty});
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.said + QStringLiteral("; pictures are saved in "))) << r.err.toStdString();
    }
    // A usable folder in the settings is taken without a word.
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("[edOutputPath.Text]\r\n>") + QFile::encodeName(file(QStringLiteral("set"))));
    f.close();
    const CliResult r = runCli({QStringLiteral("paste"), empty});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.contains(QStringLiteral("pictures are saved in"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("0 pictures saved in ") + file(QStringLiteral("set")))) << r.err.toStdString();
}

// Exit code 0 means that everything asked for was saved: a line passed over as malformed is not.
TEST_F(CliFaults, MalformedPastedLineIsNotQueuedAndFailsTheRun)
{
    startSite(smallSite());
    const auto chosen = firstPublicPictures(2);
    const QString broken = chosen[1]->pageUrl + QStringLiteral("|x");
    // A list saved as UTF-16 with its mark is read as such.
    QFile list(file(QStringLiteral("urls.txt")));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    const QString text = chosen[0]->pageUrl + QStringLiteral("\r\n") + broken + QStringLiteral("\r\n");
    list.write("\xFF\xFE");
    list.write(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    list.close();

    const CliResult r = runCli({QStringLiteral("paste"), list.fileName()});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("malformed line (not queued): ") + broken)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("1 items have been queued"))) << r.err.toStdString();
    expectSavedOnce(pictures(), {chosen[0]});
    EXPECT_EQ(itemFiles(), QStringList());

    // Tags lose their "|" to "_" and the run is complete.
    const auto third = firstPublicPictures(3).at(2);
    const CliResult tagged = runCli({QStringLiteral("get"), QStringLiteral("--tags=a|b"), third->pageUrl});
    EXPECT_EQ(tagged.exitCode, 0) << tagged.err.toStdString();
}

// Leftovers resume cannot take are named one by one, stay, and keep the exit code at 1 until
// discard removes them; the good line among them is resumed and saved.
TEST_F(CliFaults, LeftoversResumeCannotTakeAreNamedKeptAndDiscarded)
{
    startSite(smallSite());
    const auto chosen = firstPublicPictures(1);
    const QString good = chosen[0]->pageUrl + QStringLiteral("|id:1|2||") + pictures();
    const QString https = QStringLiteral("https://") + site().host() + QStringLiteral("/photos/a/1/|id:1|2||") + pictures();
    const QString climbing = site().baseUrl() + QStringLiteral("/photos/a/2/|id:1|2||") + pictures() + QStringLiteral("../up");
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2.txt"), itemBytes(good));
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2_00001.txt"), itemBytes(https));
    leaveItemFile("q2", QStringLiteral("orvixsession_1_q2_00002.txt"), itemBytes(climbing));
    leaveItemFile("q1", QStringLiteral("orvixsession_1_1.txt"), QByteArray());
    leaveItemFile("q1", QStringLiteral("orvixsession_1_1_00001.txt"), QByteArray("\x01\x02garbage\xFF", 10));
    // Reading it fails with an I/O error, whoever reads it.
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), sessionFolder("q2") + QStringLiteral("orvixsession_1_q2_00003.txt")));
    const QStringList left = itemFiles();
    ASSERT_EQ(left.size(), 6);

    const CliResult r = runCli({QStringLiteral("resume")});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(
        QStringLiteral("Incomplete session found: orvixsession_1 (6 lines, 5 of them cannot be resumed)")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("line without \"http://\" (only such lines are resumed), in ")
                               + sessionFolder("q2") + QStringLiteral("orvixsession_1_q2_00001.txt: \"") + https))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("orvixsession_1_q2_00002.txt: \"") + climbing)) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("empty item file ") + sessionFolder("q1") + QStringLiteral("orvixsession_1_1.txt")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("orvixsession_1_1_00001.txt: \"")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("unreadable item file ") + sessionFolder("q2")
                               + QStringLiteral("orvixsession_1_q2_00003.txt")))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("5 item files cannot be resumed")));
    expectSavedOnce(pictures(), chosen);
    EXPECT_FALSE(QFileInfo::exists(pictures() + QStringLiteral("../up")));
    QStringList kept = left;
    kept.removeOne(QStringLiteral("q2/orvixsession_1_q2.txt"));
    EXPECT_EQ(itemFiles(), kept);
    for (const auto &request : site().requests())
        EXPECT_FALSE(request.path.startsWith(QStringLiteral("/photos/a/"))) << request.path.toStdString();

    // Again: still there, still exit code 1, nothing new fetched.
    const CliResult again = runCli({QStringLiteral("resume")});
    EXPECT_EQ(again.exitCode, 1) << again.err.toStdString();
    EXPECT_TRUE(again.err.contains(QStringLiteral("(5 lines, 5 of them cannot be resumed)")))
        << again.err.toStdString();
    EXPECT_EQ(itemFiles(), kept);

    const CliResult discarded = runCli({QStringLiteral("discard")});
    EXPECT_EQ(discarded.exitCode, 0) << discarded.err.toStdString();
    EXPECT_EQ(itemFiles(), QStringList());
    const CliResult nothing = runCli({QStringLiteral("resume")});
    EXPECT_EQ(nothing.exitCode, 0);
    EXPECT_TRUE(nothing.err.contains(QStringLiteral("No incomplete session found.")));
}

// An item file that cannot be written is said where the command started; the run still saves
// what it queued and ends with exit code 1 instead of aborting.
TEST_F(CliFaults, ItemFileThatCannotBeWrittenIsReportedAndNothingQueuedIsLost)
{
    const QString q2 = sessionFolder("q2");
    QDir().mkpath(q2);
    const QByteArray target = QFile::encodeName(q2);
    // A file system with no room for one more file: its only inode is its root.
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, "nr_inodes=1,size=64k") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here (" << std::strerror(errno) << ")";
    struct Unmount
    {
        QByteArray target;
        ~Unmount() { ::umount2(target.constData(), MNT_DETACH); }
    } unmount{target};

    startSite(smallSite());
    const auto chosen = firstPublicPictures(2);
    const CliResult r = runCli({QStringLiteral("get"), chosen[0]->pageUrl, chosen[1]->pageUrl});
    EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(chosen[0]->pageUrl + QStringLiteral(" cannot be kept for a later resume: ")))
        << r.err.toStdString();
    // The line whose file failed was queued all the same; the next one was not.
    expectSavedOnce(pictures(), {chosen[0]});
}

} // namespace
