#include "paste_urls_panel.h"

#include "subfolder_edit.h"
#include "widgets/link_label.h"

#include "foundation/dialogs.h"
#include "foundation/file_names.h"
#include "foundation/formats.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "queue/pasted_urls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orvix {

TPasteUrlsPanel::TPasteUrlsPanel(QWidget *parent, Host host)
    : TCaptionPanelK(QStringLiteral("Paste Urls"), parent), m_host(std::move(host))
{
    setObjectName(QStringLiteral("panelPasteUrls"));
    m_urls = new QPlainTextEdit(this);
    m_urls->setObjectName(QStringLiteral("edMultipleUrls"));
    m_urls->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("cbbMultiPasteImageSize"));
    m_size->addItems({QStringLiteral("Current"), QStringLiteral("Large"), QStringLiteral("Original")});
    m_size->setCurrentIndex(2);
    m_subfolder = new TSubfolderEdit(QStringLiteral("edMultiPasteSubFolder"), this);
    m_subfolder->setToolTip(QStringLiteral("Subfolder relative to the \"pictures folder\" entered in Edit/Settings"));
    m_clear = new TVarnelLinkLabel(this);
    m_clear->setObjectName(QStringLiteral("btnMultiPasteClear"));
    m_clear->setCaption(QStringLiteral("Clear list"));
    m_ok = new QPushButton(QStringLiteral("Add to queue"), this);
    m_ok->setObjectName(QStringLiteral("panelPasteUrlsOK"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("panelPasteUrlsClose"));

    auto *options = new QHBoxLayout;
    options->addWidget(new QLabel(QStringLiteral("Size:"), this));
    options->addWidget(m_size);
    options->addSpacing(12);
    options->addWidget(new QLabel(QStringLiteral("Subfolder:"), this));
    options->addWidget(m_subfolder, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_clear);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_close);
    contentLayout()->addWidget(m_urls, 1);
    contentLayout()->addLayout(options);
    contentLayout()->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, [this] { panelPasteUrlsOKClick(); });
    connect(m_close, &QPushButton::clicked, this, &TPasteUrlsPanel::panelPasteUrlsCloseClick);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &TPasteUrlsPanel::panelPasteUrlsCloseClick);
    connect(m_clear, &TVarnelLinkLabel::clicked, this, &TPasteUrlsPanel::btnMultiPasteClearClick);
    hide();
}

void TPasteUrlsPanel::Open()
{
    if (!isVisible()) {
        resize(600, 250);
        CenterInParent();
        ShowInFront();
        m_urls->clear();
    }
    m_urls->setFocus();
}

int TPasteUrlsPanel::panelPasteUrlsOKClick()
{
    const QString folder = DownloadTargetFolder(m_host.ensuredPicturesFolder(), m_subfolder->text());
    const QString size = QString::number(m_size->currentIndex() < 0 ? 2 : m_size->currentIndex());
    const PastedUrls pasted = TakePastedUrls(m_urls->toPlainText());
    for (const QString &url : pasted.malformed)
        LogMessage(QStringLiteral("malformed line (not queued): ") + url);
    int count = 0;
    for (const QString &url : pasted.accepted) {
        m_host.queuePage(url, PastedPageLine(url, size, folder));
        ++count;
    }
    InfoBox(FormatCount(count) + QStringLiteral(" items have been queued"));
    hide();
    m_urls->clear();
    return count;
}

void TPasteUrlsPanel::panelPasteUrlsCloseClick()
{
    hide();
    m_urls->clear();
}

void TPasteUrlsPanel::btnMultiPasteClearClick()
{
    if (!ConfirmOkCancel(this, QStringLiteral("Clear list"), QString()))
        m_urls->clear();
}

} // namespace orvix
