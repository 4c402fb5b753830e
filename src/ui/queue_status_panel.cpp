#include "queue_status_panel.h"

#include "widgets/list_view_ex.h"
#include "widgets/list_view_ex_model.h"

#include "app/queue_commands.h"
#include "foundation/main_thread_call.h"
#include "foundation/run_control.h"
#include "foundation/text.h"
#include "queue/queue_state.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace orvix {

QRect RestoredQueuePanelGeometry(const QRect &saved, const QRect &current, const QSize &screen)
{
    QRect r = saved.x() > 0 ? saved : current;
    if (r.width() < 50)
        r.setWidth(386);
    if (r.height() < 50)
        r.setHeight(110);
    if (r.left() < 0 || r.left() > screen.width() - 50 || r.top() < 0 || r.top() > screen.height() - 50)
        r.moveTo(1, 160);
    return r;
}

TQueueStatusPanel::TQueueStatusPanel(QWidget *parent, TQueueRows &rows, TQueueCommands &commands, QueueState &queues,
                                     std::function<void(const QString &)> openUrl)
    : TCaptionPanelK(QStringLiteral("Queue status"), parent), m_rows(rows), m_commands(commands), m_queues(queues),
      m_openUrl(std::move(openUrl))
{
    setObjectName(QStringLiteral("panelQueueStatus"));
    m_buttons = new QHBoxLayout;
    m_buttons->setSpacing(4);
    m_bPauseQueue = addButton(QStringLiteral("bPauseQueue"), QStringLiteral("pause"), QString());
    m_bCancelDownload = addButton(QStringLiteral("bCancelDownload"), QStringLiteral("cancel"), QString());
    m_bReQueue = addButton(QStringLiteral("bReQueue"), QStringLiteral("r"), QStringLiteral("Requeue failed"));
    m_bCleanupQueue2 = addButton(QStringLiteral("bCleanupQueue2"), QStringLiteral("c"),
                                 QStringLiteral("Cleanup canceled and failed"));
    m_bCleanupQueue = addButton(QStringLiteral("bCleanupQueue"), QStringLiteral("c1"), QStringLiteral("Cleanup completed"));
    m_bRemoveFromQueue = addButton(QStringLiteral("bRemoveFromQueue"), QStringLiteral("remove"), QString());
    m_buttons->addStretch(1);
    m_bPauseQueue->hide();
    m_bCancelDownload->hide();
    connect(m_bPauseQueue, &QPushButton::clicked, this, &TQueueStatusPanel::bPauseQueueClick);
    connect(m_bCancelDownload, &QPushButton::clicked, this, &TQueueStatusPanel::bCancelDownloadClick);
    connect(m_bReQueue, &QPushButton::clicked, this, &TQueueStatusPanel::bReQueueClick);
    connect(m_bCleanupQueue2, &QPushButton::clicked, this, &TQueueStatusPanel::bCleanupQueue2Click);
    connect(m_bCleanupQueue, &QPushButton::clicked, this, &TQueueStatusPanel::bCleanupQueueClick);
    connect(m_bRemoveFromQueue, &QPushButton::clicked, this, &TQueueStatusPanel::bRemoveFromQueueClick);

    m_labelDownloading = new QLabel(this);
    m_labelDownloading->setObjectName(QStringLiteral("labelDownloading"));
    m_labelDownloading->hide();

    m_lvQueue = new TListViewEx(this);
    m_lvQueue->setObjectName(QStringLiteral("lvQueue"));
    m_lvQueue->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvQueue->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvQueue->setUniformRowHeights(true);
    m_lvQueue->LoadColumns({QStringLiteral("picture:230:L:0"), QStringLiteral("status:70:L:1"),
                            QStringLiteral("details:600:L:2")});
    m_lvQueue->AddToTop = true;
    m_lvQueue->installEventFilter(this);
    connect(m_lvQueue, &QAbstractItemView::doubleClicked, this, &TQueueStatusPanel::lvQueueDblClick);

    contentLayout()->addLayout(m_buttons);
    contentLayout()->addWidget(m_labelDownloading);
    contentLayout()->addWidget(m_lvQueue, 1);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &QWidget::hide);
    resize(386, 220);
    hide();

    m_applyTimer = new QTimer(this);
    m_applyTimer->setSingleShot(true);
    m_applyTimer->setInterval(kApplyDelayMs);
    connect(m_applyTimer, &QTimer::timeout, this, &TQueueStatusPanel::ApplyRowChanges);

    // Rows queued before the panel existed (a resume at start-up) are shown too.
    const QList<TQueueRow> existing = m_rows.rows();
    for (qsizetype i = existing.size() - 1; i >= 0; --i)
        rowInserted(0, existing[i]);
    m_rows.setListener(this);
    ApplyRowChanges();
}

TQueueStatusPanel::~TQueueStatusPanel()
{
    m_rows.setListener(nullptr);
}

