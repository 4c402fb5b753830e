#include "tab_sheet_x.h"

#include "foundation/errors.h"
#include "page_control_k.h"

namespace orvix {

TTabSheetX::TTabSheetX(const QString &caption, TPageControlK *pageControl) : m_caption(caption)
{
    setAutoFillBackground(true);
    hide();
    if (pageControl)
        setPageControl(pageControl);
}

void TTabSheetX::setPageControl(TPageControlK *pageControl)
{
    if (m_pageControl == pageControl)
        return;
    if (m_pageControl)
        m_pageControl->RemovePage(this);
    if (pageControl)
        pageControl->InsertPage(this);
}

void TTabSheetX::setCaption(const QString &caption)
{
    m_caption = caption;
    if (m_pageControl)
        m_pageControl->pageChanged(this);
}

int TTabSheetX::PageIndex() const { return m_pageControl ? m_pageControl->IndexOfPage(this) : -1; }

int TTabSheetX::TabIndex() const
{
    if (!m_pageControl || !m_tabVisible)
        return -1;
    int index = 0;
    for (int i = 0; i < m_pageControl->PageCount(); ++i) {
        if (m_pageControl->Pages(i) == this)
            return index;
        if (m_pageControl->Pages(i)->TabVisible())
            ++index;
    }
    return -1;
}

void TTabSheetX::setTabVisible(bool visible)
{
    m_tabVisible = visible;
    if (m_pageControl)
        m_pageControl->pageChanged(this);
}

void TTabSheetX::setHighlighted(bool on)
{
    if (!m_pageControl)
        throw EOrvix(QStringLiteral("PageControl must first be assigned"));
    m_highlighted = on;
    m_pageControl->pageChanged(this);
}

void TTabSheetX::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Q_EMIT OnShow(this);
}

void TTabSheetX::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Q_EMIT OnHide(this);
}

} // namespace orvix
