#include "list_box_ex.h"

#include <QScrollBar>

namespace orvix {

TListBoxEx::TListBoxEx(QWidget *parent) : QListWidget(parent)
{
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Q_EMIT OnVerticalScroll(this); });
}

} // namespace orvix
