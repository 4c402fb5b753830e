#include "alert_popup.h"

#include "foundation/main_thread_call.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace orvix {

TAlertPopup::TAlertPopup(const QString &text, int showMs, AlertSlots &slots)
    : QLabel(text, nullptr,
             Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                 | Qt::WindowDoesNotAcceptFocus),
      m_slots(slots), m_slot(slots.take())
{
    setObjectName(QStringLiteral("alertPopup"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setStyleSheet(QStringLiteral("QLabel { background: #fff8c4; color: #202020;"
                                 " border: 1px solid #b0a050; border-radius: 11px;"
                                 " padding-left: 12px; padding-right: 12px; }"));
    const int width = std::max(110, fontMetrics().horizontalAdvance(text) + 50);
    setFixedSize(width, kHeight);

    const QRect area = QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect(0, 0, 1024, 768);
    move(area.right() - 50 - width, area.top() + AlertSlots::topFor(m_slot, area.height()));

    m_fade = new QTimer(this);
    m_fade->setInterval(kFadeStepMs);
    connect(m_fade, &QTimer::timeout, this, &TAlertPopup::fadeStep);
    QTimer::singleShot(showMs, m_fade, qOverload<>(&QTimer::start));
}

TAlertPopup::~TAlertPopup()
{
    m_slots.release(m_slot);
}

void TAlertPopup::fadeStep()
{
    m_alpha -= kFadeStep;
    if (m_alpha <= 0) {
        m_fade->stop();
        close();
        return;
    }
    setWindowOpacity(m_alpha / 255.0);
}

bool TWindowAlerts::fullScreenInFront()
{
    // Only our own windows can be seen from here: a full-screen viewer of the program counts.
    const QWindow *focus = QGuiApplication::focusWindow();
    return focus && focus->visibility() == QWindow::FullScreen;
}

void TWindowAlerts::showPopup(const QString &text, int showMs)
{
    RunOnMainThread([&] { (new TAlertPopup(text, showMs, m_slots))->show(); });
}

} // namespace orvix
