#pragma once

// A plain panel that repaints itself and all its children at once when resized, so that styled
// children leave no stale pixels behind.

#include <QFrame>

namespace orvix {

class TPanelX : public QFrame
{
    Q_OBJECT
public:
    explicit TPanelX(QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
};

} // namespace orvix
