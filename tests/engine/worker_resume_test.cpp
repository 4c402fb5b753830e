// Resuming a session whose last run ended between saving a picture and finishing its line.

#include "engine/resume_check.h"
#include "queue/incomplete_session.h"
#include "queue/queue_line.h"
#include "worker_test_support.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace orvix;
using namespace orvix::test;

namespace {

class ResumeCheck : public WorkerSandbox
{
protected:
    void SetUp() override
    {
        WorkerSandbox::SetUp();
        // Session slots of this test only.
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        QDir().mkpath(m_settings.filePath(QStringLiteral("runtime")));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_settings.filePath(QStringLiteral("runtime"))));
    }
    void TearDown() override
    {
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
        WorkerSandbox::TearDown();
    }
    QByteArray m_savedRuntime;
};

TEST_F(ResumeCheck, MediaLineOfAPictureAlreadySavedIsNotResumed)
{
    const QString sessions = m_settings.filePath(QStringLiteral("orvix_sessions")) + u'/';
    const auto line = [&](const QString &key) {
        return MediaLine{QStringLiteral("http://h/1/") + key + QStringLiteral("_o.jpg"), key + QStringLiteral(" Lake"),
                         QString(), QStringLiteral("http://h/photos/x/") + key + u'/', pictures()}
            .line();
    };
    const QString saved = line(QStringLiteral("11_aa"));
    const QString waiting = line(QStringLiteral("12_bb"));
    // The earlier run's session, with both lines; the first picture made it to disk.
    QFile marker(sessions + QStringLiteral("orvixsession_2.session"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    for (const QString &l : {saved, waiting}) {
        QFile item(sessions + QStringLiteral("q1/orvixsession_2_1") + (l == saved ? QString() : QStringLiteral("_00001"))
                   + QStringLiteral(".txt"));
        ASSERT_TRUE(item.open(QIODevice::WriteOnly));
        item.write("\xEF\xBB\xBF" + l.toUtf8() + "\r\n");
    }
    QDir().mkpath(pictures());
    QFile picture(pictures() + QStringLiteral("11_aa Lake.jpg"));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.close();

    std::unique_ptr<FoundSession> found = FindIncompleteSession(sessions, queues->itemFiles());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(ForgetSavedPictures(*found, queues->itemFiles()), 1);
    EXPECT_TRUE(takeMessages().contains(QStringLiteral("Picture already saved: http://h/photos/x/11_aa/")));
    found->Resume(*queues);
    EXPECT_EQ(lines(queues->MediaQueue), QStringList{waiting});
    EXPECT_EQ(itemFiles(QueueKind::Media), QStringList{waiting});
}

} // namespace
