#include "main_menu_k.h"

#include "foundation/dialogs.h"
#include "panel_x.h"

#include <QMainWindow>

namespace orvix {

TMainMenuK::TMainMenuK(QWidget *owner) : QMenuBar(owner)
{
    if (!qobject_cast<QMainWindow *>(owner)) {
        InfoBox(QStringLiteral("TMainMenuK parent is not a form"));
        return;
    }
    m_separator = new TPanelX(this);
    m_separator->setObjectName(QStringLiteral("MenuSeparator"));
    m_separator->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_separator->setLineWidth(1);
    m_separator->setAutoFillBackground(true);
    QPalette pal = m_separator->palette();
    pal.setColor(QPalette::Window, QColor(0xFE, 0xFF, 0xFF)); // near white
    m_separator->setPalette(pal);
}

QSize TMainMenuK::sizeHint() const
{
    const QSize s = QMenuBar::sizeHint();
    return m_separator ? QSize(s.width(), s.height() + kSeparatorHeight) : s;
}

QSize TMainMenuK::minimumSizeHint() const
{
    const QSize s = QMenuBar::minimumSizeHint();
    return m_separator ? QSize(s.width(), s.height() + kSeparatorHeight) : s;
}

int TMainMenuK::heightForWidth(int width) const
{
    const int h = QMenuBar::heightForWidth(width);
    return m_separator ? h + kSeparatorHeight : h;
}

void TMainMenuK::resizeEvent(QResizeEvent *event)
{
    QMenuBar::resizeEvent(event);
    if (m_separator)
        m_separator->setGeometry(0, height() - kSeparatorHeight, width(), kSeparatorHeight);
}

} // namespace orvix
