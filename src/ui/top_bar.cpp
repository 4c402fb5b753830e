#include "top_bar.h"

#include "site_search.h"

#include "foundation/desktop.h"
#include "foundation/late_execute.h"
#include "pages/site.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix {

TTopBar::TTopBar(ITopBarHost &host, QWidget *parent) : QWidget(parent), m_host(host)
{
    setObjectName(QStringLiteral("panelNavigation"));
    QStyle *st = style();

    m_bGoBack = makeButton(QStringLiteral("bGoBack"), QString(), QStringLiteral("Go back"));
    m_bGoBack->setIcon(st->standardIcon(QStyle::SP_ArrowBack));
    m_bGoBack->setEnabled(false);
    m_bGoForward = makeButton(QStringLiteral("bGoForward"), QString(), QStringLiteral("Go forward"));
    m_bGoForward->setIcon(st->standardIcon(QStyle::SP_ArrowForward));
    m_bGoForward->setEnabled(false);
    connect(m_bGoBack, &QToolButton::clicked, this, [this] { m_host.goBack(); });
    connect(m_bGoForward, &QToolButton::clicked, this, [this] { m_host.goForward(); });

    m_edURL = new QLineEdit(this);
    m_edURL->setObjectName(QStringLiteral("edURL"));
    m_edURL->setPlaceholderText(QStringLiteral("address of a page of ") + SiteName());
    m_edURL->installEventFilter(this);
    connect(m_edURL, &QLineEdit::returnPressed, this, &TTopBar::bOpenURLClick);

    auto *bOpenURL = makeButton(QStringLiteral("bOpenURL"), QStringLiteral("Go"), QStringLiteral("Go"));
    connect(bOpenURL, &QToolButton::clicked, this, &TTopBar::bOpenURLClick);
    auto *bPasteUrl = makeButton(QStringLiteral("bPasteUrl"), QString(), QStringLiteral("Paste and Go"));
    bPasteUrl->setIcon(st->standardIcon(QStyle::SP_DialogApplyButton));
    bPasteUrl->setText(QStringLiteral("Paste && Go"));
    bPasteUrl->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(bPasteUrl, &QToolButton::clicked, this, &TTopBar::bPasteUrlClick);

    // The window wires these to its favorites panel.
    m_bAddToFavorites = makeButton(QStringLiteral("bAddToFavorites"), QString(),
                                   QStringLiteral("Add current page to favorites"));
    m_bAddToFavorites->setText(QStringLiteral("\u2606+"));
    m_bFavorites = makeButton(QStringLiteral("bFavorites"), QString(), QStringLiteral("View list of favorite pages"));
    m_bFavorites->setText(QStringLiteral("\u2605"));

    auto *searchLabel = new QLabel(QStringLiteral("Search"), this);
    m_edSearchTerm = new QLineEdit(this);
    m_edSearchTerm->setObjectName(QStringLiteral("edSearchTerm"));
    searchLabel->setBuddy(m_edSearchTerm);
    connect(m_edSearchTerm, &QLineEdit::returnPressed, this, &TTopBar::bSearchClick);
    m_cbSearchIn = new QComboBox(this);
    m_cbSearchIn->setObjectName(QStringLiteral("cbSearchIn"));
    m_cbSearchIn->addItems({SiteName(), QStringLiteral("my library")});
    m_cbSearchIn->installEventFilter(this);
    auto *bSearch = makeButton(QStringLiteral("bSearch"), QString(), QStringLiteral("Search"));
    bSearch->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(bSearch, &QToolButton::clicked, this, &TTopBar::bSearchClick);

    auto *btnSignIn = new QPushButton(QStringLiteral("Sign In (") + SiteName() + QLatin1Char(')'), this);
    btnSignIn->setObjectName(QStringLiteral("btnSignIn"));
    btnSignIn->setFlat(true);
    btnSignIn->setCursor(Qt::PointingHandCursor);
    btnSignIn->setStyleSheet(QStringLiteral("QPushButton { color: palette(link); text-decoration: underline;"
                                            " border: none; padding: 0 4px; }"));
    connect(btnSignIn, &QPushButton::clicked, this, &TTopBar::btnSignInClick);

    // The page report needs the maker's service, which this build does not talk to yet.
    m_bSubmitPage = makeButton(QStringLiteral("bSubmitPage"), QString(),
                               QStringLiteral("The program did not identify any additional pages. "
                                              "Click here to report this page."));
    m_bSubmitPage->setIcon(st->standardIcon(QStyle::SP_MessageBoxWarning));
    m_bSubmitPage->setEnabled(false);

    m_panelStatus = new QFrame(this);
    m_panelStatus->setObjectName(QStringLiteral("panelStatus"));
    m_panelStatus->setFixedSize(12, 12);
    m_panelStatus->setFrameShape(QFrame::NoFrame);
    m_panelStatus->setAutoFillBackground(true);
    m_panelStatus->hide();

    m_labelWorking = new QLabel(QStringLiteral("--WORKING--"), this);
    m_labelWorking->setObjectName(QStringLiteral("labelWorking"));
    m_labelWorking->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_labelWorking->hide();

    auto *row1 = new QHBoxLayout;
    row1->addWidget(m_bGoBack);
    row1->addWidget(m_bGoForward);
    row1->addWidget(m_edURL, 1);
    row1->addWidget(bOpenURL);
    row1->addWidget(bPasteUrl);
    row1->addWidget(m_bAddToFavorites);
    row1->addWidget(m_bFavorites);
    row1->addWidget(m_panelStatus);

    auto *row2 = new QHBoxLayout;
    row2->addWidget(searchLabel);
    row2->addWidget(m_edSearchTerm, 1);
    row2->addWidget(new QLabel(QStringLiteral("in"), this));
    row2->addWidget(m_cbSearchIn);
    row2->addWidget(bSearch);
    row2->addSpacing(12);
    row2->addWidget(btnSignIn);
    row2->addWidget(m_bSubmitPage);
    row2->addWidget(m_labelWorking);
    row2->addStretch(0);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(row1);
    layout->addLayout(row2);
    layout->addStretch(1);
}

