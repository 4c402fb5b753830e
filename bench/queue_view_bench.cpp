// The queue view under a big "save all pages": 10,000 media lines queued at once by a worker
// thread through a blocking main-thread bridge (as the window's worker host makes its calls),
// then each marked "<working>" and "done" as the media worker does. The same run once with the
// queue panel shown and once with it hidden. A heartbeat timer on the main thread measures the
// longest stall: the longest gap between two of its ticks.
//
// Prints "visible_ms", "hidden_ms", "visible_stall_ms" and "hidden_stall_ms" lines.
#include "ui/queue_status_panel.h"
#include "ui/widgets/list_view_ex.h"

#include "app/queue_commands.h"
#include "app/queue_rows.h"
#include "foundation/main_thread_call.h"
#include "foundation/run_control.h"
#include "queue/picture_records.h"
#include "queue/queue_line.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <thread>

using namespace orvix;

namespace {

struct NoPictures : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &) override { return false; }
    void RecordQueuedPicture(const TImageData &) override {}
    void RecordFoundPicture(const TImageData &, const QString &) override {}
};

QString fileUrl(int i) { return QStringLiteral("http://127.0.0.1:8080/%1/%2_5f3a9c_o.jpg").arg(i % 97).arg(100000 + i); }

struct Result
{
    double totalMs = 0;
    double stallMs = 0;
};

Result runOnce(int lines, bool visible)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("q1")));
    QDir().mkpath(dir.filePath(QStringLiteral("q2")));
    RunControl run(dir.path());
    TQueueRows rows(run);
    NoPictures pictures;
    QueueState queues(run, SessionFolders{QStringLiteral("orvixsession_1"), dir.filePath(QStringLiteral("q1/")),
                                          dir.filePath(QStringLiteral("q2/"))},
                      rows, pictures);
    TQueueCommands commands(queues, rows);
    QWidget window;
    window.resize(1100, 700);
    auto *panel = new TQueueStatusPanel(&window, rows, commands, queues, {});
    panel->setGeometry(20, 20, 1000, 600);
    window.show();
    QApplication::processEvents();

    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer heartbeat;
    heartbeat.setInterval(5);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longest = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        // The panel shows itself with every new row; the hidden run keeps it hidden.
        if (!visible && panel->isVisible())
            panel->hide();
    });

    TMainThreadBridge bridge;
    QEventLoop loop;
    QElapsedTimer total;
    total.start();
    sinceTick.start();
    heartbeat.start();
    std::thread worker([&] {
        for (int i = 0; i < lines; ++i) {
            const QString url = fileUrl(i);
            const QString line = MediaLine{url, QStringLiteral("%1_5f3a9c title").arg(i), QString(),
                                           QStringLiteral("http://127.0.0.1:8080/photos/u/%1/").arg(i), QStringLiteral("/pics")}
                                     .line();
            bridge.call([&] { rows.AddToListViewQueue(url, line); });
        }
        for (int i = 0; i < lines; ++i) {
            const QString url = fileUrl(i);
            bridge.call([&] { rows.SetListViewQueueStatus(url, RowStatus::Working); });
            bridge.call([&] { rows.SetListViewQueueStatus(url, RowStatus::Done); });
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    panel->ApplyRowChanges(); // the view catching up, and its last paint, belong to the work
    QApplication::processEvents();
    Result r;
    r.totalMs = double(total.nsecsElapsed()) / 1e6;
    heartbeat.stop();
    r.stallMs = std::max(longest, double(sinceTick.nsecsElapsed()) / 1e6);
    if (panel->lvQueue()->RowCount() != 0)
        std::fprintf(stderr, "rows left in the view: %d\n", panel->lvQueue()->RowCount());
    delete panel;
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    for (int round = 0; round < rounds; ++round) {
        // Alternated, so a busy moment of the machine does not fall on one side only.
        const Result hidden = runOnce(lines, false);
        const Result visible = runOnce(lines, true);
        std::printf("round %d: visible_ms %.1f hidden_ms %.1f visible_stall_ms %.1f hidden_stall_ms %.1f\n", round,
                    visible.totalMs, hidden.totalMs, visible.stallMs, hidden.stallMs);
        std::fflush(stdout);
    }
    return 0;
}
