#include "library_demo.h"

#include "edit_tags_panel.h"
#include "main_window.h"
#include "picture_strips.h"
#include "strip_frame.h"
#include "top_bar.h"

#include "app/program_context.h"
#include "foundation/log.h"
#include "queue/queue_state.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace orvix {

namespace {

constexpr int kPollMs = 500;
constexpr int kSettleMs = 1500;

void takeScreenshot(TFormMain &window, const QString &file)
{
    const bool saved = window.grab().save(file, "PNG");
    TellWithoutWindow((saved ? QStringLiteral("screenshot saved: ") : QStringLiteral("screenshot failed: ")) + file);
    window.close();
}

void tagSessionPictures(TFormMain &window)
{
    const QStringList tags{QStringLiteral("lake summer"), QStringLiteral("favourite"), QStringLiteral("print")};
    const QList<TFrameX *> frames = window.strips()->sessionStrip().FramesXAr;
    for (int i = 0; i < frames.size() && i < tags.size(); ++i) {
        window.ShowEditTags(frames[i]->frameFn(), 2);
        window.editTagsPanel()->ed_NewTags()->setText(tags[i]);
        window.bUpdateTagsClick();
    }
    // One more, left open, as the user sees the editor.
    if (frames.size() > tags.size())
        window.ShowEditTags(frames[tags.size()]->frameFn(), 2);
}

void searchLibrary(TFormMain &window)
{
    window.topBar()->cbSearchIn()->setCurrentIndex(TTopBar::kSearchInLibrary);
    window.topBar()->edSearchTerm()->setText(QStringLiteral("lake"));
    window.topBar()->bSearchClick();
}

} // namespace

bool StartLibraryDemo(TFormMain &window, const QString &scenario, const QString &screenshotFile)
{
    if (scenario != QLatin1String("strips") && scenario != QLatin1String("library"))
        return false;
    auto *poll = new QTimer(&window);
    poll->setInterval(kPollMs);
    auto settled = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, poll, settled, scenario, screenshotFile] {
        if (!window.programInitialized() || !window.context().hasQueues())
            return;
        QueueState &queues = window.context().queues();
        const bool idle = queues.PageQueue.Count() == 0 && queues.MediaQueue.Count() == 0
                          && !window.strips()->sessionStrip().FramesXAr.isEmpty();
        // Two quiet polls in a row: the last picture has been shown too.
        *settled = idle ? *settled + 1 : 0;
        if (*settled < 2)
            return;
        poll->stop();
        if (scenario == QLatin1String("strips"))
            tagSessionPictures(window);
        else
            searchLibrary(window);
        if (!screenshotFile.isEmpty())
            QTimer::singleShot(kSettleMs, &window, [&window, screenshotFile] { takeScreenshot(window, screenshotFile); });
    });
    poll->start();
    return true;
}

} // namespace orvix
