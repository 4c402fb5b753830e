#include "feedback_form.h"

#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include "foundation/dialogs.h"
#include "services/maker_posts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace orvix {

namespace {

QWidget *whitePanel(QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    panel->setPalette(pal);
    return panel;
}

} // namespace

TFormFeedback::TFormFeedback(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormFeedback"));
    setWindowTitle(QStringLiteral("Varnel Software Feedback"));
    setFixedSize(534, 321);
    setWindowFlag(Qt::WindowStaysOnTopHint);

    m_pages = new TVarnelPageControlX(this);
    TTabSheetX *first = m_pages->AddPage(QStringLiteral("Feedback"));
    TTabSheetX *thanks = m_pages->AddPage(QStringLiteral("Thanks"));
    first->setObjectName(QStringLiteral("tsFeedback"));
    thanks->setObjectName(QStringLiteral("tsThanks"));
    m_pages->setHideAllTabs(true);
    m_pages->Loaded();

    m_edName = new QLineEdit(first);
    m_edName->setObjectName(QStringLiteral("edName"));
    m_edEmail = new QLineEdit(first);
    m_edEmail->setObjectName(QStringLiteral("edEmail"));
    m_edComments = new QPlainTextEdit(first);
    m_edComments->setObjectName(QStringLiteral("edComments"));
    auto *form = new QVBoxLayout;
    form->addWidget(new QLabel(QStringLiteral("Name (optional)"), first));
    form->addWidget(m_edName);
    form->addWidget(new QLabel(QStringLiteral("Email (optional)"), first));
    form->addWidget(m_edEmail);
    form->addWidget(new QLabel(QStringLiteral("Comments, problems suggestions"), first));
    form->addWidget(m_edComments, 1);

    QWidget *bottom = whitePanel(first);
    m_sending = new QLabel(QStringLiteral("Sending Feedback"), bottom);
    m_sending->setObjectName(QStringLiteral("labelSending"));
    m_spinner = new QLabel(QStringLiteral("-"), bottom);
    m_spinner->setObjectName(QStringLiteral("labelSpinner"));
    m_sending->hide();
    m_spinner->hide();
    m_bSend = new QPushButton(QStringLiteral("Send"), bottom);
    m_bSend->setObjectName(QStringLiteral("bSendFeedback"));
    m_bSend->setDefault(true);
    auto *bClose = new QPushButton(QStringLiteral("Close"), bottom);
    bClose->setObjectName(QStringLiteral("bClose"));
    connect(m_bSend, &QPushButton::clicked, this, &TFormFeedback::bSendFeedbackClick);
    connect(bClose, &QPushButton::clicked, this, &TFormFeedback::reject);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->addWidget(m_sending);
    bottomLayout->addWidget(m_spinner);
    bottomLayout->addStretch(1);
    bottomLayout->addWidget(m_bSend);
    bottomLayout->addWidget(bClose);
    auto *firstLayout = new QVBoxLayout(first);
    firstLayout->setContentsMargins(0, 0, 0, 0);
    auto *inner = new QWidget(first);
    inner->setLayout(form);
    firstLayout->addWidget(inner, 1);
    firstLayout->addWidget(bottom);

    auto *thanksText = new QLabel(QStringLiteral("<h3>Thank you for your feedback</h3>"
                                                 "<p>If necessary someone will contact you back</p><p>Varnel Software</p>"),
                                  thanks);
    thanksText->setAlignment(Qt::AlignCenter);
    QWidget *thanksBottom = whitePanel(thanks);
    auto *bBack = new QPushButton(QStringLiteral("<< Back"), thanksBottom);
    bBack->setObjectName(QStringLiteral("bBack"));
    m_bClose2 = new QPushButton(QStringLiteral("Close"), thanksBottom);
    m_bClose2->setObjectName(QStringLiteral("bClose2"));
    connect(bBack, &QPushButton::clicked, this, [this] { m_pages->SetTab(0); });
    connect(m_bClose2, &QPushButton::clicked, this, [this] {
        m_closeWithoutAsking = true;
        QDialog::reject();
    });
    auto *thanksButtons = new QHBoxLayout(thanksBottom);
    thanksButtons->addWidget(bBack);
    thanksButtons->addStretch(1);
    thanksButtons->addWidget(m_bClose2);
    auto *thanksLayout = new QVBoxLayout(thanks);
    thanksLayout->setContentsMargins(0, 0, 0, 0);
    thanksLayout->addWidget(thanksText, 1);
    thanksLayout->addWidget(thanksBottom);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);

    m_spinnerTimer = new QTimer(this);
    m_spinnerTimer->setInterval(100);
    connect(m_spinnerTimer, &QTimer::timeout, this, [this] {
        static const QStringList turns{QStringLiteral("-"), QStringLiteral("\\"), QStringLiteral("|"), QStringLiteral("/")};
        const int at = turns.indexOf(m_spinner->text());
        m_spinner->setText(at < 0 ? turns[0] : turns[(at + 1) % turns.size()]);
    });
    m_edName->setFocus();
}

bool TFormFeedback::thanksShown() const
{
    return m_pages->ActivePageIndex() == 1;
}

void TFormFeedback::setSending(bool sending)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_bSend, m_edName, m_edEmail, m_edComments})
        w->setEnabled(!sending);
    m_sending->setVisible(sending);
    m_spinner->setVisible(sending);
    if (sending)
        m_spinnerTimer->start();
    else
        m_spinnerTimer->stop();
}

void TFormFeedback::bSendFeedbackClick()
{
    setSending(true);
    // Not blocking: the window keeps painting its spinner while the post runs.
    m_stopSending = false;
    const int outcome = SendFeedback({m_edName->text(), m_edEmail->text(), m_edComments->toPlainText()}, false,
                                     &m_stopSending);
    if (m_stopSending)
        return; // the window went meanwhile
    setSending(false);
    if (outcome == 0) {
        m_pages->SetTab(1);
        m_bClose2->setFocus();
    } else {
        InfoBox(FeedbackFailureMessage(outcome));
    }
}

void TFormFeedback::done(int result)
{
    m_stopSending = true;
    QDialog::done(result);
}

void TFormFeedback::reject()
{
    const bool empty = m_edName->text().isEmpty() && m_edEmail->text().isEmpty() && m_edComments->toPlainText().isEmpty();
    if (!m_closeWithoutAsking && !empty
        && ConfirmOkCancel(this, QStringLiteral("If you close the form, you will lose the comments that you entered."),
                           windowTitle()))
        return;
    QDialog::reject();
}

} // namespace orvix
