// Two runs of the program in one process, each on its own settings folder: their flags,
// queues, sessions and picture databases must not reach each other.

#include "program_run.h"

#include "foundation/run_control.h"
#include "library/picture_db.h"
#include "pages/site.h"
#include "photosite/photo_site_server.h"
#include "queue/download_session.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace orvix;
using orvix::test::ProgramRun;

namespace {

constexpr int kWaitMs = 60000;

class TwoContexts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        photosite::ServerOptions o;
        o.site.owners = 1;
        o.site.photosPerOwner = 8;
        o.site.largestFileBytes = 16 * 1024;
        m_site = std::make_unique<photosite::PhotoSiteServer>(o);
        m_site->start();
        SetSiteHost(m_site->host());
    }
    void TearDown() override
    {
        SetSiteHost(QString());
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
    }
    QList<photosite::ManifestPicture> publicPictures() const
    {
        QList<photosite::ManifestPicture> list;
        for (const auto &p : m_site->manifest().pictures)
            if (!p.isPrivate)
                list << p;
        return list;
    }

    QTemporaryDir m_runtime, m_folderA, m_folderB;
    std::unique_ptr<photosite::PhotoSiteServer> m_site;
    QByteArray m_savedRuntime;
};

} // namespace

TEST_F(TwoContexts, EachRunKeepsItsOwnFlagsQueuesSessionAndPictures)
{
    const auto pictures = publicPictures();
    ASSERT_GE(pictures.size(), 4);
    ProgramRun a(m_folderA.path());
    ProgramRun b(m_folderB.path());
    // Slots are per settings folder: each run holds the first slot of its own folder.
    EXPECT_NE(a.context.session().MediaQueueFolder, b.context.session().MediaQueueFolder);

    // b is paused and told to close its queues: neither may stop or empty a's.
    b.context.run().QueuePaused = true;
    a.context.StartPageWorker();
    a.context.StartMediaWorker();
    b.context.StartPageWorker();
    b.context.StartMediaWorker();
    a.queuePicture(pictures[0]);
    a.queuePicture(pictures[1]);
    b.queuePicture(pictures[2]);
    b.queuePicture(pictures[3]);
    ASSERT_TRUE(test::waitUntil([&] { return a.idle() && a.saved().size() == 2; }, kWaitMs));
    EXPECT_EQ(b.context.queues().PageQueue.Count(), 2);
    EXPECT_TRUE(b.saved().isEmpty());
    EXPECT_FALSE(a.context.run().QueuePaused);

    b.context.run().QueuePaused = false;
    ASSERT_TRUE(test::waitUntil([&] { return b.idle() && b.saved().size() == 2; }, kWaitMs));

    // Each saved only its own pictures and recorded them in its own database.
    for (int i = 0; i < 4; ++i) {
        ProgramRun &own = i < 2 ? a : b;
        ProgramRun &other = i < 2 ? b : a;
        const QString key = pictures[i].id + u'_' + pictures[i].secret;
        EXPECT_TRUE(own.saved().filter(key).size() == 1) << key.toStdString();
        EXPECT_TRUE(other.saved().filter(key).isEmpty()) << key.toStdString();
        EXPECT_TRUE(own.context.pictures().IsAlreadyDownloaded(pictures[i].pageUrl));
        EXPECT_FALSE(other.context.pictures().IsAlreadyDownloaded(pictures[i].pageUrl));
    }
    EXPECT_TRUE(a.itemFiles().isEmpty());
    EXPECT_TRUE(b.itemFiles().isEmpty());
    for (ProgramRun *r : {&a, &b})
        EXPECT_TRUE(QFile::exists(r->context.settingsFolder() + QStringLiteral("queue1.log")));

    // Closing one run ends its workers only.
    a.context.StopWorkers();
    EXPECT_FALSE(a.context.workersRunning());
    EXPECT_TRUE(b.context.workersRunning());
    EXPECT_FALSE(b.context.run().AppClosing);
}
