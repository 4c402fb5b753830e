#pragma once

// Lists the pages of a TVarnelPageControlX as labels, a tree or radio buttons, and keeps both
// in step: picking an entry activates its page, activating a page marks its entry.
//
// A page caption "prefix,Text" puts Text at the level given by the prefix's length; captions
// that are empty or begin with "_" get no entry.

#include "page_control_k.h"

#include <QFrame>

class QLabel;
class QStackedLayout;
class QTreeWidgetItem;

namespace orvix {

class TFrame2;
class TVarnelPageControlX;

enum varnelNavBarKind { navClassic = 0, navTree = 1, navRadio = 2 };

class TVarnelNavBar : public QFrame
{
    Q_OBJECT
public:
    static constexpr QRgb kSelectedColor = 0xFF0000; // pure red

    explicit TVarnelNavBar(QWidget *parent = nullptr);

    TVarnelPageControlX *pagecontrol() const { return Fpagecontrol; }
    // Raises EOrvix for duplicate entry texts and for views that cannot be built.
    void setPagecontrol(TVarnelPageControlX *pageControl);
    QString title() const { return Ftitle; }
    void setTitle(const QString &title);
    varnelNavBarKind kind() const { return Fkind; }
    // Raises EOrvix "Unknown navbar kind" for anything but the three kinds.
    void setKind(int kind);

    void SelectTab(int page_idx);
    void SelectTab(TTabSheetX *tab);
    void Regenerate();

    TFrame2 *Frame() const { return Fframe; }
    static QString EntryText(const QString &caption);

Q_SIGNALS:
    void OnTabChange(QObject *sender);
    void OnMouseEnter(QObject *sender);
    void OnMouseLeave(QObject *sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // (page index, indented caption) of the pages the bar shows, in page order.
    QList<QPair<int, QString>> shownRows() const;
    void buildClassic();
    void buildTree();
    void buildRadio();
    void Select(int index);
    void activatePage(int index);
    void labelClick(QLabel *label);
    void treeClick();
    static int indexFromName(const QString &name);

    TVarnelPageControlX *Fpagecontrol = nullptr;
    QString Ftitle;
    varnelNavBarKind Fkind = navClassic;
    TPageControlK::NotifyEvent F_saved_PanelsControl_OnChangeX;
    bool flagSelectingTab = false;
    bool flag_changing_border = false;
    quint32 fix_count = 0;
    TFrame2 *Fframe;
    QStackedLayout *m_views;
    bool m_treeHandlersAttached = false;
};

} // namespace orvix
