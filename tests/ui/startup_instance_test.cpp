// Single instance with real processes of the built program: a second start wakes the first and
// ends; "nomutex" runs a second copy, which takes the next session slot.
#include "test_support.h"

#include "foundation/named_mutex.h"
#include "queue/download_session.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

constexpr int kStartMs = 60000;

class SingleInstance : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settings.isValid());
        ASSERT_TRUE(m_runtime.isValid());
        m_previousRuntime = qgetenv("XDG_RUNTIME_DIR");
        // The mutexes and the wake-up socket live here, apart from any other copy on the machine.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void TearDown() override
    {
        for (auto &p : m_processes) {
            p->kill();
            p->waitForFinished(10000);
        }
        qputenv("XDG_RUNTIME_DIR", m_previousRuntime);
    }

    // site: the photo site switch; nothing listens on port 1, so pages fail fast and nothing
    // leaves the machine.
    QProcess &start(QStringList arguments, const QString &site = QStringLiteral("127.0.0.1:1"))
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        arguments << QStringLiteral("settings=") + m_settings.path() << QStringLiteral("site=") + site;
        p->start(test::binaryDir() + QStringLiteral("/src/ui/orvix"), arguments);
        EXPECT_TRUE(p->waitForStarted(10000));
        m_processes.push_back(std::move(p));
        return *m_processes.back();
    }

    bool sessionMarker(int slot) const
    {
        return QFile::exists(m_settings.path() + QStringLiteral("/orvix_sessions/") + SessionSlotName(slot)
                             + QStringLiteral(".session"));
    }

    QString programLog() const
    {
        QFile f(m_settings.path() + QStringLiteral("/OrvixDownloader.log"));
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        const QByteArray bytes = f.readAll();
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData()), bytes.size() / 2);
    }

    QString sessionsFolder() const { return m_settings.path() + QStringLiteral("/orvix_sessions/"); }

    bool waitUntilUp(int slot)
    {
        return test::waitUntil([&] { return MutexExists(SessionSlotMutexName(sessionsFolder(), SessionSlotName(slot))) && sessionMarker(slot); }, kStartMs);
    }

    QTemporaryDir m_settings;
    QTemporaryDir m_runtime;
    QByteArray m_previousRuntime;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

} // namespace

TEST_F(SingleInstance, SecondStartWakesTheFirstAndEnds)
{
    QProcess &first = start({QStringLiteral("debug")});
    ASSERT_TRUE(waitUntilUp(1)) << first.readAll().toStdString();

    QProcess &second = start({QStringLiteral("/url=http://127.0.0.1:1/photos/alma/")});
    ASSERT_TRUE(second.waitForFinished(kStartMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_FALSE(MutexExists(SessionSlotMutexName(sessionsFolder(), SessionSlotName(2))));
    EXPECT_FALSE(sessionMarker(2));
    EXPECT_TRUE(test::waitUntil([&] {
        return programLog().contains(QStringLiteral("woken by another start: http://127.0.0.1:1/photos/alma/"));
    }, 10000));
}

TEST_F(SingleInstance, NoMutexStartsASecondCopyInTheNextSlot)
{
    QProcess &first = start({});
    ASSERT_TRUE(waitUntilUp(1)) << first.readAll().toStdString();

    QProcess &second = start({QStringLiteral("nomutex")});
    ASSERT_TRUE(waitUntilUp(2)) << second.readAll().toStdString();
    EXPECT_TRUE(sessionMarker(2));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(second.state(), QProcess::Running);
}

TEST_F(SingleInstance, SiteWithAnotherSchemeIsRefusedWithItsReason)
{
    QProcess &p = start({}, QStringLiteral("https://127.0.0.1:1"));
    ASSERT_TRUE(p.waitForFinished(kStartMs));
    const QString output = QString::fromLocal8Bit(p.readAll());
    EXPECT_EQ(p.exitCode(), 1) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("http:// only"))) << output.toStdString();
    EXPECT_FALSE(MutexExists(SessionSlotName(1)));
}
