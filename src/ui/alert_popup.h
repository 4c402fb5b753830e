#pragma once

// The alert popup: a small borderless label above the bottom-right corner of the screen that
// never takes the focus, stays for a while, then fades out and frees its place.

#include "foundation/alerts.h"

#include <QLabel>

class QTimer;

namespace orvix {

class TAlertPopup : public QLabel
{
    Q_OBJECT
public:
    static constexpr int kHeight = 24;
    static constexpr int kFadeStepMs = 10;
    static constexpr int kFadeStep = 3; // out of 255

    TAlertPopup(const QString &text, int showMs, AlertSlots &slots);
    ~TAlertPopup() override;
    int slot() const { return m_slot; }

private:
    void fadeStep();

    AlertSlots &m_slots;
    int m_slot;
    int m_alpha = 255;
    QTimer *m_fade;
};

// Alerts of the desktop program: popups, or "pending_alerts.log" while one of the program's own
// windows fills the screen.
class TWindowAlerts : public IAlerts
{
public:
    bool fullScreenInFront() override;
    void showPopup(const QString &text, int showMs) override;
    AlertSlots &slots() { return m_slots; }

private:
    AlertSlots m_slots;
};

} // namespace orvix
