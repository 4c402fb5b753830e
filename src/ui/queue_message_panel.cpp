#include "queue_message_panel.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace orvix {

TQueueMessagePanel::TQueueMessagePanel(QWidget *parent) : TCaptionPanelK(QStringLiteral("Queue Manager"), parent)
{
    setObjectName(QStringLiteral("panelQueueMessage"));
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("labelQueueMessage"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    contentLayout()->addWidget(m_label, 1);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("timerHideQueueMessage"));
    m_timer->setInterval(kHideAfterMs);
    m_timer->setSingleShot(false);
    connect(m_timer, &QTimer::timeout, this, &TQueueMessagePanel::timerHideQueueMessageTimer);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &QWidget::hide);
    resize(320, 90);
    hide();
}

void TQueueMessagePanel::ShowQueueMessage(const QString &text)
{
    m_label->setText(text);
    CenterInParent();
    ShowInFront();
    m_timer->start(); // restarts: two seconds after the last message
}

void TQueueMessagePanel::timerHideQueueMessageTimer()
{
    m_timer->stop();
    hide();
}

} // namespace orvix
