#include "worker_test_support.h"

#include "foundation/errors.h"
#include "foundation/retry_timing.h"
#include "pages/site.h"
#include "queue/queue_line.h"
#include "test_support.h"

#include <QDir>

namespace orvix::test {

void WorkerFakeHost::AddToListViewQueue(const QString &caption, const QString &queueLine)
{
    QMutexLocker lock(&m_lock);
    m_rows.append(caption + QStringLiteral(" => ") + queueLine);
}

void WorkerFakeHost::SetListViewQueueStatus(const QString &caption, RowStatus status)
{
    {
        QMutexLocker lock(&m_lock);
        m_statusEvents.append(caption + QStringLiteral(" = ") + RowStatusText(status));
    }
    if (onWorking && status == RowStatus::Working)
        onWorking(caption);
}

bool WorkerFakeHost::AddToQ2(const QStringList &entries, const QString &lineSuffix)
{
    queues->AddToQ2(entries, lineSuffix);
    return true;
}

void WorkerFakeHost::SetPrivatePanel(const QString &url)
{
    {
        QMutexLocker lock(&m_lock);
        m_privatePanels.append(url);
    }
    queues->run().PrivatePanelShown = true;
    if (onPrivatePanel)
        onPrivatePanel(url);
}

void WorkerFakeHost::HidePrivatePanel()
{
    QMutexLocker lock(&m_lock);
    ++m_hidePanel;
    queues->run().PrivatePanelShown = false;
}

void WorkerFakeHost::Navigate3(const QString &url)
{
    QMutexLocker lock(&m_lock);
    m_navigated = url;
}

QString WorkerFakeHost::ReadHiddenBrowser()
{
    QString url;
    {
        QMutexLocker lock(&m_lock);
        url = m_navigated;
    }
    return hiddenPages ? hiddenPages(url) : QString();
}

void WorkerFakeHost::PublishImage(const QString &fileName, const QString &url)
{
    QMutexLocker lock(&m_lock);
    m_published.append(fileName);
    m_statusEvents.append(url + QStringLiteral(" = done"));
}

void WorkerFakeHost::ShowDownloading(const DownloadProgress &progress)
{
    QMutexLocker lock(&m_lock);
    m_downloading.append(progress.text());
    m_progress.append(progress);
}

void WorkerFakeHost::NotEnoughDiskSpace()
{
    QMutexLocker lock(&m_lock);
    ++m_diskReports;
}

void WorkerFakeHost::QueueFinished()
{
    QMutexLocker lock(&m_lock);
    ++m_finished;
}

QString WorkerFakeHost::OutputFolder()
{
    return outputFolder;
}

QString WorkerFakeHost::DefaultTargetFolder()
{
    return defaultTargetFolder;
}

QStringList WorkerFakeHost::statusEvents() const
{
    QMutexLocker lock(&m_lock);
    return m_statusEvents;
}

QString WorkerFakeHost::statusOf(const QString &caption) const
{
    const QString prefix = caption + QStringLiteral(" = ");
    const QStringList events = statusEvents();
    for (qsizetype i = events.size() - 1; i >= 0; --i)
        if (events[i].startsWith(prefix))
            return events[i].mid(prefix.size());
    return {};
}

QStringList WorkerFakeHost::rows() const
{
    QMutexLocker lock(&m_lock);
    return m_rows;
}

QStringList WorkerFakeHost::published() const
{
    QMutexLocker lock(&m_lock);
    return m_published;
}

QStringList WorkerFakeHost::privatePanels() const
{
    QMutexLocker lock(&m_lock);
    return m_privatePanels;
}

QList<DownloadProgress> WorkerFakeHost::progressReports() const
{
    QMutexLocker lock(&m_lock);
    return m_progress;
}

QStringList WorkerFakeHost::downloadingTexts() const
{
    QMutexLocker lock(&m_lock);
    return m_downloading;
}

int WorkerFakeHost::diskReports() const
{
    QMutexLocker lock(&m_lock);
    return m_diskReports;
}

int WorkerFakeHost::finishedReports() const
{
    QMutexLocker lock(&m_lock);
    return m_finished;
}

int WorkerFakeHost::hidePanelCalls() const
{
    QMutexLocker lock(&m_lock);
    return m_hidePanel;
}

bool WorkerFakePictures::IsAlreadyDownloaded(const QString &pageUrl)
{
    QMutexLocker lock(&m_lock);
    return onDisk.contains(pageUrl);
}

void WorkerFakePictures::RecordQueuedPicture(const TImageData &d)
{
    if (failRecords)
        throw EFileError(QStringLiteral("pd_images.db is locked"));
    QMutexLocker lock(&m_lock);
    m_records.append(d.ImageIdX + u'|' + d.PageUrl);
}

void WorkerFakePictures::RecordFoundPicture(const TImageData &d, const QString &fileName)
{
    QMutexLocker lock(&m_lock);
    m_found.append(d.ImageId + u'_' + d.ImageSecretID + u'|' + d.PageUrl + u'|' + fileName);
}

QStringList WorkerFakePictures::records() const
{
    QMutexLocker lock(&m_lock);
    return m_records;
}

QStringList WorkerFakePictures::found() const
{
    QMutexLocker lock(&m_lock);
    return m_found;
}

void WorkerSandbox::SetUp()
{
    EngineFixture::SetUp();
    m_previousHost = SiteHost();
    SetRetryTiming(RetryTiming{1, 1, 1});
    const QString sessions = m_settings.filePath(QStringLiteral("orvix_sessions")) + u'/';
    QDir().mkpath(sessions + QStringLiteral("q1"));
    QDir().mkpath(sessions + QStringLiteral("q2"));
    queues = std::make_unique<QueueState>(runControl(),
        SessionFolders{QStringLiteral("orvixsession_1"), sessions + QStringLiteral("q1/"), sessions + QStringLiteral("q2/")},
        host, records);
    host.queues = queues.get();
    host.defaultTargetFolder = pictures();
}

void WorkerSandbox::TearDown()
{
    stop();
    queues.reset();
    m_site.reset();
    SetSiteHost(m_previousHost);
    SetRetryTiming(RetryTiming());
    EngineFixture::TearDown();
}

WorkerTiming WorkerSandbox::fastTiming()
{
    WorkerTiming t;
    t.pollMs = 5;
    t.failurePauseMs = 20;
    t.diskWaitMs = 20;
    t.browserWaitMs = 10;
    t.browserCheckMs = 2;
    t.httpTimeoutSeconds = 5;
    return t;
}

photosite::ServerOptions WorkerSandbox::smallSite()
{
    photosite::ServerOptions o;
    o.site.owners = 2;
    o.site.photosPerOwner = 12;
    o.site.perPage = 5;
    o.site.largestFileBytes = 24 * 1024;
    return o;
}

void WorkerSandbox::startSite(photosite::ServerOptions options)
{
    m_site = std::make_unique<photosite::PhotoSiteServer>(options);
    m_site->start();
    SetSiteHost(m_site->host());
}

const photosite::ManifestPicture &WorkerSandbox::publicPicture(int n)
{
    for (const auto &p : m_site->manifest().pictures)
        if (!p.isPrivate && n-- == 0)
            return p;
    throw std::runtime_error("the site has too few public pictures");
}

const photosite::ManifestPicture &WorkerSandbox::privatePicture()
{
    for (const auto &p : m_site->manifest().pictures)
        if (p.isPrivate)
            return p;
    throw std::runtime_error("the site has no private picture");
}

QString WorkerSandbox::queuePageLine(const QString &url, const QString &urlType, const QString &tags)
{
    const QString line = url + u'|' + urlType + QStringLiteral("|2|") + tags + u'|' + pictures();
    queues->QueuePage(url, line);
    return line;
}

QString WorkerSandbox::queueMediaLine(const QString &downloadUrl, const QString &fileBase, const QString &pageUrl)
{
    const QString line = MediaLine{downloadUrl, fileBase, QString(), pageUrl, pictures()}.line();
    queues->itemFiles().WriteItemFile(QueueKind::Media, kMediaItemSuffix, line);
    queues->MediaQueue.Add(line);
    return line;
}

void WorkerSandbox::run(TWorkerThread &worker)
{
    stop();
    runControl().AppClosing = false;
    m_running = &worker;
    worker.Start();
}

void WorkerSandbox::stop()
{
    if (!m_running)
        return;
    runControl().AppClosing = true;
    m_running->WaitFor();
    m_running = nullptr;
    runControl().AppClosing = false;
}

QStringList WorkerSandbox::lines(TThreadStringList &list)
{
    TThreadStringList::Locker lock(list);
    return lock.list();
}

QStringList WorkerSandbox::itemFiles(QueueKind kind) const
{
    QStringList contents;
    const QString folder = queues->itemFiles().folder(kind);
    for (const QString &name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        QFile f(folder + name);
        if (f.open(QIODevice::ReadOnly))
            contents << QString::fromUtf8(f.readAll()).remove(QChar(0xFEFF)).trimmed();
    }
    return contents;
}

QStringList WorkerSandbox::picturesIn(const QString &folder) const
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

bool WorkerSandbox::waitFor(const std::function<bool()> &condition, int ms)
{
    return waitUntil(condition, ms);
}

} // namespace orvix::test
