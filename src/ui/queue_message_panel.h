#pragma once

// "Queue Manager": a short note about the queue (how many pictures were just queued) that goes
// away by itself two seconds later.

#include "widgets/caption_panel.h"

class QLabel;
class QTimer;

namespace orvix {

class TQueueMessagePanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    static constexpr int kHideAfterMs = 2000;

    explicit TQueueMessagePanel(QWidget *parent);

    QLabel *labelQueueMessage() const { return m_label; }
    QTimer *timerHideQueueMessage() const { return m_timer; }

    // Centred, shown, and hidden again kHideAfterMs after the last message.
    void ShowQueueMessage(const QString &text);
    void timerHideQueueMessageTimer();

private:
    QLabel *m_label;
    QTimer *m_timer;
};

} // namespace orvix
