#pragma once

// Alerts: short notices that do not interrupt. The window shows them as a small fading popup;
// while a full-screen program is in front they go to "pending_alerts.log" instead, so nothing
// pops up over a film or a game. Without a window, alerts go to stderr and the program log.

#include <QString>

namespace orvix {

class IAlerts
{
public:
    virtual ~IAlerts() = default;
    virtual bool fullScreenInFront() = 0;
    virtual void showPopup(const QString &text, int showMs) = 0;
};

IAlerts *SetAlerts(IAlerts *alerts); // nullptr restores the headless default
IAlerts &CurrentAlerts();

inline constexpr int kAlertShowMs = 3000;

// Main thread.
void ShowAlert(const QString &text);

// The ten places of popups stacked above the screen's bottom edge; a popup takes the lowest
// free one, and when all are taken shares the first. Main thread.
class AlertSlots
{
public:
    static constexpr int kCount = 10;
    int take();            // 1 to 10
    void release(int slot);
    // Top edge of a popup in the slot, for a work area of the given height.
    static int topFor(int slot, int workAreaHeight) { return workAreaHeight - 30 * slot - 30; }

private:
    bool m_taken[kCount] = {};
};

} // namespace orvix