QPushButton *TQueueStatusPanel::addButton(const QString &name, const QString &caption, const QString &hint)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    button->setMinimumWidth(30);
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance(caption) + 24);
    m_buttons->addWidget(button);
    return button;
}

void TQueueStatusPanel::ShowDownloadStatus()
{
    ORVIX_ASSERT_MAIN_THREAD();
    if (m_queues.MediaQueue.Count() > 0 || m_queues.PageQueue.Count() > 0) {
        m_bCancelDownload->show();
        m_labelDownloading->show();
        show();
    } else {
        m_bCancelDownload->hide();
        m_bPauseQueue->hide();
        m_labelDownloading->hide();
    }
}

void TQueueStatusPanel::ShowStatusLine(const QString &text)
{
    m_labelDownloading->setText(text);
    m_labelDownloading->show();
}

void TQueueStatusPanel::bPauseQueueClick()
{
    const bool paused = m_commands.TogglePause();
    m_bPauseQueue->setText(paused ? QStringLiteral("resume") : QStringLiteral("pause"));
    m_bPauseQueue->setMaximumWidth(m_bPauseQueue->fontMetrics().horizontalAdvance(m_bPauseQueue->text()) + 24);
}

// Each command shows its result at once.
void TQueueStatusPanel::bCancelDownloadClick()
{
    m_commands.Cancel(this);
    ApplyRowChanges();
}

void TQueueStatusPanel::bReQueueClick()
{
    m_commands.RequeueFailed();
    ApplyRowChanges();
}

void TQueueStatusPanel::bCleanupQueueClick()
{
    m_commands.CleanupCompleted();
    ApplyRowChanges();
}

void TQueueStatusPanel::bCleanupQueue2Click()
{
    m_commands.CleanupFailedAndCanceled();
    ApplyRowChanges();
}

void TQueueStatusPanel::bRemoveFromQueueClick()
{
    m_commands.AskRemoveByText();
    ApplyRowChanges();
}

void TQueueStatusPanel::lvQueueDblClick()
{
    ApplyRowChanges(); // the row under the mouse is the row the user saw
    const int row = m_lvQueue->SelectedRow();
    if (row < 0)
        return;
    QString url = m_lvQueue->Model()->Text(row, 0);
    url = TextTrim(url.replace(QStringLiteral("Q2:"), QString()));
    if (url.contains(QStringLiteral("http")) && m_openUrl)
        m_openUrl(url);
}

void TQueueStatusPanel::CopySelectedRow()
{
    const int row = m_lvQueue->SelectedRow();
    if (row < 0)
        return;
    const auto *model = m_lvQueue->Model();
    QApplication::clipboard()->setText(model->Text(row, 0) + u'\n' + model->Text(row, 1) + u'\n' + model->Text(row, 2));
}

void TQueueStatusPanel::rowInserted(int row, const TQueueRow &value)
{
    rowChange({RowChange::Inserted, row, value});
}

void TQueueStatusPanel::rowChanged(int row, const TQueueRow &value)
{
    rowChange({RowChange::Changed, row, value});
}

void TQueueStatusPanel::rowRemoved(int row)
{
    rowChange({RowChange::Removed, row, {}});
}

void TQueueStatusPanel::rowChange(RowChange change)
{
    ORVIX_ASSERT_MAIN_THREAD();
    // The panel and its pause button come at once with a new row; the list follows in its batch.
    if (change.kind == RowChange::Inserted && !isVisible()) {
        m_bPauseQueue->show();
        show();
    }
    m_changes.append(std::move(change));
    if (!m_applyTimer->isActive())
        m_applyTimer->start();
}

void TQueueStatusPanel::ApplyRowChanges()
{
    m_applyTimer->stop();
    if (m_changes.isEmpty())
        return;
    bool added = false;
    TListViewExModel *model = m_lvQueue->Model();
    // In the order they were made, so each row number means what it meant then.
    for (const RowChange &c : std::as_const(m_changes)) {
        switch (c.kind) {
        case RowChange::Inserted:
            model->AddRow({c.value.caption, RowStatusText(c.value.status), c.value.details}, c.row == 0);
            added = true;
            break;
        case RowChange::Changed:
            model->SetText(c.row, 1, RowStatusText(c.value.status));
            break;
        case RowChange::Removed:
            model->RemoveRow(c.row);
            break;
        }
    }
    m_changes.clear();
    if (added) {
        m_bPauseQueue->show();
        show();
    }
}

bool TQueueStatusPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lvQueue && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        CopySelectedRow();
        return true;
    }
    return TCaptionPanelK::eventFilter(watched, event);
}

void TQueueStatusPanel::resizeEvent(QResizeEvent *event)
{
    TCaptionPanelK::resizeEvent(event);
    if (onGeometryChanged)
        onGeometryChanged(geometry());
}

void TQueueStatusPanel::moveEvent(QMoveEvent *event)
{
    TCaptionPanelK::moveEvent(event);
    if (onGeometryChanged)
        onGeometryChanged(geometry());
}

} // namespace orvix
