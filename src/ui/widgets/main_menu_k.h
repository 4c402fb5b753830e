#pragma once

// The main window's menu bar, with a thin sunken line under it that separates the menu from the
// window's content.

#include <QMenuBar>

namespace orvix {

class TPanelX;

class TMainMenuK : public QMenuBar
{
    Q_OBJECT
public:
    static constexpr int kSeparatorHeight = 2;

    // owner must be the main window; otherwise "TMainMenuK parent is not a form" is shown and
    // the bar has no separator line.
    explicit TMainMenuK(QWidget *owner);

    TPanelX *Separator() const { return m_separator; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    TPanelX *m_separator = nullptr;
};

} // namespace orvix
