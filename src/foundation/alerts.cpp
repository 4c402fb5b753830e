#include "alerts.h"

#include "main_thread_call.h"
#include "log.h"
#include "paths.h"
#include "text_files.h"
#include "time_stamps.h"

#include <atomic>

namespace orvix {

namespace {

class HeadlessAlerts : public IAlerts
{
public:
    bool fullScreenInFront() override { return false; }
    void showPopup(const QString &text, int) override { TellWithoutWindow(text); }
};

HeadlessAlerts g_headless;
std::atomic<IAlerts *> g_alerts{nullptr};

} // namespace

IAlerts *SetAlerts(IAlerts *alerts)
{
    return g_alerts.exchange(alerts);
}

IAlerts &CurrentAlerts()
{
    IAlerts *a = g_alerts.load();
    return a ? *a : g_headless;
}

void ShowAlert(const QString &text)
{
    ORVIX_ASSERT_MAIN_THREAD();
    IAlerts &alerts = CurrentAlerts();
    if (alerts.fullScreenInFront())
        AppendLineUtf8(SettingsPath(QStringLiteral("pending_alerts.log")),
                       NowTimeStamp() + QStringLiteral(": ") + text);
    else
        alerts.showPopup(text, kAlertShowMs);
}

int AlertSlots::take()
{
    ORVIX_ASSERT_MAIN_THREAD();
    for (int i = 0; i < kCount; ++i)
        if (!m_taken[i]) {
            m_taken[i] = true;
            return i + 1;
        }
    return 1;
}

void AlertSlots::release(int slot)
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (slot >= 1 && slot <= kCount)
        m_taken[slot - 1] = false;
}

} // namespace orvix
