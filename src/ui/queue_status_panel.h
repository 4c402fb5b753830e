#pragma once

// "Queue status": the queue view (lvQueue) with one row per queued line, the status line and
// the buttons of the queue commands. It shows the run's queue rows as they change: the changes
// are collected and applied together a moment later, each touching only its own row, so the
// list is laid out once per batch and not once per change (a "save all pages" queues
// thousands of lines one call at a time).

#include "widgets/caption_panel.h"

#include "app/queue_rows.h"

#include <QRect>

#include <functional>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QTimer;

namespace orvix {

class QueueState;
class TListViewEx;
class TQueueCommands;

// Where a saved panel goes back: saved is left, top, width, height as stored (left 0 or less:
// never saved, so nothing changes), current the panel's geometry, screen the screen's size.
// Widths and heights below 50 become 386 and 110; a panel too far off the screen goes to 1, 160.
QRect RestoredQueuePanelGeometry(const QRect &saved, const QRect &current, const QSize &screen);

class TQueueStatusPanel : public TCaptionPanelK, public IQueueRowsListener
{
    Q_OBJECT
public:
    // Everything given must outlive the panel. openUrl opens an address in the main browser.
    TQueueStatusPanel(QWidget *parent, TQueueRows &rows, TQueueCommands &commands, QueueState &queues,
                      std::function<void(const QString &)> openUrl);
    ~TQueueStatusPanel() override;

    TListViewEx *lvQueue() const { return m_lvQueue; }
    QPushButton *bPauseQueue() const { return m_bPauseQueue; }
    QPushButton *bCancelDownload() const { return m_bCancelDownload; }
    QPushButton *bReQueue() const { return m_bReQueue; }
    QPushButton *bCleanupQueue2() const { return m_bCleanupQueue2; }
    QPushButton *bCleanupQueue() const { return m_bCleanupQueue; }
    QPushButton *bRemoveFromQueue() const { return m_bRemoveFromQueue; }
    QLabel *labelDownloading() const { return m_labelDownloading; }

    // The controls for the queues' state: cancel and the status line while a queue holds lines,
    // the panel shown then too; otherwise cancel, pause and the status line hidden.
    void ShowDownloadStatus();
    // The status line, shown.
    void ShowStatusLine(const QString &text);

    // Commands of the buttons.
    void bPauseQueueClick();
    void bCancelDownloadClick();
    void bReQueueClick();
    void bCleanupQueueClick();
    void bCleanupQueue2Click();
    void bRemoveFromQueueClick();
    void lvQueueDblClick();
    // Ctrl+C: caption, status and details of the selected row, one per line.
    void CopySelectedRow();

    // Applies the changes collected so far (they are applied by themselves kApplyDelayMs after
    // the first of a batch, and at once after each command).
    void ApplyRowChanges();
    static constexpr int kApplyDelayMs = 40;

    // Told of every move or resize (the session settings keep the panel's place).
    std::function<void(const QRect &)> onGeometryChanged;

    // IQueueRowsListener (main thread)
    void rowInserted(int row, const TQueueRow &value) override;
    void rowChanged(int row, const TQueueRow &value) override;
    void rowRemoved(int row) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    struct RowChange
    {
        enum Kind { Inserted, Changed, Removed } kind;
        int row;
        TQueueRow value;
    };

    QPushButton *addButton(const QString &name, const QString &caption, const QString &hint);
    void rowChange(RowChange change);

    TQueueRows &m_rows;
    TQueueCommands &m_commands;
    QueueState &m_queues;
    std::function<void(const QString &)> m_openUrl;
    TListViewEx *m_lvQueue;
    QPushButton *m_bPauseQueue;
    QPushButton *m_bCancelDownload;
    QPushButton *m_bReQueue;
    QPushButton *m_bCleanupQueue2;
    QPushButton *m_bCleanupQueue;
    QPushButton *m_bRemoveFromQueue;
    QLabel *m_labelDownloading;
    QHBoxLayout *m_buttons;
    QList<RowChange> m_changes; // main thread only, like every change of the rows here
    QTimer *m_applyTimer;
};

} // namespace orvix
