#include "resume_panel.h"

#include "engine/resume_check.h"
#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/text.h"
#include "queue/incomplete_session.h"
#include "queue/queue_state.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix {

TResumePanel::TResumePanel(QWidget *parent) : TCaptionPanelK(QStringLiteral("Queue Manager"), parent)
{
    setObjectName(QStringLiteral("panelQueueMessage2"));
    m_staticText2 = new QLabel(this);
    m_staticText2->setObjectName(QStringLiteral("StaticText2"));
    QFont bold = m_staticText2->font();
    bold.setBold(true);
    m_staticText2->setFont(bold);
    m_lbResumeSession = new QListWidget(this);
    m_lbResumeSession->setObjectName(QStringLiteral("lbResumeSession"));
    connect(m_lbResumeSession, &QListWidget::itemDoubleClicked, this, &TResumePanel::lbResumeSessionDblClick);

    auto *resume = new QPushButton(QStringLiteral("Resume"), this);
    resume->setObjectName(QStringLiteral("bSessionResume"));
    resume->setDefault(true);
    auto *discard = new QPushButton(QStringLiteral("Discard"), this);
    discard->setObjectName(QStringLiteral("bSessionDiscard"));
    connect(resume, &QPushButton::clicked, this, [this] { bSessionResumeOrDiscardClick(true); });
    connect(discard, &QPushButton::clicked, this, [this] { bSessionResumeOrDiscardClick(false); });
    connect(this, &TCaptionPanelK::OnButtonClick, this, &TResumePanel::panelQueueMessage2ButtonClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(resume);
    buttons->addWidget(discard);
    contentLayout()->addWidget(m_staticText2);
    contentLayout()->addWidget(m_lbResumeSession, 1);
    contentLayout()->addLayout(buttons);
    resize(560, 260);
    hide();
}

TResumePanel::~TResumePanel() = default;

void TResumePanel::Offer(std::unique_ptr<FoundSession> session, QueueState &queues,
                         std::function<void(const QString &)> openUrl)
{
    m_session = std::move(session);
    m_queues = &queues;
    m_openUrl = std::move(openUrl);
    m_staticText2->setText(QStringLiteral("Incomplete session found: ") + m_session->name());
    m_lbResumeSession->clear();
    // Lines resume cannot take are listed too, with the reason: discard removes them.
    for (const LeftoverLine &leftover : m_session->leftovers()) {
        QString shown = leftover.text;
        if (!leftover.resumable())
            shown = (shown.isEmpty() ? QFileInfo(leftover.path).fileName() : shown)
                    + QStringLiteral("   (cannot be resumed: ") + leftover.reason + u')';
        auto *item = new QListWidgetItem(shown, m_lbResumeSession);
        item->setData(Qt::UserRole, leftover.text);
        if (!leftover.resumable())
            item->setToolTip(QStringLiteral("Cannot be resumed: ") + leftover.reason + QStringLiteral("\n") + leftover.path);
    }
    CenterInParent();
    ShowInFront();
}

void TResumePanel::bSessionResumeOrDiscardClick(bool resume)
{
    if (m_session) {
        // A slot must not let an exception out. Lines not taken up keep their old item files.
        try {
            if (resume) {
                ForgetSavedPictures(*m_session, m_queues->itemFiles());
                m_session->Resume(*m_queues);
            } else {
                m_session->Discard(m_queues->itemFiles());
            }
        } catch (const std::exception &e) {
            ErrorBox(QStringLiteral("The session could not be taken up whole: ") + exceptionMessage(e));
        }
        m_session.reset();
    }
    hide();
}

void TResumePanel::panelQueueMessage2ButtonClick()
{
    if (ConfirmOkCancel(this, QStringLiteral("Discard incomplete session?"), QString()))
        return;
    bSessionResumeOrDiscardClick(false);
}

void TResumePanel::lbResumeSessionDblClick()
{
    QListWidgetItem *item = m_lbResumeSession->currentItem();
    const QString line = item ? item->data(Qt::UserRole).toString() : QString();
    if (!line.contains(QLatin1String("http")) || !m_openUrl)
        return;
    m_openUrl(line.section(QLatin1Char('|'), 0, 0));
}

} // namespace orvix
