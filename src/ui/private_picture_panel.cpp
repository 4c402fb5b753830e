#include "private_picture_panel.h"

#include "engine/worker_host.h"
#include "foundation/dialogs.h"
#include "foundation/run_control.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix {

TPrivatePicturePanel::TPrivatePicturePanel(QWidget *parent, RunControl &run,
                                           std::function<void(const QString &)> openUrl)
    : TCaptionPanelK(QStringLiteral("Queue Manager"), parent), m_run(run), m_openUrl(std::move(openUrl))
{
    setObjectName(QStringLiteral("cpanelPrivatePicture"));
    auto *text = new QLabel(QStringLiteral("A private picture needs your approval to be downloaded.\n"
                                           "Click \"open page\" and then press \"YES\" in the page to approve the picture."),
                            this);
    text->setWordWrap(true);
    m_edit1 = new QLineEdit(this);
    m_edit1->setObjectName(QStringLiteral("Edit1"));
    m_edit1->hide();
    m_button3 = new QPushButton(QStringLiteral("Open page"), this);
    m_button3->setObjectName(QStringLiteral("Button3"));
    m_button4 = new QPushButton(QStringLiteral("Skip picture"), this);
    m_button4->setObjectName(QStringLiteral("Button4"));
    connect(m_button3, &QPushButton::clicked, this, &TPrivatePicturePanel::Button3Click);
    connect(m_button4, &QPushButton::clicked, this, &TPrivatePicturePanel::Button4Click);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &TPrivatePicturePanel::cpanelPrivatePictureButtonClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_button3);
    buttons->addWidget(m_button4);
    contentLayout()->addWidget(text);
    contentLayout()->addWidget(m_edit1);
    contentLayout()->addLayout(buttons);
    resize(460, 150);
    hide();
}

void TPrivatePicturePanel::ShowPrivatePanel(const QString &url)
{
    m_edit1->setText(url);
    CenterInParent();
    ShowInFront();
    m_run.PrivatePanelShown = true;
}

void TPrivatePicturePanel::Button3Click()
{
    if (m_openUrl)
        m_openUrl(m_edit1->text());
}

void TPrivatePicturePanel::Button4Click()
{
    m_run.SkipPrivatePicture = true;
}

void TPrivatePicturePanel::cpanelPrivatePictureButtonClick()
{
    InfoBox(QStringLiteral("Please click \"open page\" or \"skip picture\""));
}

} // namespace orvix
