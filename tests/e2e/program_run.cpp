#include "program_run.h"

#include "queue/queue_item_files.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QDir>

#include <gtest/gtest.h>

namespace orvix::test {

ProgramRun::ProgramRun(const QString &folder) : context(controls, folder)
{
    context.workerTiming().pollMs = 5;
    context.workerTiming().failurePauseMs = 20;
    context.workerTiming().httpTimeoutSeconds = 10;
    EXPECT_TRUE(context.StartSession());
    context.LoadPictureDatabase();
    context.EnsurePicturesFolder(pictures());
    context.CreateQueues(context.queueRows());
    host = std::make_unique<THeadlessHost>(context.queues(), context.queueRows(), context.pictures(), bridge);
    host->setFolders(context.outputFolder(), QString());
    context.SetWorkerHost(host.get());
}

ProgramRun::~ProgramRun()
{
    context.StopWorkers();
}

QString ProgramRun::pictures() const
{
    return context.settingsFolder() + QStringLiteral("pictures");
}

void ProgramRun::queuePicture(const photosite::ManifestPicture &p)
{
    context.queues().QueuePage(p.pageUrl, PageLine{p.pageUrl, QStringLiteral("id:1"), QStringLiteral("2"), QString(),
                                                  pictures()}.line());
}

bool ProgramRun::idle()
{
    return context.queues().PageQueue.Count() == 0 && context.queues().MediaQueue.Count() == 0;
}

QStringList ProgramRun::saved() const
{
    return QDir(pictures()).entryList(QDir::Files, QDir::Name);
}

QStringList ProgramRun::itemFiles() const
{
    QStringList names;
    for (const char *q : {"q1", "q2"})
        names << QDir(context.settingsFolder() + QStringLiteral("orvix_sessions/") + QLatin1String(q))
                     .entryList(QDir::Files);
    return names;
}

QStringList ProgramRun::itemLines() const
{
    QStringList lines;
    for (const char *q : {"q1/", "q2/"}) {
        const QString folder = context.settingsFolder() + QStringLiteral("orvix_sessions/") + QLatin1String(q);
        for (const QString &name : QDir(folder).entryList(QDir::Files))
            lines << ReadItemFileText(folder + name);
    }
    lines.sort();
    return lines;
}

} // namespace orvix::test
