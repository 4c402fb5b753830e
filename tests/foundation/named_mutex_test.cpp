#include "foundation/dialogs.h"
#include "foundation/named_mutex.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvix;

namespace {
QString uniqueName()
{
    return QStringLiteral("OrvixTest_") + QUuid::createUuid().toString(QUuid::Id128);
}
} // namespace

TEST(NamedMutex, NameNormalisation)
{
    EXPECT_EQ(NormalizeMutexName("OrvixDownloader"), "Global\\orvixdownloader");
    EXPECT_EQ(NormalizeMutexName("Global\\Orvix"), "Global\\orvix");
    EXPECT_EQ(NormalizeMutexName("x-Global\\A"), "G-global\\a"); // prefix found anywhere
}

TEST(NamedMutex, SetExistsAndUnsetInOneProcess)
{
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    const QString name = uniqueName();
    EXPECT_FALSE(MutexExists(name));
    NamedMutexHandle handle = SetMutex(name);
    ASSERT_FALSE(handle.isNull());
    EXPECT_TRUE(MutexExists(name));
    EXPECT_TRUE(MutexExists(name.toUpper())); // names are not case-sensitive
    EXPECT_TRUE(SetMutex(name).isNull());
    UnSetMutex(handle);
    EXPECT_TRUE(handle.isNull());
    EXPECT_FALSE(MutexExists(name));
    UnSetMutex(handle);
    EXPECT_EQ(dialogs.shown(), QStringList({"info: Mutex already created: " + NormalizeMutexName(name),
                                            "info: UnSetMutex: Mutex handle=0"}));
}

// The kernel frees the name when the holder dies, even by SIGKILL.
TEST(NamedMutex, HeldByAnotherProcessUntilItIsKilled)
{
    const QString name = uniqueName();
    QProcess holder;
    holder.start(QStringLiteral(ORVIX_MUTEX_HOLDER), {name});
    ASSERT_TRUE(holder.waitForStarted(5000));
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "held");
    EXPECT_TRUE(MutexExists(name));

    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(5000));
    EXPECT_FALSE(MutexExists(name));
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    NamedMutexHandle handle = SetMutex(name);
    EXPECT_FALSE(handle.isNull());
    UnSetMutex(handle);
    EXPECT_TRUE(dialogs.shown().isEmpty());
}

// Without XDG_RUNTIME_DIR the lock files live in a folder of the user's own, closed to others;
// one that another user made, or left open, is refused, and a planted link is never followed.
TEST(NamedMutex, FallbackFolderIsPrivateAndLinksAreNotFollowed)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    struct Restore
    {
        QByteArray runtime, tmp;
        ~Restore()
        {
            qputenv("XDG_RUNTIME_DIR", runtime);
            qputenv("TMPDIR", tmp);
        }
    } restore{savedRuntime, savedTmp};

    const QString folder = tmp.path() + QStringLiteral("/orvix-mutex-") + QString::number(::geteuid());
    ASSERT_EQ(MutexFolder(), folder + u'/');
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    // A link planted where a lock file goes: taking the mutex fails and creates nothing there.
    const QString name = uniqueName();
    const QString lockFile = folder + u'/' + NormalizeMutexName(name).replace(u'\\', u'_') + QStringLiteral(".lock");
    const QString target = tmp.path() + QStringLiteral("/planted");
    ASSERT_TRUE(QFile::link(target, lockFile));
    EXPECT_TRUE(SetMutex(name).isNull());
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(MutexExists(name));

    // Opened to others, or owned by someone else: no folder, and so no mutex.
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(MutexFolder(), QString());
    EXPECT_TRUE(SetMutex(uniqueName()).isNull());
    if (::geteuid() == 0) {
        ::chmod(QFile::encodeName(folder).constData(), 0700);
        ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        EXPECT_EQ(MutexFolder(), QString());
    }
    EXPECT_TRUE(dialogs.shown().last().contains(QStringLiteral("No private folder for the lock files: ") + folder))
        << dialogs.shown().join(u'\n').toStdString();
}
