#pragma once

// A page control whose pages are panels (TTabSheetX), with OnChangeX fired after every
// assignment of the active page, by code or by the user, also when the page was already active.
// Call Loaded() once the pages are in place (first show does it otherwise): from then on
// OnChangeX fires, and the first dispatch puts the first page in front.

#include <QList>
#include <QWidget>
#include <functional>

class QTabBar;

namespace orvix {

class TTabSheetX;

class TPageControlK : public QWidget
{
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject *sender)>;

    explicit TPageControlK(QWidget *parent = nullptr);
    ~TPageControlK() override;

    int PageCount() const { return int(FPages.size()); }
    TTabSheetX *Pages(int index) const { return FPages.value(index); }
    int IndexOfPage(const TTabSheetX *page) const;
    // A new sheet with this caption as the last page.
    TTabSheetX *AddPage(const QString &caption);

    TTabSheetX *ActivePage() const { return FActivePage; }
    int ActivePageIndex() const { return IndexOfPage(FActivePage); }
    void setActivePage(TTabSheetX *page);
    // An index outside the pages means no page.
    void setActivePageIndex(int index);
    // The stacked-widget names of the same, for code that switches views by index.
    int currentIndex() const { return ActivePageIndex(); }
    void setCurrentIndex(int index) { setActivePageIndex(index); }

    // The one handler slot: set, read and replace it as a whole.
    const NotifyEvent &OnChangeX() const { return FChangeX; }
    void setOnChangeX(NotifyEvent handler) { FChangeX = std::move(handler); }

    virtual void Loaded();
    bool IsLoaded() const { return _loaded_k; }
    QTabBar *TabBar() const { return m_tabBar; }
    // Where the pages go.
    virtual QRect PageArea() const;
    // As large as the largest page, like a stack of views.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void layoutPages();
    void syncTabs();

    bool _loaded_k = false;
    bool _first_initialized = false;
    bool _disable_onchange_x = false;

private:
    friend class TTabSheetX;
    void InsertPage(TTabSheetX *page);
    void RemovePage(TTabSheetX *page);
    void pageChanged(TTabSheetX *page);

    QList<TTabSheetX *> FPages;
    TTabSheetX *FActivePage = nullptr;
    NotifyEvent FChangeX;
    QTabBar *m_tabBar;
    bool m_syncingTabs = false;
};

} // namespace orvix
