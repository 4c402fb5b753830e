#include "page_type_area.h"

#include "picture_panel.h"
#include "widgets/tab_sheet_x.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace orvix {

namespace {

void tabSheet(TPageControlK *pageControl, const QString &name, QWidget *content)
{
    TTabSheetX *page = pageControl->AddPage(name);
    page->setObjectName(name);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

} // namespace

TPageTypeArea::TPageTypeArea(IPicturePanelHost &host, QWidget *window, QWidget *parent)
    : TVarnelPageControlX(parent)
{
    setObjectName(QStringLiteral("pcTopPageType"));

    m_picturePanel = new TPicturePanel(host, window, nullptr);

    m_panelUnrecognized = new QFrame;
    m_panelUnrecognized->setObjectName(QStringLiteral("panel_unrecognized_page"));
    auto *notice = new QLabel(QStringLiteral("Please navigate to a single picture page\r\nor to a thumbnails view."),
                              m_panelUnrecognized);
    notice->setObjectName(QStringLiteral("labelUnrecognizedPage"));
    // The page report needs the maker's service; until then the button shows what it is for.
    auto *bSubmitPage1 = new QToolButton(m_panelUnrecognized);
    bSubmitPage1->setObjectName(QStringLiteral("bSubmitPage1"));
    bSubmitPage1->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));
    bSubmitPage1->setToolTip(QStringLiteral("The program did not identify any pictures on this page. "
                                            "Click here to report this page."));
    bSubmitPage1->setEnabled(false);
    auto *unrecognizedLayout = new QHBoxLayout(m_panelUnrecognized);
    unrecognizedLayout->addWidget(notice, 1);
    unrecognizedLayout->addWidget(bSubmitPage1, 0, Qt::AlignTop);

    m_panelUnsupportedMultipage = new QFrame;
    m_panelUnsupportedMultipage->setObjectName(QStringLiteral("panel_Unsupported_Multipage"));
    m_panelUnsupportedMultipage->hide();

    auto *saveMultiplePage = new QWidget;
    m_bSaveMultiple = new QPushButton(QStringLiteral("Save pictures"), saveMultiplePage);
    m_bSaveMultiple->setObjectName(QStringLiteral("bSaveMultiple"));
    m_bSaveMultiple->setMinimumHeight(32);
    connect(m_bSaveMultiple, &QPushButton::clicked, this, &TPageTypeArea::saveMultipleClicked);
    auto *multipleLayout = new QHBoxLayout(saveMultiplePage);
    multipleLayout->addWidget(m_bSaveMultiple, 0, Qt::AlignLeft | Qt::AlignVCenter);
    multipleLayout->addStretch(1);

    tabSheet(this, QStringLiteral("ts1"), m_picturePanel);
    tabSheet(this, QStringLiteral("ts2"), m_panelUnrecognized);
    tabSheet(this, QStringLiteral("ts3"), m_panelUnsupportedMultipage);
    tabSheet(this, QStringLiteral("ts4"), saveMultiplePage);
    setHideAllTabs(true);
    Loaded();
    m_bSaveMultiple->hide();
    ShowStartState();
}

void TPageTypeArea::ShowStartState()
{
    m_picturePanel->hide();
    m_panelUnrecognized->show();
    setCurrentIndex(Ts2);
}

void TPageTypeArea::ShowPagePanel(TPagePanel panel)
{
    m_picturePanel->hide();
    m_panelUnrecognized->hide();
    m_panelUnsupportedMultipage->hide();
    switch (panel) {
    case TPagePanel::None:
        break;
    case TPagePanel::Picture:
        m_picturePanel->show();
        setCurrentIndex(Ts1);
        break;
    case TPagePanel::Unrecognised:
        m_panelUnrecognized->show();
        setCurrentIndex(Ts2);
        break;
    }
}

void TPageTypeArea::ShowSaveMultiple()
{
    m_saveMultipleShown = true;
    m_bSaveMultiple->show();
    setCurrentIndex(Ts4);
}

void TPageTypeArea::HideSaveMultiple()
{
    m_saveMultipleShown = false;
    m_bSaveMultiple->hide();
}

bool TPageTypeArea::SaveMultipleShown() const
{
    // Kept apart from isVisible(): the button counts as shown on its page even while the
    // window itself is hidden.
    return m_saveMultipleShown;
}

} // namespace orvix
