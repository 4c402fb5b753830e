#pragma once

// One page of a TPageControlK: an opaque panel that fills the page area while active.

#include <QWidget>

namespace orvix {

class TPageControlK;

class TTabSheetX : public QWidget
{
    Q_OBJECT
public:
    // With a page control the sheet joins it as its last page.
    explicit TTabSheetX(const QString &caption = QString(), TPageControlK *pageControl = nullptr);

    TPageControlK *PageControl() const { return m_pageControl; }
    void setPageControl(TPageControlK *pageControl);
    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    int PageIndex() const;
    // Position among the visible tabs; -1 when its tab is hidden.
    int TabIndex() const;
    bool TabVisible() const { return m_tabVisible; }
    void setTabVisible(bool visible);
    bool Highlighted() const { return m_highlighted; }
    // Raises EOrvix "PageControl must first be assigned" for a sheet without page control.
    void setHighlighted(bool on);
    int ImageIndex() const { return m_imageIndex; }
    void setImageIndex(int index) { m_imageIndex = index; }

Q_SIGNALS:
    void OnShow(QObject *sender);
    void OnHide(QObject *sender);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    friend class TPageControlK;
    TPageControlK *m_pageControl = nullptr;
    QString m_caption;
    bool m_tabVisible = true;
    bool m_highlighted = false;
    int m_imageIndex = -1;
};

} // namespace orvix
