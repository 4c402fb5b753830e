#pragma once

// The thread-status bar: two small squares at the right of the status bar, shown only with the
// "debug" switch. The first blinks white and blue with the media worker's heartbeat, so a stuck
// worker is visible at a glance.

#include "widgets/panel_x.h"

class QFrame;

namespace orvix {

class TThreadStatusBar : public TPanelX
{
    Q_OBJECT
public:
    explicit TThreadStatusBar(QWidget *parent = nullptr);

    // Main thread only.
    void ToggleHeartbeat();
    bool heartbeatBlue() const { return m_blue; }

private:
    QFrame *m_status1;
    QFrame *m_status2;
    bool m_blue = false;
};

} // namespace orvix