QToolButton *TTopBar::makeButton(const QString &name, const QString &text, const QString &hint)
{
    auto *b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(false);
    return b;
}

void TTopBar::bOpenURLClick()
{
    const QString address = m_edURL->text().trimmed();
    if (m_host.openInNewInstanceAllowed() && IsShiftDown()) {
        m_host.openInNewInstance(address);
        return;
    }
    if (address.isEmpty())
        return;
    m_host.forgetParsedPage();
    m_host.navigate(address);
}

void TTopBar::bPasteUrlClick()
{
    // Several addresses (one per line, or apart by spaces) would paste as one bad address.
    QStringList addresses;
    const QString text = QApplication::clipboard()->text();
    for (const QString &word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        if (word.contains(QLatin1String("http"), Qt::CaseInsensitive))
            addresses << word;
    if (addresses.size() > 1) {
        m_edURL->setText(addresses.first());
        bOpenURLClick();
        m_host.pastedSeveralAddresses(addresses);
        return;
    }
    m_edURL->selectAll();
    m_edURL->paste();
    if (m_edURL->text().contains(QLatin1String("http"), Qt::CaseInsensitive))
        bOpenURLClick();
}

void TTopBar::bSearchClick()
{
    const QString term = m_edSearchTerm->text().trimmed();
    if (term.isEmpty())
        return;
    // The library is searched for the text as typed: a trailing blank narrows the search.
    if (m_cbSearchIn->currentIndex() == kSearchInLibrary)
        m_host.searchLibrary(m_edSearchTerm->text());
    else
        m_host.navigate(SiteSearchUrl(term));
}

void TTopBar::btnSignInClick()
{
    m_host.navigate(SiteRoot() + QStringLiteral("/signin/"));
}

void TTopBar::CommandStateChange(int command, bool enabled)
{
    if (command == 2)
        m_bGoBack->setEnabled(enabled);
    else if (command == 1)
        m_bGoForward->setEnabled(enabled);
}

void TTopBar::setLibrarySearchAvailable(bool available)
{
    if (auto *model = qobject_cast<QStandardItemModel *>(m_cbSearchIn->model())) {
        QStandardItem *item = model->item(kSearchInLibrary);
        item->setEnabled(available);
        item->setToolTip(available ? QString() : QStringLiteral("The library search is not available in this version."));
    }
    if (!available && m_cbSearchIn->currentIndex() == kSearchInLibrary)
        m_cbSearchIn->setCurrentIndex(kSearchInSite);
}

void TTopBar::setStatusLight(TStatusLight light)
{
    m_light = light;
    if (light == TStatusLight::Hidden) {
        m_panelStatus->hide();
        return;
    }
    QPalette pal = m_panelStatus->palette();
    pal.setColor(QPalette::Window, light == TStatusLight::Red ? QColor(0xd0, 0x20, 0x20)
                                                              : QColor(0x20, 0x50, 0xd0));
    m_panelStatus->setPalette(pal);
    m_panelStatus->setToolTip(light == TStatusLight::Red ? QStringLiteral("loading") : QStringLiteral("page read"));
    m_panelStatus->show();
}

bool TTopBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edURL) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            m_edURL->selectAll();
            return true;
        }
        if (event->type() == QEvent::FocusIn) {
            // The click that brought the focus would undo an immediate selection.
            QPointer<QLineEdit> box = m_edURL;
            TLateExecute::Create([box] { if (box) box->selectAll(); }, 100);
        }
    } else if (watched == m_cbSearchIn && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
            return false; // focus still moves on
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            bSearchClick();
        return true; // no other key changes the choice
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvix
