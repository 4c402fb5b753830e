#include "thumbnail_maker.h"

#include "widgets/image_x.h"
#include "widgets/lanczos_resample.h"

#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/main_thread_call.h"
#include "foundation/run_control.h"
#include "foundation/thread_registry.h"

#include <QFileInfo>
#include <QImageReader>

namespace orvix {

namespace {

// The format a picture is read as: its extension decides, as for every preview.
QByteArray formatOf(const QString &path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"jpg" || ext == u"jpeg")
        return "jpeg";
    if (ext == u"png" || ext == u"bmp")
        return ext.toLatin1();
    return {};
}

// The picture's size as shown (a rotation recorded in the file swaps it); empty when unknown.
QSize shownSize(QImageReader &reader)
{
    QSize size = reader.size();
    if (size.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        size.transpose();
    return size;
}

// The fit-height rule: the height given, the width in proportion; never enlarged.
QSize fitHeight(QSize picture, int height)
{
    if (picture.height() <= height)
        return picture;
    return QSize(std::max(1, int(qint64(picture.width()) * height / picture.height())), height);
}

} // namespace

QSize PredictThumbnailSize(const QString &picturePath, int height)
{
    const QByteArray format = formatOf(picturePath);
    if (format.isEmpty())
        return {};
    QImageReader reader(picturePath, format);
    reader.setAutoTransform(true);
    const QSize size = shownSize(reader);
    return size.isValid() && !size.isEmpty() ? fitHeight(size, height) : QSize();
}

QImage MakeThumbnail(const QString &picturePath, int height)
{
    const QByteArray format = formatOf(picturePath);
    if (format.isEmpty()) {
        // Kinds that are never decoded bring their own placeholder.
        const QImage picture = TImageX::ReadPictureFile(picturePath, height);
        return picture.isNull() ? picture : TImageX::ResampleOrKeep(picture, fitHeight(picture.size(), height));
    }
    QImageReader reader(picturePath, format);
    reader.setAutoTransform(true);
    const QSize shown = shownSize(reader);
    if (!shown.isValid() || shown.isEmpty())
        return {};
    const QSize target = fitHeight(shown, height);
    if (format == "jpeg") {
        // libjpeg decodes at 1/2, 1/4 or 1/8 for a fraction of the work; the filter then has
        // at least the target's height to work from.
        int reduce = 1;
        while (reduce < 8 && shown.height() / (reduce * 2) >= target.height())
            reduce *= 2;
        if (reduce > 1) {
            const QSize raw = reader.size();
            reader.setScaledSize(QSize((raw.width() + reduce - 1) / reduce, (raw.height() + reduce - 1) / reduce));
        }
    }
    const QImage picture = reader.read();
    if (picture.isNull())
        return {};
    return TImageX::ResampleOrKeep(picture, target);
}

TThumbnailMaker::TThumbnailMaker(RunControl &run, QObject *parent, int threads)
    : QObject(parent), m_run(run), m_threadCount(std::max(1, threads))
{
}

TThumbnailMaker::~TThumbnailMaker()
{
    stop();
}

quint64 TThumbnailMaker::request(const QString &picturePath, const QString &cachedPath, int height)
{
    ORVIX_ASSERT_MAIN_THREAD();
    const quint64 ticket = ++m_lastTicket;
    {
        std::lock_guard lock(m_lock);
        if (m_stopping)
            return ticket;
        m_queue.push_back(Job{ticket, picturePath, cachedPath, height});
        // The threads start with the first request: a window that never shows a strip has none.
        if (m_threads.size() < size_t(m_threadCount) && m_threads.size() < m_queue.size())
            m_threads.emplace_back([this] { run(); });
    }
    m_live.insert(ticket);
    m_wake.notify_one();
    return ticket;
}

void TThumbnailMaker::cancel(quint64 ticket)
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (!m_live.remove(ticket))
        return;
    std::lock_guard lock(m_lock);
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->ticket == ticket) {
            m_queue.erase(it);
            break;
        }
    }
}

void TThumbnailMaker::stop()
{
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
    m_threads.clear();
    m_live.clear();
}

void TThumbnailMaker::run()
{
    ThreadRegistration registration(&m_run.Threads, QStringLiteral("TThumbnailMaker"));
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_lock);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty() || m_run.AppClosing; });
            if (m_stopping || m_run.AppClosing)
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        QImage picture;
        try {
            picture = MakeThumbnail(job.picturePath, job.height);
            if (!picture.isNull() && !job.cachedPath.isEmpty()) {
                ForceFolderOf(job.cachedPath);
                SavePngReplacing(picture, job.cachedPath);
            }
        } catch (const std::exception &e) {
            // Without a cached thumbnail the preview is only slower next time.
            LogMessage(QStringLiteral("thumbnail of ") + job.picturePath + QStringLiteral(": ") + exceptionMessage(e));
        } catch (...) {
            LogMessage(QStringLiteral("thumbnail of ") + job.picturePath + QStringLiteral(" failed"));
        }
        if (picture.isNull())
            picture = TImageX::ErrorPicture(); // a picture that cannot be read is not cached
        // Queued to this object: dropped unread if the maker is gone by then (it joins first).
        QMetaObject::invokeMethod(
            this, [this, ticket = job.ticket, picture] { deliver(ticket, picture); }, Qt::QueuedConnection);
    }
}

void TThumbnailMaker::deliver(quint64 ticket, const QImage &picture)
{
    if (m_live.remove(ticket))
        Q_EMIT ready(ticket, picture);
}

} // namespace orvix
