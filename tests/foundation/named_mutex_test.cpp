#include "foundation/dialogs.h"
#include "foundation/named_mutex.h"

#include <QProcess>
#include <QUuid>
#include <gtest/gtest.h>

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
