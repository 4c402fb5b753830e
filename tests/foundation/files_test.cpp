#include "foundation_fixture.h"

#include "foundation/dialogs.h"
#include "foundation/durable_file.h"
#include "foundation/errors.h"
#include "foundation/file_names.h"
#include "foundation/files.h"
#include "foundation/folder_listing.h"
#include "foundation/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStorageInfo>
#include <algorithm>

using namespace orvix;

TEST(FileNames, SafeNamesTable)
{
    struct Case {
        const char *in, *file, *path;
    };
    const Case cases[] = {
        {"a/b:c*?.jpg", "a_b_c_.jpg", "a/b_c_.jpg"},
        {"a//b", "a_b", "a//b"},
        {"Été", "Été", "Été"},
        {"/pics/new:folder.", "_pics_new_folder.", "/pics/new_folder"},
        {"x______y", "x__y", "x__y"}, // "__" -> "_" twice only
        {"ok [1] ~a^b+c,d'e", "ok [1] ~a^b+c,d'e", "ok [1] ~a^b+c,d'e"},
        {"tab\there<>|\"", "tab_here_", "tab_here_"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(SafeFileName(QString::fromUtf8(c.in)), QString::fromUtf8(c.file)) << c.in;
        EXPECT_EQ(SafePath(QString::fromUtf8(c.in)), QString::fromUtf8(c.path)) << c.in;
    }
}

// The user's folder is used as it is; only the subfolder, a name the program takes from a box or
// a setting, is made safe, and it never climbs out of the folder.
TEST(FileNames, DownloadTargetFolderKeepsTheUsersFolder)
{
    struct Case {
        const char *pictures, *subfolder, *target;
    };
    const Case cases[] = {
        {"/home/a@b/Photos (2024) & #1", "", "/home/a@b/Photos (2024) & #1/"},
        {"/p (1)/", "trip #2 & more", "/p (1)/trip _2 _ more"},
        {"/p", "a/b:c", "/p/a_b_c"},
        {"/p", "..", "/p/"},
        {"/p", "sub...", "/p/sub"},
        {"/p", "x\x1b[2J", "/p/x_[2J"},
        {"/p", "Été", "/p/Été"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DownloadTargetFolder(QString::fromUtf8(c.pictures), QString::fromUtf8(c.subfolder)),
                  QString::fromUtf8(c.target))
            << c.pictures << " + " << c.subfolder;
}

class FileFunctions : public orvix::test::SandboxTest {};

TEST_F(FileFunctions, UniqueAndTimestampedNames)
{
    EXPECT_EQ(UniqueFileName(path("x.jpg")), path("x.jpg"));
    writeBytes(path("x.jpg"), "1");
    writeBytes(path("x_00001.jpg"), "2");
    EXPECT_EQ(UniqueFileName(path("x.jpg")), path("x_00002.jpg"));
    writeBytes(path("noext"), "1");
    EXPECT_EQ(UniqueFileName(path("noext")), path("noext_00001"));

    const QString stamp = R"(\d{8}_\d{6}_\d{3})";
    struct Case {
        QString in;
        QString pattern;
    };
    const Case cases[] = {
        {"/data/pd_images.db", "^/data/pd_images_" + stamp + "\\.db$"},
        {"/data/name_.db", "^/data/name_" + stamp + "\\.db$"},     // "_" not doubled
        {"/data/plain", "^/data/plain_" + stamp + "$"},
        {"/data.d/plain", "^/data\\.d/plain_" + stamp + "$"},      // a dot in a folder is no extension
    };
    for (const Case &c : cases)
        EXPECT_TRUE(QRegularExpression(c.pattern).match(TimestampedFileName(c.in)).hasMatch())
            << TimestampedFileName(c.in).toStdString();
}

// The hidden files a write leaves when it fails or is refused, and those of a dead process.
static QStringList hiddenIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\."));
}

TEST_F(FileFunctions, DurableWritesReplaceOrRefuseAndLeaveNothingBehind)
{
    writeBytes(path("d/f.txt"), "old");
    QFile::setPermissions(path("d/f.txt"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    WriteFileAtomic(path("d/f.txt"), "new");
    EXPECT_EQ(readBytes(path("d/f.txt")), "new");
    // A private file stays private when it is replaced.
    const QFileDevice::Permissions modeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                              | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(path("d/f.txt")) & modeBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A new name only: a file of that name keeps its bytes.
    EXPECT_FALSE(WriteNewFileAtomic(path("d/f.txt"), "other"));
    EXPECT_EQ(readBytes(path("d/f.txt")), "new");
    EXPECT_TRUE(WriteNewFileAtomic(path("d/g.txt"), "g"));
    EXPECT_EQ(readBytes(path("d/g.txt")), "g");
    {
        // Refused once, placed under the next name; one abandoned goes without a trace.
        DurableFile f(path("d"));
        f.write("h");
        EXPECT_FALSE(f.placeNew(path("d/g.txt")));
        EXPECT_TRUE(f.placeNew(path("d/h.txt")));
        DurableFile abandoned(path("d"));
        abandoned.write("never named");
    }
    EXPECT_EQ(readBytes(path("d/h.txt")), "h");
    EXPECT_EQ(hiddenIn(path("d")), QStringList());
    // A folder where the file should be: the old folder stays and nothing is left over.
    QDir().mkpath(path("d/dir/sub"));
    EXPECT_THROW(WriteFileAtomic(path("d/dir"), "x"), EFileError);
    EXPECT_TRUE(QFileInfo(path("d/dir/sub")).isDir());
    EXPECT_EQ(hiddenIn(path("d")), QStringList());

    // Left by a process that died: removed; this process's own stays.
    writeBytes(path("d/.orvix-99999999-a.part"), "x");
    const QString own = path("d/.orvix-") + QString::number(QCoreApplication::applicationPid()) + "-b.part";
    writeBytes(own, "x");
    RemoveStaleDurableFiles(path("d"));
    EXPECT_EQ(hiddenIn(path("d")), QStringList{QFileInfo(own).fileName()});
}

TEST_F(FileFunctions, CopyRenameDeleteAndProbe)
{
    writeBytes(path("src.txt"), "new");
    writeBytes(path("deep/dst.txt"), "old");
    EXPECT_TRUE(CopyFileOver(path("src.txt"), path("deep/dst.txt")));
    EXPECT_EQ(readBytes(path("deep/dst.txt")), "new");
    EXPECT_TRUE(CopyFileOver(path("src.txt"), path("made/for/it.txt")));
    EXPECT_FALSE(CopyFileOver(path("missing"), path("x.txt")));
    EXPECT_FALSE(QFileInfo::exists(path("x.txt")));

    EXPECT_TRUE(RenameFileTo(path("src.txt"), path("moved/src.txt")));
    EXPECT_FALSE(RenameFileTo(path("src.txt"), path("again.txt")));

    EXPECT_EQ(FileSize(path("moved/src.txt")), 3);
    EXPECT_EQ(FileSize(path("nothing")), 0);
    EXPECT_FALSE(FileTime(path("nothing")).isValid());
    EXPECT_TRUE(FileTime(path("moved/src.txt")).isValid());

    EXPECT_TRUE(DeleteFileIfExists(path("moved/src.txt")));
    EXPECT_TRUE(DeleteFileIfExists(path("moved/src.txt")));
    EXPECT_FALSE(DeleteFileIfExists(path("moved"))); // a folder is not deleted as a file

    EXPECT_TRUE(CanWriteToFolder(path("moved")));
    EXPECT_FALSE(QFileInfo::exists(path("moved/TestPermissions.ini")));
    writeBytes(path("afile"), "x");
    EXPECT_FALSE(CanWriteToFolder(path("afile")));

    CreateEmptyFile(path("e/empty.txt"));
    EXPECT_EQ(FileSize(path("e/empty.txt")), 0);
    EXPECT_TRUE(FileExists(path("e/empty.txt")));
    writeBytes(path("bom.txt"), "\xEF\xBB\xBFx");
    EXPECT_TRUE(HasUtf8Bom(path("bom.txt")));
    EXPECT_FALSE(HasUtf8Bom(path("afile")));
    EXPECT_FALSE(HasUtf8Bom(path("nothing")));
}

TEST_F(FileFunctions, ReportingDeletes)
{
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    writeBytes(path("f.txt"), "x");
    QFile::setPermissions(path("f.txt"), QFileDevice::ReadOwner);
    EXPECT_TRUE(DeleteFileReporting(path("f.txt"), true));
    EXPECT_TRUE(DeleteFileReporting(path("f.txt"), true));

    writeBytes(path("tree/a/b/c.txt"), "x");
    writeBytes(path("tree/.hidden"), "x");
    QFile::setPermissions(path("tree/a"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(DeleteFolderReporting(path("tree"), true));
    EXPECT_FALSE(QFileInfo::exists(path("tree")));
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // A link to a folder goes; the folder it points to and its files stay. So does a folder
    // given as the link itself.
    writeBytes(path("kept/k.txt"), "x");
    writeBytes(path("tree2/x.txt"), "x");
    ASSERT_TRUE(QFile::link(path("kept"), path("tree2/link")));
    ASSERT_TRUE(QFile::link(path("kept"), path("toplink")));
    EXPECT_TRUE(DeleteFolderReporting(path("tree2"), true));
    EXPECT_FALSE(QFileInfo::exists(path("tree2")));
    EXPECT_TRUE(DeleteFolderReporting(path("toplink"), true));
    EXPECT_FALSE(QFileInfo(path("toplink")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(path("kept/k.txt")));
    EXPECT_TRUE(dialogs.shown().isEmpty());

    // Something that cannot go: a folder given as a file.
    QDir().mkpath(path("dir"));
    EXPECT_FALSE(DeleteFileReporting(path("dir"), true));
    EXPECT_EQ(dialogs.shown(), QStringList{"error: Could not delete file: " + path("dir")});
}

TEST_F(FileFunctions, TimesAndNameCase)
{
    const QDateTime t(QDate(2024, 6, 1), QTime(12, 0));
    struct Case {
        int seconds;
        bool equal;
    };
    const Case cases[] = {{0, true}, {1, true}, {2, false}, {10, false}, {3598, false},
                          {3599, true}, {3600, true}, {3601, true}, {3602, false}, {-3600, true}};
    for (const Case &c : cases)
        EXPECT_EQ(FileTimesEqual(t, t.addSecs(c.seconds)), c.equal) << c.seconds;

    writeBytes(path("Photo.JPG"), "x");
    FixFileNameCase(path("photo.jpg"));
    EXPECT_EQ(QDir(path(".")).entryList(QDir::Files), QStringList{"photo.jpg"});
}

TEST_F(FileFunctions, DriveRootIsTheMountPoint)
{
    // A chroot's mount table may not know the volume; the root folder stands in for it then.
    const QString mount = QStorageInfo(path(".")).rootPath();
    const QString expected = mount.isEmpty() ? QStringLiteral("/") : IncludeTrailingBackslash(mount);
    EXPECT_EQ(DriveRoot(path(".")), expected);
    EXPECT_EQ(DriveRoot(path("not/yet/made")), expected);
    EXPECT_EQ(DriveRoot(""), "");
    EXPECT_EQ(DriveRoot("/"), "/");
}

TEST_F(FileFunctions, FolderListings)
{
    writeBytes(path("lib/b.jpg"), "x");
    writeBytes(path("lib/A.JPG"), "x");
    writeBytes(path("lib/noext"), "x");
    writeBytes(path("lib/sub/c.jpg"), "x");
    writeBytes(path("lib/sub/deeper/d.jpg"), "x");
    writeBytes(path("lib/thumbs/t.jpg"), "x");
    writeBytes(path("lib/.cache/h.jpg"), "x");
    const auto age = [this](const char *file, int days) {
        QFile f(path(file));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime::currentDateTime().addDays(-days), QFileDevice::FileModificationTime);
    };
    age("lib/b.jpg", 2);
    age("lib/A.JPG", 1);
    age("lib/noext", 3);

    auto sorted = [](QStringList l) {
        l.sort();
        return l;
    };
    EXPECT_EQ(sorted(ListFiles(path("lib"))), QStringList({"A.JPG", "b.jpg", "noext"}));
    EXPECT_EQ(sorted(ListFiles(path("lib"), "*.jpg")), QStringList({"A.JPG", "b.jpg"}));
    EXPECT_EQ(sorted(ListFilePaths(path("lib"), "b*")), QStringList{path("lib/b.jpg")});
    EXPECT_EQ(ListFilesByDate(path("lib")), QStringList({path("lib/noext"), path("lib/b.jpg"), path("lib/A.JPG")}));

    const QStringList all = ListFilesRecursive(path("lib"), "*.jpg");
    EXPECT_EQ(sorted(all), QStringList({"A.JPG", "b.jpg", "sub/c.jpg", "sub/deeper/d.jpg"}));
    const auto firstSub = std::find_if(all.begin(), all.end(), [](const QString &p) { return p.contains('/'); });
    EXPECT_TRUE(std::all_of(firstSub, all.end(), [](const QString &p) { return p.contains('/'); }));
    EXPECT_TRUE(ListFiles(path("missing")).isEmpty());
}
