#pragma once

// The "Queue Manager" panel that offers the lines an earlier run left queued: resume them into
// this run's queues, or discard them.

#include "widgets/caption_panel.h"

#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;

namespace orvix {

class FoundSession;
class QueueState;

class TResumePanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    explicit TResumePanel(QWidget *parent);
    ~TResumePanel() override;

    // Shows the session's lines, centred in the window and in front. openUrl opens a line's
    // address in the browser (double click).
    void Offer(std::unique_ptr<FoundSession> session, QueueState &queues,
               std::function<void(const QString &)> openUrl);
    bool isOffering() const { return bool(m_session); }

    void bSessionResumeOrDiscardClick(bool resume);
    // The caption's close button: "Discard incomplete session?"; OK discards.
    void panelQueueMessage2ButtonClick();
    void lbResumeSessionDblClick();

    QListWidget *lbResumeSession() const { return m_lbResumeSession; }

private:
    QLabel *m_staticText2;
    QListWidget *m_lbResumeSession;
    std::unique_ptr<FoundSession> m_session;
    QueueState *m_queues = nullptr;
    std::function<void(const QString &)> m_openUrl;
};

} // namespace orvix
