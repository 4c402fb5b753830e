#pragma once

// The program's page control: optionally without any tabs, its pages then covering the whole
// control. Loading shows the first page.

#include "page_control_k.h"

namespace orvix {

class TVarnelPageControlX : public TPageControlK
{
    Q_OBJECT
public:
    explicit TVarnelPageControlX(QWidget *parent = nullptr);

    bool HideAllTabs() const { return FHideAllTabs; }
    void setHideAllTabs(bool hide);
    int ClientBorderWidth() const { return FClientBorderWidth; }
    void setClientBorderWidth(int width);

    void SetTab(int pageIdx) { setActivePageIndex(pageIdx); }
    void SetTab(TTabSheetX *page) { setActivePage(page); }

    void Loaded() override;
    QRect PageArea() const override;

private:
    void applyTabs(bool reassignActive);

    mutable int m_clientTop = -1; // the tabs' height, taken the first time the page area is needed
    int FClientBorderWidth = 0;
    bool FHideAllTabs = false;
};

} // namespace orvix
