#include "varnel_page_control_x.h"

#include "tab_sheet_x.h"

#include <QTabBar>

namespace orvix {

TVarnelPageControlX::TVarnelPageControlX(QWidget *parent) : TPageControlK(parent) {}

void TVarnelPageControlX::setHideAllTabs(bool hide)
{
    FHideAllTabs = hide;
    if (hide)
        FClientBorderWidth = 0;
    applyTabs(_loaded_k);
}

void TVarnelPageControlX::applyTabs(bool reassignActive)
{
    TTabSheetX *active = ActivePage();
    _disable_onchange_x = true;
    for (int i = 0; i < PageCount(); ++i)
        Pages(i)->setTabVisible(!FHideAllTabs);
    TabBar()->setVisible(!FHideAllTabs);
    _disable_onchange_x = false;
    if (reassignActive)
        setActivePage(active);
    // Hidden tabs leave nothing to tab to but the page's own controls.
    if (active)
        active->setFocusPolicy(FHideAllTabs ? Qt::NoFocus : Qt::TabFocus);
    layoutPages();
    updateGeometry();
    update();
}

void TVarnelPageControlX::setClientBorderWidth(int width)
{
    FClientBorderWidth = FHideAllTabs ? 0 : std::max(0, width);
    layoutPages();
}

void TVarnelPageControlX::Loaded()
{
    TPageControlK::Loaded();
    applyTabs(false);
    setActivePageIndex(0);
}

QRect TVarnelPageControlX::PageArea() const
{
    if (FHideAllTabs)
        return rect();
    const int top = m_clientTop >= 0 ? m_clientTop : TabBar()->sizeHint().height();
    m_clientTop = top;
    // The border width is the margin round the pages under visible tabs.
    const int b = FClientBorderWidth;
    return QRect(b, top + b, std::max(0, width() - 2 * b), std::max(0, height() - top - 2 * b));
}

} // namespace orvix
