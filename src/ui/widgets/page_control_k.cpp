#include "page_control_k.h"

#include "tab_sheet_x.h"

#include <QTabBar>

namespace orvix {

TPageControlK::TPageControlK(QWidget *parent) : QWidget(parent), m_tabBar(new QTabBar(this))
{
    m_tabBar->setDrawBase(true);
    m_tabBar->move(0, 0);
    connect(m_tabBar, &QTabBar::currentChanged, this, [this](int tab) {
        if (!m_syncingTabs && tab >= 0)
            setActivePage(Pages(tab)); // the tab bar holds one tab per page, hidden ones too
    });
}

TPageControlK::~TPageControlK()
{
    for (TTabSheetX *page : std::as_const(FPages))
        page->m_pageControl = nullptr;
}

int TPageControlK::IndexOfPage(const TTabSheetX *page) const
{
    return page ? int(FPages.indexOf(const_cast<TTabSheetX *>(page))) : -1;
}

TTabSheetX *TPageControlK::AddPage(const QString &caption) { return new TTabSheetX(caption, this); }

void TPageControlK::InsertPage(TTabSheetX *page)
{
    page->m_pageControl = this;
    page->setParent(this);
    page->hide();
    FPages.append(page);
    syncTabs();
    layoutPages();
    updateGeometry();
}

void TPageControlK::RemovePage(TTabSheetX *page)
{
    FPages.removeOne(page);
    page->m_pageControl = nullptr;
    if (FActivePage == page)
        FActivePage = nullptr;
    syncTabs();
}

void TPageControlK::pageChanged(TTabSheetX *) { syncTabs(); }

void TPageControlK::syncTabs()
{
    m_syncingTabs = true;
    while (m_tabBar->count() > FPages.size())
        m_tabBar->removeTab(m_tabBar->count() - 1);
    while (m_tabBar->count() < FPages.size())
        m_tabBar->addTab(QString());
    for (int i = 0; i < FPages.size(); ++i) {
        m_tabBar->setTabText(i, FPages.at(i)->Caption());
        m_tabBar->setTabVisible(i, FPages.at(i)->TabVisible());
        m_tabBar->setTabTextColor(i, FPages.at(i)->Highlighted() ? palette().color(QPalette::Highlight) : QColor());
    }
    if (FActivePage)
        m_tabBar->setCurrentIndex(IndexOfPage(FActivePage));
    m_tabBar->resize(width(), m_tabBar->sizeHint().height());
    m_syncingTabs = false;
}

void TPageControlK::setActivePage(TTabSheetX *page)
{
    if (page && page->PageControl() != this)
        return;
    if (FActivePage != page) {
        TTabSheetX *old = FActivePage;
        FActivePage = page;
        if (page) {
            page->setGeometry(PageArea());
            page->show();
            page->raise();
        }
        if (old)
            old->hide();
    }
    m_syncingTabs = true;
    if (page)
        m_tabBar->setCurrentIndex(IndexOfPage(page));
    m_syncingTabs = false;

    if (!FChangeX || !_loaded_k || _disable_onchange_x)
        return;
    if (!_first_initialized) {
        _first_initialized = true;
        if (!FPages.isEmpty() && FActivePage != FPages.first()) {
            setActivePage(FPages.first());
            return;
        }
    }
    FChangeX(this);
}

void TPageControlK::setActivePageIndex(int index) { setActivePage(Pages(index)); }

void TPageControlK::Loaded() { _loaded_k = true; }

QRect TPageControlK::PageArea() const
{
    const int top = m_tabBar->isHidden() ? 0 : m_tabBar->sizeHint().height();
    return QRect(0, top, width(), std::max(0, height() - top));
}

QSize TPageControlK::sizeHint() const
{
    QSize size(0, 0);
    for (const TTabSheetX *page : FPages)
        size = size.expandedTo(page->sizeHint());
    const QRect area = PageArea();
    return size + QSize(width() - area.width(), height() - area.height());
}

QSize TPageControlK::minimumSizeHint() const
{
    QSize size(0, 0);
    for (const TTabSheetX *page : FPages)
        size = size.expandedTo(page->minimumSizeHint().expandedTo(page->minimumSize()));
    const QRect area = PageArea();
    return size + QSize(width() - area.width(), height() - area.height());
}

void TPageControlK::layoutPages()
{
    m_tabBar->resize(width(), m_tabBar->sizeHint().height());
    if (FActivePage)
        FActivePage->setGeometry(PageArea());
}

void TPageControlK::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutPages();
}

void TPageControlK::showEvent(QShowEvent *event)
{
    if (!_loaded_k)
        Loaded();
    QWidget::showEvent(event);
    layoutPages();
}

} // namespace orvix
