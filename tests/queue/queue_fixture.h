#pragma once

// A sandbox for queue tests: the foundation sandbox (a private settings folder, retry pauses of
// 1 ms) with a private folder for the named mutexes (so session slots never meet another
// test's or a running program's), scripted dialogs, and recording stand-ins for the queue view
// and the picture database.

#include "foundation/foundation_fixture.h"

#include "foundation/dialogs.h"
#include "foundation/log.h"
#include "foundation/run_control.h"
#include "foundation/thread_string_list.h"
#include "pages/site.h"
#include "queue/picture_records.h"
#include "queue/queue_view.h"

#include <QMutex>
#include <QSet>

#include <memory>

namespace orvix::test {

struct RecordingView : IQueueView
{
    void AddToListViewQueue(const QString &caption, const QString &queueLine) override
    {
        QMutexLocker lock(&mutex);
        rows.append(caption + QStringLiteral(" => ") + queueLine);
    }
    QMutex mutex;
    QStringList rows;
};

struct FakePictures : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &pageUrl) override { return onDisk.contains(pageUrl); }
    void RecordQueuedPicture(const TImageData &d) override
    {
        records.append(d.ImageId + u'_' + d.ImageSecretID + u'|' + d.PageUrl);
    }
    void RecordFoundPicture(const TImageData &, const QString &) override {}
    QSet<QString> onDisk;
    QStringList records;
};

class QueueSandbox : public SandboxTest
{
protected:
    void SetUp() override
    {
        SandboxTest::SetUp();
        QDir().mkpath(runtime());
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime()));
        SetSiteHost(QString());
        m_run = std::make_unique<RunControl>(settings());
        pendingLogMessages().Clear();
        m_previousDialogs = SetDialogs(&dialogs);
    }
    void TearDown() override
    {
        SetDialogs(m_previousDialogs);
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
        SandboxTest::TearDown();
    }

    QString settings() const { return path(QString()) + u'/'; }
    // The test's run on the settings folder, its flags all clear.
    RunControl &runControl() { return *m_run; }
    QString runtime() const { return path(QStringLiteral("runtime")); }
    QString sessions() const { return settings() + QStringLiteral("orvix_sessions/"); }
    QString q1() const { return sessions() + QStringLiteral("q1/"); }
    QString q2() const { return sessions() + QStringLiteral("q2/"); }

    static QStringList lines(TThreadStringList &list)
    {
        TThreadStringList::Locker lock(list);
        return lock.list();
    }
    static QStringList namesIn(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    static QByteArray itemBytes(const QString &line)
    {
        return QByteArray("\xEF\xBB\xBF") + line.toUtf8() + QByteArray("\r\n");
    }
    static QStringList logged()
    {
        TThreadStringList::Locker lock(pendingLogMessages());
        return lock.list();
    }

    ScriptedDialogs dialogs;

private:
    QByteArray m_savedRuntime;
    std::unique_ptr<RunControl> m_run;
    IDialogs *m_previousDialogs = nullptr;
};

} // namespace orvix::test
