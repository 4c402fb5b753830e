#include "panel_x.h"

namespace orvix {

TPanelX::TPanelX(QWidget *parent) : QFrame(parent) { setFrameShape(QFrame::NoFrame); }

void TPanelX::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    update();
    for (QWidget *child : findChildren<QWidget *>())
        child->update();
}

} // namespace orvix
